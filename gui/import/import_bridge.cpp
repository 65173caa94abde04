#include "gui/import/import_bridge.h"

#include <exception>

#include "core/store/error.h"
#include "core/store/fileio.h"
#include "core/store/seqfile.h"

namespace vz::gui {

// TEMPORARY until core/import lands: texts and settings files stand in here.

std::vector<ImporterDescription> importerDescriptions(RememberedFolders& f) {
    const QString advice =
        QStringLiteral("You should run 'Update Running Style' before processing a race.");
    auto desc = [&](std::string key, const char* caption, std::vector<ImporterInput> inputs,
                    bool race, const char* source) {
        ImporterDescription d;
        d.formatKey = std::move(key);
        d.caption = QString::fromLatin1(caption);
        d.inputs = std::move(inputs);
        d.makesRaceFile = race;
        d.readyText = QStringLiteral("Ready to import from %1").arg(QString::fromLatin1(source));
        d.completionText =
            QStringLiteral("Import from %1 is complete.").arg(QString::fromLatin1(source));
        if (race) {
            d.completionText += QLatin1Char('\r') + advice;
        }
        return d;
    };
    std::vector<ImporterDescription> all;
    all.push_back(
        desc("trackinfo", "Import from TrackInfo",
             {{QStringLiteral("Select TrackInfo file to import from..."),
               QStringLiteral("TrackInfo Files|*.txt|All Files|*.*"), &f.trackInfoFolder}},
             true, "TrackInfo"));
    all.push_back(desc("rosnet", "Import from Rosnet",
                       {{QStringLiteral("Select Rosnet file to import from..."),
                         QStringLiteral("Rosnet Files|*.txt|All Files|*.*"), &f.rosnetFolder}},
                       true, "Rosnet"));
    all.push_back(desc(
        "dogpak", "Import from DogPak/QuickDog",
        {{QStringLiteral("Select DogPak/QuickDog SETUP file to import from..."),
          QStringLiteral("DogPak/QuickDog Setup Files|setup.txt|All Files|*.*"), &f.setupFolder},
         {QStringLiteral("Select DogPak/QuickDog LINES file to import from..."),
          QStringLiteral("DogPak/QuickDog Lines Files|lines.txt|All Files|*.*"), &f.linesFolder}},
        true, "DogPak/QuickDog"));
    all.push_back(
        desc("derbylane", "Import from Derby Lane",
             {{QStringLiteral("Select Derby Lane file to import from..."),
               QStringLiteral("Derby Lane Files|*.txt|All Files|*.*"), &f.derbyLaneFolder}},
             true, "Derby Lane"));
    all.push_back(desc("qav", "Import from QAV TEST",
                       {{QStringLiteral("Select QAV TEST file to import from..."),
                         QStringLiteral("QAV TEST File|TEST|All Files|*.*"), &f.qavFolder}},
                       false, "QAV TEST"));
    return all;
}

std::string rememberedFolderOf(const std::filesystem::path& chosenFile) {
    std::string folder = chosenFile.parent_path().string();
    if (folder.empty() || folder.back() != std::filesystem::path::preferred_separator) {
        folder += std::filesystem::path::preferred_separator;
    }
    return folder;
}

QString overwriteQuestion(const QString& path) {
    return QStringLiteral("This file\r") + path + QStringLiteral("\ralready exists.  Overwrite?");
}

namespace {
struct FileSlots {
    const char* name;
    std::vector<std::string RememberedFolders::*> values;
};
const std::vector<FileSlots>& files() {
    static const std::vector<FileSlots> all = {
        {"QAV.ini", {&RememberedFolders::qavFolder}},
        {"DPAK.ini", {&RememberedFolders::setupFolder, &RememberedFolders::linesFolder}},
        {"ROS.ini", {&RememberedFolders::rosnetFolder}},
        {"DerbyLane.ini", {&RememberedFolders::derbyLaneFolder}},
        {"TrackInfo.ini", {&RememberedFolders::trackInfoFolder}},
    };
    return all;
}
}  // namespace

std::vector<SettingsFault> loadRememberedFolders(const store::AppPaths& paths,
                                                 RememberedFolders& folders) {
    std::vector<SettingsFault> faults;
    for (const FileSlots& f : files()) {
        const auto file = paths.importSettings(f.name);
        try {
            if (!std::filesystem::exists(file)) {
                store::SeqWriter w;
                for (auto slot : f.values) {
                    folders.*slot = paths.dataDir().string();
                    w.str(folders.*slot);
                }
                w.endLine();
                store::writeFileAtomic(file, w.text());
            } else {
                const std::string text = store::readFile(file);
                store::SeqReader r(text);
                for (auto slot : f.values) {
                    folders.*slot = r.readString();
                }
            }
        } catch (const vz::Error& e) {
            faults.push_back({e.number(), QString::fromStdString(e.what())});
        }
    }
    return faults;
}

std::vector<SettingsFault> saveRememberedFolders(const store::AppPaths& paths,
                                                 const RememberedFolders& folders) {
    std::vector<SettingsFault> faults;
    for (const FileSlots& f : files()) {
        try {
            store::SeqWriter w;
            for (auto slot : f.values) {
                w.str(folders.*slot);
            }
            w.endLine();
            store::writeFileAtomic(paths.importSettings(f.name), w.text());
        } catch (const vz::Error& e) {
            faults.push_back({e.number(), QString::fromStdString(e.what())});
        }
    }
    return faults;
}

ImportOutcome runImportJob(const ImportJob& job, const ImportProgress& progress) {
    (void)job;
    (void)progress;
    return {ImportOutcome::Kind::ImportFailed,
            QStringLiteral("Error importing file.\rPerhaps you selected the wrong import type?"),
            0};
}

}  // namespace vz::gui
