#include "gui/vovoziruzu/win_chances_window.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include <fmt/format.h>

#include "core/analysis/walk_forward_report.h"
#include "core/base/error.h"
#include "core/store/dog_database.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/worker.h"
#include "gui/vovoziruzu/analysis_widgets.h"

namespace vz::gui {

namespace {

struct GroupBox {
    analysis::InputGroup group;
    const char* caption;
    const char* name;
    bool byDefault;
};

constexpr GroupBox kGroups[] = {
    {analysis::InputGroup::Score, "Score", "chkScore", false},
    {analysis::InputGroup::Points, "Points (six)", "chkPoints", true},
    {analysis::InputGroup::Figures, "Raw figures", "chkFigures", false},
    {analysis::InputGroup::Post, "Post", "chkPost", true},
    {analysis::InputGroup::Alerts, "Alerts", "chkAlerts", false},
    {analysis::InputGroup::Form, "Form", "chkForm", true},
    {analysis::InputGroup::Style, "Style against post", "chkStyle", false},
};

void replaceChart(QChartView* view, QChart* chart) {
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
}

}  // namespace

QChart* calibrationChart(const analysis::WalkForwardSummary& s) {
    auto* points = new QScatterSeries;
    points->setName(QStringLiteral("Bands of predicted chance"));
    points->setMarkerSize(10);
    double top = 10;
    for (const auto& [predicted, actual] : analysis::calibrationPoints(s)) {
        points->append(100 * predicted, 100 * actual);
        top = std::max({top, 100 * predicted, 100 * actual});
    }
    // Whole tens, so that both axes tick alike.
    top = std::min(100.0, std::ceil(top * 1.1 / 10) * 10);
    auto* diagonal = new QLineSeries;
    diagonal->setName(QStringLiteral("Predicted = actual"));
    diagonal->append(0, 0);
    diagonal->append(top, top);
    auto* chart = new QChart;
    chart->setTitle(
        QStringLiteral("Calibration, walk-forward: %1 races priced").arg(s.racesPriced));
    chart->addSeries(diagonal);
    chart->addSeries(points);
    auto* x = new QValueAxis;
    x->setRange(0, top);
    x->setLabelFormat(QStringLiteral("%.0f"));
    x->setTickCount(static_cast<int>(top / 10) + 1);
    x->setTitleText(QStringLiteral("Predicted win % (band mean)"));
    auto* y = new QValueAxis;
    y->setRange(0, top);
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setTickCount(static_cast<int>(top / 10) + 1);
    y->setTitleText(QStringLiteral("Actual win %"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(diagonal), static_cast<QAbstractSeries*>(points)}) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    return chart;
}

void WinChancesTabs::addTo(QTabWidget* tabs) {
    table = makeTable(tabs, "tblWinChances");
    tabs->addTab(table, QStringLiteral("Win Chances"));
    chart = makeChartView(tabs, "chtCalibration");
    tabs->addTab(chart, QStringLiteral("Calibration"));
}

void WinChancesTabs::show(const analysis::WalkForwardSummary& s) {
    const analysis::WalkForwardTables t = analysis::walkForwardTables(s);
    showTables(table, QStringLiteral("Win chances"),
               {&t.races, &t.judgement, &t.calibration, &t.bets});
    replaceChart(chart, calibrationChart(s));
}

WinChancesWindow::WinChancesWindow(base::AppPaths paths, processing::TimeFactors factors,
                                   QWidget* parent)
    : QDialog(parent), paths_(std::move(paths)), factors_(factors), worker_(new Worker(this)) {
    setObjectName(QStringLiteral("WinChances"));
    setWindowTitle(QStringLiteral("Win Chances"));
    auto* layout = new QVBoxLayout(this);

    auto* inputs = new QGroupBox(QStringLiteral("Inputs"), this);
    auto* grid = new QGridLayout(inputs);
    int at = 0;
    for (const GroupBox& g : kGroups) {
        auto* box = new QCheckBox(QString::fromLatin1(g.caption), inputs);
        box->setObjectName(QString::fromLatin1(g.name));
        box->setChecked(g.byDefault);
        grid->addWidget(box, at / 4, at % 4);
        groups_.push_back(box);
        ++at;
    }
    layout->addWidget(inputs);

    auto* options = new QHBoxLayout;
    const auto dated = [&](QCheckBox*& check, QDateEdit*& edit, const char* caption,
                           const char* checkName, const char* editName) {
        check = new QCheckBox(QString::fromLatin1(caption), this);
        check->setObjectName(QString::fromLatin1(checkName));
        edit = new QDateEdit(QDate::currentDate(), this);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        connect(check, &QCheckBox::toggled, edit, &QWidget::setEnabled);
        options->addWidget(check);
        options->addWidget(edit);
    };
    dated(chkFrom_, dteFrom_, "From", "chkFrom", "dteFrom");
    dated(chkTo_, dteTo_, "To", "chkTo", "dteTo");
    options->addWidget(new QLabel(QStringLiteral("Ridge penalty"), this));
    spnPenalty_ = new QDoubleSpinBox(this);
    spnPenalty_->setObjectName(QStringLiteral("spnPenalty"));
    spnPenalty_->setRange(0, 1000);
    spnPenalty_->setDecimals(2);
    spnPenalty_->setValue(analysis::kDefaultPenalty);
    options->addWidget(spnPenalty_);
    options->addStretch(1);
    layout->addLayout(options);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Label1"));
    status_->setWordWrap(true);
    layout->addWidget(status_);
    progress_ = worker_->addProgressBar(this, layout, "prgFit");
    worker_->showWaitsIn(status_);

    model_ = new QLabel(this);
    model_->setObjectName(QStringLiteral("lblModel"));
    model_->setWordWrap(true);
    layout->addWidget(model_);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabWinChances"));
    coefficients_ = makeTable(tabs_, "tblCoefficients");
    tabs_->addTab(coefficients_, QStringLiteral("Coefficients"));
    chart_ = makeChartView(tabs_, "chtCalibration");
    tabs_->addTab(chart_, QStringLiteral("Calibration"));
    layout->addWidget(tabs_, 1);

    chkReport_ = new QCheckBox(QStringLiteral("Show Win% and Fair on reports"), this);
    chkReport_->setObjectName(QStringLiteral("chkReportColumns"));
    chkReport_->setChecked(analysis::reportColumnsOn(paths_.appDir));
    connect(chkReport_, &QCheckBox::toggled, this, [this](bool on) {
        try {
            analysis::setReportColumnsOn(paths_.appDir, on);
        } catch (const vz::Error& e) {
            showCommonError(this, e);
        }
    });
    layout->addWidget(chkReport_);

    const JobButtons buttons =
        makeJobButtons(this, QStringLiteral("Fit"),
                       {[this] { fit(); }, [this] { cancel(); }, [this] { reject(); }});
    cmdFit_ = buttons.start;
    cmdCancel_ = buttons.cancel;
    cmdClose_ = buttons.close;
    layout->addLayout(buttons.row);
    resize(760, 640);

    // The model fitted last, when there is one.
    try {
        const std::filesystem::path file = analysis::modelFile(paths_.appDir);
        std::error_code ec;
        if (std::filesystem::exists(file, ec)) {
            showModel(analysis::loadModel(file));
            status_->setText(QStringLiteral("The model in %1.").arg(qpath(file)));
        } else {
            status_->setText(QStringLiteral("No model has been fitted yet."));
        }
    } catch (const vz::Error& e) {
        status_->setText(qs(e.what()));
    }
}

QString WinChancesWindow::statusText() const {
    return status_->text();
}

void WinChancesWindow::setRunning(bool running) {
    for (QCheckBox* g : groups_)
        g->setEnabled(!running);
    for (QWidget* w :
         std::initializer_list<QWidget*>{chkFrom_, chkTo_, spnPenalty_, cmdFit_, cmdClose_})
        w->setEnabled(!running);
    dteFrom_->setEnabled(!running && chkFrom_->isChecked());
    dteTo_->setEnabled(!running && chkTo_->isChecked());
    cmdCancel_->setEnabled(running);
}

void WinChancesWindow::fit() {
    if (isRunning())
        return;
    analysis::FitRequest rq;
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        if (groups_[i]->isChecked())
            rq.groups.push_back(kGroups[i].group);
    }
    try {
        if (rq.groups.empty())
            throw vz::Error("Choose at least one group of inputs.");
        if (chkFrom_->isChecked())
            rq.options.from = fromQDate(dteFrom_->date());
        if (chkTo_->isChecked())
            rq.options.to = fromQDate(dteTo_->date());
        analysis::checkOptions(rq.options);
    } catch (const vz::Error& e) {
        showCommonError(this, e);
        return;
    }
    rq.penalty = spnPenalty_->value();
    rq.factors = factors_;
    setRunning(true);
    status_->setText(QStringLiteral("Fitting, please wait..."));
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const std::filesystem::path dogs = paths_.dogDatabase();
    const std::filesystem::path file = analysis::modelFile(paths_.appDir);
    worker_->run(
        [rq, dogs, file](const base::Progress& progress,
                         const std::function<bool()>& cancelled) mutable {
            rq.progress = progress;
            rq.cancelled = cancelled;
            const store::DogDatabase db(dogs, store::OpenMode::ReadOnly);
            analysis::JudgedFit fit = analysis::fitAndJudge(db, rq);
            if (!fit.fit.cancelled)
                analysis::saveModel(file, fit.fit.model);
            return fit;
        },
        [this](std::optional<analysis::JudgedFit> fit, const std::optional<vz::Error>& error) {
            finish(fit, error);
        });
}

void WinChancesWindow::cancel() {
    worker_->cancel();
}

void WinChancesWindow::finish(const std::optional<analysis::JudgedFit>& fit,
                              const std::optional<vz::Error>& error) {
    QApplication::restoreOverrideCursor();
    setRunning(false);
    if (error) {
        status_->setText(QStringLiteral("The fit failed: nothing was written."));
        showCommonError(this, *error);
    } else if (!fit || fit->fit.cancelled) {
        status_->setText(QStringLiteral("Cancelled: no model was written."));
    } else {
        progress_->setValue(progress_->maximum());
        showModel(fit->fit.model);
        replaceChart(chart_, calibrationChart(fit->walk));
        const analysis::Judgement& j = fit->walk.model;
        model_->setText(
            model_->text() +
            QStringLiteral("\nWalk-forward over the same races (refit every %1 "
                           "days): %2 priced, pseudo-R2 %3.")
                .arg(analysis::kDefaultRefitDays)
                .arg(fit->walk.racesPriced)
                .arg(j.pseudoR2() ? QString::number(*j.pseudoR2(), 'f', 4) : QStringLiteral("-")));
        status_->setText(
            QStringLiteral("The model is in %1.").arg(qpath(analysis::modelFile(paths_.appDir))));
    }
    emit fitFinished();
}

void WinChancesWindow::showModel(const analysis::WinModel& m) {
    const analysis::Table t = analysis::coefficientTable(m);
    showTables(coefficients_, QStringLiteral("Input"), {&t});
    model_->setText(qs(fmt::format(
        "Inputs {}: {} races fitted ({} dogs), {} to {}; pseudo-R2 on those races {:.4f} "
        "(in sample: judge the model by the walk-forward figures).",
        analysis::inputGroupsText(m.groups), m.races, m.dogs,
        m.firstDay ? base::toIso(*m.firstDay) : "-", m.lastDay ? base::toIso(*m.lastDay) : "-",
        m.pseudoR2())));
}

void WinChancesWindow::reject() {
    if (isRunning())
        return;
    QDialog::reject();
}

void addWinChancesSwitch(QMenu* menu, const std::filesystem::path& appDir) {
    QAction* a = menu->addAction(QStringLiteral("Win% and &Fair on Reports"));
    a->setObjectName(QStringLiteral("mnuWinChancesOnReports"));
    a->setCheckable(true);
    QObject::connect(menu, &QMenu::aboutToShow, a,
                     [a, appDir] { a->setChecked(analysis::reportColumnsOn(appDir)); });
    QObject::connect(a, &QAction::triggered, menu, [menu, appDir](bool on) {
        try {
            analysis::setReportColumnsOn(appDir, on);
        } catch (const vz::Error& e) {
            showCommonError(menu, e);
        }
    });
}

void showWinChancesWindow(QWidget* parent, const base::AppPaths& paths,
                          processing::TimeFactors factors) {
    WinChancesWindow window(paths, factors, parent);
    window.exec();
}

}  // namespace vz::gui
