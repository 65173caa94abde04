#include <QApplication>

#include "core/store/paths.h"
#include "gui/import/import_menu.h"
#include "gui/import/ui_hooks.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(vz::gui::importAppTitle());

    vz::store::AppPaths paths;
    paths.appDir = vz::store::executableFolder();

    vz::gui::DefaultImportUiHooks hooks;
    vz::gui::ImportMenu menu(paths, hooks);
    menu.show();
    return QApplication::exec();
}
