// The backtest window and the results check, driven offscreen.

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <fmt/format.h>

#include <algorithm>
#include <functional>

#include "core/analysis/backtest.h"
#include "core/base/fileio.h"
#include "core/store/dog_database.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/text_viewer.h"
#include "gui/vovoziruzu/analysis_windows.h"
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
        test::addChartHistory(app.paths);
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
        // 80 races; on the first day no dog has an earlier line: 78 rated.
        QCOMPARE(s.racesRated(), 78L);
        QVERIFY(window.summary());
        QCOMPARE(window.summary()->all.topWon, s.all.topWon);
        auto* races = window.findChild<QTableWidget*>(QStringLiteral("tblRaces"));
        // The window shows the report's rows: the days rated come last.
        QCOMPARE(cell(races, races->rowCount() - 2, 0), QStringLiteral("Races rated"));
        QCOMPARE(cell(races, races->rowCount() - 2, 1), QStringLiteral("78"));
        // The first day (1/1) rates no race: the days rated start on 1/4.
        QCOMPARE(cell(races, races->rowCount() - 1, 1), QStringLiteral("2026-01-04 to 2026-04-28"));
        auto* top = window.findChild<QTableWidget*>(QStringLiteral("tblTopPick"));
        QCOMPARE(cell(top, 0, 0), QStringLiteral("All races"));
        QCOMPARE(cell(top, 0, 1), QStringLiteral("78"));
        QCOMPARE(cell(top, 0, 2), QString::number(s.all.topWon));
        QCOMPARE(cell(top, 0, 6), QString::fromStdString(fmt::format("{:.2f}", s.all.profit())));
        auto* figures = window.findChild<QTableWidget*>(QStringLiteral("tblFigures"));
        QCOMPARE(cell(figures, 0, 0), QStringLiteral("Cla"));
        QCOMPARE(cell(figures, 0, 1), QStringLiteral("78"));

        const auto report = app.paths.resultsDir() / "Backtest - Results.txt";
        QVERIFY(window.reportFile() == report);
        QVERIFY(std::filesystem::exists(report));
        QVERIFY(window.statusText().contains(QStringLiteral("78 races rated")));
        auto* bar = window.findChild<QProgressBar*>(QStringLiteral("prgLines"));
        QCOMPARE(bar->value(), bar->maximum());

        // One point per race day rated on the profit line (39: the first day
        // has none), one bar per Score band.
        auto* profit = qobject_cast<QLineSeries*>(window.profitChart()->chart()->series().at(0));
        QVERIFY(profit);
        QCOMPARE(profit->count(), 39);
        QCOMPARE(profit->at(38).y(), s.all.profit());
        QVERIFY(qobject_cast<QAreaSeries*>(window.profitChart()->chart()->series().at(1)));
        // Win % and the market's expectation per band, and a range over each
        // band with a winner or a loser.
        // Each chart names the races it shows: the days, the count, the options.
        for (QChartView* chart : {window.profitChart(), window.scoreChart()}) {
            const QString title = chart->chart()->title();
            QVERIFY(
                title.contains(QString::number(s.racesRated()) + QStringLiteral(" races rated")));
            QVERIFY(title.contains(QStringLiteral("2026-01-04 to 2026-04-28")));
            QVERIFY(title.contains(QStringLiteral("grade any, distance any, at least 5 dogs")));
        }
        auto* bars = qobject_cast<QBarSeries*>(window.scoreChart()->chart()->series().at(0));
        QVERIFY(bars);
        QCOMPARE(bars->barSets().size(), 2);
        QCOMPARE(bars->barSets().at(0)->count(), 8);
        QCOMPARE(window.scoreChart()->chart()->series().size(), 1 + 8);

        QVERIFY(test::hasContent(window.grab().toImage()));
        QVERIFY(test::hasContent(chartPicture(window, window.profitChart())));
        QVERIFY(test::hasContent(chartPicture(window, window.scoreChart())));

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
        test::addChartHistory(app.paths);
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
        // The bar as a long run shows it part-way; after Cancel it is empty.
        auto* bar = window.findChild<QProgressBar*>(QStringLiteral("prgLines"));
        bar->setRange(0, 10);
        bar->setValue(4);
        cancel->click();
        go.release();
        QVERIFY(finished.wait(30000));
        QCOMPARE(bar->value(), bar->minimum());
        QCOMPARE(window.statusText(), QStringLiteral("Cancelled: no report was written."));
        QVERIFY(!std::filesystem::exists(app.paths.resultsDir() / "Backtest - Results.txt"));
        QVERIFY(!window.summary());
        QVERIFY(window.findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled());
    }

    // Once a run is shown, any changed option marks it out of date until the
    // next run; before a run nothing is marked.
    void aChangedOptionMarksTheShownRunOutOfDate() {
        AppFixture app;
        test::addChartHistory(app.paths);
        MessageRecorder boxes;
        BacktestWindow window(app.paths, {}, kToday);
        auto find = [&window](const char* name) {
            return window.findChild<QWidget*>(QString::fromLatin1(name));
        };
        const struct {
            const char* option;
            std::function<void()> change;
        } cases[] = {
            {"chkFrom", [&] { qobject_cast<QCheckBox*>(find("chkFrom"))->toggle(); }},
            {"dteFrom",
             [&] { qobject_cast<QDateEdit*>(find("dteFrom"))->setDate(QDate(2026, 2, 1)); }},
            {"chkTo", [&] { qobject_cast<QCheckBox*>(find("chkTo"))->toggle(); }},
            {"dteTo", [&] { qobject_cast<QDateEdit*>(find("dteTo"))->setDate(QDate(2026, 3, 1)); }},
            {"cmbGrade", [&] { qobject_cast<QComboBox*>(find("cmbGrade"))->setEditText("B"); }},
            {"cmbDistance",
             [&] { qobject_cast<QComboBox*>(find("cmbDistance"))->setCurrentText("L"); }},
            {"spnMinField", [&] { qobject_cast<QSpinBox*>(find("spnMinField"))->setValue(3); }},
            {"chkTestFrom", [&] { qobject_cast<QCheckBox*>(find("chkTestFrom"))->toggle(); }},
            {"spnCommission",
             [&] { qobject_cast<QDoubleSpinBox*>(find("spnCommission"))->setValue(5); }},
        };
        // From the first race day: options that choose no race run nothing.
        qobject_cast<QDateEdit*>(find("dteFrom"))->setDate(QDate(2026, 1, 1));
        cases[0].change();  // no run shown yet
        QVERIFY(!window.isMarkedStale());
        cases[0].change();
        for (const auto& c : cases) {
            QVERIFY(runToEnd(window));
            QVERIFY2(!window.isMarkedStale(), c.option);
            c.change();
            QVERIFY2(window.isMarkedStale(), c.option);
        }
    }

    // A report opened from the Backtest window or the main window stands on
    // the screen, beside its opener, usable while the Backtest window is
    // open, and the main window's Window menu lists it; the Backtest
    // window's report stays open when that window closes.
    void reportsOpenBesideTheirWindowAndInTheWindowMenu() {
        AppFixture app;
        test::addChartHistory(app.paths);
        const auto results = app.paths.resultsDir() / "Card - Results.txt";
        base::writeFileAtomic(results, "Results\r\n");
        const struct {
            const char* name;
            bool fromBacktest;
        } cases[] = {{"Backtest - Results.txt", true}, {"Card - Results.txt", false}};
        for (const auto& c : cases) {
            MessageRecorder boxes;
            FileDialogScript dialogs;
            auto main = app.startMain();
            main->show();
            QVERIFY(QTest::qWaitForWindowExposed(main.get()));
            QPointer<BacktestWindow> backtest;
            QWidget* opener = main.get();
            if (c.fromBacktest) {
                // Modal, as the Dogs menu opens it.
                backtest = new BacktestWindow(app.paths, {}, kToday, main.get());
                backtest->setAttribute(Qt::WA_DeleteOnClose);
                backtest->show();
                QVERIFY(QTest::qWaitForWindowExposed(backtest));
                QVERIFY(runToEnd(*backtest));
                backtest->findChild<QPushButton*>(QStringLiteral("cmdViewReport"))->click();
                opener = backtest;
            } else {
                dialogs.choose(qpath(results));
                test::action(*main, "mnuView")->trigger();
            }
            QPointer<TextViewer> viewer;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* v = qobject_cast<TextViewer*>(w); v && v->windowTitle() == c.name)
                    viewer = v;
            QVERIFY2(viewer && viewer->isVisible(), c.name);
            QVERIFY(QTest::qWaitForWindowExposed(viewer));
            // Not shut out by a modal window: none is open, or the viewer
            // belongs to it.
            QWidget* modal = QApplication::activeModalWidget();
            bool own = !modal;
            for (QWidget* w = viewer; w && !own; w = w->parentWidget())
                own = w == modal;
            QVERIFY2(own, c.name);
            const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY2(free.contains(viewer->frameGeometry()), c.name);
            QVERIFY2(viewer->frameGeometry().topLeft() != opener->frameGeometry().topLeft(),
                     c.name);

            if (backtest) {
                backtest->close();
                QTRY_VERIFY(!backtest);
                QVERIFY2(viewer && viewer->isVisible(), c.name);
            }
            QMenu* menu = main->findChild<QMenu*>(QStringLiteral("mnuWindow"));
            emit menu->aboutToShow();
            QAction* listed = nullptr;
            for (QAction* a : menu->actions())
                if (a->text().endsWith(QString::fromLatin1(c.name)))
                    listed = a;
            QVERIFY2(listed, c.name);
            listed->trigger();
            QVERIFY2(viewer->isVisible(), c.name);
            QVERIFY2(boxes.messages().empty(), c.name);
            vz::test::deleteTopLevelWidgets();
            main.release();  // deleted with the other windows
        }
    }

    void optionsAndTheCsv() {
        AppFixture app;
        test::addChartHistory(app.paths);
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

        // A test period from 3/1 shows each row's development and test
        // columns side by side; the two add up to the whole.
        window.findChild<QCheckBox*>(QStringLiteral("chkCsv"))->setChecked(false);
        window.findChild<QCheckBox*>(QStringLiteral("chkTestFrom"))->setChecked(true);
        window.findChild<QDateEdit*>(QStringLiteral("dteTestFrom"))->setDate(QDate(2026, 3, 1));
        QVERIFY(runToEnd(window));
        auto* top = window.findChild<QTableWidget*>(QStringLiteral("tblTopPick"));
        const int columns = top->columnCount();
        QCOMPARE(top->horizontalHeaderItem(1)->text(), QStringLiteral("Development Races"));
        QCOMPARE(top->horizontalHeaderItem(1 + (columns - 1) / 2)->text(),
                 QStringLiteral("Test Races"));
        QCOMPARE(cell(top, 0, 1).toLong() + cell(top, 0, 1 + (columns - 1) / 2).toLong(), 29L);
        QCOMPARE(window.profitChart()->chart()->series().last()->name(),
                 QStringLiteral("Test period from 2026-03-01"));
        window.findChild<QCheckBox*>(QStringLiteral("chkTestFrom"))->setChecked(false);
        window.findChild<QCheckBox*>(QStringLiteral("chkCsv"))->setChecked(true);

        // The CSV is the user's file: No leaves it and starts nothing.
        dialogs.choose(qpath(csv));
        boxes.answer(QMessageBox::No);
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(!window.isRunning());
        QCOMPARE(test::readText(csv), rows);
    }

    void menusOpenTheCheckAndTheBacktest() {
        AppFixture app;
        test::addChartHistory(app.paths);
        const QString card = app.raceFile("Card.rac");
        // Race 2 of 1/4 as a card: its lines give the results.
        test::addRace(card, test::ymd(2026, 1, 4), 2,
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
