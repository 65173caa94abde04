#include "core/import/source_settings.h"

#include <filesystem>

#include "core/store/error.h"
#include "core/store/fileio.h"
#include "core/store/seqfile.h"
#include "core/store/text.h"

namespace vz::import {

namespace {

struct SettingsFileLayout {
    const char* name;
    std::vector<std::string SourceFolders::*> values;
};

const std::vector<SettingsFileLayout>& files() {
    static const std::vector<SettingsFileLayout> kFiles = {
        {"QAV.ini", {&SourceFolders::QavFolder}},
        {"DPAK.ini", {&SourceFolders::SetupFolder, &SourceFolders::LinesFolder}},
        {"ROS.ini", {&SourceFolders::RosnetFolder}},
        {"DerbyLane.ini", {&SourceFolders::DerbyLaneFolder}},
        {"TrackInfo.ini", {&SourceFolders::TrackInfoFolder}},
    };
    return kFiles;
}

void note(std::vector<SettingsProblem>* problems, const char* file, const Error& e) {
    if (problems != nullptr) {
        problems->push_back({file, e.number(), e.what()});
    }
}

void writeOne(const store::AppPaths& paths, const SettingsFileLayout& layout,
              const SourceFolders& folders) {
    store::SeqWriter w;
    for (auto member : layout.values) {
        w.str(folders.*member);
    }
    w.endLine();
    store::writeFileAtomic(paths.importSettings(layout.name), w.text(), "settings file");
}

}  // namespace

std::string defaultSourceFolder(const store::AppPaths& paths) {
    return paths.dataDir().string();
}

SourceFolders loadSourceSettings(const store::AppPaths& paths,
                                 std::vector<SettingsProblem>* problems) {
    SourceFolders out;
    const std::string def = defaultSourceFolder(paths);
    for (const SettingsFileLayout& layout : files()) {
        for (auto member : layout.values) {
            out.*member = def;
        }
        const std::filesystem::path file = paths.importSettings(layout.name);
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) {
            try {
                writeOne(paths, layout, out);
            } catch (const Error& e) {
                note(problems, layout.name, e);
            }
            continue;
        }
        try {
            // Files written by older versions may be in Windows-1252.
            const std::string text = store::decodeText(store::readFile(file, "settings file"));
            store::SeqReader r(text);
            for (auto member : layout.values) {
                out.*member = r.readString();
            }
        } catch (const Error& e) {
            note(problems, layout.name, e);
        }
    }
    return out;
}

void saveSourceSettings(const store::AppPaths& paths, const SourceFolders& folders,
                        std::vector<SettingsProblem>* problems) {
    for (const SettingsFileLayout& layout : files()) {
        try {
            writeOne(paths, layout, folders);
        } catch (const Error& e) {
            note(problems, layout.name, e);
        }
    }
}

std::string& folderOf(SourceFolders& folders, std::string_view settingName) {
    if (settingName == "QavFolder")
        return folders.QavFolder;
    if (settingName == "SetupFolder")
        return folders.SetupFolder;
    if (settingName == "LinesFolder")
        return folders.LinesFolder;
    if (settingName == "RosnetFolder")
        return folders.RosnetFolder;
    if (settingName == "DerbyLaneFolder")
        return folders.DerbyLaneFolder;
    if (settingName == "TrackInfoFolder")
        return folders.TrackInfoFolder;
    throw Error("Unknown source folder " + std::string(settingName) + ".");
}

std::string rememberedFolder(std::string_view fullPath, std::string_view bareName) {
    const std::size_t at = bareName.empty() ? fullPath.npos : fullPath.find(bareName);
    return std::string(at == fullPath.npos ? fullPath : fullPath.substr(0, at));
}

}  // namespace vz::import
