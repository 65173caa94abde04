#include <string>

#include <QApplication>

#include "core/base/paths.h"
#include "core/import/registry.h"
#include "core/store/new_race_file.h"
#include "core/store/startup.h"
#include "gui/common/messages.h"
#include "gui/common/program_start.h"
#include "gui/common/qt_setup.h"
#include "gui/common/single_instance.h"
#include "gui/common/waiting.h"
#include "gui/import/import_menu.h"
#include "gui/import/ui_hooks.h"

namespace {

// The formats as the registry lists them, so that a new one is named too.
std::string helpSummary() {
    std::string names;
    for (const vz::import::Format* f : vz::import::allFormats()) {
        names += (names.empty() ? "" : ", ") + f->info().sourceName;
    }
    return "Vellicor Vovoziruzu Import: reads race programs (" + names +
           ") into the dog database and new race files.";
}

}  // namespace

int main(int argc, char** argv) {
    const std::string summary = helpSummary();
    if (const auto code =
            vz::gui::answerCommandLine(argc, argv, {"vovoziruzu-import", "Import", summary})) {
        return *code;
    }
    QApplication app(argc, argv);
    vz::gui::setUpApplication(app, vz::gui::importAppTitle());
    vz::gui::useDesktopEntry("com.vellicor.Vovoziruzu.Import");
    const vz::gui::WindowThreadWaits waits;

    // One copy at a time: a second start (or the main program's Import
    // command) brings the running menu forward instead.
    vz::gui::SingleInstance instance(vz::gui::importServerName());
    if (!instance.listen() && vz::gui::SingleInstance::notifyRunning(vz::gui::importServerName())) {
        return 0;
    }

    vz::base::ProgramFolders programs;
    const auto paths = vz::gui::findRunFolders(programs);
    if (!paths)
        return 1;

    // An import cut short (the machine went off) is completed or cleared
    // away before the next one can start.
    for (const vz::Error& e : vz::store::completeInterruptedImports(paths->dogDatabase())) {
        vz::gui::showCommonError(nullptr, e);
    }
    vz::store::clearLeftTemporaryFilesOfAllFolders(*paths);

    vz::gui::DefaultImportUiHooks hooks;
    vz::gui::ImportMenu menu(*paths, hooks);
    instance.setWindow(&menu);
    menu.show();
    return QApplication::exec();
}
