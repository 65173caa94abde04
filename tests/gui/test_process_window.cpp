#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "core/store/dog_database.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/text_viewer.h"
#include "gui/vovoziruzu/process_window.h"
#include "gui_test_support.h"

using namespace vz;
using namespace vz::gui;
using vz::test::AppFixture;
using vz::test::kToday;

namespace {

void addDogs(const base::AppPaths& paths, std::initializer_list<const char*> names) {
    store::DogDatabase db(paths.dogDatabase());
    for (const char* n : names) {
        base::Dog d;
        d.RegName = n;
        d.RunningStyle = "M";
        d.NumStarts = 0;
        d.NumFirsts = 0;
        d.NumSeconds = 0;
        d.NumThirds = 0;
        db.addDog(d);
    }
}

TextViewer* viewerOn(const std::filesystem::path& file) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<TextViewer*>(w))
            if (v->file() == file && v->isVisible())
                return v;
    return nullptr;
}

// Runs the window's Start and waits for its end.
void runToEnd(ProcessWindow& window) {
    QSignalSpy finished(&window, &ProcessWindow::runFinished);
    window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QVERIFY(window.isRunning() || finished.count() == 1);
    // A second press does nothing: the button is hidden and the run started.
    QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isVisible());
    QVERIFY(finished.wait(20000) || finished.count() == 1);
}

}  // namespace

class ProcessWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { vz::test::deleteTopLevelWidgets(); }

    void cancelledDialogProcessesNothing() {
        AppFixture app;
        auto main = app.startMain();
        FileDialogScript dialogs;
        MessageRecorder boxes;
        dialogs.cancel();
        ProcessWindow window(*main);
        QVERIFY(!window.prepare());
        QCOMPARE(dialogs.requests().size(), std::size_t{1});
        QCOMPARE(dialogs.requests()[0].title, QStringLiteral("Select race file to process..."));
        QCOMPARE(dialogs.requests()[0].filter, QStringLiteral("Race Files (*.rac)"));
        QCOMPARE(dialogs.requests()[0].folder, qpath(app.paths.dataDir()) + "/");
        QCOMPARE(boxes.messages().size(), std::size_t{0});
        // The menu command returns quietly too.
        dialogs.cancel();
        vz::test::action(*main, "mnuProcess")->trigger();
        QCOMPARE(boxes.messages().size(), std::size_t{0});
    }

    // A file that cannot be opened as a race file is named, with the cause,
    // before the window closes.
    void notARaceFileIsReportedByName() {
        AppFixture app;
        auto main = app.startMain();
        MessageRecorder boxes;
        const auto bad = app.paths.dataDir() / "bad.rac";
        vz::test::writeText(bad, "not a database");
        ProcessWindow window(*main);
        QVERIFY(!window.prepareFile(qpath(bad)));
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Error - unable to process race"));
        QVERIFY(boxes.lastText().contains(QStringLiteral("bad.rac")));
        QVERIFY(boxes.lastText().contains(QStringLiteral("is not a database")));
        // Through the menu the window closes after the message.
        FileDialogScript dialogs;
        dialogs.choose(qpath(bad));
        vz::test::action(*main, "mnuProcess")->trigger();
        QCOMPARE(boxes.messages().size(), std::size_t{2});
        QVERIFY(!QApplication::activeModalWidget());
    }

    void missingDogsOpenTheErrorReport() {
        AppFixture app;
        addDogs(app.paths, {"Known Dog"});
        const QString file = app.raceFile("Card 12.rac");
        vz::test::addRace(file, kToday, 3, {{1, "Known Dog"}, {5, "Fast Lady"}});
        auto main = app.startMain();
        MessageRecorder boxes;
        ProcessWindow window(*main);
        QVERIFY(window.prepareFile(file));
        QCOMPARE(window.statusText(), QStringLiteral("Ready to process Card 12.rac"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Process Race"));
        runToEnd(window);
        QCOMPARE(boxes.messages().size(), std::size_t{0});
        QVERIFY(window.openedFile().has_value());
        QVERIFY(*window.openedFile() == app.paths.errorReport());
        TextViewer* viewer = viewerOn(app.paths.errorReport());
        QVERIFY(viewer);
        QVERIFY(viewer->plainText().contains(
            QStringLiteral("     Fast Lady, 12/7/2026 race 3, post 5")));
        QVERIFY(!std::filesystem::exists(app.paths.resultsFile("Card 12.rac")));
        QVERIFY(!window.isVisible());
    }

    void completeCardOpensTheResultsReport() {
        AppFixture app;
        addDogs(app.paths, {"Alpha", "Bravo"});
        const QString file = app.raceFile("Card 12.rac");
        vz::test::addRace(file, kToday, 1, {{1, "Alpha"}, {2, "Bravo"}});
        vz::test::addRace(file, kToday, 2, {{1, "Bravo"}, {2, "Alpha"}});
        auto main = app.startMain();
        MessageRecorder boxes;
        ProcessWindow window(*main);
        QVERIFY(window.prepareFile(file));
        runToEnd(window);
        if (!boxes.messages().empty())
            QFAIL(qPrintable(boxes.lastText()));
        const auto report = app.paths.resultsFile("Card 12.rac");
        QVERIFY(window.openedFile() && *window.openedFile() == report);
        TextViewer* viewer = viewerOn(report);
        QVERIFY(viewer);
        QVERIFY(viewer->plainText().contains(QStringLiteral("Results for Card 12.rac")));
        QVERIFY(!std::filesystem::exists(app.paths.errorReport()));
        // The progress bar reached the end of the card.
        auto* bar = window.findChild<QProgressBar*>(QStringLiteral("prgRaces"));
        QCOMPARE(bar->value(), bar->maximum());
    }

    void failureShowsTheProcessingMessage() {
        AppFixture app;
        const QString file = app.raceFile("Empty.rac");  // no races
        auto main = app.startMain();
        MessageRecorder boxes;
        ProcessWindow window(*main);
        QVERIFY(window.prepareFile(file));
        runToEnd(window);
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Error - unable to process race"));
        // Description, one space, number.
        QVERIFY(!boxes.lastText().contains(QStringLiteral(" - ")));
        QVERIFY(boxes.lastText().contains(QRegularExpression(QStringLiteral(" \\d+$"))));
        QVERIFY(!window.openedFile());
    }
};

QTEST_MAIN(ProcessWindowTest)
#include "test_process_window.moc"
