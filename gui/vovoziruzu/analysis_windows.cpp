#include "gui/vovoziruzu/analysis_windows.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "core/analysis/backtest_report.h"
#include "core/analysis/check.h"
#include "core/analysis/report_text.h"
#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/store/lookup_database.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/text_viewer.h"

namespace vz::gui {

namespace {

QString percentCell(long part, long whole) {
    return qs(analysis::percentText(analysis::percent(part, whole)));
}

// Fills a table with rows of cells; numbers are right-aligned.
void fillTable(QTableWidget* table, const std::vector<QStringList>& rows) {
    table->clearContents();
    table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QStringList& cells = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < cells.size() && c < table->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c > 0) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            table->setItem(r, c, item);
        }
    }
    table->resizeColumnsToContents();
}

QTableWidget* makeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->setVisible(false);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->horizontalHeader()->setStretchLastSection(false);
    return t;
}

QStringList tallyRow(const QString& label, const analysis::Tally& t) {
    return {label,
            QString::number(t.races),
            QString::number(t.topWon),
            percentCell(t.topWon, t.races),
            percentCell(t.topInThree, t.races),
            QString::number(t.bets),
            qs(analysis::money(t.profit())),
            qs(analysis::roiText(t))};
}

QChartView* makeChartView(QWidget* parent, const char* name) {
    auto* view = new QChartView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(560, 320);
    return view;
}

QByteArray pngOf(QChartView* view) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    view->grab().toImage().save(&buffer, "PNG");
    return bytes;
}

const QString kAnyDistance = QStringLiteral("(any)");
// The picker's top: no real field is larger.
constexpr int kMostDogs = 99;

}  // namespace

void checkRaceFileResults(QWidget* parent, const base::AppPaths& paths,
                          processing::TimeFactors factors, base::Date today) {
    auto chosen = chooseFile(parent, {.mode = FileDialogRequest::Mode::Open,
                                      .title = QStringLiteral("Select race file to check..."),
                                      .folder = qpath(paths.dataDir()) + QChar(u'/'),
                                      .filter = QStringLiteral("Race Files (*.rac)")});
    if (!chosen) {
        return;
    }
    try {
        analysis::CheckRequest rq;
        rq.paths = paths;
        rq.raceFile = fspath(*chosen);
        rq.raceFileTitle = str(fileTitle(*chosen));
        rq.factors = factors;
        rq.today = today;
        std::filesystem::path report;
        {
            WaitCursor wait;
            report = analysis::checkRaceFile(rq).report;
        }
        TextViewer::showFile(report, parent);
    } catch (const vz::Error& e) {
        showCommonError(parent, e);
    } catch (const std::exception& e) {
        showCommonError(parent, e);
    }
}

// What the run left for the window thread.
struct BacktestWindow::Result {
    std::optional<analysis::BacktestOutcome> outcome;
    std::optional<vz::Error> error;
};

BacktestWindow::BacktestWindow(base::AppPaths paths, processing::TimeFactors factors,
                               base::Date today, QWidget* parent)
    : QDialog(parent),
      paths_(std::move(paths)),
      factors_(factors),
      today_(today),
      result_(std::make_unique<Result>()) {
    setObjectName(QStringLiteral("Backtest"));
    setWindowTitle(QStringLiteral("Backtest"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto* intro = new QLabel(
        QStringLiteral("Rates every past race the stored lines rebuild, each as of its own day, "
                       "and shows how the top picks ran. The dates, grade and distance choose "
                       "the races; every earlier line still counts in the ratings."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* form = new QFormLayout;
    const QDate qtoday = toQDate(today_);
    auto dateRow = [&](const char* check, const char* edit, const QString& caption, QCheckBox*& box,
                       QDateEdit*& date) {
        auto* row = new QHBoxLayout;
        box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(check));
        date = new QDateEdit(qtoday, this);
        date->setObjectName(QString::fromLatin1(edit));
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setCalendarPopup(true);
        date->setEnabled(false);
        connect(box, &QCheckBox::toggled, date, &QWidget::setEnabled);
        row->addWidget(box);
        row->addWidget(date);
        row->addStretch(1);
        return row;
    };
    form->addRow(dateRow("chkFrom", "dteFrom", QStringLiteral("From"), chkFrom_, dteFrom_));
    form->addRow(dateRow("chkTo", "dteTo", QStringLiteral("To"), chkTo_, dteTo_));
    cmbGrade_ = new QComboBox(this);
    cmbGrade_->setObjectName(QStringLiteral("cmbGrade"));
    cmbGrade_->setEditable(true);
    cmbGrade_->addItem(QString());
    try {
        for (const base::LookupCode& g : store::LookupDatabase(paths_.staticDatabase()).grades())
            cmbGrade_->addItem(qs(g.code));
    } catch (const std::exception&) {
        // Without the lookup database the grade is typed.
    }
    cmbGrade_->lineEdit()->setPlaceholderText(QStringLiteral("any grade"));
    form->addRow(QStringLiteral("Grade:"), cmbGrade_);
    cmbDistance_ = new QComboBox(this);
    cmbDistance_->setObjectName(QStringLiteral("cmbDistance"));
    cmbDistance_->addItems(
        {kAnyDistance, QStringLiteral("S"), QStringLiteral("L"), QStringLiteral("R")});
    form->addRow(QStringLiteral("Distance:"), cmbDistance_);
    spnMinField_ = new QSpinBox(this);
    spnMinField_->setObjectName(QStringLiteral("spnMinField"));
    spnMinField_->setRange(1, kMostDogs);
    spnMinField_->setValue(analysis::kDefaultMinField);
    form->addRow(QStringLiteral("Dogs a race needs at least:"), spnMinField_);
    chkCsv_ = new QCheckBox(QStringLiteral("Also write a CSV file with every rated dog"), this);
    chkCsv_->setObjectName(QStringLiteral("chkCsv"));
    form->addRow(QString(), chkCsv_);
    layout->addLayout(form);

    status_ = new QLabel(QStringLiteral("Ready"), this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(status_);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("prgLines"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    layout->addWidget(progress_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabResults"));
    races_ = makeTable(tabs_, "tblRaces", {QStringLiteral("Races"), QStringLiteral("Count")});
    tabs_->addTab(races_, QStringLiteral("Races"));
    topPick_ = makeTable(tabs_, "tblTopPick",
                         {QStringLiteral("Top pick"), QStringLiteral("Races"),
                          QStringLiteral("Won"), QStringLiteral("Win %"), QStringLiteral("Top 3 %"),
                          QStringLiteral("Bets"), QStringLiteral("Profit"), QStringLiteral("ROI")});
    tabs_->addTab(topPick_, QStringLiteral("Top Pick"));
    figures_ = makeTable(tabs_, "tblFigures",
                         {QStringLiteral("Figure or alert"), QStringLiteral("Given"),
                          QStringLiteral("Won"), QStringLiteral("Win %")});
    tabs_->addTab(figures_, QStringLiteral("Figures and Alerts"));
    advice_ = makeTable(tabs_, "tblAdvice",
                        {QStringLiteral("Advice"), QStringLiteral("Races"),
                         QStringLiteral("Top pick win %"), QStringLiteral("Other races")});
    tabs_->addTab(advice_, QStringLiteral("Advice"));
    auto chartTab = [&](QChartView*& view, const char* name, const char* button,
                        const QString& caption, const QString& fileName) {
        auto* page = new QWidget(tabs_);
        auto* v = new QVBoxLayout(page);
        view = makeChartView(page, name);
        v->addWidget(view, 1);
        auto* save = new QPushButton(QStringLiteral("Save Chart as PNG..."), page);
        save->setObjectName(QString::fromLatin1(button));
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(save);
        v->addLayout(row);
        QChartView* target = view;
        connect(save, &QPushButton::clicked, this,
                [this, target, fileName] { saveChart(target, fileName); });
        tabs_->addTab(page, caption);
    };
    chartTab(profitView_, "chtProfit", "cmdSaveProfitChart", QStringLiteral("Profit"),
             QStringLiteral("Backtest profit.png"));
    chartTab(scoreView_, "chtScore", "cmdSaveScoreChart", QStringLiteral("Win % by Score"),
             QStringLiteral("Backtest win by score.png"));
    tabs_->setEnabled(false);
    layout->addWidget(tabs_, 1);

    auto* buttons = new QHBoxLayout;
    cmdViewReport_ = new QPushButton(QStringLiteral("View Report"), this);
    cmdViewReport_->setObjectName(QStringLiteral("cmdViewReport"));
    cmdViewReport_->setEnabled(false);
    buttons->addWidget(cmdViewReport_);
    buttons->addStretch(1);
    cmdStart_ = new QPushButton(QStringLiteral("Start"), this);
    cmdStart_->setObjectName(QStringLiteral("cmdOK"));
    cmdStart_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setEnabled(false);
    cmdClose_ = new QPushButton(QStringLiteral("Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(cmdStart_);
    buttons->addWidget(cmdCancel_);
    buttons->addWidget(cmdClose_);
    layout->addLayout(buttons);
    connect(cmdStart_, &QPushButton::clicked, this, &BacktestWindow::start);
    connect(cmdCancel_, &QPushButton::clicked, this, &BacktestWindow::cancel);
    connect(cmdClose_, &QPushButton::clicked, this, &BacktestWindow::reject);
    connect(cmdViewReport_, &QPushButton::clicked, this, &BacktestWindow::viewReport);
    resize(760, 640);
}

BacktestWindow::~BacktestWindow() {
    if (thread_) {
        cancelAsked_ = true;
        thread_->wait();
        delete thread_;
    }
}

QString BacktestWindow::statusText() const {
    return status_->text();
}

std::optional<analysis::BacktestOptions> BacktestWindow::chosenOptions() {
    analysis::BacktestOptions o;
    try {
        if (chkFrom_->isChecked())
            o.from = fromQDate(dteFrom_->date());
        if (chkTo_->isChecked())
            o.to = fromQDate(dteTo_->date());
        o.grade = analysis::gradeOption(str(cmbGrade_->currentText()));
        if (cmbDistance_->currentText() != kAnyDistance)
            o.distance = analysis::distanceOption(str(cmbDistance_->currentText()));
        o.minField = spnMinField_->value();
        analysis::checkOptions(o);
    } catch (const vz::Error& e) {
        showCommonError(this, e);
        return std::nullopt;
    }
    return o;
}

void BacktestWindow::setRunning(bool running) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{chkFrom_, chkTo_, cmbGrade_, cmbDistance_, spnMinField_,
                                         chkCsv_, cmdStart_, cmdClose_, cmdViewReport_})
        w->setEnabled(!running);
    dteFrom_->setEnabled(!running && chkFrom_->isChecked());
    dteTo_->setEnabled(!running && chkTo_->isChecked());
    cmdCancel_->setEnabled(running);
    if (running)
        tabs_->setEnabled(false);
}

void BacktestWindow::start() {
    if (isRunning())
        return;
    const std::optional<analysis::BacktestOptions> options = chosenOptions();
    if (!options)
        return;
    analysis::BacktestRun run;
    run.paths = paths_;
    run.today = today_;
    run.request.options = *options;
    run.request.factors = factors_;
    if (chkCsv_->isChecked()) {
        auto chosen = chooseFile(this, {.mode = FileDialogRequest::Mode::Save,
                                        .title = QStringLiteral("Save the rated dogs as..."),
                                        .folder = qpath(paths_.resultsDir()) + QChar(u'/'),
                                        .filter = QStringLiteral("CSV Files (*.csv)"),
                                        .fileName = QStringLiteral("Backtest.csv"),
                                        .defaultSuffix = QStringLiteral("csv")});
        if (!chosen)
            return;
        if (QFileInfo::exists(*chosen) &&
            !askYesNo(this, QStringLiteral("Confirm"),
                      QStringLiteral("This file\n") + *chosen +
                          QStringLiteral("\nalready exists.  Overwrite?")))
            return;
        run.csv = fspath(*chosen);
    }

    cancelAsked_ = false;
    *result_ = Result{};
    setRunning(true);
    status_->setText(QStringLiteral("Backtesting, please wait..."));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    run.request.progress = [this](long done, long total) {
        QMetaObject::invokeMethod(
            this,
            [this, done, total] {
                // The bar counts in thousands so that any count fits an int.
                progress_->setRange(0, static_cast<int>(std::max(total, 1L) / 1000 + 1));
                progress_->setValue(static_cast<int>(done / 1000));
            },
            Qt::QueuedConnection);
    };
    run.request.cancelled = [this] { return cancelAsked_.load(); };
    Result* result = result_.get();
    std::function<void()> gate = beforeRun;
    thread_ = QThread::create([run, result, gate] {
        try {
            if (gate)
                gate();
            result->outcome = analysis::runBacktest(run);
        } catch (const vz::Error& e) {
            result->error = e;
        } catch (const std::exception& e) {
            result->error = vz::Error(e.what());
        }
    });
    connect(thread_, &QThread::finished, this, &BacktestWindow::finish, Qt::QueuedConnection);
    thread_->start();
}

void BacktestWindow::cancel() {
    if (!isRunning())
        return;
    cancelAsked_ = true;
    status_->setText(QStringLiteral("Cancelling..."));
}

void BacktestWindow::finish() {
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
    // Progress still queued must not move the bar after this.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    QApplication::restoreOverrideCursor();
    setRunning(false);
    if (result_->error) {
        status_->setText(QStringLiteral("The backtest failed."));
        showCommonError(this, *result_->error);
    } else if (result_->outcome->summary.cancelled) {
        status_->setText(QStringLiteral("Cancelled: no report was written."));
        cmdViewReport_->setEnabled(!report_.empty());
    } else {
        summary_ = result_->outcome->summary;
        report_ = result_->outcome->report;
        progress_->setValue(progress_->maximum());
        showSummary(*summary_);
        status_->setText(QStringLiteral("%1 races rated of %2 rebuilt from %3 lines. The report "
                                        "is in %4")
                             .arg(summary_->racesRated())
                             .arg(summary_->racesFound)
                             .arg(summary_->linesRead)
                             .arg(qpath(report_)));
    }
    cmdViewReport_->setEnabled(!report_.empty());
    emit runFinished();
}

void BacktestWindow::showSummary(const analysis::BacktestSummary& s) {
    std::vector<QStringList> races = {
        {QStringLiteral("Race lines read"), QString::number(s.linesRead)},
        {QStringLiteral("Lines that fit no race"), QString::number(s.linesOutsideRaces)},
        {QStringLiteral("Races rebuilt from the lines"), QString::number(s.racesFound)},
        {QStringLiteral("Not chosen"), QString::number(s.racesNotChosen)}};
    for (std::size_t r = 0; r < analysis::kSkipReasons; ++r)
        races.push_back(
            {QStringLiteral("Skipped, ") +
                 qs(analysis::skipText(static_cast<analysis::Skip>(r), s.options.minField)),
             QString::number(s.skipped[r])});
    races.push_back({QStringLiteral("Races rated"), QString::number(s.racesRated())});
    fillTable(races_, races);

    std::vector<QStringList> top = {tallyRow(QStringLiteral("All races"), s.all)};
    for (const analysis::Split& m : s.byMargin)
        top.push_back(tallyRow(QStringLiteral("Margin ") + qs(m.label), m.tally));
    for (const analysis::Split& g : s.byGrade)
        top.push_back(tallyRow(QStringLiteral("Grade ") + qs(g.label), g.tally));
    for (const analysis::Split& d : s.byDistance)
        top.push_back(tallyRow(QStringLiteral("Distance ") + qs(d.label), d.tally));
    fillTable(topPick_, top);

    std::vector<QStringList> counts;
    for (const analysis::Count& f : s.figures)
        counts.push_back({qs(f.label) + QStringLiteral(" alone"), QString::number(f.given),
                          QString::number(f.won), percentCell(f.won, f.given)});
    for (const analysis::Count& a : s.alerts)
        counts.push_back({qs(a.label), QString::number(a.given), QString::number(a.won),
                          percentCell(a.won, a.given)});
    fillTable(figures_, counts);

    std::vector<QStringList> advice;
    for (const analysis::AdviceCount& a : s.advice)
        advice.push_back({qs(a.label), QString::number(a.races), percentCell(a.topWon, a.races),
                          percentCell(s.all.topWon - a.topWon, s.all.races - a.races)});
    fillTable(advice_, advice);

    // The top pick's profit after each day rated.
    auto* profit = new QLineSeries;
    profit->setName(QStringLiteral("Cumulative profit (units)"));
    double low = 0;
    double high = 0;
    for (const auto& [date, value] : s.profitByDate) {
        profit->append(static_cast<qreal>(toQDate(date).startOfDay().toMSecsSinceEpoch()), value);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    auto* profitChart = new QChart;
    profitChart->setTitle(QStringLiteral("Top pick: cumulative profit of flat 1-unit win bets"));
    profitChart->addSeries(profit);
    profitChart->legend()->hide();
    auto* days = new QDateTimeAxis;
    days->setFormat(QStringLiteral("yyyy-MM-dd"));
    days->setTitleText(QStringLiteral("Race day"));
    days->setTickCount(6);
    profitChart->addAxis(days, Qt::AlignBottom);
    profit->attachAxis(days);
    auto* units = new QValueAxis;
    units->setTitleText(QStringLiteral("Profit (units)"));
    units->setRange(low - 1, high + 1);
    units->applyNiceNumbers();
    profitChart->addAxis(units, Qt::AlignLeft);
    profit->attachAxis(units);
    QChart* oldProfit = profitView_->chart();
    profitView_->setChart(profitChart);
    delete oldProfit;

    auto* win = new QBarSet(QStringLiteral("Win %"));
    QStringList bands;
    double top3 = 0;
    for (const analysis::Count& b : s.scoreBands) {
        // One decimal, as the report shows it.
        const double pct = std::round(analysis::percent(b.won, b.given).value_or(0) * 10) / 10;
        *win << pct;
        top3 = std::max(top3, pct);
        bands << qs(b.label);
    }
    auto* bars = new QBarSeries;
    bars->append(win);
    bars->setLabelsVisible(true);
    win->setLabelColor(Qt::black);
    bars->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    bars->setLabelsPrecision(4);
    auto* scoreChart = new QChart;
    scoreChart->setTitle(QStringLiteral("Win % by Score band (every rated dog)"));
    scoreChart->addSeries(bars);
    scoreChart->legend()->hide();
    auto* axisX = new QBarCategoryAxis;
    axisX->append(bands);
    axisX->setTitleText(QStringLiteral("Score"));
    scoreChart->addAxis(axisX, Qt::AlignBottom);
    bars->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    axisY->setRange(0, std::max(10.0, top3 * 1.15));
    axisY->applyNiceNumbers();
    axisY->setLabelFormat(QStringLiteral("%.0f"));
    axisY->setTitleText(QStringLiteral("Win %"));
    scoreChart->addAxis(axisY, Qt::AlignLeft);
    bars->attachAxis(axisY);
    QChart* oldScore = scoreView_->chart();
    scoreView_->setChart(scoreChart);
    delete oldScore;

    tabs_->setEnabled(true);
}

void BacktestWindow::saveChart(QChartView* view, const QString& suggestedName) {
    auto chosen = chooseFile(this, {.mode = FileDialogRequest::Mode::Save,
                                    .title = QStringLiteral("Save chart as..."),
                                    .folder = qpath(paths_.resultsDir()) + QChar(u'/'),
                                    .filter = QStringLiteral("PNG Images (*.png)"),
                                    .fileName = suggestedName,
                                    .defaultSuffix = QStringLiteral("png")});
    if (!chosen)
        return;
    try {
        if (QFileInfo::exists(*chosen) &&
            !askYesNo(this, QStringLiteral("Confirm"),
                      QStringLiteral("This file\n") + *chosen +
                          QStringLiteral("\nalready exists.  Overwrite?")))
            return;
        const QByteArray png = pngOf(view);
        base::writeFileAtomic(
            fspath(*chosen),
            std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
}

void BacktestWindow::viewReport() {
    if (report_.empty())
        return;
    try {
        TextViewer::showFile(report_, parentWidget() ? parentWidget() : this);
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
}

void BacktestWindow::reject() {
    // A run is stopped with Cancel; the window closes after it.
    if (isRunning())
        return;
    QDialog::reject();
}

void BacktestWindow::closeEvent(QCloseEvent* event) {
    if (isRunning()) {
        cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void showBacktestWindow(QWidget* parent, const base::AppPaths& paths,
                        processing::TimeFactors factors, base::Date today) {
    BacktestWindow window(paths, factors, today, parent);
    window.exec();
}

}  // namespace vz::gui
