#include "gui/vovoziruzu/work_window.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/dogs/cleanup.h"
#include "core/dogs/texts.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/worker.h"

namespace vz::gui {

WorkWindow::WorkWindow(const char* name, const QString& caption, const QString& text,
                       bool withCalendar, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setModal(true);

    label_ = new QLabel(text, this);
    label_->setObjectName("Label1");
    label_->setWordWrap(true);
    label_->setMinimumWidth(twipsToPixelsX(4200));
    if (withCalendar) {
        calendar_ = new QCalendarWidget(this);
        calendar_->setObjectName("PickDate");
        calendar_->setGridVisible(true);
        calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    }
    progress_ = new QProgressBar(this);
    progress_->setObjectName("progress");
    progress_->setRange(0, 0);
    progress_->hide();
    worker_ = new Worker(this);
    worker_->showProgressIn(progress_);
    worker_->showWaitsIn(label_);

    const JobButtons buttons = makeJobButtons(this, QString::fromUtf8(dogs::kStartCaption),
                                              {[this] { start(); }, [this] { reject(); }});
    cmdOK_ = buttons.start;
    cmdCancel_ = buttons.cancel;
    if (calendar_) {
        // Clicking a date moves on to "Start".
        connect(calendar_, &QCalendarWidget::clicked, this, [this] { cmdOK_->setFocus(); });
    }

    auto* all = new QVBoxLayout(this);
    all->addWidget(label_);
    if (calendar_) {
        all->addWidget(calendar_);
    }
    all->addWidget(progress_);
    all->addLayout(buttons.row);
}

WorkWindow::~WorkWindow() {
    // The work cannot be stopped: wait for it rather than leave it writing
    // to a window that is gone.
    delete worker_;
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
    }
}

std::optional<base::Date> WorkWindow::chosenDate() const {
    if (!calendar_) {
        return std::nullopt;
    }
    return fromQDate(calendar_->selectedDate());
}

void WorkWindow::setChosenDate(base::Date d) {
    if (calendar_) {
        calendar_->setSelectedDate(toQDate(d));
    }
}

void WorkWindow::start() {
    if (running()) {
        return;
    }
    try {
        prepare();
        if (const auto question = confirmation()) {
            if (!askYesNo(this, QString::fromUtf8(dogs::kConfirmTitle), *question)) {
                return;  // the window stays open, its buttons shown
            }
        }
        if (beforeWork_ && !beforeWork_()) {
            return;
        }
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorSet_ = true;
    cmdOK_->hide();
    cmdCancel_->hide();
    if (calendar_) {
        calendar_->setEnabled(false);
    }
    label_->setText(busyText());
    progress_->setRange(0, 0);
    progress_->show();
    error_.reset();

    worker_->start(
        [this](const base::Progress& progress, const std::function<bool()>&) { work(progress); },
        [this](const std::optional<vz::Error>& error) {
            error_ = error;
            workDone();
        });
}

bool WorkWindow::running() const {
    return worker_->running();
}

void WorkWindow::workDone() {
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
    if (!error_) {
        try {
            afterWork();
        } catch (const vz::Error& e) {
            error_ = e;
        } catch (const std::exception& e) {
            error_ = vz::Error(e.what());
        }
    }
    if (error_) {
        // The work stopped where it was; what it changed stays changed. The
        // status line says so, no longer to wait.
        progress_->hide();
        label_->setText(QStringLiteral("The work stopped before its end: ") +
                        QString::fromStdString(error_->what()));
        inform(this, kAppTitle, QString::fromStdString(dogs::workErrorMessage(*error_)),
               QMessageBox::Critical);
        cmdCancel_->show();  // a way out without the close box
        emit workFinished(false);
        return;
    }
    progress_->setRange(0, 100);
    progress_->setValue(100);
    inform(this, QString::fromUtf8(dogs::kCompleteTitle), completionText());
    emit workFinished(true);
    accept();
}

void WorkWindow::reject() {
    if (running()) {
        return;  // the work runs to its end
    }
    QDialog::reject();
}

void WorkWindow::closeEvent(QCloseEvent* event) {
    if (running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vz::gui

namespace vz::gui {

ZeroCountersWindow::ZeroCountersWindow(const base::AppPaths& paths, QWidget* parent)
    : WorkWindow("Zero", QString::fromUtf8(dogs::kZeroCaption), QString::fromUtf8(dogs::kZeroText),
                 false, parent),
      paths_(paths) {}

QString ZeroCountersWindow::busyText() const {
    return QString::fromUtf8(dogs::kZeroBusyText);
}

void ZeroCountersWindow::work(const base::Progress& progress) {
    dogs::zeroCounters(paths_, progress);
}

QString ZeroCountersWindow::completionText() const {
    return QString::fromUtf8(dogs::kZeroComplete);
}

namespace {

const char* deletionName(dogs::Deletion kind) {
    switch (kind) {
        case dogs::Deletion::RaceData:
            return "DeleteRaceData";
        case dogs::Deletion::Dogs:
            return "DeleteDogs";
        case dogs::Deletion::Results:
            return "DeleteRacesResults";
    }
    return "";
}

}  // namespace

DeletionWindow::DeletionWindow(dogs::Deletion kind, const base::AppPaths& paths, base::Date today,
                               QWidget* parent)
    : WorkWindow(deletionName(kind), QString::fromUtf8(dogs::deletionCaption(kind)),
                 QString::fromUtf8(dogs::deletionPrompt(kind)), true, parent),
      kind_(kind),
      paths_(paths),
      today_(today),
      chosen_(dogs::defaultDeletionDate(kind, today)) {
    setChosenDate(chosen_);
}

void DeletionWindow::prepare() {
    chosen_ = chosenDate().value_or(chosen_);
}

std::optional<QString> DeletionWindow::confirmation() const {
    if (!dogs::needsConfirmation(kind_, chosen_, today_)) {
        return std::nullopt;
    }
    return QString::fromStdString(dogs::confirmationQuestion(kind_, chosen_));
}

QString DeletionWindow::busyText() const {
    return QString::fromUtf8(dogs::kDeleteBusyText);
}

void DeletionWindow::work(const base::Progress& progress) {
    switch (kind_) {
        case dogs::Deletion::RaceData:
            dogs::deleteRaceData(paths_, chosen_, progress);
            break;
        case dogs::Deletion::Dogs:
            dogs::deleteDogs(paths_, chosen_, progress);
            break;
        case dogs::Deletion::Results:
            dogs::deleteResults(paths_, chosen_, progress);
            break;
    }
}

QString DeletionWindow::completionText() const {
    return QString::fromStdString(dogs::completionMessage(kind_, chosen_));
}

}  // namespace vz::gui
