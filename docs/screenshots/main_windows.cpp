// Renders the main program's windows offscreen from the bundled Rosnet
// sample (imported, then processed). With VZ_SCREENSHOT_DIR set the pictures
// are written there as PNG files (docs/screenshots holds them).

#include <QDialog>
#include <QDir>
#include <QImage>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "core/import/import.h"
#include "docs/screenshots/screenshot.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/text_viewer.h"
#include "gui/vovoziruzu/info_windows.h"
#include "gui/vovoziruzu/process_window.h"
#include "tests/gui/gui_test_support.h"

using namespace vz;
using namespace vz::gui;
using vz::test::AppFixture;

using vz::test::shoot;

class MainScreenshots : public QObject {
    Q_OBJECT
    AppFixture app;
    std::unique_ptr<MainWindow> main;
    QString raceFile;

  private slots:
    void initTestCase() {
        // The sample card, imported as a user would.
        raceFile = qpath(app.paths.dataDir() / "Riverbend 12-09.rac");
        import::ImportRequest request;
        request.format = "rosnet";
        request.inputs = {test::sourceDir() / "tests" / "e2e" / "data" / "samples" /
                          "rosnet_sample.txt"};
        request.raceFile = fspath(raceFile);
        request.paths = app.paths;
        request.today = test::kToday;
        const auto summary = import::runImport(request);
        QVERIFY(summary.postsWritten > 0);
        main = app.startMain();
        main->resize(1000, 700);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }

    void mainWindowWithRaceEditor() {
        FileDialogScript dialogs;
        dialogs.choose(raceFile);
        test::action(*main, "mnuOpen")->trigger();
        RaceEditor* editor = main->raceEditorFor(raceFile);
        QVERIFY(editor);
        auto* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
        sub->move(10, 10);
        QVERIFY(shoot(*main, "main_window"));
        QVERIFY(test::saveScreenshot(sub->grab(), "race_editor"));
    }

    void racesMenuWithRecentFiles() {
        // Close and reopen so the card is in the recent-file list.
        main->raceEditorFor(raceFile)->parentWidget()->close();
        QMenu* races = main->findChild<QMenu*>(QStringLiteral("mnuRaces"));
        QVERIFY(races);
        races->popup(main->mapToGlobal(QPoint(80, 20)));
        QCoreApplication::processEvents();
        QVERIFY(test::saveScreenshot(races->grab(), "races_menu"));
        races->hide();
    }

    void processingWindowAndReport() {
        ProcessWindow window(*main);
        QVERIFY(window.prepareFile(raceFile));
        QVERIFY(shoot(window, "process_window"));
        QSignalSpy finished(&window, &ProcessWindow::runFinished);
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(finished.wait(20000) || finished.count() == 1);
        QVERIFY(window.openedFile());
        TextViewer* viewer = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<TextViewer*>(w))
                viewer = v;
        QVERIFY(viewer);
        viewer->resize(760, 640);
        QVERIFY(shoot(*viewer, "results_viewer"));
        // The page break after the second race, drawn as a rule.
        QVERIFY(viewer->pageBreakCount() > 0);
        QVERIFY(viewer->findNext(QStringLiteral("RACE # 4 ")));
        QVERIFY(shoot(*viewer, "results_viewer_page_break"));
        viewer->close();
    }

    void errorReport() {
        // One unknown dog: the run lists it in Error.txt instead.
        {
            store::RaceFile rf(fspath(raceFile));
            base::Post p = rf.allPosts().front();
            p.RegName = "Nobody Knows Me";
            rf.updatePost(p);
        }
        ProcessWindow window(*main);
        QVERIFY(window.prepareFile(raceFile));
        QSignalSpy finished(&window, &ProcessWindow::runFinished);
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(finished.wait(20000) || finished.count() == 1);
        QVERIFY(window.openedFile() && *window.openedFile() == app.paths.errorReport());
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<TextViewer*>(w); v && v->isVisible()) {
                v->resize(620, 300);
                QVERIFY(shoot(*v, "error_report_viewer"));
                v->close();
            }
        // The race editor shows the unknown dog in red before processing would.
        FileDialogScript dialogs;
        dialogs.choose(raceFile);
        test::action(*main, "mnuOpen")->trigger();
        RaceEditor* editor = main->raceEditorFor(raceFile);
        QVERIFY(editor);
        QVERIFY(test::saveScreenshot(editor->parentWidget()->grab(), "race_editor_card_checks"));
        editor->parentWidget()->close();
    }

    void dogEditorOpenedFromTheMainWindow() {
        main->editDogs();
        QCoreApplication::processEvents();
        QVERIFY(shoot(*main, "main_window_dog_editor"));
        main->closeDogEditor();
    }

    void helpAndInformationWindows() {
        HelpWindow help(app.paths.helpPage());
        QVERIFY(shoot(help, "help_window"));
        std::unique_ptr<QDialog> about(createAboutDialog(nullptr, app.paths));
        QVERIFY(shoot(*about, "about_window"));
        std::unique_ptr<QDialog> support(createTechSupportDialog(nullptr));
        QVERIFY(shoot(*support, "tech_support_window"));
        std::unique_ptr<QDialog> licence(createLicenseDialog(nullptr, app.paths.licenseFile()));
        QVERIFY(shoot(*licence, "license_window"));
    }
};

QTEST_MAIN(MainScreenshots)
#include "main_windows.moc"
