#pragma once

// The remembered folders of the import sources, one small settings file per
// source in the application folder (QAV.ini, DPAK.ini, ROS.ini,
// DerbyLane.ini, TrackInfo.ini): one line of quoted values.

#include <string>
#include <string_view>
#include <vector>

#include "core/store/paths.h"

namespace vz::import {

struct SourceFolders {
    std::string QavFolder;
    std::string SetupFolder;
    std::string LinesFolder;
    std::string RosnetFolder;
    std::string DerbyLaneFolder;
    std::string TrackInfoFolder;
};

// A settings file that could not be read or written; the run goes on with
// the next file. The windows show "number - message".
struct SettingsProblem {
    std::string file;
    int number = 0;
    std::string message;
};

// The folder every source starts in: the data folder, without a trailing
// separator.
std::string defaultSourceFolder(const store::AppPaths& paths);

// At start: each file is read; a missing file is created with the default
// folder. A value that cannot be read keeps the default.
SourceFolders loadSourceSettings(const store::AppPaths& paths,
                                 std::vector<SettingsProblem>* problems = nullptr);

// At the end: every file is written whole (temporary file and rename).
void saveSourceSettings(const store::AppPaths& paths, const SourceFolders& folders,
                        std::vector<SettingsProblem>* problems = nullptr);

// The remembered folder of an input setting name ("TrackInfoFolder",
// "SetupFolder", ...); throws vz::Error for an unknown name.
std::string& folderOf(SourceFolders& folders, std::string_view settingName);

// The folder to remember for a chosen file: the text of the full path before
// the first occurrence of the file's bare name (so it keeps its separator).
std::string rememberedFolder(std::string_view fullPath, std::string_view bareName);

}  // namespace vz::import
