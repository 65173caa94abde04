#include "core/base/window_size.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/seqfile.h"

namespace vz::base {

namespace {

// Far more than the file's one short line; anything larger is not ours.
constexpr std::uintmax_t kMaxFileBytes = 4096;

std::optional<long> readTwips(SeqReader& in) {
    const double v = in.readNumber();
    if (!(v >= 1 && v <= std::numeric_limits<std::int32_t>::max()) || v != std::floor(v)) {
        return std::nullopt;
    }
    return static_cast<long>(v);
}

}  // namespace

std::optional<TwipsSize> readWindowSize(const std::filesystem::path& file) {
    try {
        const std::string text = readRegularFile(file, kMaxFileBytes, "window size file");
        SeqReader in(text);  // reads in place: the text must outlive it
        const std::optional<long> width = readTwips(in);
        const std::optional<long> height = readTwips(in);
        if (!width || !height) {
            return std::nullopt;
        }
        return TwipsSize{*width, *height};
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::string windowSizeText(TwipsSize size) {
    SeqWriter w;
    w.num(static_cast<long long>(size.width)).num(static_cast<long long>(size.height)).endLine();
    return w.text();
}

void writeWindowSize(const std::filesystem::path& file, TwipsSize size) {
    writeFileAtomic(file, windowSizeText(size), "window size file");
}

}  // namespace vz::base
