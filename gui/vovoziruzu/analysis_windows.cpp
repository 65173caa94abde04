#include "gui/vovoziruzu/analysis_windows.h"
#include "gui/vovoziruzu/analysis_widgets.h"
#include "gui/vovoziruzu/win_chances_window.h"

#include <QApplication>
#include <QAreaSeries>
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
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPen>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <span>

#include "core/analysis/backtest_report.h"
#include "core/analysis/chart_text.h"
#include "core/analysis/check.h"
#include "core/analysis/evidence.h"
#include "core/analysis/report_text.h"
#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/output_guard.h"
#include "core/base/questions.h"
#include "core/store/lookup_database.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/screen_place.h"
#include "gui/common/text_viewer.h"
#include "gui/common/worker.h"

namespace vz::gui {

namespace {

QString thousands(long n) {
    return qs(analysis::withThousands(std::to_string(n)));
}

// Rows as high as their text and a little air, not the style's roomy default.
void compactRows(QTableWidget* t) {
    const int row = t->fontMetrics().height() + 4;
    t->verticalHeader()->setMinimumSectionSize(row);
    t->verticalHeader()->setDefaultSectionSize(row);
}

// A chart's title with the line saying which races it shows under it.
QString chartTitle(const QString& title, const analysis::BacktestSummary& s) {
    return QStringLiteral("<b>%1</b><br><small>%2</small>")
        .arg(title.toHtmlEscaped(), qs(analysis::chartSubtitle(s)).toHtmlEscaped());
}

}  // namespace

QTableWidget* makeTable(QWidget* parent, const char* name) {
    auto* t = new QTableWidget(0, 0, parent);
    t->setObjectName(QString::fromLatin1(name));
    t->verticalHeader()->setVisible(false);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->horizontalHeader()->setStretchLastSection(false);
    compactRows(t);
    return t;
}

// Shows the core's tables one after another in one widget: the labels, then
// each period's columns side by side (headed by the first table's columns,
// "Test Races" and the like when there are periods); a heading row holds
// its label alone. Numbers are right-aligned.
void showTables(QTableWidget* widget, const QString& labelHeader,
                std::initializer_list<const analysis::Table*> tables) {
    const analysis::Table& first = **tables.begin();
    const std::size_t periods = std::max<std::size_t>(1, first.periods.size());
    QStringList headers{labelHeader};
    for (std::size_t p = 0; p < periods; ++p) {
        for (const analysis::Column& c : first.columns) {
            const QString name = first.periods.empty() ? QString() : qs(first.periods[p]) + u' ';
            headers << name + qs(c.header);
        }
    }
    widget->clear();
    widget->setColumnCount(static_cast<int>(headers.size()));
    widget->setHorizontalHeaderLabels(headers);
    int rows = 0;
    for (const analysis::Table* t : tables)
        rows += static_cast<int>(t->rows.size());
    widget->setRowCount(rows);
    int r = 0;
    auto put = [&](int column, const std::string& text, bool number) {
        auto* item = new QTableWidgetItem(qs(number ? analysis::withThousands(text) : text));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (number)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        widget->setItem(r, column, item);
    };
    for (const analysis::Table* t : tables) {
        for (const analysis::TableRow& row : t->rows) {
            put(0, row.label, false);
            if (row.heading) {
                QFont bold = widget->font();
                bold.setBold(true);
                widget->item(r, 0)->setFont(bold);
            }
            int column = 1;
            for (const std::vector<std::string>& cells : row.periods) {
                for (std::size_t c = 0; c < first.columns.size(); ++c, ++column)
                    put(column, c < cells.size() ? cells[c] : std::string(), true);
            }
            ++r;
        }
    }
    widget->resizeColumnsToContents();
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

namespace {

const QString kAnyDistance = QStringLiteral("(any)");
// The backtest window's own size where the screen allows it, and the least
// height of its tables before the window scrolls.
constexpr QSize kNeededSize(760, 640);
constexpr int kLeastResultsHeight = 240;
// Ticks of the profit axis at most, its ends included.
constexpr int kMostAxisTicks = 7;
// The largest commission the field takes: all of the winnings is no bet.
constexpr double kMostCommission = 99.9;
// The share of a band the two bars of the Score chart take.
constexpr double kBarWidth = 0.8;

// The top pick's cumulative flat-bet profit after each day rated, with the
// fall below its highest point so far (the start at 0 included) shaded.
QChart* equityChart(const analysis::BacktestSummary& s) {
    auto* chart = new QChart;
    auto* profit = new QLineSeries;
    profit->setName(QStringLiteral("Cumulative profit (units)"));
    // The area between the highest point so far and the profit: the
    // drawdown. Its two edges belong to the area, not to the chart's list.
    auto* high = new QLineSeries(chart);
    auto* low = new QLineSeries(chart);
    double top = 0;
    double least = 0;
    double most = 0;
    for (const auto& [date, value] : s.profitByDate) {
        const auto x = static_cast<qreal>(toQDate(date).startOfDay().toMSecsSinceEpoch());
        top = std::max(top, value);
        profit->append(x, value);
        high->append(x, top);
        low->append(x, value);
        least = std::min(least, value);
        most = std::max(most, value);
    }
    auto* drawdown = new QAreaSeries(high, low);
    drawdown->setName(QStringLiteral("Drawdown (below the highest point so far)"));
    drawdown->setColor(QColor(220, 60, 60, 110));
    drawdown->setBorderColor(QColor(220, 60, 60, 0));
    chart->setTitle(
        chartTitle(QStringLiteral("Top pick: cumulative profit of flat 1-unit win bets"), s));
    chart->addSeries(profit);
    chart->addSeries(drawdown);
    auto* days = new QDateTimeAxis;
    days->setFormat(QStringLiteral("yyyy-MM-dd"));
    days->setTitleText(QStringLiteral("Race day"));
    days->setTickCount(6);
    chart->addAxis(days, Qt::AlignBottom);
    auto* units = new QValueAxis;
    units->setTitleText(QStringLiteral("Profit (units)"));
    const analysis::AxisScale scale = analysis::niceScale(least, most, kMostAxisTicks);
    units->setRange(scale.low, scale.high);
    units->setTickCount(scale.ticks);
    units->setLabelFormat(QStringLiteral("%.") + QString::number(scale.decimals) +
                          QStringLiteral("f"));
    chart->addAxis(units, Qt::AlignLeft);
    std::vector<QAbstractSeries*> all = {profit, drawdown};
    // With a test period, a dashed line where it starts.
    if (s.options.testFrom && !s.profitByDate.empty()) {
        auto* start = new QLineSeries;
        start->setName(QStringLiteral("Test period from ") + qs(base::toIso(*s.options.testFrom)));
        const auto x =
            static_cast<qreal>(toQDate(*s.options.testFrom).startOfDay().toMSecsSinceEpoch());
        start->append(x, scale.low);
        start->append(x, scale.high);
        chart->addSeries(start);
        start->setPen(QPen(Qt::darkGray, 1.5, Qt::DashLine));
        all.push_back(start);
    }
    for (QAbstractSeries* series : all) {
        series->attachAxis(days);
        series->attachAxis(units);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

// Win % by Score band with its 95% range as an error bar, and beside it
// the win % the market's odds expected of the same dogs.
QChart* scoreBandChart(const analysis::BacktestSummary& s) {
    auto* chart = new QChart;
    auto* win = new QBarSet(QStringLiteral("Win %"));
    auto* market = new QBarSet(QStringLiteral("Market's expectation %"));
    QStringList bands;
    double most = 0;
    std::vector<std::optional<analysis::Range>> ranges;
    for (const analysis::Count& b : s.scoreBands) {
        // One decimal, as the report shows it.
        const double pct = std::round(analysis::percent(b.won, b.given).value_or(0) * 10) / 10;
        const double expected = b.market.priced > 0
                                    ? 100 * b.market.expected / static_cast<double>(b.market.priced)
                                    : 0;
        *win << pct;
        *market << std::round(expected * 10) / 10;
        ranges.push_back(analysis::wilsonRange(b.won, b.given));
        most = std::max({most, pct, expected, ranges.back() ? 100 * ranges.back()->high : 0});
        bands << qs(b.label);
    }
    auto* bars = new QBarSeries;
    bars->append(win);
    bars->append(market);
    bars->setBarWidth(kBarWidth);
    bars->setLabelsVisible(true);
    win->setLabelColor(Qt::black);
    market->setLabelColor(Qt::black);
    bars->setLabelsPosition(QAbstractBarSeries::LabelsInsideBase);
    bars->setLabelsPrecision(4);
    chart->setTitle(
        chartTitle(QStringLiteral("Win % by Score band (every rated dog), with 95% ranges"), s));
    chart->addSeries(bars);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(bands);
    axisX->setTitleText(QStringLiteral("Score"));
    chart->addAxis(axisX, Qt::AlignBottom);
    bars->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    axisY->setRange(0, std::max(10.0, most * 1.1));
    axisY->applyNiceNumbers();
    axisY->setLabelFormat(QStringLiteral("%.0f"));
    axisY->setTitleText(QStringLiteral("Win %"));
    chart->addAxis(axisY, Qt::AlignLeft);
    bars->attachAxis(axisY);
    // Each range as an I-beam over the middle of its band's win bar (the
    // first of two bars sharing kBarWidth).
    const double middle = -kBarWidth / 4;
    const double cap = kBarWidth / 12;
    bool beamShown = false;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (!ranges[i])
            continue;
        const double x = static_cast<double>(i) + middle;
        const double lowPct = 100 * ranges[i]->low;
        const double highPct = 100 * ranges[i]->high;
        auto* beam = new QLineSeries;
        beam->setName(QStringLiteral("95% range"));
        for (const QPointF& p :
             {QPointF(x - cap, lowPct), QPointF(x + cap, lowPct), QPointF(x, lowPct),
              QPointF(x, highPct), QPointF(x - cap, highPct), QPointF(x + cap, highPct)})
            beam->append(p);
        chart->addSeries(beam);
        // After adding: the chart's theme colours each series it is given.
        beam->setPen(QPen(Qt::black, 1.5));
        beam->attachAxis(axisX);
        beam->attachAxis(axisY);
        // One legend entry for all the beams.
        for (QLegendMarker* m : chart->legend()->markers(beam))
            m->setVisible(!beamShown);
        beamShown = true;
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}
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

BacktestWindow::BacktestWindow(base::AppPaths paths, processing::TimeFactors factors,
                               base::Date today, QWidget* parent)
    : QDialog(parent),
      paths_(std::move(paths)),
      factors_(factors),
      today_(today),
      worker_(new Worker(this)) {
    setObjectName(QStringLiteral("Backtest"));
    setWindowTitle(QStringLiteral("Backtest"));
    setModal(true);
    // Everything but the buttons scrolls, so that on a small screen Start,
    // Cancel and Close stay in reach.
    auto* outer = new QVBoxLayout(this);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrBacktest"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);

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
    form->addRow(dateRow("chkTestFrom", "dteTestFrom",
                         QStringLiteral("Test period from (the earlier races: development)"),
                         chkTestFrom_, dteTestFrom_));
    spnCommission_ = new QDoubleSpinBox(this);
    spnCommission_->setObjectName(QStringLiteral("spnCommission"));
    spnCommission_->setRange(0, kMostCommission);
    spnCommission_->setDecimals(1);
    spnCommission_->setSuffix(QStringLiteral(" %"));
    form->addRow(QStringLiteral("Commission on net winnings:"), spnCommission_);
    chkCsv_ = new QCheckBox(QStringLiteral("Also write a CSV file with every rated dog"), this);
    chkCsv_->setObjectName(QStringLiteral("chkCsv"));
    form->addRow(QString(), chkCsv_);
    chkWinChances_ = new QCheckBox(
        QStringLiteral("Also judge the win chances walk-forward (default inputs, refit every "
                       "28 days)"),
        this);
    chkWinChances_->setObjectName(QStringLiteral("chkWinChances"));
    form->addRow(QString(), chkWinChances_);
    layout->addLayout(form);

    status_ = new QLabel(QStringLiteral("Ready"), this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(status_);
    progress_ = worker_->addProgressBar(this, layout, "prgLines");
    worker_->showCancellingIn(status_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabResults"));
    races_ = makeTable(tabs_, "tblRaces");
    tabs_->addTab(races_, QStringLiteral("Races"));
    topPick_ = makeTable(tabs_, "tblTopPick");
    tabs_->addTab(topPick_, QStringLiteral("Top Pick"));
    figures_ = makeTable(tabs_, "tblFigures");
    tabs_->addTab(figures_, QStringLiteral("Figures"));
    alerts_ = makeTable(tabs_, "tblAlerts");
    tabs_->addTab(alerts_, QStringLiteral("Alerts"));
    advice_ = makeTable(tabs_, "tblAdvice");
    tabs_->addTab(advice_, QStringLiteral("Advice"));
    {
        auto* page = new QWidget(tabs_);
        auto* v = new QVBoxLayout(page);
        staking_ = makeTable(page, "tblStaking");
        months_ = makeTable(page, "tblMonths");
        v->addWidget(staking_, 1);
        v->addWidget(months_, 2);
        tabs_->addTab(page, QStringLiteral("Staking"));
    }
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
    winChances_.addTo(tabs_);
    tabs_->setEnabled(false);
    // Room for a few rows of each table; a lower window scrolls.
    tabs_->setMinimumHeight(kLeastResultsHeight);
    stale_ = new QLabel(QStringLiteral("The options have changed: the tables and charts below are "
                                       "those of the last run. Start runs the new options."),
                        content);
    stale_->setObjectName(QStringLiteral("lblStale"));
    stale_->setWordWrap(true);
    stale_->setStyleSheet(QStringLiteral("background: #fff3c4; padding: 3px;"));
    stale_->hide();
    layout->addWidget(stale_);
    layout->addWidget(tabs_, 1);
    evidence_ = new QLabel(this);
    evidence_->setObjectName(QStringLiteral("lblEvidence"));
    evidence_->setWordWrap(true);
    evidence_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(evidence_);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);

    cmdViewReport_ = new QPushButton(QStringLiteral("View Report"), this);
    cmdViewReport_->setObjectName(QStringLiteral("cmdViewReport"));
    cmdViewReport_->setEnabled(false);
    const JobButtons buttons =
        makeJobButtons(this, QStringLiteral("Start"),
                       {[this] { start(); }, [this] { cancel(); }, [this] { reject(); }});
    buttons.row->insertWidget(0, cmdViewReport_);
    cmdStart_ = buttons.start;
    cmdCancel_ = buttons.cancel;
    cmdClose_ = buttons.close;
    outer->addLayout(buttons.row);
    connect(cmdViewReport_, &QPushButton::clicked, this, &BacktestWindow::viewReport);
    // A changed option makes the shown run out of date.
    for (QCheckBox* box : {chkFrom_, chkTo_, chkTestFrom_, chkWinChances_})
        connect(box, &QCheckBox::toggled, this, &BacktestWindow::markStale);
    for (QDateEdit* date : {dteFrom_, dteTo_, dteTestFrom_})
        connect(date, &QDateEdit::dateChanged, this, &BacktestWindow::markStale);
    for (QComboBox* combo : {cmbGrade_, cmbDistance_})
        connect(combo, &QComboBox::currentTextChanged, this, &BacktestWindow::markStale);
    connect(spnMinField_, &QSpinBox::valueChanged, this, &BacktestWindow::markStale);
    connect(spnCommission_, &QDoubleSpinBox::valueChanged, this, &BacktestWindow::markStale);
    sizeForScreen(this, kNeededSize, parent);
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
        if (chkTestFrom_->isChecked())
            o.testFrom = fromQDate(dteTestFrom_->date());
        o.commission = spnCommission_->value();
        analysis::checkOptions(o);
    } catch (const vz::Error& e) {
        showCommonError(this, e);
        return std::nullopt;
    }
    return o;
}

void BacktestWindow::setRunning(bool running) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             chkFrom_, chkTo_, cmbGrade_, cmbDistance_, spnMinField_, chkTestFrom_, spnCommission_,
             chkCsv_, chkWinChances_, cmdStart_, cmdClose_, cmdViewReport_})
        w->setEnabled(!running);
    dteFrom_->setEnabled(!running && chkFrom_->isChecked());
    dteTo_->setEnabled(!running && chkTo_->isChecked());
    dteTestFrom_->setEnabled(!running && chkTestFrom_->isChecked());
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
    if (chkWinChances_->isChecked()) {
        run.winChances = analysis::WalkForwardOptions{};
        run.winChances->groups = analysis::parseInputGroups(analysis::kDefaultInputs);
    }
    if (chkCsv_->isChecked()) {
        auto chosen = chooseFile(this, {.mode = FileDialogRequest::Mode::Save,
                                        .title = QStringLiteral("Save the rated dogs as..."),
                                        .folder = qpath(paths_.resultsDir()) + QChar(u'/'),
                                        .filter = QStringLiteral("CSV Files (*.csv)"),
                                        .fileName = QStringLiteral("Backtest.csv"),
                                        .defaultSuffix = QStringLiteral("csv")});
        if (!chosen)
            return;
        run.csv = fspath(*chosen);
        if (const auto why = analysis::csvRefusal(run)) {
            showCommonError(this, Error(*why, Error::kPermissionDenied));
            return;
        }
        if (QFileInfo::exists(*chosen) &&
            !askYesNo(this, QStringLiteral("Confirm"), qs(base::overwriteQuestion(str(*chosen)))))
            return;
    }

    setRunning(true);
    status_->setText(QStringLiteral("Backtesting, please wait..."));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    std::function<void()> gate = beforeRun;
    worker_->run(
        [run, gate](const base::Progress& progress,
                    const std::function<bool()>& cancelled) mutable {
            if (gate)
                gate();
            run.request.progress = progress;
            run.request.cancelled = cancelled;
            return analysis::runBacktest(run);
        },
        [this](std::optional<analysis::BacktestOutcome> outcome,
               const std::optional<vz::Error>& error) { finish(std::move(outcome), error); });
}

void BacktestWindow::cancel() {
    worker_->cancel();
}

void BacktestWindow::finish(std::optional<analysis::BacktestOutcome> outcome,
                            const std::optional<vz::Error>& error) {
    QApplication::restoreOverrideCursor();
    setRunning(false);
    if (error || outcome->summary.cancelled) {
        // Nothing of the run is shown: the bar goes back to empty.
        progress_->setRange(0, 1);
        progress_->setValue(0);
        tabs_->setEnabled(summary_.has_value());
    }
    if (error) {
        status_->setText(QStringLiteral("The backtest failed."));
        showCommonError(this, *error);
    } else if (outcome->summary.cancelled) {
        status_->setText(QStringLiteral("Cancelled: no report was written."));
        cmdViewReport_->setEnabled(!report_.empty());
    } else {
        summary_ = outcome->summary;
        report_ = outcome->report;
        progress_->setValue(progress_->maximum());
        showSummary(*outcome);
        status_->setText(QStringLiteral("%1 races rated of %2 rebuilt from %3 lines. The report "
                                        "is in %4")
                             .arg(thousands(summary_->racesRated()))
                             .arg(thousands(summary_->racesFound))
                             .arg(thousands(summary_->linesRead))
                             .arg(qpath(report_)));
    }
    cmdViewReport_->setEnabled(!report_.empty());
    emit runFinished();
}

void BacktestWindow::showSummary(const analysis::BacktestOutcome& outcome) {
    const analysis::BacktestSummary& s = outcome.summary;
    const analysis::BacktestTables& t = outcome.tables;
    showTables(races_, QStringLiteral("Races"), {&t.races});
    showTables(topPick_, QStringLiteral("Top pick"), {&t.allRaces, &t.splits});
    showTables(figures_, QStringLiteral("Figure"), {&t.figures});
    showTables(alerts_, QStringLiteral("Alert"), {&t.alerts});
    showTables(advice_, QStringLiteral("Advice"), {&t.advice});
    showTables(staking_, QStringLiteral("Staking"), {&t.staking});
    showTables(months_, QStringLiteral("Month or year"), {&t.months, &t.years});
    QStringList notes;
    for (const std::string& note : analysis::evidenceNotes(t, s.options.testFrom.has_value()))
        notes << qs(note);
    evidence_->setText(notes.join(u' '));
    if (outcome.winChances)
        winChances_.show(*outcome.winChances);

    QChart* oldProfit = profitView_->chart();
    profitView_->setChart(equityChart(s));
    delete oldProfit;
    QChart* oldScore = scoreView_->chart();
    scoreView_->setChart(scoreBandChart(s));
    delete oldScore;

    tabs_->setEnabled(true);
    stale_->hide();
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
        const auto report = paths_.resultsDir() / std::string(analysis::kBacktestReportName);
        if (const auto why = base::outputRefusal(paths_, fspath(*chosen), base::OutputKind::Other,
                                                 "the chart", std::span(&report, 1)))
            throw Error(*why, Error::kPermissionDenied);
        if (QFileInfo::exists(*chosen) &&
            !askYesNo(this, QStringLiteral("Confirm"), qs(base::overwriteQuestion(str(*chosen)))))
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
        // The report belongs to this window while it is open, so that the
        // window's modality does not shut the report out.
        TextViewer::showFile(report_, this);
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
}

void BacktestWindow::markStale() {
    if (summary_ && !isRunning())
        stale_->show();
}

bool BacktestWindow::isMarkedStale() const {
    return !stale_->isHidden();
}

void BacktestWindow::done(int result) {
    // The reports opened from here stay open, handed to the main window.
    for (TextViewer* report : findChildren<TextViewer*>(Qt::FindDirectChildrenOnly)) {
        const QRect place = report->geometry();
        report->setParent(parentWidget(), report->windowFlags());
        report->setGeometry(place);
        report->show();
    }
    QDialog::done(result);
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
