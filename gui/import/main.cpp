#include <QApplication>

#include "core/store/paths.h"
#include "gui/common/qt_setup.h"
#include "gui/common/single_instance.h"
#include "gui/common/waiting.h"
#include "gui/import/import_menu.h"
#include "gui/import/ui_hooks.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vz::gui::setUpApplication(app, vz::gui::importAppTitle());
    const vz::gui::WindowThreadWaits waits;

    // One copy at a time: a second start (or the main program's Import
    // command) brings the running menu forward instead.
    vz::gui::SingleInstance instance(vz::gui::importServerName());
    if (!instance.listen() && vz::gui::SingleInstance::notifyRunning(vz::gui::importServerName())) {
        return 0;
    }

    vz::store::AppPaths paths;
    paths.appDir = vz::store::executableFolder();

    vz::gui::DefaultImportUiHooks hooks;
    vz::gui::ImportMenu menu(paths, hooks);
    instance.setWindow(&menu);
    menu.show();
    return QApplication::exec();
}
