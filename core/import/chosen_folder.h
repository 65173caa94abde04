#pragma once

#include <string>
#include <string_view>

namespace vz::import {

// The folder to remember after a file was chosen in a dialog: the path up to
// and including its last separator ("/" or "\"), so it keeps its trailing
// separator. Cut at the last separator rather than at the first occurrence
// of the file's bare name, which gives a wrong folder whenever the name also
// appears earlier in the path (the file TEST in the folder C:\TEST\ gave C:\).
std::string folderOfChosenFile(std::string_view fullPath);

}  // namespace vz::import
