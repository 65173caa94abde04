#include "core/base/questions.h"

namespace vz::base {

std::string overwriteQuestion(std::string_view path, std::string_view lineBreak) {
    std::string text = "This file";
    text += lineBreak;
    text += path;
    text += lineBreak;
    text += "already exists.  Overwrite?";
    return text;
}

}  // namespace vz::base
