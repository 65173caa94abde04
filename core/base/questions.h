#pragma once

// Questions every program asks in the same words.

#include <string>
#include <string_view>

namespace vz::base {

// Asked before a save replaces an existing file: "This file", the path and
// "already exists.  Overwrite?" on three lines, separated by `lineBreak`
// (the Import program's messages break lines with CR).
std::string overwriteQuestion(std::string_view path, std::string_view lineBreak = "\n");

}  // namespace vz::base
