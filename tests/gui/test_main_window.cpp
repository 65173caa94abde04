#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "core/base/recent_files.h"
#include "core/base/settings.h"
#include "core/store/dog_database.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/vovoziruzu/info_windows.h"
#include "gui_test_support.h"

using namespace vz;
using namespace vz::gui;
using vz::test::action;
using vz::test::AppFixture;
using vz::test::readText;
using vz::test::sourceDir;
using vz::test::writeText;

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { vz::test::deleteTopLevelWidgets(); }

    void menusCarryTheirCaptionsAndKeys() {
        AppFixture app;
        auto w = app.startMain();
        QCOMPARE(w->windowTitle(), QStringLiteral("Vellicor Vovoziruzu"));
        const struct {
            const char* name;
            const char* caption;
            QKeySequence key;
        } rows[] = {
            {"mnuExit", "E&xit", {}},
            {"mnuEditDogs", "&Add/Edit/Delete Dogs", {}},
            {"mnuImportDogs", "&Import...                             Ctrl+I", {}},
            {"mnuImportRace", "&Import...", QKeySequence(Qt::CTRL | Qt::Key_I)},
            {"mnuNew", "Create &New Race File", QKeySequence(Qt::CTRL | Qt::Key_N)},
            {"mnuOpen", "&Open Existing Race File to Edit", QKeySequence(Qt::CTRL | Qt::Key_O)},
            {"mnuProcess", "&Process Existing Race File", {}},
            {"mnuView", "&View Previously Processed Results", {}},
            {"mnuDeleteResults", "&Delete Old Results and Race Files", {}},
            {"mnuHelpTopics", "&Help Topics", QKeySequence(Qt::Key_F1)},
            {"mnuLicense", "Software &License", {}},
            {"mnuAbout", "&About Vellicor Vovoziruzu...", {}},
        };
        for (const auto& r : rows) {
            QAction* a = action(*w, r.name);
            QVERIFY2(a, r.name);
            QCOMPARE(a->text(), QString::fromLatin1(r.caption));
            QCOMPARE(a->shortcut(), r.key);
        }
        for (const char* b : {"cmdNew", "cmdOpen", "cmdEditDogs", "cmdImport", "cmdProcess",
                              "cmdUpdateRunningStyle"})
            QVERIFY2(w->findChild<QWidget*>(QString::fromLatin1(b)), b);
        // No recent files yet: separator and items hidden.
        QVERIFY(!action(*w, "mnuSepMRU")->isVisible());
        QVERIFY(!action(*w, "mnuMRU0")->isVisible());
    }

    void firstStartCreatesSettingsAndNoReminder() {
        AppFixture app;
        MessageRecorder boxes;
        auto w = app.startMain();
        QVERIFY(std::filesystem::exists(app.paths.settingsFile()));
        const auto read = base::readSettings(app.paths.settingsFile());
        QCOMPARE(read.settings.MainWidth, std::int16_t(1024 * 15 - 200));
        QCOMPARE(read.settings.FreshSettings, std::int16_t(1));
        w->offerStyleReminder();
        QCOMPARE(boxes.messages().size(), std::size_t{0});
    }

    void reminder_data() {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<bool>("due");
        QTest::newRow("30 days") << 30 << false;
        QTest::newRow("31 days") << 31 << true;
    }
    void reminder() {
        QFETCH(int, daysAgo);
        QFETCH(bool, due);
        AppFixture app;
        app.writeSettingsDaysAgo(daysAgo);
        MessageRecorder boxes;
        auto w = app.startMain();
        int runs = 0;
        w->runningStyleCommand = [&](MainWindow&) { ++runs; };
        w->offerStyleReminder();
        if (!due) {
            QCOMPARE(boxes.messages().size(), std::size_t{0});
            QVERIFY(!w->styleReminderShown());
            return;
        }
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Alert"));
        QCOMPARE(boxes.lastText(),
                 QStringLiteral("It has been more than 30 days since you last updated the "
                                "dogs' running style.\nIt is recommended you do so now.\n\n"
                                "Update running styles now?"));
        QCOMPARE(boxes.messages()[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(runs, 1);  // Yes runs the update
        // Once per run, whatever the answer.
        w->offerStyleReminder();
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(runs, 1);
    }

    void reminderNoRunsNothing() {
        AppFixture app;
        app.writeSettingsDaysAgo(45);
        MessageRecorder boxes;
        boxes.answer(QMessageBox::No);
        auto w = app.startMain();
        int runs = 0;
        w->runningStyleCommand = [&](MainWindow&) { ++runs; };
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        // The activation offers it; a second activation does not.
        QTRY_COMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(runs, 0);
        w->offerStyleReminder();
        QCOMPARE(boxes.messages().size(), std::size_t{1});
    }

    void damagedSettingsShowOneErrorAtStart() {
        AppFixture app;
        writeText(app.paths.settingsFile(), "10,10,\"x\"\r\n");
        MessageRecorder boxes;
        auto w = app.startMain();
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Vellicor Vovoziruzu"));
        QVERIFY(boxes.lastText().contains(QStringLiteral(" - ")));
    }

    // A settings file of four values: the start names the file; the exit
    // writes one that the next start reads without a message.
    void aDamagedSettingsFileIsMendedByTheExit() {
        AppFixture app;
        writeText(app.paths.settingsFile(), "150,150,9000,7500\r\n");
        {
            MessageRecorder boxes;
            auto w = app.startMain();
            QCOMPARE(boxes.messages().size(), std::size_t{1});
            QCOMPARE(boxes.lastText(),
                     QStringLiteral("Input past end of file in the settings file ") +
                         gui::qpath(app.paths.settingsFile()) +
                         QStringLiteral(" (value 5 of 9, MainWindowState) - 62"));
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            action(*w, "mnuExit")->trigger();
        }
        const auto read = base::readSettings(app.paths.settingsFile());
        QVERIFY(read.errors.empty());
        QCOMPARE(read.settings.TimeFactorL, base::kFirstTimeFactorL);
        MessageRecorder boxes;
        auto again = app.startMain();
        QCOMPARE(boxes.messages().size(), std::size_t{0});
        // The date was lost: the reminder is due.
        QVERIFY(store::styleReminderDue(again->state().settings, vz::test::kToday));
    }

    void nineFilesAreTheLimit() {
        AppFixture app;
        MessageRecorder boxes;
        FileDialogScript dialogs;
        auto w = app.startMain();
        for (int i = 1; i <= 9; ++i) {
            dialogs.choose(app.raceFile("card" + std::to_string(i) + ".rac"));
            action(*w, "mnuOpen")->trigger();
        }
        QCOMPARE(w->openFiles().size(), std::size_t{9});
        QCOMPARE(w->mdiArea()->subWindowList().size(), qsizetype{9});
        QCOMPARE(boxes.messages().size(), std::size_t{0});
        const std::size_t asked = dialogs.requests().size();
        // New, Open and a recent file all refuse before any dialog.
        for (const char* name : {"mnuNew", "mnuOpen"}) {
            action(*w, name)->trigger();
            QCOMPARE(boxes.lastText(), QStringLiteral("Sorry, you can only open 9 files!"));
            QCOMPARE(boxes.lastTitle(), QStringLiteral("Vellicor Vovoziruzu"));
        }
        w->openRecentFile(0);
        QCOMPARE(boxes.messages().size(), std::size_t{3});
        QCOMPARE(dialogs.requests().size(), asked);
        // Closing one frees a place.
        w->mdiArea()->subWindowList().front()->close();
        QCOMPARE(w->openFiles().size(), std::size_t{8});
        dialogs.choose(app.raceFile("card10.rac"));
        action(*w, "mnuOpen")->trigger();
        QCOMPARE(w->openFiles().size(), std::size_t{9});
    }

    void openingAnOpenFileIsRefusedByExactPath() {
        AppFixture app;
        MessageRecorder boxes;
        FileDialogScript dialogs;
        auto w = app.startMain();
        const QString file = app.raceFile("card.rac");
        dialogs.choose(file);
        action(*w, "mnuOpen")->trigger();
        QCOMPARE(w->raceEditors().size(), std::size_t{1});
        QCOMPARE(w->raceEditors()[0]->windowTitle(), QStringLiteral("Race File - card.rac"));
        dialogs.choose(file);
        action(*w, "mnuOpen")->trigger();
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Oops"));
        QCOMPARE(boxes.lastText(),
                 QStringLiteral("This file:\n") + file + QStringLiteral("\nis already open"));
        QCOMPARE(w->raceEditors().size(), std::size_t{1});
        // Another spelling of the same path counts as another file.
        const QString other = gui::qpath(app.paths.dataDir() / "." / "card.rac");
        dialogs.choose(other);
        action(*w, "mnuOpen")->trigger();
        QCOMPARE(w->raceEditors().size(), std::size_t{2});
        // The dialog folder follows the chosen file.
        QCOMPARE(gui::qpath(w->state().currentFolder), gui::qpath(app.paths.dataDir() / ".") + "/");
    }

    void newOnAnOpenFileIsRefusedAndLeavesIt() {
        AppFixture app;
        MessageRecorder boxes;
        FileDialogScript dialogs;
        auto w = app.startMain();
        const QString file = app.raceFile("card.rac");
        vz::test::addRace(file, vz::test::kToday, 1, {{1, "Fast Lady"}});
        dialogs.choose(file);
        action(*w, "mnuOpen")->trigger();
        dialogs.choose(file);
        action(*w, "mnuNew")->trigger();
        QCOMPARE(boxes.messages().size(), std::size_t{2});
        QCOMPARE(boxes.messages()[0].title, QStringLiteral("Confirm"));
        QCOMPARE(boxes.messages()[0].text, QStringLiteral("This file\n") + file +
                                               QStringLiteral("\nalready exists.  Overwrite?"));
        QCOMPARE(boxes.messages()[1].title, QStringLiteral("Oops"));
        QCOMPARE(boxes.messages()[1].text, QStringLiteral("Unable to overwrite - the file\n") +
                                               file + QStringLiteral("\nis already open"));
        store::RaceFile rf(gui::fspath(file), store::OpenMode::ReadOnly);
        QCOMPARE(rf.races().size(), std::size_t{1});
        QCOMPARE(rf.allPosts().size(), std::size_t{1});
    }

    void newAsksBeforeReplacing() {
        AppFixture app;
        MessageRecorder boxes;
        FileDialogScript dialogs;
        auto w = app.startMain();
        const QString file = app.raceFile("card.rac");
        vz::test::addRace(file, vz::test::kToday, 1);
        // No keeps the file.
        boxes.answer(QMessageBox::No);
        dialogs.choose(file);
        action(*w, "mnuNew")->trigger();
        QCOMPARE(w->raceEditors().size(), std::size_t{0});
        QCOMPARE(store::RaceFile(gui::fspath(file)).races().size(), std::size_t{1});
        // Yes replaces it with an empty card.
        dialogs.choose(file);
        action(*w, "mnuNew")->trigger();
        QCOMPARE(w->raceEditors().size(), std::size_t{1});
        QCOMPARE(w->raceEditors()[0]->raceCaption(), QStringLiteral("No races in file"));
        // A cancelled dialog does nothing.
        const std::size_t before = boxes.messages().size();
        dialogs.cancel();
        action(*w, "mnuNew")->trigger();
        QCOMPARE(boxes.messages().size(), before);
        QCOMPARE(w->raceEditors().size(), std::size_t{1});
        QCOMPARE(dialogs.requests().back().title, QStringLiteral("Name new race file..."));
        QCOMPARE(dialogs.requests().back().defaultSuffix, QStringLiteral("rac"));
    }

    // Only a race file is ever replaced: another file that exists (or one of
    // the system's own names) is refused with the reason, and the dialog
    // comes back until a usable name is given.
    void newRefusesAFileThatIsNotARaceFile() {
        AppFixture app;
        MessageRecorder boxes;
        FileDialogScript dialogs;
        auto w = app.startMain();
        const auto notes = app.paths.dataDir() / "notes.rac";
        writeText(notes, "my notes");
        const QString settings = gui::qpath(app.paths.settingsFile());
        const std::string settingsBefore = readText(app.paths.settingsFile());
        dialogs.choose(gui::qpath(notes));
        dialogs.choose(settings);
        dialogs.choose(gui::qpath(app.paths.dataDir() / "fresh.rac"));
        action(*w, "mnuNew")->trigger();

        QCOMPARE(dialogs.requests().size(), std::size_t{3});
        QCOMPARE(boxes.messages().size(), std::size_t{2});
        QCOMPARE(boxes.messages()[0].title, kAppTitle);
        QCOMPARE(boxes.messages()[0].text,
                 QStringLiteral("The file ") + gui::qpath(notes) +
                     QStringLiteral(" is not a race file: only a race file is replaced by a new "
                                    "one. Choose another name."));
        QCOMPARE(boxes.messages()[1].text,
                 QStringLiteral("The file ") + settings +
                     QStringLiteral(" is one of the system's own files: a race file cannot take "
                                    "its name. Choose another name."));
        QCOMPARE(readText(notes), std::string("my notes"));
        QCOMPARE(readText(app.paths.settingsFile()), settingsBefore);
        QCOMPARE(w->raceEditors().size(), std::size_t{1});
        QCOMPARE(w->raceEditors()[0]->windowTitle(), QStringLiteral("Race File - fresh.rac"));
    }

    // A name typed without an extension gets ".rac", so that the Open and
    // Process dialogs list the new file.
    void newAddsTheRaceFileExtension() {
        AppFixture app;
        MessageRecorder boxes;
        FileDialogScript dialogs;
        auto w = app.startMain();
        const auto typed = app.paths.dataDir() / "card";
        dialogs.choose(gui::qpath(typed));
        action(*w, "mnuNew")->trigger();
        QVERIFY(!std::filesystem::exists(typed));
        QVERIFY(std::filesystem::exists(app.paths.dataDir() / "card.rac"));
        QCOMPARE(w->raceEditors().size(), std::size_t{1});
        QCOMPARE(w->raceEditors()[0]->windowTitle(), QStringLiteral("Race File - card.rac"));
        // An existing card.rac is asked about as such.
        qobject_cast<QMdiSubWindow*>(w->raceEditors()[0]->parentWidget())->close();
        boxes.answer(QMessageBox::No);
        dialogs.choose(gui::qpath(typed));
        action(*w, "mnuNew")->trigger();
        QVERIFY(boxes.lastText().contains(QStringLiteral("card.rac\nalready exists")));
        QVERIFY(boxes.messages().size() == 1);
    }

    // The saved place is the frame's: the title bar is on the screen.
    void theSavedPlaceIsTheFrames() {
        AppFixture app;
        app.writeSettingsDaysAgo(0, 10, 10);  // the first start's place
        auto w = app.startMain();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTRY_VERIFY(w->frameGeometry() != w->geometry());
        QCOMPARE(w->frameGeometry().topLeft(),
                 QPoint(gui::twipsToPixelsX(10), gui::twipsToPixelsY(10)));
        w->move(QPoint(gui::twipsToPixelsX(600), gui::twipsToPixelsY(900)));
        QTRY_COMPARE(w->frameGeometry().topLeft(),
                     QPoint(gui::twipsToPixelsX(600), gui::twipsToPixelsY(900)));
        w->writeExitSettings();
        const auto read = base::readSettings(app.paths.settingsFile());
        QCOMPARE(long(read.settings.MainLeft), gui::pixelsToTwipsX(w->frameGeometry().x()));
        QCOMPARE(long(read.settings.MainTop), gui::pixelsToTwipsY(w->frameGeometry().y()));
    }

    void recentFilesFollowTheClosingOrder() {
        AppFixture app;
        MessageRecorder boxes;
        FileDialogScript dialogs;
        auto w = app.startMain();
        const QString a = app.raceFile("a.rac");
        const QString b = app.raceFile("b.rac");
        for (const QString& f : {a, b}) {
            dialogs.choose(f);
            action(*w, "mnuOpen")->trigger();
        }
        // Opening does not enter the list; closing does.
        QVERIFY(!action(*w, "mnuSepMRU")->isVisible());
        w->raceEditorFor(a)->parentWidget()->close();
        w->raceEditorFor(b)->parentWidget()->close();
        QVERIFY(action(*w, "mnuSepMRU")->isVisible());
        QCOMPARE(action(*w, "mnuMRU0")->text(), QStringLiteral("b.rac"));
        QCOMPARE(action(*w, "mnuMRU1")->text(), QStringLiteral("a.rac"));
        QVERIFY(!action(*w, "mnuMRU2")->isVisible());
        // Reopened from the list and closed twice: once in the list, on top.
        action(*w, "mnuMRU1")->trigger();
        QVERIFY(w->raceEditorFor(a));
        w->raceEditorFor(a)->parentWidget()->close();
        dialogs.choose(a);
        action(*w, "mnuOpen")->trigger();
        w->raceEditorFor(a)->parentWidget()->close();
        const auto stored = base::readRecentFiles(app.paths.recentFile());
        QCOMPARE(base::recentFileCount(stored.files), std::size_t{2});
        QCOMPARE(gui::qs(stored.files[0].Path), a);
        QCOMPARE(gui::qs(stored.files[1].Path), b);
        QCOMPARE(action(*w, "mnuMRU0")->text(), QStringLiteral("a.rac"));
        QCOMPARE(boxes.messages().size(), std::size_t{0});
        QVERIFY(w->openFiles().empty());
    }

    void windowMenuListsTheChildWindows() {
        AppFixture app;
        FileDialogScript dialogs;
        auto w = app.startMain();
        for (const char* name : {"a.rac", "b.rac"}) {
            dialogs.choose(app.raceFile(name));
            action(*w, "mnuOpen")->trigger();
        }
        QMenu* menu = w->findChild<QMenu*>(QStringLiteral("mnuWindow"));
        QVERIFY(menu);
        emit menu->aboutToShow();
        QStringList captions;
        for (QAction* a : menu->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("&Cascade"), QStringLiteral("&Tile"),
                                        QString(), QStringLiteral("&1 Race File - a.rac"),
                                        QStringLiteral("&2 Race File - b.rac")}));
        // The active window is checked; choosing the other activates it.
        QVERIFY(menu->actions()[4]->isChecked());
        menu->actions()[3]->trigger();
        QCOMPARE(w->mdiArea()->activeSubWindow()->widget()->windowTitle(),
                 QStringLiteral("Race File - a.rac"));
        action(*w, "mnuTile")->trigger();
        action(*w, "mnuCascade")->trigger();
    }

    void missingRecentFileStaysListed() {
        AppFixture app;
        const QString gone = app.raceFile("gone.rac");
        base::RecentFiles list{};
        list[0] = {"gone.rac", gui::str(gone)};
        base::writeRecentFiles(app.paths.recentFile(), list);
        std::filesystem::remove(gui::fspath(gone));
        MessageRecorder boxes;
        auto w = app.startMain();
        QVERIFY(action(*w, "mnuMRU0")->isVisible());
        action(*w, "mnuMRU0")->trigger();
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Error"));
        QCOMPARE(boxes.lastText(), QStringLiteral("This file\ngone.rac\nno longer exists or has "
                                                  "been moved."));
        QVERIFY(action(*w, "mnuMRU0")->isVisible());
        QVERIFY(w->openFiles().empty());
    }

    void notARaceFileOpensNothing() {
        AppFixture app;
        MessageRecorder boxes;
        FileDialogScript dialogs;
        auto w = app.startMain();
        const auto bad = app.paths.dataDir() / "bad.rac";
        writeText(bad, "this is no database");
        dialogs.choose(gui::qpath(bad));
        action(*w, "mnuOpen")->trigger();
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Vellicor Vovoziruzu"));
        QVERIFY(w->openFiles().empty());
        QVERIFY(w->raceEditors().empty());
    }

    void exitWhileMaximisedSavesStateAndNormalPlacement() {
        AppFixture app;
        app.writeSettingsDaysAgo(1);
        MessageRecorder boxes;
        auto w = app.startMain();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QRect normal = w->geometry();
        const QPoint place = w->frameGeometry().topLeft();
        w->showMaximized();
        QTRY_VERIFY(w->isMaximized());
        w->close();
        const auto read = base::readSettings(app.paths.settingsFile());
        QVERIFY(!read.error);
        QCOMPARE(read.settings.MainWindowState, std::int16_t(2));
        QCOMPARE(read.settings.FreshSettings, std::int16_t(0));
        QCOMPARE(long(read.settings.MainWidth), gui::pixelsToTwipsX(normal.width()));
        QCOMPARE(long(read.settings.MainHeight), gui::pixelsToTwipsY(normal.height()));
        // The place of the frame, the size of the inner area.
        QCOMPARE(long(read.settings.MainLeft), gui::pixelsToTwipsX(place.x()));
        QCOMPARE(long(read.settings.MainTop), gui::pixelsToTwipsY(place.y()));
        // The next start comes up maximised.
        auto again = app.startMain();
        QVERIFY(again->startMaximized());
    }

    void exitWhileNormalSavesStateZero() {
        AppFixture app;
        app.writeSettingsDaysAgo(1);
        auto w = app.startMain();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        action(*w, "mnuExit")->trigger();
        const auto read = base::readSettings(app.paths.settingsFile());
        QCOMPARE(read.settings.MainWindowState, std::int16_t(0));
        QCOMPARE(read.settings.MainWidth, std::int16_t(9000));
        QCOMPARE(read.settings.MainHeight, std::int16_t(7500));
    }

    void importStartsTheProgramOrBringsItForward() {
        AppFixture app;
        auto w = app.startMain();
        QStringList started;
        bool running = false;
        w->startDetached = [&](const QString& p) {
            started << p;
            return true;
        };
        w->activateImport = [&] { return running; };
        QWidget* dogEditor = nullptr;
        w->dogEditorFactory = [&](MainWindow&) {
            dogEditor = new QWidget;
            dogEditor->setWindowTitle(QStringLiteral("Edit Dogs"));
            return dogEditor;
        };
        w->editDogs();
        w->editDogs();  // found again, not opened twice
        QCOMPARE(w->mdiArea()->subWindowList().size(), qsizetype{1});
        action(*w, "mnuImportRace")->trigger();
        QCOMPARE(started, QStringList{gui::qpath(app.paths.appDir / "Import")});
        // The dog editor was closed first.
        QTRY_COMPARE(w->mdiArea()->subWindowList().size(), qsizetype{0});
        running = true;
        action(*w, "mnuImportDogs")->trigger();
        QCOMPARE(started.size(), 1);
    }

    void importIsStartedFromTheProgramsFolderWhereverTheDataIs() {
        // Installed, the data lies in the user's folder and Import beside
        // the main program.
        AppFixture app;
        gui::MainWindow::Options options;
        options.today = vz::test::kToday;
        options.screen = store::ScreenSize{1024 * 15, 768 * 15};
        options.programDir = "/usr/lib/vovoziruzu";
        gui::MainWindow w(app.paths, options);
        w.quitOnExit = false;
        w.start();
        QStringList started;
        w.startDetached = [&](const QString& p) {
            started << p;
            return true;
        };
        w.activateImport = [] { return false; };
        action(w, "mnuImportRace")->trigger();
        QCOMPARE(started, QStringList{QStringLiteral("/usr/lib/vovoziruzu/Import")});
    }

    void helpIsFoundAgain() {
        AppFixture app;
        auto w = app.startMain();
        action(*w, "mnuHelpTopics")->trigger();
        auto helps = QApplication::topLevelWidgets();
        HelpWindow* help = nullptr;
        for (QWidget* t : helps)
            if (auto* h = qobject_cast<HelpWindow*>(t))
                help = h;
        QVERIFY(help);
        QCOMPARE(help->windowTitle(), QStringLiteral("Vellicor Vovoziruzu Online Help"));
        action(*w, "mnuHelpTopics")->trigger();
        int count = 0;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (qobject_cast<HelpWindow*>(t) && t->isVisible())
                ++count;
        QCOMPARE(count, 1);
    }

    void missingHelpPageIsReported() {
        AppFixture app;
        std::filesystem::remove(app.paths.helpPage());
        MessageRecorder boxes;
        auto w = app.startMain();
        w->showHelp();
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QVERIFY(boxes.lastText().endsWith(QStringLiteral(" - 53")));
    }

    void informationWindows() {
        AppFixture app;
        MessageRecorder boxes;
        std::unique_ptr<QDialog> about(createAboutDialog(nullptr, app.paths));
        QCOMPARE(about->windowTitle(), QStringLiteral("About Vellicor Vovoziruzu"));
        auto* info = about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"));
        QVERIFY(info);
        info->click();
        QCOMPARE(boxes.lastTitle(), QStringLiteral("System Information"));
        QVERIFY(boxes.lastText().contains(gui::qpath(app.paths.appDir)));
        QVERIFY(boxes.lastText().contains(QString::fromLatin1(qVersion())));
        std::unique_ptr<QDialog> licence(createLicenseDialog(nullptr, app.paths.licenseFile()));
        auto* text = licence->findChild<QPlainTextEdit*>(QStringLiteral("rtfLicense"));
        QVERIFY(text->toPlainText().startsWith(
            QStringLiteral("Vellicor Vovoziruzu - Software License")));
        // A missing licence file is reported, no window opens.
        std::filesystem::remove(app.paths.licenseFile());
        showLicenseDialog(nullptr, app.paths.licenseFile());
        QVERIFY(boxes.lastText().endsWith(QStringLiteral(" - 53")));
    }

    void viewOpensTheChosenReport() {
        AppFixture app;
        FileDialogScript dialogs;
        MessageRecorder boxes;
        auto w = app.startMain();
        const auto report = app.paths.resultsDir() / "card - Results.txt";
        writeText(report, "     Vellicor Vovoziruzu - Version 1.0.5\r\n");
        dialogs.choose(gui::qpath(report));
        action(*w, "mnuView")->trigger();
        QCOMPARE(dialogs.requests().back().title, QStringLiteral("Select results file to view..."));
        QCOMPARE(dialogs.requests().back().filter, QStringLiteral("Results Files (*.txt)"));
        QCOMPARE(dialogs.requests().back().folder, gui::qpath(app.paths.resultsDir()) + "/");
        bool shown = false;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->windowTitle() == QStringLiteral("card - Results.txt") && t->isVisible())
                shown = true;
        QVERIFY(shown);
        // Cancel: nothing, no message.
        dialogs.cancel();
        action(*w, "mnuView")->trigger();
        QCOMPARE(boxes.messages().size(), std::size_t{0});
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
