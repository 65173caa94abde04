// The windows on the screen the test runs on; its size comes from the
// offscreen platform's configuration (tests/gui/data/screen_*.json). Every
// window opens wholly within the screen's free area, the Backtest window
// keeps Start, Cancel and Close in reach (scrolling the rest) and on a large
// screen takes more of the room than it needs.

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "core/base/fileio.h"
#include "core/base/settings.h"
#include "gui/common/messages.h"
#include "gui/common/text_viewer.h"
#include "gui/vovoziruzu/analysis_windows.h"
#include "gui/vovoziruzu/dog_commands.h"
#include "gui/vovoziruzu/edit_dogs.h"
#include "gui_test_support.h"

using namespace vz;
using namespace vz::gui;
using vz::test::AppFixture;
using vz::test::kToday;

namespace {

QRect freeArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A main window started on `app`, shown as the program shows it.
std::unique_ptr<MainWindow> shownMain(const AppFixture& app) {
    MainWindow::Options options;
    options.today = kToday;
    auto main = std::make_unique<MainWindow>(app.paths, options);
    main->quitOnExit = false;
    installDogCommands(*main);
    main->start();
    main->show();
    return main;
}

}  // namespace

class ScreenSizeTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { vz::test::deleteTopLevelWidgets(); }

    void everyWindowOpensWithinTheFreeArea() {
        // Saved on a larger screen: 32000 twips (about 2133 pixels) each way.
        auto savedLarge = [](const AppFixture& app) {
            base::Settings s;
            s.MainLeft = 3000;
            s.MainTop = 3000;
            s.MainWidth = 32000;
            s.MainHeight = 32000;
            s.TimeFactorL = base::kFirstTimeFactorL;
            s.TimeFactorR = base::kFirstTimeFactorR;
            s.LastStyleUpdate = kToday;
            base::writeSettings(app.paths.settingsFile(), s);
        };
        const struct {
            const char* name;
            std::function<void(const AppFixture&)> setUp;
            // The window to check, opened over the shown main window.
            std::function<QWidget*(MainWindow&, const AppFixture&)> open;
        } cases[] = {
            {"main window, saved larger", savedLarge, [](MainWindow& m, auto&) { return &m; }},
            {"main window, first start", nullptr, [](MainWindow& m, auto&) { return &m; }},
            {"backtest", savedLarge,
             [](MainWindow& m, const AppFixture& app) {
                 auto* w = new BacktestWindow(app.paths, {}, kToday, &m);
                 w->setAttribute(Qt::WA_DeleteOnClose);
                 w->show();
                 return static_cast<QWidget*>(w);
             }},
            {"report", savedLarge,
             [](MainWindow& m, const AppFixture& app) {
                 const auto file = app.paths.resultsDir() / "card.txt";
                 base::writeFileAtomic(file, std::string(200, 'x') + "\r\n");
                 return static_cast<QWidget*>(TextViewer::showFile(file, &m));
             }},
        };
        for (const auto& c : cases) {
            AppFixture app;
            if (c.setUp)
                c.setUp(app);
            MessageRecorder boxes;  // a screen too large for the settings file says so
            auto main = shownMain(app);
            QVERIFY(QTest::qWaitForWindowExposed(main.get()));
            QWidget* w = c.open(*main, app);
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QTRY_VERIFY2(freeArea().contains(w->frameGeometry()), c.name);
        }
    }

    void theDogEditorFitsTheMainWindow() {
        AppFixture app;
        MessageRecorder boxes;
        auto main = shownMain(app);
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        main->editDogs();
        auto* sub = main->findChild<QMdiSubWindow*>();
        QVERIFY(sub);
        QMdiArea* area = sub->mdiArea();
        QVERIFY(area->viewport()->rect().contains(sub->geometry()));
        QTRY_VERIFY(freeArea().contains(main->frameGeometry()));
    }

    void theBacktestWindowScrollsOrUsesTheRoom() {
        AppFixture app;
        MessageRecorder boxes;
        auto main = shownMain(app);
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        BacktestWindow window(app.paths, {}, kToday, main.get());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The buttons are always within the window.
        for (const char* name : {"cmdOK", "cmdCancel", "cmdClose", "cmdViewReport"}) {
            auto* b = window.findChild<QPushButton*>(QString::fromLatin1(name));
            QVERIFY(window.rect().contains(QRect(b->mapTo(&window, QPoint(0, 0)), b->size())));
        }
        const QRect free = freeArea();
        auto* scroll = window.findChild<QScrollArea*>(QStringLiteral("scrBacktest"));
        QVERIFY(scroll);
        const QSize needed(760, 640);  // the window's own size
        if (free.height() < needed.height() + 100) {
            // Too low: the rest scrolls, the tables keep their height.
            QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
        } else {
            // Room to spare: 60% of the free area each way, nothing scrolls.
            QCOMPARE(window.size(), QSize(free.width() * 60 / 100, free.height() * 60 / 100));
            QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        }
    }
};

QTEST_MAIN(ScreenSizeTest)
#include "test_screen_sizes.moc"
