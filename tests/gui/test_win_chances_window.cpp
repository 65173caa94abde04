// The Win Chances window and the backtest window's walk-forward tabs, driven
// offscreen. With VZ_SCREENSHOT_DIR set the window and the calibration chart
// are written there as PNG files.

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "core/analysis/win_model.h"
#include "core/store/dog_database.h"
#include "gui/common/messages.h"
#include "gui/vovoziruzu/analysis_windows.h"
#include "gui/vovoziruzu/win_chances_window.h"
#include "gui_test_support.h"
#include "screenshot.h"
#include "tests/analysis/history.h"

using namespace vz;
using namespace vz::gui;
using vz::test::AppFixture;
using vz::test::kToday;

namespace {

// 600 races of six dogs, three a day: post 1 wins four races in five, post
// 3 the fifth.
void addHistory(const base::AppPaths& paths) {
    store::DogDatabase db(paths.dogDatabase());
    std::vector<std::string> dogs;
    for (int i = 0; i < 12; ++i)
        dogs.push_back("Dog " + std::to_string(i + 1));
    test::addDogs(db, dogs);
    store::DogDatabase::Transaction tx(db);
    for (int r = 0; r < 600; ++r) {
        const int winner = r % 5 == 0 ? 3 : 1;
        std::vector<test::Runner> runners;
        for (int p = 1; p <= 6; ++p) {
            const int finish = p == winner ? 1 : p < winner ? p + 1 : p;
            runners.push_back(
                {dogs[static_cast<std::size_t>((r * 5 + p) % 12)], p, finish, p == 1 ? 0.5 : 6.0});
        }
        test::addRace(db, {base::addDays(test::ymd(2025, 1, 1), r / 3), r % 3 + 1}, runners);
    }
    tx.commit();
}

QString cell(QTableWidget* t, int row, int column) {
    QTableWidgetItem* item = t->item(row, column);
    return item ? item->text() : QString();
}

int rowOf(QTableWidget* t, const QString& label) {
    for (int r = 0; r < t->rowCount(); ++r) {
        if (cell(t, r, 0) == label)
            return r;
    }
    return -1;
}

}  // namespace

class WinChancesWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { vz::test::deleteTopLevelWidgets(); }

    void fitShowsTheCoefficientsAndTheCalibration() {
        AppFixture app;
        addHistory(app.paths);
        MessageRecorder boxes;
        WinChancesWindow window(app.paths, {});
        window.resize(900, 700);
        window.show();
        QSignalSpy finished(&window, &WinChancesWindow::fitFinished);
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(finished.count() == 1 || finished.wait(60000));
        if (!boxes.messages().empty())
            QFAIL(qPrintable(boxes.lastText()));

        // points,post,form: 6 + 7 + 4 inputs. Post 3 wins more than posts 2
        // and 4 to 6, so its coefficient stands above theirs.
        QTableWidget* t = window.coefficients();
        QCOMPARE(t->rowCount(), 17);
        const int post2 = rowOf(t, QStringLiteral("Post2"));
        const int post3 = rowOf(t, QStringLiteral("Post3"));
        QVERIFY(post2 >= 0 && post3 >= 0);
        QVERIFY(cell(t, post3, 1).toDouble() > cell(t, post2, 1).toDouble());
        const analysis::WinModel m = analysis::loadModel(analysis::modelFile(app.paths.appDir));
        QCOMPARE(cell(t, post3, 1),
                 QString::number(m.inputs[static_cast<std::size_t>(6 + 1)].coef, 'f', 4));

        // Two series: the diagonal and one point per band with dogs.
        QChart* chart = window.chart()->chart();
        QCOMPARE(chart->series().size(), 2);
        auto* points = qobject_cast<QScatterSeries*>(chart->series().at(1));
        QVERIFY(points && points->count() > 0);

        QVERIFY(test::shoot(window, "win_chances_window"));
        window.findChild<QTabWidget*>(QStringLiteral("tabWinChances"))
            ->setCurrentWidget(window.chart());
        QCoreApplication::processEvents();
        QVERIFY(test::saveScreenshot(window.chart()->grab(), "win_chances_calibration"));

        // The report columns' choice goes to its own file, and back.
        QVERIFY(!analysis::reportColumnsOn(app.paths.appDir));
        window.reportColumns()->click();
        QVERIFY(analysis::reportColumnsOn(app.paths.appDir));
        window.reportColumns()->click();
        QVERIFY(!analysis::reportColumnsOn(app.paths.appDir));
    }

    void theBacktestWindowJudgesTheChancesWalkForward() {
        AppFixture app;
        addHistory(app.paths);
        MessageRecorder boxes;
        BacktestWindow window(app.paths, {}, kToday);
        window.findChild<QCheckBox*>(QStringLiteral("chkWinChances"))->setChecked(true);
        QSignalSpy finished(&window, &BacktestWindow::runFinished);
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(finished.count() == 1 || finished.wait(60000));
        if (!boxes.messages().empty())
            QFAIL(qPrintable(boxes.lastText()));
        auto* t = window.findChild<QTableWidget*>(QStringLiteral("tblWinChances"));
        const int priced = rowOf(t, QStringLiteral("Races priced"));
        QVERIFY(priced >= 0);
        QVERIFY(cell(t, priced, 1).toInt() > 0);
        QCOMPARE(window.calibrationChart()->chart()->series().size(), 2);
    }
};

QTEST_MAIN(WinChancesWindowTest)
#include "test_win_chances_window.moc"
