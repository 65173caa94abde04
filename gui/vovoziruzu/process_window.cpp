#include "gui/vovoziruzu/process_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/analysis/win_model.h"
#include "core/base/error.h"
#include "core/processing/run.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/text_viewer.h"
#include "gui/common/worker.h"
#include "gui/vovoziruzu/main_window.h"

namespace vz::gui {

namespace {
const QString kFailureTitle = QStringLiteral("Error - unable to process race");

QString failureText(const vz::Error& e) {
    return QString::fromStdString(e.what()) + QChar(u' ') + QString::number(e.number());
}
}  // namespace

ProcessWindow::ProcessWindow(MainWindow& main, QWidget* parent)
    : QDialog(parent), main_(main), worker_(new Worker(this)) {
    setObjectName(QStringLiteral("Process"));
    setWindowTitle(QStringLiteral("Process Race"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(QStringLiteral("Ready to process"), this);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setMinimumWidth(340);
    layout->addWidget(label_);
    progress_ = worker_->addProgressBar(this, layout, "prgRaces");
    progress_->setVisible(false);
    worker_->showWaitsIn(label_);
    const JobButtons buttons =
        makeJobButtons(this, QStringLiteral("Start"), {[this] { start(); }, [this] { reject(); }});
    cmdOK_ = buttons.start;
    cmdCancel_ = buttons.cancel;
    layout->addLayout(buttons.row);
}

QString ProcessWindow::statusText() const {
    return label_->text();
}

bool ProcessWindow::prepare() {
    auto chosen = chooseFile(this, {.mode = FileDialogRequest::Mode::Open,
                                    .title = QStringLiteral("Select race file to process..."),
                                    .folder = qpath(main_.paths().dataDir()) + QChar(u'/'),
                                    .filter = QStringLiteral("Race Files (*.rac)")});
    if (!chosen)
        return false;
    return prepareFile(*chosen);
}

bool ProcessWindow::prepareFile(const QString& raceFile) {
    try {
        // The set-up opens both files so that a wrong file ends it here.
        store::RaceFile file(fspath(raceFile), store::OpenMode::ReadOnly);
        store::DogDatabase dogs(main_.paths().dogDatabase(), store::OpenMode::ReadOnly);
    } catch (const std::exception& e) {
        // Said before the window closes: which file, and why.
        const auto* error = dynamic_cast<const vz::Error*>(&e);
        showMessage(this, {QMessageBox::Critical, kFailureTitle,
                           QStringLiteral("Unable to open ") + fileTitle(raceFile) +
                               QStringLiteral(" for processing.\n") +
                               failureText(error ? *error : vz::Error(e.what())),
                           QMessageBox::Ok});
        return false;
    }
    raceFile_ = raceFile;
    raceTitle_ = fileTitle(raceFile);
    label_->setText(QStringLiteral("Ready to process ") + raceTitle_);
    return true;
}

void ProcessWindow::start() {
    if (started_ || raceFile_.isEmpty())
        return;
    started_ = true;
    cmdOK_->setVisible(false);
    cmdCancel_->setVisible(false);
    label_->setText(QStringLiteral("Processing, please wait..."));
    progress_->setVisible(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    processing::RunRequest request;
    request.paths = main_.paths();
    request.raceFile = fspath(raceFile_);
    request.raceFileTitle = str(raceTitle_);
    request.TimeFactorL = main_.state().settings.TimeFactorL;
    request.TimeFactorR = main_.state().settings.TimeFactorR;
    request.today = main_.today();
    const bool priced = analysis::reportColumnsOn(request.paths.appDir);
    worker_->run(
        [request, priced](const base::Progress& progress, const std::function<bool()>&) mutable {
            request.progress = progress;
            if (priced)
                analysis::priceWithModel(request, request.paths.appDir);
            // The report, or the error report of the missing dogs.
            return processing::processRaceFile(request).file;
        },
        [this](std::optional<std::filesystem::path> file, const std::optional<vz::Error>& error) {
            finish(file, error);
        });
}

void ProcessWindow::finish(const std::optional<std::filesystem::path>& file,
                           const std::optional<vz::Error>& error) {
    QApplication::restoreOverrideCursor();
    if (error || !file) {
        showMessage(this, {QMessageBox::Critical, kFailureTitle,
                           failureText(error.value_or(vz::Error(""))), QMessageBox::Ok});
    } else {
        try {
            // The viewer belongs to the main window: it stays after this one.
            TextViewer::showFile(*file, &main_);
            opened_ = *file;
        } catch (const vz::Error& e) {
            showMessage(this,
                        {QMessageBox::Critical, kFailureTitle, failureText(e), QMessageBox::Ok});
        }
    }
    emit runFinished();
    QDialog::accept();
}

void ProcessWindow::reject() {
    // A run cannot be left half-way: the window closes itself at its end.
    if (started_)
        return;
    QDialog::reject();
}

void ProcessWindow::closeEvent(QCloseEvent* event) {
    if (started_ && isRunning()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vz::gui
