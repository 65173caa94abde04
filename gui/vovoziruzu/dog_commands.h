#pragma once

// The dog windows' entry points: the dog editor and the modal work windows
// (running-style update, counter reset, deletions). installDogCommands() fills
// the main window's hooks; the dog windows' developer owns dog_commands.cpp.

class QWidget;

namespace vz::gui {

class MainWindow;

void installDogCommands(MainWindow& main);

// The box shown by a command whose window is not part of this build.
void notAvailable(QWidget* parent);

}  // namespace vz::gui
