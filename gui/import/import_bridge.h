#pragma once

// The Import windows' only doorway into core/import: the per-format texts,
// the source settings files and the import run, in the shapes the windows use.

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/base/progress.h"
#include "core/import/session.h"
#include "core/import/source_settings.h"

namespace vz::gui {

// The six remembered folders of the five source settings files.
using RememberedFolders = import::SourceFolders;

// One input file dialog of an importer.
struct ImporterInput {
    QString title;
    QString filter;                 // "Name|pattern|Name|pattern"
    std::string* folder = nullptr;  // the remembered folder it starts in and updates
};

// What one importer window shows and asks.
struct ImporterDescription {
    std::string formatKey;  // the core's key, such as "trackinfo"
    QString caption;
    std::vector<ImporterInput> inputs;
    bool makesRaceFile = true;
    QString readyText;
    QString completionText;  // the whole completion message
};

// Every format in the menu's order (TrackInfo, Rosnet, DogPak/QuickDog,
// Derby Lane, QAV TEST); the inputs point into `folders`.
std::vector<ImporterDescription> importerDescriptions(RememberedFolders& folders);

// One row of the import menu: a button and a label that open a format's
// importer.
struct ImportMenuRow {
    std::string formatKey;
    QString button;  // "cmdTrackInfo"
    QString label;   // "lblTrackInfo"
    QString text;    // "Import from TrackInfo"
};

// The rows of the import menu, top to bottom.
std::vector<ImportMenuRow> importMenuRows();

// Folder remembered after a file was chosen in a dialog.
std::string rememberedFolderOf(const QString& chosenFile);

// The save dialog's question when the race file exists.
QString overwriteQuestion(const QString& path);

// One fault of reading or writing a settings file, shown by the menu.
struct SettingsFault {
    int number = 0;
    QString description;
};

std::vector<SettingsFault> loadRememberedFolders(const base::AppPaths& paths,
                                                 RememberedFolders& folders);
std::vector<SettingsFault> saveRememberedFolders(const base::AppPaths& paths,
                                                 const RememberedFolders& folders);

struct ImportJob {
    std::string formatKey;
    std::vector<std::filesystem::path> inputs;
    std::optional<std::filesystem::path> raceFile;
    base::AppPaths paths;
    base::Date today;
};

struct ImportOutcome {
    enum class Kind { Done, ImportFailed, OtherError };
    Kind kind = Kind::Done;
    QString message;  // the failure's text for the user
    int number = 0;
    import::ImportSummary summary;  // what a completed run added
};

// The completion message with the counts the terminal prints after it,
// lines separated by CR.
QString completionWithCounts(const ImporterDescription& description,
                             const import::ImportSummary& summary);

// Runs the import; never throws. `progress` is called on the import's own
// thread.
ImportOutcome runImportJob(const ImportJob& job, const base::Progress& progress);

}  // namespace vz::gui
