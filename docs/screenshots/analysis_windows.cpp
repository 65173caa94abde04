// Renders the backtest and Win Chances windows offscreen over made-up race
// histories. With VZ_SCREENSHOT_DIR set the pictures are written there as
// PNG files; without it the program checks that each window draws.

#include <QChartView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "docs/screenshots/screenshot.h"
#include "gui/common/messages.h"
#include "gui/vovoziruzu/analysis_windows.h"
#include "gui/vovoziruzu/win_chances_window.h"
#include "tests/analysis/history.h"
#include "tests/gui/gui_test_support.h"

using namespace vz;
using namespace vz::gui;

using vz::test::saveScreenshot;
using vz::test::shoot;

namespace {

// Presses OK and waits for the window's `finished` signal.
template <class Window, class Signal>
bool runToEnd(Window& window, Signal finished) {
    QSignalSpy spy(&window, finished);
    window.template findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    return spy.count() == 1 || spy.wait(60000);
}

// The tab holding `page` shown, then the picture of `view`.
QPixmap tabPicture(QWidget& window, const char* tabs, QWidget* page, QWidget* view) {
    window.findChild<QTabWidget*>(QString::fromLatin1(tabs))->setCurrentWidget(page);
    QCoreApplication::processEvents();
    return view->grab();
}

}  // namespace

class AnalysisScreenshots : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { vz::test::deleteTopLevelWidgets(); }

    void backtestWindow() {
        test::AppFixture app;
        test::addChartHistory(app.paths);
        MessageRecorder boxes;
        BacktestWindow window(app.paths, {}, test::kToday);
        window.resize(900, 700);
        window.show();
        QVERIFY(runToEnd(window, &BacktestWindow::runFinished));
        if (!boxes.messages().empty())
            QFAIL(qPrintable(boxes.lastText()));
        QVERIFY(shoot(window, "backtest_window"));
        auto* top = window.findChild<QTableWidget*>(QStringLiteral("tblTopPick"));
        QVERIFY(
            saveScreenshot(tabPicture(window, "tabResults", top, &window), "backtest_top_pick"));
        QChartView* profit = window.profitChart();
        QVERIFY(saveScreenshot(tabPicture(window, "tabResults", profit->parentWidget(), profit),
                               "backtest_profit_chart"));
        QChartView* score = window.scoreChart();
        QVERIFY(saveScreenshot(tabPicture(window, "tabResults", score->parentWidget(), score),
                               "backtest_score_chart"));
    }

    void winChancesWindow() {
        test::AppFixture app;
        test::addPostBiasHistory(app.paths);
        MessageRecorder boxes;
        WinChancesWindow window(app.paths, {});
        window.resize(900, 700);
        window.show();
        QVERIFY(runToEnd(window, &WinChancesWindow::fitFinished));
        if (!boxes.messages().empty())
            QFAIL(qPrintable(boxes.lastText()));
        QVERIFY(shoot(window, "win_chances_window"));
        QVERIFY(saveScreenshot(tabPicture(window, "tabWinChances", window.chart(), window.chart()),
                               "win_chances_calibration"));
    }
};

QTEST_MAIN(AnalysisScreenshots)
#include "analysis_windows.moc"
