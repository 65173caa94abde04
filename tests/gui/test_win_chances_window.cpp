// The Win Chances window and the backtest window's walk-forward tabs, driven
// offscreen.

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
#include "tests/analysis/history.h"
#include "tests/gui/picture.h"

using namespace vz;
using namespace vz::gui;
using vz::test::AppFixture;
using vz::test::kToday;

namespace {

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
        test::addPostBiasHistory(app.paths);
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

        QVERIFY(test::hasContent(window.grab().toImage()));
        window.findChild<QTabWidget*>(QStringLiteral("tabWinChances"))
            ->setCurrentWidget(window.chart());
        QCoreApplication::processEvents();
        QVERIFY(test::hasContent(window.chart()->grab().toImage()));

        // The report columns' choice goes to its own file, and back.
        QVERIFY(!analysis::reportColumnsOn(app.paths.appDir));
        window.reportColumns()->click();
        QVERIFY(analysis::reportColumnsOn(app.paths.appDir));
        window.reportColumns()->click();
        QVERIFY(!analysis::reportColumnsOn(app.paths.appDir));
    }

    void theBacktestWindowJudgesTheChancesWalkForward() {
        AppFixture app;
        test::addPostBiasHistory(app.paths);
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
