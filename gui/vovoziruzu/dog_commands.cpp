#include "gui/vovoziruzu/dog_commands.h"

#include "gui/common/messages.h"
#include "gui/vovoziruzu/edit_dogs.h"
#include "gui/vovoziruzu/main_window.h"
#include "gui/vovoziruzu/running_style.h"
#include "gui/vovoziruzu/work_window.h"

namespace vz::gui {

// The dog editor and the modal work windows. The main window keeps one dog
// editor and closes it before the commands that rewrite the dog database.
void installDogCommands(MainWindow& main) {
    main.dogEditorFactory = [](MainWindow& m) -> QWidget* { return new EditDogs(m.paths()); };
    main.runningStyleCommand = [](MainWindow& m) {
        RunningStyleWindow w(m.paths(), m.state().settings, m.today(), &m);
        w.exec();
    };
    main.zeroCountersCommand = [](MainWindow& m) {
        ZeroCountersWindow w(m.paths(), &m);
        w.exec();
    };
    auto deletion = [](dogs::Deletion kind) {
        return [kind](MainWindow& m) {
            DeletionWindow w(kind, m.paths(), m.today(), &m);
            w.exec();
        };
    };
    main.deleteRaceDataCommand = deletion(dogs::Deletion::RaceData);
    main.deleteDogsCommand = deletion(dogs::Deletion::Dogs);
    main.deleteResultsCommand = deletion(dogs::Deletion::Results);
}

void notAvailable(QWidget* parent) {
    inform(parent, kAppTitle, QStringLiteral("This command is not available in this version."));
}

}  // namespace vz::gui
