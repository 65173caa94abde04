// The main program: one copy per user; a second start brings the running
// copy's window forward.

#include <QApplication>

#include "core/base/paths.h"
#include "gui/common/messages.h"
#include "gui/common/program_start.h"
#include "gui/common/qt_setup.h"
#include "gui/common/single_instance.h"
#include "gui/common/waiting.h"
#include "gui/vovoziruzu/main_window.h"

int main(int argc, char** argv) {
    if (const auto code = vz::gui::answerCommandLine(
            argc, argv,
            {"vovoziruzu", "Vovoziruzu",
             "Vellicor Vovoziruzu: greyhound race handicapping with a database of dogs and their "
             "past race lines."})) {
        return *code;
    }
    QApplication app(argc, argv);
    vz::gui::setUpApplication(app, vz::gui::kAppTitle);
    vz::gui::useDesktopEntry("com.vellicor.Vovoziruzu");
    const vz::gui::WindowThreadWaits waits;

    vz::gui::SingleInstance instance(vz::gui::mainServerName());
    if (!instance.listen()) {
        if (vz::gui::SingleInstance::notifyRunning(vz::gui::mainServerName()))
            return 0;
        // The running copy did not answer; go on without the server.
    }

    vz::base::ProgramFolders programs;
    const auto paths = vz::gui::findRunFolders(programs);
    if (!paths)
        return 1;

    // Import lies beside this program, wherever the data is.
    vz::gui::MainWindow::Options options;
    options.programDir = programs.programDir;
    vz::gui::MainWindow window(*paths, options);
    instance.setWindow(&window);
    window.start();
    if (window.startMaximized())
        window.showMaximized();
    else
        window.show();
    return app.exec();
}
