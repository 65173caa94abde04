#include "core/import/window_texts.h"

#include "core/import/import_failed.h"

namespace vz::import {

std::string completionMessage(const FormatInfo& format) {
    std::string text = format.completionText;
    if (format.writesRaceFile) {
        text += '\r';
        text += kRunningStyleAdvice;
    }
    return text;
}

std::string importFailedMessage() {
    return std::string(ImportFailed::kFirstLine) + '\r' + ImportFailed::kSecondLine;
}

}  // namespace vz::import
