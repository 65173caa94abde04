#include "core/import/format.h"

#include "core/store/text.h"

namespace vz::import {

std::vector<std::string> textLines(std::string_view bytes) {
    return store::splitLines(store::decodeText(bytes));
}

const std::string& LineReader::next() {
    if (atEnd()) {
        throw ImportFailed("the file ends where a line was expected");
    }
    return lines_[pos_++];
}

void LineReader::discard(std::size_t count) {
    if (lines_.size() - pos_ < count) {
        throw ImportFailed("line " + std::to_string(pos_) + " is too close to the end of the file");
    }
    pos_ += count;
}

bool isBlankLine(std::string_view line) {
    return line.find_first_not_of(' ') == line.npos;
}

}  // namespace vz::import
