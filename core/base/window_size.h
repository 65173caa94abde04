#pragma once

// The size a window was left at, kept in a small file of its own beside the
// settings file (which keeps its nine values for the programs that read it):
// one line of the sequential text format, width and height in twips.

#include <filesystem>
#include <optional>
#include <string>

namespace vz::base {

struct TwipsSize {
    long width = 0;
    long height = 0;

    bool operator==(const TwipsSize&) const = default;
};

// The remembered size. A missing, empty or damaged file, or a value that is
// not a whole number from 1 to 2147483647, gives none, silently: it is only a
// window size, written afresh at the next close. Values after the two are
// left for whoever wrote them.
std::optional<TwipsSize> readWindowSize(const std::filesystem::path& file);

// The file's text: "width,height", CR LF.
std::string windowSizeText(TwipsSize size);

// Writes the file whole, through a temporary file and a rename; throws
// vz::Error.
void writeWindowSize(const std::filesystem::path& file, TwipsSize size);

}  // namespace vz::base
