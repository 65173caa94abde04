// libFuzzer target of the licence reading: any bytes, decoded as the About
// box decodes the licence file, must give text without a crash or sanitizer
// report, and the text must keep the promises the window relies on.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/base/rtf_text.h"
#include "core/base/text.h"

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "rtf fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = vz::base::rtfToPlainText(vz::base::decodeText(bytes));
    if (!vz::base::isValidUtf8(text)) {
        fault("the text is not UTF-8");
    }
    if (text.empty()) {
        return 0;
    }
    if (text.front() == '\n') {
        fault("the text starts with a blank line");
    }
    if (text.back() != '\n') {
        fault("the text does not end in a line end");
    }
    if (text.size() > 1 && text[text.size() - 2] == '\n') {
        fault("the text ends in a blank line");
    }
    if (text.find('\r') != std::string::npos) {
        fault("a CR is left in the text");
    }
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        if (at > 0 && (text[at - 1] == ' ' || text[at - 1] == '\t')) {
            fault("a line ends in a blank");
        }
    }
    return 0;
}
