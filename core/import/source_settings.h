#pragma once

// The remembered folders of the import sources: one small settings file per
// format in the application folder (QAV.ini, DPAK.ini, ROS.ini,
// DerbyLane.ini, TrackInfo.ini), one line of quoted values, one value per
// input of the format. The files and their values come from the registry.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/paths.h"

namespace vz::import {

// The remembered folder of every input of every format, by its setting name
// ("TrackInfoFolder", "SetupFolder", ...); all empty at first.
class SourceFolders {
  public:
    SourceFolders();
    // Throws vz::Error for a name no format declares.
    std::string& folder(std::string_view settingName);
    const std::string& folder(std::string_view settingName) const;

    bool operator==(const SourceFolders&) const = default;

  private:
    std::map<std::string, std::string, std::less<>> folders_;
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
std::string defaultSourceFolder(const base::AppPaths& paths);

// At start: each file is read; a missing file is created with the default
// folder. A value that cannot be read keeps the default.
SourceFolders loadSourceSettings(const base::AppPaths& paths,
                                 std::vector<SettingsProblem>* problems = nullptr);

// At the end: every file is written whole (temporary file and rename).
void saveSourceSettings(const base::AppPaths& paths, const SourceFolders& folders,
                        std::vector<SettingsProblem>* problems = nullptr);

}  // namespace vz::import
