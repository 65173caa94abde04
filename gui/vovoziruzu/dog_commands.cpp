#include "gui/vovoziruzu/dog_commands.h"

#include "gui/common/messages.h"
#include "gui/vovoziruzu/main_window.h"

namespace vz::gui {

// HOOK for the dog windows: set main.dogEditorFactory (returns the dog
// editor's widget; the main window puts it in an MDI child and keeps one),
// main.runningStyleCommand, main.zeroCountersCommand,
// main.deleteRaceDataCommand, main.deleteDogsCommand and
// main.deleteResultsCommand (each opens its modal window). The main window
// closes the dog editor before the style update, the counter reset and the
// deletions of race data and dogs. Until they are set the commands say they
// are not available.
void installDogCommands(MainWindow& main) {
    (void)main;
}

void notAvailable(QWidget* parent) {
    inform(parent, kAppTitle, QStringLiteral("This command is not available in this version."));
}

}  // namespace vz::gui
