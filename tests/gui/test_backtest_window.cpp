// The backtest window and the results check, driven offscreen. With
// VZ_SCREENSHOT_DIR set the window and its two charts are written there as
// PNG files.

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <fmt/format.h>

#include <algorithm>

#include "core/analysis/backtest.h"
#include "core/store/dog_database.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/text_viewer.h"
#include "gui/vovoziruzu/analysis_windows.h"
#include "gui_test_support.h"
#include "screenshot.h"
#include "tests/analysis/history.h"

using namespace vz;
using namespace vz::gui;
using vz::test::AppFixture;
using vz::test::kToday;

namespace {

// Twelve dogs over forty race days, two races of six a day, finishes and
// odds from a fixed sequence: enough for both charts to show a shape.
void addHistory(const base::AppPaths& paths) {
    store::DogDatabase db(paths.dogDatabase());
    std::vector<std::string> dogs;
    for (int i = 0; i < 12; ++i)
        dogs.push_back("Runner " + std::to_string(i + 1));
    test::addDogs(db, dogs);
    unsigned seed = 7;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245U + 12345U;
        return (seed >> 16) % n;
    };
    store::DogDatabase::Transaction tx(db);
    for (int d = 0; d < 40; ++d) {
        const base::Date date = base::addDays(test::day(2026, 1, 1), 3 * d);
        for (int race = 0; race < 2; ++race) {
            std::vector<int> finishes = {1, 2, 3, 4, 5, 6};
            for (int i = 5; i > 0; --i)
                std::swap(finishes[static_cast<std::size_t>(i)],
                          finishes[next(static_cast<unsigned>(i) + 1)]);
            std::vector<test::Runner> runners;
            for (int p = 0; p < 6; ++p) {
                const int dog = (d + race * 6 + p) % 12;
                const int finish = finishes[static_cast<std::size_t>(p)];
                runners.push_back({dogs[static_cast<std::size_t>(dog)], p + 1, finish,
                                   1.0 + next(12), 3000 + 10 * finish + static_cast<int>(next(9))});
            }
            test::addRace(db, {date, race + 1, race == 0 ? "S" : "L", d % 2 ? "A" : "B", 3000 + d},
                          runners);
        }
    }
    tx.commit();
}

QString cell(QTableWidget* t, int row, int column) {
    QTableWidgetItem* item = t->item(row, column);
    return item ? item->text() : QString();
}

// Runs Start and waits for the run's end.
bool runToEnd(BacktestWindow& window) {
    QSignalSpy finished(&window, &BacktestWindow::runFinished);
    window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    return finished.count() == 1 || finished.wait(30000);
}

// The chart's tab shown, then its picture.
QImage chartPicture(BacktestWindow& window, QChartView* view) {
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabResults"));
    tabs->setCurrentWidget(view->parentWidget());
    QCoreApplication::processEvents();
    return view->grab().toImage();
}

}  // namespace

class BacktestWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { vz::test::deleteTopLevelWidgets(); }

    void runShowsTheSummaryAndTheCharts() {
        AppFixture app;
        addHistory(app.paths);
        MessageRecorder boxes;
        BacktestWindow window(app.paths, {}, kToday);
        window.resize(900, 700);
        window.show();
        QVERIFY(runToEnd(window));
        if (!boxes.messages().empty())
            QFAIL(qPrintable(boxes.lastText()));

        // The same run in the core gives the numbers the window must show.
        const store::DogDatabase db(app.paths.dogDatabase(), store::OpenMode::ReadOnly);
        const analysis::BacktestSummary s = analysis::backtest(db, {});
        QCOMPARE(s.racesRated(), 80L);
        QVERIFY(window.summary());
        QCOMPARE(window.summary()->all.topWon, s.all.topWon);
        auto* races = window.findChild<QTableWidget*>(QStringLiteral("tblRaces"));
        QCOMPARE(cell(races, races->rowCount() - 1, 0), QStringLiteral("Races rated"));
        QCOMPARE(cell(races, races->rowCount() - 1, 1), QStringLiteral("80"));
        auto* top = window.findChild<QTableWidget*>(QStringLiteral("tblTopPick"));
        QCOMPARE(cell(top, 0, 0), QStringLiteral("All races"));
        QCOMPARE(cell(top, 0, 1), QStringLiteral("80"));
        QCOMPARE(cell(top, 0, 2), QString::number(s.all.topWon));
        QCOMPARE(cell(top, 0, 6), QString::fromStdString(fmt::format("{:.2f}", s.all.profit())));
        auto* figures = window.findChild<QTableWidget*>(QStringLiteral("tblFigures"));
        QCOMPARE(cell(figures, 0, 0), QStringLiteral("Cla alone"));
        QCOMPARE(cell(figures, 0, 1), QStringLiteral("80"));

        const auto report = app.paths.resultsDir() / "Backtest - Results.txt";
        QVERIFY(window.reportFile() == report);
        QVERIFY(std::filesystem::exists(report));
        QVERIFY(window.statusText().contains(QStringLiteral("80 races rated")));
        auto* bar = window.findChild<QProgressBar*>(QStringLiteral("prgLines"));
        QCOMPARE(bar->value(), bar->maximum());

        // One point per race day on the profit line, one bar per Score band.
        auto* profit = qobject_cast<QLineSeries*>(window.profitChart()->chart()->series().at(0));
        QVERIFY(profit);
        QCOMPARE(profit->count(), 40);
        QCOMPARE(profit->at(39).y(), s.all.profit());
        auto* bars = qobject_cast<QBarSeries*>(window.scoreChart()->chart()->series().at(0));
        QVERIFY(bars);
        QCOMPARE(bars->barSets().at(0)->count(), 8);

        QVERIFY(test::shoot(window, "backtest_window"));
        auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabResults"));
        tabs->setCurrentWidget(top);
        QVERIFY(test::shoot(window, "backtest_top_pick"));
        const QImage profitPicture = chartPicture(window, window.profitChart());
        QVERIFY(test::saveScreenshot(QPixmap::fromImage(profitPicture), "backtest_profit_chart"));
        const QImage scorePicture = chartPicture(window, window.scoreChart());
        QVERIFY(test::saveScreenshot(QPixmap::fromImage(scorePicture), "backtest_score_chart"));

        // Save as PNG: the chart's picture, whole, in the file named.
        FileDialogScript dialogs;
        const auto png = app.dir / "profit.png";
        dialogs.choose(qpath(png));
        chartPicture(window, window.profitChart());
        window.findChild<QPushButton*>(QStringLiteral("cmdSaveProfitChart"))->click();
        QCOMPARE(dialogs.requests().at(0).filter, QStringLiteral("PNG Images (*.png)"));
        QImage saved(qpath(png));
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), window.profitChart()->size());
        QVERIFY(test::hasContent(saved));

        // An existing file is replaced only on Yes.
        const auto before = std::filesystem::file_size(png);
        dialogs.choose(qpath(png));
        boxes.answer(QMessageBox::No);
        chartPicture(window, window.scoreChart());
        window.findChild<QPushButton*>(QStringLiteral("cmdSaveScoreChart"))->click();
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Confirm"));
        QCOMPARE(std::filesystem::file_size(png), before);
    }

    void cancelWritesNoReport() {
        AppFixture app;
        addHistory(app.paths);
        BacktestWindow window(app.paths, {}, kToday);
        QSemaphore started;
        QSemaphore go;
        window.beforeRun = [&] {
            started.release();
            go.acquire();
        };
        QSignalSpy finished(&window, &BacktestWindow::runFinished);
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(started.tryAcquire(1, 10000));
        QVERIFY(window.isRunning());
        auto* cancel = window.findChild<QPushButton*>(QStringLiteral("cmdCancel"));
        QVERIFY(cancel->isEnabled());
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled());
        cancel->click();
        go.release();
        QVERIFY(finished.wait(30000));
        QCOMPARE(window.statusText(), QStringLiteral("Cancelled: no report was written."));
        QVERIFY(!std::filesystem::exists(app.paths.resultsDir() / "Backtest - Results.txt"));
        QVERIFY(!window.summary());
        QVERIFY(window.findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled());
    }

    void optionsAndTheCsv() {
        AppFixture app;
        addHistory(app.paths);
        MessageRecorder boxes;
        FileDialogScript dialogs;
        BacktestWindow window(app.paths, {}, kToday);

        // A first day after the last is refused before anything runs.
        window.findChild<QCheckBox*>(QStringLiteral("chkFrom"))->setChecked(true);
        window.findChild<QDateEdit*>(QStringLiteral("dteFrom"))->setDate(QDate(2026, 3, 1));
        window.findChild<QCheckBox*>(QStringLiteral("chkTo"))->setChecked(true);
        window.findChild<QDateEdit*>(QStringLiteral("dteTo"))->setDate(QDate(2026, 2, 1));
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(!window.isRunning());
        QCOMPARE(boxes.lastText(), QStringLiteral("The first day 2026-03-01 is after the last "
                                                  "day 2026-02-01. - 0"));

        // Distance L only, from 1 February, with a CSV of the rated dogs:
        // the L races are the second of each day, every third day from 1/1.
        window.findChild<QDateEdit*>(QStringLiteral("dteTo"))->setDate(QDate(2026, 12, 31));
        window.findChild<QDateEdit*>(QStringLiteral("dteFrom"))->setDate(QDate(2026, 2, 1));
        window.findChild<QComboBox*>(QStringLiteral("cmbDistance"))->setCurrentText("L");
        window.findChild<QCheckBox*>(QStringLiteral("chkCsv"))->setChecked(true);
        const auto csv = app.dir / "rated.csv";
        dialogs.choose(qpath(csv));
        QVERIFY(runToEnd(window));
        // Days 1/1 + 3d for d = 0..39: 1/31 is d = 10, 2/3 is d = 11, so 29
        // days from 2/1 on, one L race each.
        QCOMPARE(window.summary()->racesRated(), 29L);
        QCOMPARE(window.summary()->racesNotChosen, 80L - 29L);
        const std::string rows = test::readText(csv);
        QCOMPARE(std::count(rows.begin(), rows.end(), '\n'), 1L + 29L * 6L);

        // The CSV is the user's file: No leaves it and starts nothing.
        dialogs.choose(qpath(csv));
        boxes.answer(QMessageBox::No);
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(!window.isRunning());
        QCOMPARE(test::readText(csv), rows);
    }

    void menusOpenTheCheckAndTheBacktest() {
        AppFixture app;
        addHistory(app.paths);
        const QString card = app.raceFile("Card.rac");
        // Race 2 of 1/4 as a card: its lines give the results.
        test::addRace(card, test::day(2026, 1, 4), 2,
                      {{1, "Runner 8"},
                       {2, "Runner 9"},
                       {3, "Runner 10"},
                       {4, "Runner 11"},
                       {5, "Runner 12"},
                       {6, "Runner 1"}});
        auto main = app.startMain();
        QCOMPARE(test::action(*main, "mnuBacktest")->text(), QStringLiteral("&Backtest..."));
        QCOMPARE(test::action(*main, "mnuCheckResults")->text(),
                 QStringLiteral("&Check Results of Race File..."));
        MessageRecorder boxes;
        FileDialogScript dialogs;
        dialogs.choose(card);
        test::action(*main, "mnuCheckResults")->trigger();
        if (!boxes.messages().empty())
            QFAIL(qPrintable(boxes.lastText()));
        QCOMPARE(dialogs.requests().at(0).title, QStringLiteral("Select race file to check..."));
        const auto report = app.paths.resultsDir() / "Card - Results Check.txt";
        TextViewer* viewer = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<TextViewer*>(w); v && v->file() == report)
                viewer = v;
        QVERIFY(viewer);
        QVERIFY(viewer->plainText().contains(QStringLiteral("Races with results")));
        QVERIFY(viewer->plainText().contains(QStringLiteral("Winner: ")));
    }
};

QTEST_MAIN(BacktestWindowTest)
#include "test_backtest_window.moc"
