#include "core/import/source_settings.h"

#include <algorithm>
#include <filesystem>

#include <fmt/format.h>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/seqfile.h"
#include "core/base/settings.h"
#include "core/base/text.h"
#include "core/import/registry.h"

namespace vz::import {

namespace {

// The value of a setting name in a map of them, const or not.
template <class Map>
auto& settingIn(Map& folders, std::string_view name) {
    const auto it = folders.find(name);
    if (it == folders.end()) {
        throw Error("Unknown source folder " + std::string(name) + ".");
    }
    return it->second;
}

// The settings files in the order they are read and written (QAV.ini first,
// as the program always has), each with its values in order.
struct SettingsFileLayout {
    std::string name;
    std::vector<std::string> values;
};

const std::vector<SettingsFileLayout>& files() {
    static const std::vector<SettingsFileLayout> kFiles = [] {
        std::vector<const Format*> formats = allFormats();
        std::stable_sort(formats.begin(), formats.end(), [](const Format* a, const Format* b) {
            return a->info().settingsOrder < b->info().settingsOrder;
        });
        std::vector<SettingsFileLayout> out;
        for (const Format* f : formats) {
            SettingsFileLayout layout{f->info().settingsFile, {}};
            for (const InputSpec& in : f->info().inputs) {
                layout.values.push_back(in.folderSetting);
            }
            out.push_back(std::move(layout));
        }
        return out;
    }();
    return kFiles;
}

void note(std::vector<SettingsProblem>* problems, const std::string& file, const Error& e) {
    if (problems != nullptr) {
        problems->push_back({file, e.number(), e.what()});
    }
}

void writeOne(const base::AppPaths& paths, const SettingsFileLayout& layout,
              const SourceFolders& folders) {
    base::SeqWriter w;
    for (const std::string& value : layout.values) {
        w.str(folders.folder(value));
    }
    w.endLine();
    base::writeFileAtomic(paths.importSettings(layout.name), w.text(), "settings file");
}

}  // namespace

SourceFolders::SourceFolders() {
    for (const SettingsFileLayout& layout : files()) {
        for (const std::string& value : layout.values) {
            folders_[value];
        }
    }
}

std::string& SourceFolders::folder(std::string_view settingName) {
    return settingIn(folders_, settingName);
}

const std::string& SourceFolders::folder(std::string_view settingName) const {
    return settingIn(folders_, settingName);
}

std::string defaultSourceFolder(const base::AppPaths& paths) {
    return paths.dataDir().string();
}

SourceFolders loadSourceSettings(const base::AppPaths& paths,
                                 std::vector<SettingsProblem>* problems) {
    SourceFolders out;
    const std::string def = defaultSourceFolder(paths);
    for (const SettingsFileLayout& layout : files()) {
        for (const std::string& value : layout.values) {
            out.folder(value) = def;
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
        std::string text;
        try {
            // Files written by older versions may be in Windows-1252.
            // A pipe or a device in its place is refused at once, as the
            // main program's settings file is.
            text = base::decodeText(
                base::readRegularFile(file, base::kMaxSettingsFileBytes, "settings file"));
        } catch (const Error& e) {
            note(problems, layout.name, e);  // the message names the file
            continue;
        }
        try {
            base::SeqReader r(text);
            for (const std::string& value : layout.values) {
                out.folder(value) = r.readString();
            }
        } catch (const Error& e) {
            // "Input past end of file" alone would not say which of the
            // source files is damaged.
            note(problems, layout.name,
                 Error(fmt::format("{} in the settings file {}", e.what(), file.string()),
                       e.number()));
        }
    }
    return out;
}

void saveSourceSettings(const base::AppPaths& paths, const SourceFolders& folders,
                        std::vector<SettingsProblem>* problems) {
    for (const SettingsFileLayout& layout : files()) {
        try {
            writeOne(paths, layout, folders);
        } catch (const Error& e) {
            note(problems, layout.name, e);
        }
    }
}

}  // namespace vz::import
