#include "core/import/source_settings.h"

#include <filesystem>

#include "core/store/error.h"
#include "core/store/fileio.h"
#include "core/store/seqfile.h"
#include "core/store/text.h"

namespace vz::import {

namespace {

struct FileSpec {
    const char* name;
    std::vector<std::string SourceFolders::*> values;
};

const std::vector<FileSpec>& files() {
    static const std::vector<FileSpec> kFiles = {
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

void writeOne(const store::AppPaths& paths, const FileSpec& spec, const SourceFolders& folders) {
    store::SeqWriter w;
    for (auto member : spec.values) {
        w.str(folders.*member);
    }
    w.endLine();
    store::writeFileAtomic(paths.importSettings(spec.name), w.text());
}

}  // namespace

std::string defaultSourceFolder(const store::AppPaths& paths) {
    return paths.dataDir().string();
}

SourceFolders loadSourceSettings(const store::AppPaths& paths,
                                 std::vector<SettingsProblem>* problems) {
    SourceFolders out;
    const std::string def = defaultSourceFolder(paths);
    for (const FileSpec& spec : files()) {
        for (auto member : spec.values) {
            out.*member = def;
        }
        const std::filesystem::path file = paths.importSettings(spec.name);
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) {
            try {
                writeOne(paths, spec, out);
            } catch (const Error& e) {
                note(problems, spec.name, e);
            }
            continue;
        }
        try {
            // Files written by older versions may be in Windows-1252.
            const std::string text = store::decodeText(store::readFile(file));
            store::SeqReader r(text);
            for (auto member : spec.values) {
                out.*member = r.readString();
            }
        } catch (const Error& e) {
            note(problems, spec.name, e);
        }
    }
    return out;
}

void saveSourceSettings(const store::AppPaths& paths, const SourceFolders& folders,
                        std::vector<SettingsProblem>* problems) {
    for (const FileSpec& spec : files()) {
        try {
            writeOne(paths, spec, folders);
        } catch (const Error& e) {
            note(problems, spec.name, e);
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
