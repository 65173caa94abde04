#pragma once

// The main window `Vovoziruzu`: MDI parent of the race editors and the dog
// editor, the menus and button bar, the recent-file list and the open-file
// bookkeeping. Every command hands its work to a core function or a window.

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "core/base/paths.h"
#include "core/editing/rules.h"
#include "core/store/startup.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace vz::gui {

class RaceEditor;
class HelpWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kMaxOpenFiles = 9;

    struct Options {
        std::optional<base::Date> today;          // the machine's date when empty
        std::optional<store::ScreenSize> screen;  // the real screen when empty
        std::filesystem::path programDir;  // where Import lies; the application folder when empty
    };

    explicit MainWindow(base::AppPaths paths, Options options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up procedure: folders, settings, recent files; each failed
    // step is shown once with the common error message. Then the window is
    // placed from the settings (call show() or showMaximized() after it, as
    // startMaximized() says).
    void start();
    bool startMaximized() const { return state_.settings.MainWindowState == 2; }

    const base::AppPaths& paths() const { return paths_; }
    base::Date today() const;
    // Program-wide state: settings (the running-style update changes the time
    // factors and writes them), recent files, the dialogs' folder.
    store::ProgramState& state() { return state_; }
    QMdiArea* mdiArea() const { return mdi_; }

    // Open race files, in the order they were opened.
    const std::vector<base::RecentFile>& openFiles() const { return openFiles_; }
    std::vector<RaceEditor*> raceEditors() const;
    RaceEditor* raceEditorFor(const QString& path) const;

    // The exit steps: settings written from the window's placement. Closing
    // the window runs them too.
    void writeExitSettings();

    // --- Hooks of the dog windows (filled in dog_commands.cpp) -------------
    // The dog editor's window content (an MDI child, one at a time).
    std::function<QWidget*(MainWindow&)> dogEditorFactory;
    // Modal work windows; a command without one says it is not available.
    std::function<void(MainWindow&)> runningStyleCommand;
    std::function<void(MainWindow&)> zeroCountersCommand;
    std::function<void(MainWindow&)> deleteRaceDataCommand;
    std::function<void(MainWindow&)> deleteDogsCommand;
    std::function<void(MainWindow&)> deleteResultsCommand;

    // --- Outside programs (tests replace them) ------------------------------
    // Starts a program without waiting; false when it could not be started.
    std::function<bool(const QString& program)> startDetached;
    // Asks a running Import program to come forward; false when none runs.
    std::function<bool()> activateImport;

    // Exit ends the program; tests keep it running.
    bool quitOnExit = true;

    // The 30-day reminder, offered at most once per run.
    void offerStyleReminder();
    bool styleReminderShown() const { return styleReminderShown_; }

  public slots:
    void newRaceFile();
    void openRaceFile();
    void openRecentFile(int index);
    void importRaces();
    void processRaceFile();
    void viewResults();
    void showHelp();
    void showTechSupport();
    void showLicense();
    void showAbout();

    // Dog windows.
    void editDogs();
    void updateRunningStyle();
    void zeroCounters();
    void deleteRaceData();
    void deleteDogs();
    void deleteResults();
    // Closes the dog editor when it is open (before commands that write the
    // tables it shows); false when it stayed open, because a field holds
    // text it cannot take (its message has been shown).
    bool closeDogEditor();

    // The closing bookkeeping of a race editor.
    void raceEditorClosed(const QString& path, const QString& title);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenus();
    void buildButtonBar();
    void updateRecentMenu();
    void rebuildWindowMenu();
    bool limitReached();
    bool isOpen(const QString& path) const;
    void openRaceEditor(const QString& path, const QString& title);
    void placeFromSettings();
    void restoreSmallMaximizedEditors();
    void addEditorWindow(QMdiSubWindow* sub);
    void activateNextEditor();
    void runWorkCommand(const std::function<void(MainWindow&)>& command);
    void rememberDogEditorSize();

    base::AppPaths paths_;
    Options options_;
    store::ProgramState state_;
    std::vector<base::RecentFile> openFiles_;
    bool styleReminderShown_ = false;
    bool exited_ = false;
    bool framed_ = false;  // placed again once the desktop's frame is known

    QMdiArea* mdi_;
    QMenu* windowMenu_ = nullptr;
    QAction* mruSeparator_ = nullptr;
    std::array<QAction*, base::kRecentFileRows> mruActions_{};
    QPointer<QMdiSubWindow> dogEditor_;
    // The dog editor's normal size when it last closed in this run, kept
    // should its file not be written.
    std::optional<editing::Twips> dogEditorSize_;
    QPointer<HelpWindow> help_;
};

}  // namespace vz::gui
