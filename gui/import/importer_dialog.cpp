#include "gui/import/importer_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <atomic>
#include <memory>

#include "core/base/error.h"
#include "core/editing/rules.h"
#include "core/store/database.h"
#include "core/store/new_race_file.h"
#include "gui/common/qt_setup.h"
#include "gui/common/worker.h"
#include "gui/import/ui_hooks.h"

namespace vz::gui {

ImporterDialog::ImporterDialog(ImporterDescription description, base::AppPaths paths,
                               base::Date today, ImportUiHooks& hooks, QWidget* parent)
    : QDialog(parent),
      description_(std::move(description)),
      paths_(std::move(paths)),
      today_(today),
      hooks_(hooks),
      label1_(new QLabel(QStringLiteral("Ready to import"), this)),
      files_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      worker_(new Worker(this)) {
    setWindowTitle(description_.caption);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    label1_->setObjectName(QStringLiteral("Label1"));
    QFont status(QStringLiteral("Arial"));
    status.setPointSize(12);
    status.setBold(true);
    status.setStyleHint(QFont::SansSerif);
    label1_->setFont(status);
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setWordWrap(true);
    files_->setObjectName(QStringLiteral("lblFiles"));
    files_->setAlignment(Qt::AlignCenter);
    files_->setTextFormat(Qt::PlainText);
    files_->hide();

    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 0);
    progress_->setTextVisible(false);
    progress_->hide();
    worker_->showProgressIn(progress_);
    worker_->showWaitsIn(label1_);

    const JobButtons buttons = makeJobButtons(this, QStringLiteral("Start Import"),
                                              {[this] { startImport(); }, [this] { reject(); }});
    cmdOK_ = buttons.start;
    cmdCancel_ = buttons.cancel;
    buttons.row->addStretch(1);  // the buttons centred
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(label1_);
    layout->addWidget(files_);
    layout->addWidget(progress_);
    layout->addLayout(buttons.row);
    layout->addStretch();
    setFixedSize(460, 190);
    // Centred on the screen from the start: the questions asked while the
    // dialogs run stand over the place the window then shows at.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QString ImporterDialog::statusText() const {
    return label1_->text();
}

bool ImporterDialog::prepare() {
    if (!chooseInputs() || !chooseRaceFile()) {
        return false;
    }
    label1_->setText(description_.readyText);
    showFiles();
    return true;
}

void ImporterDialog::showFiles() {
    QStringList names, paths;
    for (const std::filesystem::path& in : inputs_) {
        names << QFileInfo(qpath(in)).fileName();
        paths << qpath(in);
    }
    QString text = QStringLiteral("From: ") + names.join(QStringLiteral(", "));
    if (raceFile_) {
        text += QStringLiteral("\nInto: ") + QFileInfo(qpath(*raceFile_)).fileName();
        paths << qpath(*raceFile_);
    }
    files_->setText(text);
    files_->setToolTip(paths.join(QLatin1Char('\n')));
    files_->show();
}

bool ImporterDialog::chooseInputs() {
    inputs_.clear();
    for (const ImporterInput& input : description_.inputs) {
        const QString start = QString::fromStdString(*input.folder);
        const QString chosen = hooks_.openFile(this, input.title, start, input.filter);
        if (chosen.isEmpty()) {
            return false;  // a cancelled dialog ends the window silently
        }
        inputs_.push_back(fspath(chosen));
        // Remembered at once: a later cancel keeps it.
        *input.folder = rememberedFolderOf(chosen);
    }
    return true;
}

bool ImporterDialog::chooseRaceFile() {
    if (!description_.makesRaceFile) {
        return true;
    }
    QString start = qpath(paths_.dataDir()) + QLatin1Char('/');
    QString chosen;
    for (;;) {
        chosen = hooks_.saveFile(this, QStringLiteral("Name new race file..."), start,
                                 QStringLiteral("Race Files (*.rac)|*.rac"));
        if (chosen.isEmpty()) {
            return false;
        }
        // A name without extension gets ".rac", as the main program's New
        // does: the Open and Process dialogs list only those.
        chosen = qs(editing::withRaceFileExtension(str(chosen)));
        start = chosen;  // asked again, the dialog opens on the name just refused
        if (const auto why = store::newRaceFileRefusal(paths_, fspath(chosen))) {
            hooks_.warn(this, importAppTitle(), qs(*why));
            continue;
        }
        std::error_code ec;
        if (!std::filesystem::exists(fspath(chosen), ec)) {
            break;
        }
        if (hooks_.askYesNo(this, QStringLiteral("Confirm"), overwriteQuestion(chosen))) {
            break;
        }
    }
    // The race file itself is made by the run, which replaces an earlier one
    // only once the whole card is written; a template that is not there is
    // said now, before the user starts.
    try {
        store::checkDatabaseFile(paths_.raceTemplate(), "race template");
    } catch (const vz::Error& e) {
        // Unlike a cancel, this is not the user's choice: say why.
        hooks_.warn(
            this, importAppTitle(),
            QStringLiteral("%1 - %2").arg(e.number()).arg(QString::fromStdString(e.what())));
        return false;
    }
    raceFile_ = fspath(chosen);
    return true;
}

void ImporterDialog::startImport() {
    if (importing()) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cmdOK_->hide();
    cmdCancel_->hide();
    label1_->setText(QStringLiteral("Importing, please wait..."));
    files_->hide();
    progress_->setRange(0, 0);
    progress_->show();
    repaint();

    ImportJob job{description_.formatKey, inputs_, raceFile_, paths_, today_};
    worker_->run(
        [job = std::move(job)](const base::Progress& progress, const std::function<bool()>&) {
            return runImportJob(job,
                                [&progress](base::ProgressCount done, base::ProgressCount total) {
                                    // Until the total is known the bar stays busy.
                                    if (total > 0)
                                        progress(done, total);
                                });
        },
        [this](std::optional<ImportOutcome> outcome, const std::optional<vz::Error>&) {
            // The run never throws: it always leaves an outcome.
            outcome_ = outcome.value_or(ImportOutcome{});
            onWorkerDone();
        });
}

void ImporterDialog::onWorkerDone() {
    QApplication::restoreOverrideCursor();
    progress_->hide();
    switch (outcome_.kind) {
        case ImportOutcome::Kind::Done:
            hooks_.inform(this, importAppTitle(),
                          completionWithCounts(description_, outcome_.summary));
            break;
        case ImportOutcome::Kind::ImportFailed:
            hooks_.warn(this, QStringLiteral("Error"), outcome_.message);
            break;
        case ImportOutcome::Kind::OtherError:
            hooks_.warn(this, QStringLiteral("Error"), outcome_.message);
            break;
    }
    emit importFinished();
    accept();
}

void ImporterDialog::closeEvent(QCloseEvent* event) {
    if (importing()) {
        event->ignore();  // a run cannot be stopped once started
        return;
    }
    QDialog::closeEvent(event);
}

void ImporterDialog::reject() {
    if (importing()) {
        return;
    }
    QDialog::reject();
}

}  // namespace vz::gui
