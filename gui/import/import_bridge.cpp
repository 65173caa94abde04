#include "gui/import/import_bridge.h"

#include <exception>

#include "core/base/error.h"
#include "core/import/chosen_folder.h"
#include "core/import/import.h"
#include "core/import/registry.h"
#include "core/import/window_texts.h"

namespace vz::gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

std::vector<SettingsFault> faultsOf(const std::vector<import::SettingsProblem>& problems) {
    std::vector<SettingsFault> faults;
    faults.reserve(problems.size());
    for (const import::SettingsProblem& p : problems) {
        faults.push_back({p.number, qs(p.message)});
    }
    return faults;
}

}  // namespace

std::vector<ImporterDescription> importerDescriptions(RememberedFolders& folders) {
    std::vector<ImporterDescription> all;
    for (const import::Format* format : import::allFormats()) {
        const import::FormatInfo& info = format->info();
        ImporterDescription d;
        d.formatKey = info.key;
        d.caption = qs(info.caption);
        d.makesRaceFile = info.writesRaceFile;
        d.readyText = qs(info.readyText);
        d.completionText = qs(import::completionMessage(info));
        for (const import::InputSpec& input : info.inputs) {
            d.inputs.push_back(
                {qs(input.dialogTitle), qs(input.filter), &folders.folder(input.folderSetting)});
        }
        all.push_back(std::move(d));
    }
    return all;
}

std::vector<ImportMenuRow> importMenuRows() {
    std::vector<ImportMenuRow> rows;
    for (const import::Format* format : import::allFormats()) {
        const import::FormatInfo& info = format->info();
        rows.push_back({info.key, qs("cmd" + info.menuControl), qs("lbl" + info.menuControl),
                        qs(info.menuLabel)});
    }
    return rows;
}

std::string rememberedFolderOf(const QString& chosenFile) {
    return import::folderOfChosenFile(chosenFile.toStdString());
}

QString completionWithCounts(const ImporterDescription& description,
                             const import::ImportSummary& s) {
    QString text = description.completionText + QStringLiteral("\r");
    for (const std::string& line : import::summaryLines(s, description.makesRaceFile, false)) {
        text += QStringLiteral("\r") + qs(line);
    }
    return text;
}

QString overwriteQuestion(const QString& path) {
    return QStringLiteral("This file\r") + path + QStringLiteral("\ralready exists.  Overwrite?");
}

std::vector<SettingsFault> loadRememberedFolders(const base::AppPaths& paths,
                                                 RememberedFolders& folders) {
    std::vector<import::SettingsProblem> problems;
    folders = import::loadSourceSettings(paths, &problems);
    return faultsOf(problems);
}

std::vector<SettingsFault> saveRememberedFolders(const base::AppPaths& paths,
                                                 const RememberedFolders& folders) {
    std::vector<import::SettingsProblem> problems;
    import::saveSourceSettings(paths, folders, &problems);
    return faultsOf(problems);
}

ImportOutcome runImportJob(const ImportJob& job, const base::Progress& progress) {
    import::ImportRequest request;
    request.format = job.formatKey;
    request.inputs = job.inputs;
    request.raceFile = job.raceFile;
    request.paths = job.paths;
    request.today = job.today;
    request.progress = progress;
    try {
        ImportOutcome done;
        done.summary = import::runImport(request);
        return done;
    } catch (const import::ImportFailed& e) {
        return {ImportOutcome::Kind::ImportFailed, qs(import::importFailedMessage(e)), 0, {}};
    } catch (const vz::Error& e) {
        // Not the input's fault (a database that cannot be opened, a file
        // that went away): the user is told the cause, not to pick another type.
        return {ImportOutcome::Kind::OtherError,
                QStringLiteral("Error importing file.\r%1 - %2").arg(qs(e.what())).arg(e.number()),
                e.number(),
                {}};
    } catch (const std::exception& e) {
        return {ImportOutcome::Kind::OtherError,
                QStringLiteral("Error importing file.\r%1").arg(qs(e.what())),
                0,
                {}};
    }
}

}  // namespace vz::gui
