#include "gui/vovoziruzu/dog_commands.h"

#include "gui/common/messages.h"
#include "gui/vovoziruzu/edit_dogs.h"
#include "gui/vovoziruzu/main_window.h"
#include "gui/vovoziruzu/running_style.h"
#include "gui/vovoziruzu/work_window.h"

namespace vz::gui {

// The dog editor and the modal work windows. The main window keeps one dog
// editor; the windows that rewrite the dog database close it when their
// Start is pressed, so that Cancel leaves it open.
void installDogCommands(MainWindow& main) {
    main.dogEditorFactory = [](MainWindow& m) -> QWidget* { return new EditDogs(m.paths()); };
    auto closingTheEditor = [](WorkWindow& w, MainWindow& m) {
        w.setBeforeWork([&m] { return m.closeDogEditor(); });
    };
    main.runningStyleCommand = [closingTheEditor](MainWindow& m) {
        RunningStyleWindow w(m.paths(), m.state().settings, m.today(), &m);
        closingTheEditor(w, m);
        w.exec();
    };
    main.zeroCountersCommand = [closingTheEditor](MainWindow& m) {
        ZeroCountersWindow w(m.paths(), &m);
        closingTheEditor(w, m);
        w.exec();
    };
    auto deletion = [closingTheEditor](dogs::Deletion kind) {
        return [kind, closingTheEditor](MainWindow& m) {
            DeletionWindow w(kind, m.paths(), m.today(), &m);
            // The results deletion touches no table the editor shows.
            if (kind != dogs::Deletion::Results) {
                closingTheEditor(w, m);
            }
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
