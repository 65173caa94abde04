#include "gui/vovoziruzu/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <limits>

#include "core/base/dates.h"
#include "core/base/questions.h"
#include "core/base/recent_files.h"
#include "core/base/settings.h"
#include "core/base/window_size.h"
#include "core/editing/rules.h"
#include "core/store/new_race_file.h"
#include "core/store/race_file.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/screen_place.h"
#include "gui/common/single_instance.h"
#include "gui/common/text_viewer.h"
#include "gui/vovoziruzu/analysis_windows.h"
#include "gui/vovoziruzu/dog_commands.h"
#include "gui/vovoziruzu/edit_dogs.h"
#include "gui/vovoziruzu/info_windows.h"
#include "gui/vovoziruzu/process_window.h"
#include "gui/vovoziruzu/race_editor.h"

namespace vz::gui {

namespace {

const QString kRaceFilter = QStringLiteral("Race Files (*.rac)");

QString folderOf(const QString& path) {
    // The path up to where the file name begins, separator included.
    const qsizetype cut = path.lastIndexOf(QChar(u'/'));
    return cut >= 0 ? path.left(cut + 1) : QString();
}

editing::Twips twipsOf(const QSize& pixels) {
    return {pixelsToTwipsX(pixels.width()), pixelsToTwipsY(pixels.height())};
}

QSize pixelsOf(const editing::Twips& twips) {
    return {twipsToPixelsX(twips.width), twipsToPixelsY(twips.height)};
}

std::int16_t clampToInt16(long v) {
    // A placement beyond the file's 16-bit values is kept at the nearest
    // value rather than failing the exit.
    return static_cast<std::int16_t>(std::clamp<long>(v, std::numeric_limits<std::int16_t>::min(),
                                                      std::numeric_limits<std::int16_t>::max()));
}

}  // namespace

MainWindow::MainWindow(base::AppPaths paths, Options options, QWidget* parent)
    : QMainWindow(parent), paths_(std::move(paths)), options_(options) {
    setObjectName(QStringLiteral("Vovoziruzu"));
    setWindowTitle(kAppTitle);
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->viewport()->installEventFilter(this);
    setCentralWidget(mdi_);
    buildMenus();
    buildButtonBar();

    startDetached = [](const QString& program) { return QProcess::startDetached(program, {}); };
    activateImport = [] { return SingleInstance::notifyRunning(importServerName()); };
    installDogCommands(*this);
}

MainWindow::~MainWindow() {
    // The editors go with the window: none is to be activated after them.
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        disconnect(sub, nullptr, this, nullptr);
}

base::Date MainWindow::today() const {
    return options_.today ? *options_.today : base::today();
}

void MainWindow::buildMenus() {
    auto add = [this](QMenu* menu, const QString& caption, const char* name, auto slot,
                      const QKeySequence& key = {}) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto sep = [](QMenu* menu, const char* name) {
        QAction* s = menu->addSeparator();
        s->setObjectName(QString::fromLatin1(name));
        return s;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    add(file, QStringLiteral("E&xit"), "mnuExit", &QWidget::close);

    QMenu* dogs = menuBar()->addMenu(QStringLiteral("&Dogs"));
    dogs->setObjectName(QStringLiteral("mnuDogs"));
    add(dogs, QStringLiteral("&Add/Edit/Delete Dogs"), "mnuEditDogs", &MainWindow::editDogs);
    // The caption only shows the key; the key itself belongs to Races/Import.
    add(dogs, QStringLiteral("&Import...                             Ctrl+I"), "mnuImportDogs",
        &MainWindow::importRaces);
    sep(dogs, "mnuDogsSep2");
    add(dogs, QStringLiteral("&Update Running Style"), "mnuUpdateRunningStyle",
        &MainWindow::updateRunningStyle);
    add(dogs, QStringLiteral("&Zero All Starts, 1st, 2nd, 3rd"), "mnuZero",
        &MainWindow::zeroCounters);
    add(dogs, QStringLiteral("&Backtest..."), "mnuBacktest", [this] {
        showBacktestWindow(this, paths_, {state_.settings.TimeFactorL, state_.settings.TimeFactorR},
                           today());
    });
    add(dogs, QStringLiteral("&Win Chances..."), "mnuWinChances", [this] {
        showWinChancesWindow(this, paths_,
                             {state_.settings.TimeFactorL, state_.settings.TimeFactorR});
    });
    addWinChancesSwitch(dogs, paths_.appDir);
    sep(dogs, "mnuDogsSep");
    add(dogs, QStringLiteral("Delete Old &Race Data"), "mnuDelRaceDat",
        &MainWindow::deleteRaceData);
    add(dogs, QStringLiteral("Delete Old &Dogs"), "mnuDelDogs", &MainWindow::deleteDogs);

    QMenu* races = menuBar()->addMenu(QStringLiteral("&Races"));
    races->setObjectName(QStringLiteral("mnuRaces"));
    add(races, QStringLiteral("&Import..."), "mnuImportRace", &MainWindow::importRaces,
        QKeySequence(Qt::CTRL | Qt::Key_I));
    add(races, QStringLiteral("Create &New Race File"), "mnuNew", &MainWindow::newRaceFile,
        QKeySequence(Qt::CTRL | Qt::Key_N));
    add(races, QStringLiteral("&Open Existing Race File to Edit"), "mnuOpen",
        &MainWindow::openRaceFile, QKeySequence(Qt::CTRL | Qt::Key_O));
    sep(races, "mnuSep5");
    add(races, QStringLiteral("&Process Existing Race File"), "mnuProcess",
        &MainWindow::processRaceFile);
    add(races, QStringLiteral("&View Previously Processed Results"), "mnuView",
        &MainWindow::viewResults);
    add(races, QStringLiteral("&Check Results of Race File..."), "mnuCheckResults", [this] {
        checkRaceFileResults(this, paths_,
                             {state_.settings.TimeFactorL, state_.settings.TimeFactorR}, today());
    });
    add(races, QStringLiteral("&Delete Old Results and Race Files"), "mnuDeleteResults",
        &MainWindow::deleteResults);
    mruSeparator_ = sep(races, "mnuSepMRU");
    mruSeparator_->setVisible(false);
    for (std::size_t i = 0; i < mruActions_.size(); ++i) {
        QAction* a = races->addAction(QStringLiteral("File"));
        a->setObjectName(QStringLiteral("mnuMRU%1").arg(i));
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, i] { openRecentFile(static_cast<int>(i)); });
        mruActions_[i] = a;
    }

    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Window"));
    windowMenu_->setObjectName(QStringLiteral("mnuWindow"));
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::rebuildWindowMenu);
    rebuildWindowMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    add(help, QStringLiteral("&Help Topics"), "mnuHelpTopics", &MainWindow::showHelp,
        QKeySequence(Qt::Key_F1));
    sep(help, "mnuSep2");
    add(help, QStringLiteral("&Technical Support"), "mnuTechSupport", &MainWindow::showTechSupport);
    add(help, QStringLiteral("Software &License"), "mnuLicense", &MainWindow::showLicense);
    sep(help, "mnuSep4");
    add(help, QStringLiteral("&About Vellicor Vovoziruzu..."), "mnuAbout", &MainWindow::showAbout);
}

void MainWindow::rebuildWindowMenu() {
    windowMenu_->clear();
    QAction* cascade = windowMenu_->addAction(QStringLiteral("&Cascade"));
    cascade->setObjectName(QStringLiteral("mnuCascade"));
    connect(cascade, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    QAction* tile = windowMenu_->addAction(QStringLiteral("&Tile"));
    tile->setObjectName(QStringLiteral("mnuTile"));
    connect(tile, &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    // The report windows stand beside the main window; they are listed too,
    // so that one hidden behind another window is found again.
    QList<QWidget*> reports;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TextViewer*>(w) && w->isVisible())
            reports << w;
    std::sort(reports.begin(), reports.end(),
              [](QWidget* a, QWidget* b) { return a->windowTitle() < b->windowTitle(); });
    if (windows.isEmpty() && reports.isEmpty())
        return;
    windowMenu_->addSeparator();
    int n = 1;
    for (QMdiSubWindow* w : windows) {
        const QString caption = w->widget() ? w->widget()->windowTitle() : w->windowTitle();
        QAction* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(n++).arg(caption));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
    }
    for (QWidget* w : reports) {
        QAction* a =
            windowMenu_->addAction(QStringLiteral("&%1 %2").arg(n++).arg(w->windowTitle()));
        a->setObjectName(QStringLiteral("mnuReport"));
        QPointer<QWidget> report = w;
        connect(a, &QAction::triggered, this, [report] { bringToFront(report); });
    }
}

void MainWindow::buildButtonBar() {
    auto* bar = addToolBar(QStringLiteral("Buttons"));
    bar->setObjectName(QStringLiteral("Picture1"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto button = [this, bar](const QString& caption, const char* name, QStyle::StandardPixmap icon,
                              void (MainWindow::*slot)()) {
        QAction* a = bar->addAction(style()->standardIcon(icon), caption);
        connect(a, &QAction::triggered, this, slot);
        bar->widgetForAction(a)->setObjectName(QString::fromLatin1(name));
    };
    button(QStringLiteral("New Race File"), "cmdNew", QStyle::SP_FileIcon,
           &MainWindow::newRaceFile);
    button(QStringLiteral("Open Existing Race File"), "cmdOpen", QStyle::SP_DialogOpenButton,
           &MainWindow::openRaceFile);
    button(QStringLiteral("Edit Dogs"), "cmdEditDogs", QStyle::SP_FileDialogDetailedView,
           &MainWindow::editDogs);
    button(QStringLiteral("Import"), "cmdImport", QStyle::SP_ArrowDown, &MainWindow::importRaces);
    button(QStringLiteral("Process Existing Race File"), "cmdProcess", QStyle::SP_MediaPlay,
           &MainWindow::processRaceFile);
    button(QStringLiteral("Update Running Style"), "cmdUpdateRunningStyle",
           QStyle::SP_BrowserReload, &MainWindow::updateRunningStyle);
}

void MainWindow::start() {
    store::ScreenSize screen = store::kDefaultScreen;
    if (options_.screen) {
        screen = *options_.screen;
    } else if (const QScreen* s = QGuiApplication::primaryScreen()) {
        screen = {pixelsToTwipsX(s->size().width(), s), pixelsToTwipsY(s->size().height(), s)};
    }
    state_ = store::initializeProgram(paths_, screen, today());
    for (const vz::Error& e : state_.errors)
        showCommonError(this, e);
    styleReminderShown_ = false;
    updateRecentMenu();
    placeFromSettings();
}

// The saved place is the frame's (so the title bar is on the screen); the
// saved size is the inner size the window is given back.
void MainWindow::placeFromSettings() {
    const base::Settings& s = state_.settings;
    QSize size(twipsToPixelsX(s.MainWidth), twipsToPixelsY(s.MainHeight));
    if (size.width() < 200 || size.height() < 150) {
        // No usable size (a screen too large for the file's values leaves
        // 0): the screen's free area less 200 twips, as a first start has.
        const QRect free = freeScreenArea(this);
        size = QSize(free.width() - twipsToPixelsX(200), free.height() - twipsToPixelsY(200));
    }
    resize(size);
    move(twipsToPixelsX(s.MainLeft), twipsToPixelsY(s.MainTop));
    // Saved on a larger screen, or first made from the whole screen's size:
    // the window is kept within the room this screen has.
    keepOnScreen(this);
}

void MainWindow::writeExitSettings() {
    base::Settings& s = state_.settings;
    s.MainWindowState = isMaximized() ? 2 : 0;
    // The placement of the normal (restored) window; its frame stands as far
    // from its inner area as the frame of the window now does.
    const bool normal = !isMaximized() && !isMinimized();
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    const QRect inner = normal ? geometry() : normalGeometry();
    const QPoint place = normal ? pos() : inner.topLeft() - frameOffset;
    s.MainLeft = clampToInt16(pixelsToTwipsX(place.x()));
    s.MainTop = clampToInt16(pixelsToTwipsY(place.y()));
    s.MainWidth = clampToInt16(pixelsToTwipsX(inner.width()));
    s.MainHeight = clampToInt16(pixelsToTwipsY(inner.height()));
    s.FreshSettings = 0;
    base::writeSettings(paths_.settingsFile(), s);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!exited_) {
        exited_ = true;
        // Open race editors keep their pending edits; they do not enter the
        // recent-file list, as the program ends without closing them.
        for (RaceEditor* editor : raceEditors())
            editor->savePendingQuietly();
        if (dogEditor_)
            if (auto* dogs = qobject_cast<EditDogs*>(dogEditor_->widget()))
                dogs->savePendingQuietly();
        rememberDogEditorSize();
        try {
            writeExitSettings();
        } catch (const std::exception& e) {
            showCommonError(this, e);
        }
        if (help_)
            help_->close();
    }
    event->accept();
    if (quitOnExit)
        QApplication::quit();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (framed_)
        return;
    framed_ = true;
    // The frame was guessed when the window was placed; once the desktop
    // has framed it, the title bar and edges are brought onto the screen.
    QTimer::singleShot(0, this, [this] {
        if (!isMaximized() && !isMinimized())
            keepOnScreen(this);
    });
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !styleReminderShown_)
        QTimer::singleShot(0, this, &MainWindow::offerStyleReminder);
}

void MainWindow::offerStyleReminder() {
    if (styleReminderShown_)
        return;
    try {
        if (!store::styleReminderDue(state_.settings, today()))
            return;
        styleReminderShown_ = true;
        const QString text =
            QStringLiteral(
                "It has been more than 30 days since you last updated the dogs' "
                "running style.\rIt is recommended you do so now.\r\rUpdate running "
                "styles now?")
                .replace(QChar(u'\r'), QChar(u'\n'));
        if (askYesNo(this, QStringLiteral("Alert"), text))
            updateRunningStyle();
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdi_->viewport() && event->type() == QEvent::Resize)
        restoreSmallMaximizedEditors();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::restoreSmallMaximizedEditors() {
    if (!editing::restoreMaximised(editing::kRaceEditorLimits, twipsOf(mdi_->viewport()->size())))
        return;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (qobject_cast<RaceEditor*>(sub->widget()) && sub->isMaximized())
            sub->showNormal();
}

std::vector<RaceEditor*> MainWindow::raceEditors() const {
    std::vector<RaceEditor*> out;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* e = qobject_cast<RaceEditor*>(sub->widget()))
            out.push_back(e);
    return out;
}

RaceEditor* MainWindow::raceEditorFor(const QString& path) const {
    for (RaceEditor* e : raceEditors())
        if (e->filePath() == path)
            return e;
    return nullptr;
}

void MainWindow::updateRecentMenu() {
    const std::size_t count = base::recentFileCount(state_.recentFiles);
    mruSeparator_->setVisible(count > 0);
    for (std::size_t i = 0; i < mruActions_.size(); ++i) {
        if (i < count) {
            mruActions_[i]->setText(qs(state_.recentFiles[i].Title));
            mruActions_[i]->setVisible(true);
        } else {
            mruActions_[i]->setVisible(false);
        }
    }
}

bool MainWindow::limitReached() {
    if (openFiles_.size() < static_cast<std::size_t>(kMaxOpenFiles))
        return false;
    inform(this, kAppTitle, QStringLiteral("Sorry, you can only open 9 files!"));
    return true;
}

bool MainWindow::isOpen(const QString& path) const {
    // The exact text of the path, letter case included.
    return std::any_of(openFiles_.begin(), openFiles_.end(),
                       [&](const base::RecentFile& f) { return qs(f.Path) == path; });
}

void MainWindow::newRaceFile() {
    if (limitReached())
        return;
    QString path;
    for (;;) {
        auto chosen = chooseFile(this, {.mode = FileDialogRequest::Mode::Save,
                                        .title = QStringLiteral("Name new race file..."),
                                        .folder = qpath(state_.currentFolder),
                                        .filter = kRaceFilter,
                                        .defaultSuffix = QStringLiteral("rac")});
        if (!chosen)
            return;
        // A name typed without an extension gets ".rac": Open lists only those.
        path = qs(editing::withRaceFileExtension(str(*chosen)));
        state_.currentFolder = fspath(folderOf(path));
        // Only a race file is ever replaced by a new one; another name is asked for.
        const auto why = store::newRaceFileRefusal(paths_, fspath(path));
        if (!why)
            break;
        inform(this, kAppTitle, qs(*why), QMessageBox::Warning);
    }
    try {
        if (QFileInfo::exists(path) &&
            !askYesNo(this, QStringLiteral("Confirm"), qs(base::overwriteQuestion(str(path)))))
            return;
        if (isOpen(path)) {
            inform(this, QStringLiteral("Oops"),
                   QStringLiteral("Unable to overwrite - the file\n") + path +
                       QStringLiteral("\nis already open"));
            return;
        }
        store::RaceFile::createFromTemplate(paths_.raceTemplate(), fspath(path));
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    openRaceEditor(path, fileTitle(path));
}

void MainWindow::openRaceFile() {
    if (limitReached())
        return;
    auto chosen = chooseFile(this, {.mode = FileDialogRequest::Mode::Open,
                                    .title = QStringLiteral("Open existing race file..."),
                                    .folder = qpath(state_.currentFolder),
                                    .filter = kRaceFilter});
    if (!chosen)
        return;
    const QString path = *chosen;
    state_.currentFolder = fspath(folderOf(path));
    if (isOpen(path)) {
        inform(this, QStringLiteral("Oops"),
               QStringLiteral("This file:\n") + path + QStringLiteral("\nis already open"));
        return;
    }
    openRaceEditor(path, fileTitle(path));
}

void MainWindow::openRecentFile(int index) {
    if (limitReached())
        return;
    if (index < 0 || index >= static_cast<int>(base::kRecentFileRows))
        return;
    const base::RecentFile entry = state_.recentFiles[static_cast<std::size_t>(index)];
    const QString path = qs(entry.Path);
    if (entry.Path.empty() || !QFileInfo::exists(path)) {
        inform(this, QStringLiteral("Error"),
               QStringLiteral("This file\n") + qs(entry.Title) +
                   QStringLiteral("\nno longer exists or has been moved."));
        return;
    }
    if (isOpen(path)) {
        inform(this, QStringLiteral("Oops"),
               QStringLiteral("This file:\n") + path + QStringLiteral("\nis already open"));
        return;
    }
    openRaceEditor(path, qs(entry.Title));
}

void MainWindow::openRaceEditor(const QString& path, const QString& title) {
    WaitCursor wait;
    if (openFiles_.size() >= static_cast<std::size_t>(kMaxOpenFiles))
        return;  // the limit test came first
    RaceEditor* editor = nullptr;
    try {
        editor = new RaceEditor(paths_, path, title, [this] { return today(); });
    } catch (const std::exception& e) {
        // Not a race file (or unreadable): nothing is counted as open.
        showCommonError(this, e);
        return;
    }
    openFiles_.push_back({str(title), str(path)});
    connect(editor, &RaceEditor::closed, this, &MainWindow::raceEditorClosed);
    QMdiSubWindow* sub = mdi_->addSubWindow(editor);
    sub->setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));
    sub->setMinimumSize(pixelsOf(editing::kRaceEditorLimits.minimum));
    sub->resize(pixelsOf(editing::openingSize(editing::kRaceEditorLimits, {6400, 6200},
                                              twipsOf(mdi_->viewport()->size()))));
    addEditorWindow(sub);
}

void MainWindow::addEditorWindow(QMdiSubWindow* sub) {
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // When it closes, the next editor takes the keyboard, not only the look
    // of the active window.
    connect(sub, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, &MainWindow::activateNextEditor); });
    sub->show();
    mdi_->setActiveSubWindow(sub);
}

void MainWindow::activateNextEditor() {
    QMdiSubWindow* next = mdi_->activeSubWindow();
    if (!next) {
        const QList<QMdiSubWindow*> open = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
        if (open.isEmpty())
            return;
        next = open.back();
    }
    if (!QApplication::activeModalWidget() && QApplication::activeWindow() != this)
        activateWindow();
    mdi_->setActiveSubWindow(next);
    if (next->widget() && !next->isAncestorOf(QApplication::focusWidget()))
        next->widget()->setFocus(Qt::OtherFocusReason);
}

void MainWindow::raceEditorClosed(const QString& path, const QString& title) {
    state_.recentFiles = base::updateRecentFiles(state_.recentFiles, str(title), str(path));
    try {
        base::writeRecentFiles(paths_.recentFile(), state_.recentFiles);
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
    updateRecentMenu();
    auto it = std::find_if(openFiles_.begin(), openFiles_.end(),
                           [&](const base::RecentFile& f) { return qs(f.Path) == path; });
    if (it != openFiles_.end())
        openFiles_.erase(it);
}

void MainWindow::importRaces() {
    if (!closeDogEditor())
        return;
    if (activateImport && activateImport())
        return;
    const std::filesystem::path& folder =
        options_.programDir.empty() ? paths_.appDir : options_.programDir;
    const QString program = QDir(qpath(folder)).filePath(QStringLiteral("Import"));
    if (!startDetached || !startDetached(program))
        showCommonError(this,
                        vz::Error("Unable to start " + str(program), vz::Error::kFileNotFound));
}

void MainWindow::processRaceFile() {
    ProcessWindow window(*this, this);
    if (!window.prepare())
        return;  // cancelled, or not a race file
    window.exec();
}

void MainWindow::viewResults() {
    auto chosen = chooseFile(this, {.mode = FileDialogRequest::Mode::Open,
                                    .title = QStringLiteral("Select results file to view..."),
                                    .folder = qpath(paths_.resultsDir()) + QChar(u'/'),
                                    .filter = QStringLiteral("Results Files (*.txt)")});
    if (!chosen)
        return;
    try {
        TextViewer::showFile(fspath(*chosen), this);
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
}

void MainWindow::showHelp() {
    if (help_) {
        bringToFront(help_);
        return;
    }
    try {
        help_ = new HelpWindow(paths_.helpPage());
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    help_->show();
    bringToFront(help_);
}

void MainWindow::showTechSupport() {
    showTechSupportDialog(this);
}
void MainWindow::showLicense() {
    showLicenseDialog(this, paths_.licenseFile());
}
void MainWindow::showAbout() {
    showAboutDialog(this, paths_);
}

void MainWindow::editDogs() {
    if (dogEditor_) {
        dogEditor_->showNormal();
        mdi_->setActiveSubWindow(dogEditor_);
        return;
    }
    if (!dogEditorFactory) {
        notAvailable(this);
        return;
    }
    QWidget* content = nullptr;
    try {
        content = dogEditorFactory(*this);
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    if (!content)
        return;
    QMdiSubWindow* sub = mdi_->addSubWindow(content);
    dogEditor_ = sub;
    if (auto* dogs = qobject_cast<EditDogs*>(content))
        connect(dogs, &EditDogs::closing, this, &MainWindow::rememberDogEditorSize);
    // The size it was left at, else the size it asks for, within the main
    // window's inner area.
    const std::optional<editing::Twips> remembered =
        dogEditorSize_ ? dogEditorSize_ : base::readWindowSize(paths_.dogEditorSizeFile());
    sub->resize(pixelsOf(editing::openingSize(editing::kDogEditorLimits, remembered,
                                              twipsOf(sub->sizeHint()),
                                              twipsOf(mdi_->viewport()->size()))));
    addEditorWindow(sub);
}

void MainWindow::rememberDogEditorSize() {
    if (!dogEditor_)
        return;
    // The normal size, also of an editor closed maximised or minimised.
    if (dogEditor_->isMaximized() || dogEditor_->isMinimized())
        dogEditor_->showNormal();
    dogEditorSize_ = twipsOf(dogEditor_->size());
    try {
        base::writeWindowSize(paths_.dogEditorSizeFile(), *dogEditorSize_);
    } catch (const std::exception&) {
        // Only a window size: the editor closes all the same, and the next
        // close tries again.
    }
}

bool MainWindow::closeDogEditor() {
    return !dogEditor_ || dogEditor_->close();
}

void MainWindow::runWorkCommand(const std::function<void(MainWindow&)>& command) {
    // A window that rewrites the dog database closes the dog editor when its
    // Start is pressed, not before: Cancel leaves the editor as it was.
    if (!command) {
        notAvailable(this);
        return;
    }
    try {
        command(*this);
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
}

void MainWindow::updateRunningStyle() {
    runWorkCommand(runningStyleCommand);
}
void MainWindow::zeroCounters() {
    runWorkCommand(zeroCountersCommand);
}
void MainWindow::deleteRaceData() {
    runWorkCommand(deleteRaceDataCommand);
}
void MainWindow::deleteDogs() {
    runWorkCommand(deleteDogsCommand);
}
void MainWindow::deleteResults() {
    runWorkCommand(deleteResultsCommand);
}

}  // namespace vz::gui
