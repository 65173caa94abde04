#include "gui/vovoziruzu/race_editor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/base/error.h"
#include "core/editing/convert.h"
#include "core/editing/records.h"
#include "core/editing/rules.h"
#include "core/store/dog_database.h"
#include "core/store/lookup_database.h"
#include "gui/common/messages.h"
#include "gui/common/picker.h"
#include "gui/common/qt_setup.h"
#include "gui/vovoziruzu/posts_model.h"

namespace vz::gui {

namespace {

QPushButton* makeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

std::vector<std::string> codes(const std::vector<base::LookupCode>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows)
        out.push_back(r.code);
    return out;
}

QStringList qlist(const std::vector<std::string>& items) {
    QStringList out;
    for (const auto& i : items)
        out << qs(i);
    return out;
}

}  // namespace

RaceEditor::RaceEditor(const base::AppPaths& paths, const QString& filePath,
                       const QString& fileTitle, std::function<base::Date()> today, QWidget* parent)
    : QWidget(parent),
      paths_(paths),
      filePath_(filePath),
      fileTitle_(fileTitle),
      today_(std::move(today)) {
    setObjectName(QStringLiteral("CurrentRace"));
    setWindowTitle(QStringLiteral("Race File - ") + fileTitle);
    file_ = std::make_unique<store::RaceFile>(fspath(filePath));

    // The pickers' lists. A lookup or dog database that cannot be read leaves
    // its list empty; the race file can still be edited.
    try {
        store::LookupDatabase lookup(paths_.staticDatabase());
        lookups_.distances = codes(lookup.distances());
        lookups_.grades = codes(lookup.grades());
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
    QStringList dogs;
    try {
        store::DogDatabase dogDb(paths_.dogDatabase(), store::OpenMode::ReadOnly);
        const std::vector<std::string> names = dogDb.dogNames();
        dogs = qlist(names);
        dogNames_ = editing::DogNames(names);
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }

    auto* fields = new QGridLayout;
    txtDate_ = new QLineEdit(this);
    txtDate_->setObjectName(QStringLiteral("txtFields0"));
    txtRaceNum_ = new QLineEdit(this);
    txtRaceNum_->setObjectName(QStringLiteral("txtFields1"));
    // Typed codes are taken only as listed: a list that jumps to the next
    // code starting with the typed letter would store "AA" for "A".
    cmbDistance_ = new Picker(Picker::Mode::LookupOnly, qlist(lookups_.distances), this);
    cmbDistance_->setObjectName(QStringLiteral("cmbDistance"));
    cmbGrade_ = new Picker(Picker::Mode::LookupOnly, qlist(lookups_.grades), this);
    cmbGrade_->setObjectName(QStringLiteral("cmbGrade"));
    auto addField = [&](int row, int col, const QString& caption, QWidget* w) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(w);
        fields->addWidget(label, row, col * 2);
        fields->addWidget(w, row, col * 2 + 1);
    };
    addField(0, 0, QStringLiteral("Date:"), txtDate_);
    addField(0, 1, QStringLiteral("Race Number:"), txtRaceNum_);
    addField(1, 0, QStringLiteral("Distance:"), cmbDistance_);
    addField(1, 1, QStringLiteral("Grade:"), cmbGrade_);

    // The race navigator: first, previous, the position, next, last.
    auto* nav = new QHBoxLayout;
    auto navButton = [&](const QString& text, const char* name, void (RaceEditor::*slot)()) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, slot);
        nav->addWidget(b);
    };
    navButton(QStringLiteral("|<"), "cmdFirstRace", &RaceEditor::firstRace);
    navButton(QStringLiteral("<"), "cmdPreviousRace", &RaceEditor::previousRace);
    lblCaption_ = new QLabel(this);
    lblCaption_->setObjectName(QStringLiteral("datUserRS"));
    lblCaption_->setFrameShape(QFrame::StyledPanel);
    nav->addWidget(lblCaption_, 1);
    navButton(QStringLiteral(">"), "cmdNextRace", &RaceEditor::nextRace);
    navButton(QStringLiteral(">|"), "cmdLastRace", &RaceEditor::lastRace);

    auto* raceButtons = new QHBoxLayout;
    QPushButton* cmdAdd = makeButton(QStringLiteral("&Add Race"), "cmdAdd", this);
    QPushButton* cmdDelete = makeButton(QStringLiteral("Delete This Race"), "cmdDelete", this);
    QPushButton* cmdRefresh = makeButton(QStringLiteral("&Re-Sort Races"), "cmdRefresh", this);
    QPushButton* cmdClose = makeButton(QStringLiteral("&Close"), "cmdClose", this);
    for (auto* b : {cmdAdd, cmdDelete, cmdRefresh, cmdClose})
        raceButtons->addWidget(b);

    postsModel_ = new PostsModel(*file_, this, this);
    postsModel_->setDogNames(&dogNames_);
    connect(postsModel_, &PostsModel::dataChanged, this, &RaceEditor::updateCaption);
    connect(postsModel_, &PostsModel::modelReset, this, &RaceEditor::updateCaption);
    grid_ = new PostsGrid(this);
    grid_->setObjectName(QStringLiteral("DBGridPosts"));
    grid_->setModel(postsModel_);
    grid_->setItemDelegateForColumn(PostsModel::ColRegName, new DogPickerDelegate(dogs, grid_));
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->horizontalHeader()->setStretchLastSection(false);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    layoutGrid();

    auto* postButtons = new QHBoxLayout;
    QPushButton* cmdAddPost = makeButton(QStringLiteral("Add &Post"), "cmdAddPost", this);
    QPushButton* cmdDelPost = makeButton(QStringLiteral("Delete Current"), "cmdDelPost", this);
    QPushButton* cmdResortPosts =
        makeButton(QStringLiteral("R&e-sort Posts"), "cmdResortPosts", this);
    for (auto* b : {cmdAddPost, cmdDelPost, cmdResortPosts})
        postButtons->addWidget(b);
    postButtons->addStretch(1);

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(twipsToPixelsX(65), 6, twipsToPixelsX(65), 6);
    top->addLayout(fields);
    top->addLayout(nav);
    top->addLayout(raceButtons);
    top->addWidget(grid_, 1);
    top->addLayout(postButtons);

    connect(cmdAdd, &QPushButton::clicked, this, &RaceEditor::addRace);
    connect(cmdDelete, &QPushButton::clicked, this, &RaceEditor::deleteRace);
    connect(cmdRefresh, &QPushButton::clicked, this, &RaceEditor::resortRaces);
    connect(cmdClose, &QPushButton::clicked, this, &RaceEditor::closeWindow);
    connect(cmdAddPost, &QPushButton::clicked, this, &RaceEditor::addPost);
    connect(cmdDelPost, &QPushButton::clicked, this, &RaceEditor::deletePost);
    connect(cmdResortPosts, &QPushButton::clicked, this, &RaceEditor::resortPosts);

    // The window sees the navigation keys before its controls do.
    for (QWidget* w : std::initializer_list<QWidget*>{txtDate_, txtRaceNum_, cmbDistance_,
                                                      cmbGrade_, grid_, grid_->viewport()})
        w->installEventFilter(this);
    for (QPushButton* b : findChildren<QPushButton*>())
        b->installEventFilter(this);

    reloadRaces();
    pos_ = races_.empty() ? -1 : 0;
    showCurrentRace();
}

RaceEditor::~RaceEditor() = default;

void RaceEditor::closeWindow() {
    // In the main window the editor lives in an MDI child: close that.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void RaceEditor::loadDogNames() {
    try {
        store::DogDatabase dogDb(paths_.dogDatabase(), store::OpenMode::ReadOnly);
        dogNames_ = editing::DogNames(dogDb.dogNames());
    } catch (const std::exception&) {
        // The names read at opening stay; the checks only inform.
    }
}

QString RaceEditor::raceCaption() const {
    return lblCaption_->text();
}

void RaceEditor::layoutGrid() {
    grid_->setColumnHidden(PostsModel::ColRaceDate, true);
    grid_->setColumnHidden(PostsModel::ColRaceNum, true);
    grid_->setColumnWidth(PostsModel::ColPost, twipsToPixelsX(900));
    grid_->setColumnWidth(PostsModel::ColRegName, twipsToPixelsX(3000));
    // Row height is fixed at 220 twips, or the font's height where that is
    // taller, so the text is never cut.
    const int rowHeight = std::max(twipsToPixelsY(220), grid_->fontMetrics().height() + 6);
    grid_->verticalHeader()->setMinimumSectionSize(rowHeight);
    grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
}

void RaceEditor::reloadRaces() {
    races_ = file_->races();
}

void RaceEditor::setRaceFieldsEnabled(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{txtDate_, txtRaceNum_, cmbDistance_, cmbGrade_})
        w->setEnabled(on);
}

void RaceEditor::setCombo(Picker* combo, const std::optional<std::string>& value) {
    // A code outside the lookup list is shown (and kept) for its own race
    // only: the picker takes it as the stored value, never offers it.
    combo->setStored(value);
    const int found =
        value ? combo->findText(qs(*value), Qt::MatchExactly | Qt::MatchCaseSensitive) : -1;
    combo->setCurrentIndex(found);
    if (found < 0)
        combo->setEditText(value ? qs(*value) : QString());
}

void RaceEditor::updateCaption() {
    if (pos_ < 0 || races_.empty())
        return;
    lblCaption_->setText(qs(editing::raceCaption(pos_ + 1, static_cast<int>(races_.size()),
                                                 editing::dogCount(postsModel_->posts()))));
}

void RaceEditor::showCurrentRace() {
    if (races_.empty() || pos_ < 0) {
        pos_ = -1;
        lblCaption_->setText(QStringLiteral("No races in file"));
        txtDate_->clear();
        txtRaceNum_->clear();
        setCombo(cmbDistance_, std::nullopt);
        setCombo(cmbGrade_, std::nullopt);
        setRaceFieldsEnabled(false);
        postsModel_->clear();
        layoutGrid();
        return;
    }
    pos_ = std::clamp(pos_, 0, static_cast<int>(races_.size()) - 1);
    const base::Race& r = races_[static_cast<std::size_t>(pos_)];
    setRaceFieldsEnabled(true);
    const editing::RaceFields shown = editing::raceFields(r);
    txtDate_->setText(qs(shown.date));
    txtRaceNum_->setText(qs(shown.number));
    setCombo(cmbDistance_, r.Distance);
    setCombo(cmbGrade_, r.Grade);
    // A race without a valid date has no posts to show.
    postsModel_->load(r.RaceDate, r.RaceNum);
    updateCaption();
    layoutGrid();
}

bool RaceEditor::saveCurrentRace(bool quiet) {
    if (pos_ < 0 || pos_ >= static_cast<int>(races_.size()))
        return true;
    const base::Race stored = races_[static_cast<std::size_t>(pos_)];
    auto comboText = [](QComboBox* c) { return str(c->currentText()); };
    base::Race changed;
    try {
        changed = editing::raceFromFields(stored,
                                          {str(txtDate_->text()), str(txtRaceNum_->text()),
                                           comboText(cmbDistance_), comboText(cmbGrade_)},
                                          lookups_);
        if (changed == stored)
            return true;
        if (!file_->updateRace(changed)) {
            if (!quiet)
                inform(this, kAppTitle,
                       qs(editing::raceTakenMessage(*changed.RaceDate, *changed.RaceNum)));
            showCurrentRace();  // the stored date and number come back
            return false;
        }
    } catch (const editing::FieldError& e) {
        // The typed text stays in its field, which gets the focus.
        if (!quiet) {
            showCommonError(this, e);
            QLineEdit* field = e.field() == editing::kRaceDateField    ? txtDate_
                               : e.field() == editing::kRaceNumField   ? txtRaceNum_
                               : e.field() == editing::kRaceGradeField ? cmbGrade_->lineEdit()
                                                                       : cmbDistance_->lineEdit();
            field->setFocus();
            field->selectAll();
        }
        return false;
    } catch (const std::exception& e) {
        if (!quiet)
            showCommonError(this, e);
        return false;
    }
    races_[static_cast<std::size_t>(pos_)] = changed;
    // The posts moved with a new date or number: show them under it.
    if (changed.RaceDate != stored.RaceDate || changed.RaceNum != stored.RaceNum) {
        try {
            postsModel_->load(changed.RaceDate, changed.RaceNum);
        } catch (const std::exception& e) {
            if (!quiet)
                showCommonError(this, e);
        }
    }
    return true;
}

void RaceEditor::savePendingQuietly() {
    grid_->commitPendingEdit();
    saveCurrentRace(true);
}

bool RaceEditor::moveToRace(int index) {
    if (!saveCurrentRace())
        return false;
    if (races_.empty())
        return false;
    // The order may have changed by the save; the window keeps the order of
    // the last load until Re-Sort Races, as the records keep their places.
    pos_ = std::clamp(index, 0, static_cast<int>(races_.size()) - 1);
    showCurrentRace();
    return true;
}

void RaceEditor::addRace() {
    if (!saveCurrentRace())
        return;
    try {
        reloadRaces();
        const editing::RaceKey key = editing::nextRace(races_, today_());
        base::Race added;
        added.RaceDate = key.date;
        added.RaceNum = key.number;
        file_->addRace(added);
        reloadRaces();
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    pos_ = static_cast<int>(races_.size()) - 1;
    showCurrentRace();
    cmbDistance_->setFocus();
}

void RaceEditor::deleteRace() {
    if (pos_ < 0)
        return;
    if (!askYesNo(this, QStringLiteral("Confirm"), QStringLiteral("Delete this race?")))
        return;
    try {
        file_->deleteRace(races_[static_cast<std::size_t>(pos_)].rowId);
        // Only the race goes: its posts stay in the file.
        races_.erase(races_.begin() + pos_);
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    if (pos_ >= static_cast<int>(races_.size()))
        pos_ = static_cast<int>(races_.size()) - 1;
    showCurrentRace();
}

void RaceEditor::resortRaces() {
    if (!saveCurrentRace())
        return;
    try {
        reloadRaces();
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    pos_ = races_.empty() ? -1 : 0;
    showCurrentRace();
}

void RaceEditor::addPost() {
    if (pos_ < 0)
        return;
    if (!saveCurrentRace())
        return;
    grid_->commitPendingEdit();
    const base::Race& race = races_[static_cast<std::size_t>(pos_)];
    try {
        postsModel_->load(race.RaceDate, race.RaceNum);
        base::Post added;
        added.RaceDate = race.RaceDate;
        added.RaceNum = race.RaceNum;
        added.Post = editing::nextPost(postsModel_->posts());
        file_->addPost(added);
        postsModel_->load(race.RaceDate, race.RaceNum);
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    layoutGrid();
    const int last = postsModel_->rowCount() - 1;
    grid_->setFocus();
    if (last >= 0)
        grid_->setCurrentIndex(postsModel_->index(last, PostsModel::ColRegName));
}

void RaceEditor::deletePost() {
    grid_->commitPendingEdit();
    const int rows = postsModel_->rowCount();
    if (rows == 0)
        return;
    int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0;
    row = std::clamp(row, 0, rows - 1);
    const base::Post post = postsModel_->posts()[static_cast<std::size_t>(row)];
    const QString name = post.RegName ? qs(*post.RegName) : QString();
    if (!askYesNo(this, QStringLiteral("Confirm"), QStringLiteral("Delete ") + name + "?"))
        return;
    try {
        file_->deletePost(post.rowId);
        if (pos_ >= 0) {
            const base::Race& race = races_[static_cast<std::size_t>(pos_)];
            postsModel_->load(race.RaceDate, race.RaceNum);
        }
    } catch (const std::exception& e) {
        showCommonError(this, e);
        return;
    }
    layoutGrid();
    const int left = postsModel_->rowCount();
    if (left > 0)
        grid_->setCurrentIndex(postsModel_->index(std::min(row, left - 1), PostsModel::ColPost));
}

void RaceEditor::resortPosts() {
    grid_->commitPendingEdit();
    if (!saveCurrentRace())
        return;
    try {
        loadDogNames();  // dogs added since the opening count as known now
        showCurrentRace();
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
}

bool RaceEditor::handleKey(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Home:
            if (!ctrl)
                return false;
            txtDate_->setFocus();
            return true;
        case Qt::Key_End:
            if (!ctrl)
                return false;
            txtRaceNum_->setFocus();
            return true;
        case Qt::Key_PageUp:
            if (ctrl)
                firstRace();
            else
                previousRace();
            return true;
        case Qt::Key_PageDown:
            if (ctrl)
                lastRace();
            else
                nextRace();
            return true;
        case Qt::Key_F4:
            // Closes the editor whatever keys the desktop's window menu uses.
            if (!ctrl)
                return false;
            closeWindow();
            return true;
        default:
            return false;
    }
}

bool RaceEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        if (handleKey(static_cast<QKeyEvent*>(event)))
            return true;
    } else if (event->type() == QEvent::FocusIn && watched == txtRaceNum_) {
        // The whole number is selected, so typing replaces it.
        QTimer::singleShot(0, txtRaceNum_, [this] { txtRaceNum_->selectAll(); });
    }
    return QWidget::eventFilter(watched, event);
}

void RaceEditor::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event))
        QWidget::keyPressEvent(event);
}

void RaceEditor::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    grid_->commitPendingEdit();
    // A race field that holds no valid value keeps the window open, so the
    // typed text is not lost; the message says what is wrong.
    if (!saveCurrentRace()) {
        event->ignore();
        return;
    }
    closing_ = true;
    event->accept();
    WaitCursor wait;
    emit closed(filePath_, fileTitle_);
}

}  // namespace vz::gui
