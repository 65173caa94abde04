// The main program: one copy per user; a second start brings the running
// copy's window forward.

#include <QApplication>

#include "core/store/paths.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/single_instance.h"
#include "gui/common/waiting.h"
#include "gui/vovoziruzu/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vz::gui::setUpApplication(app, vz::gui::kAppTitle);
    const vz::gui::WindowThreadWaits waits;

    vz::gui::SingleInstance instance(vz::gui::mainServerName());
    if (!instance.listen()) {
        if (vz::gui::SingleInstance::notifyRunning(vz::gui::mainServerName()))
            return 0;
        // The running copy did not answer; go on without the server.
    }

    vz::store::AppPaths paths;
    paths.appDir = vz::store::executableFolder();
    try {
        paths.profileDir = vz::store::profileFolderFromEnvironment();
    } catch (const vz::Error& e) {
        vz::gui::showCommonError(nullptr, e);
        paths.profileDir = paths.appDir;
    }

    vz::gui::MainWindow window(paths);
    instance.setWindow(&window);
    window.start();
    if (window.startMaximized())
        window.showMaximized();
    else
        window.show();
    return app.exec();
}
