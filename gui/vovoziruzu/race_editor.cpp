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

#include "core/store/dog_database.h"
#include "core/store/error.h"
#include "core/store/lookup_database.h"
#include "gui/common/messages.h"
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

QStringList codes(const std::vector<store::LookupCode>& rows) {
    QStringList out;
    for (const auto& r : rows)
        out << qs(r.code);
    return out;
}

}  // namespace

RaceEditor::RaceEditor(const store::AppPaths& paths, const QString& filePath,
                       const QString& fileTitle, std::function<store::Date()> today,
                       QWidget* parent)
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
    QStringList distances, grades, dogs;
    try {
        store::LookupDatabase lookup(paths_.staticDatabase());
        distances = codes(lookup.distances());
        grades = codes(lookup.grades());
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
    try {
        store::DogDatabase dogDb(paths_.dogDatabase(), store::OpenMode::ReadOnly);
        for (const auto& n : dogDb.dogNames())
            dogs << qs(n);
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }

    auto* fields = new QGridLayout;
    txtDate_ = new QLineEdit(this);
    txtDate_->setObjectName(QStringLiteral("txtFields0"));
    txtRaceNum_ = new QLineEdit(this);
    txtRaceNum_->setObjectName(QStringLiteral("txtFields1"));
    cmbDistance_ = new QComboBox(this);
    cmbDistance_->setObjectName(QStringLiteral("cmbDistance"));
    cmbDistance_->addItems(distances);
    cmbGrade_ = new QComboBox(this);
    cmbGrade_->setObjectName(QStringLiteral("cmbGrade"));
    cmbGrade_->addItems(grades);
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
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        // In the main window the editor lives in an MDI child: close that.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });
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

void RaceEditor::setCombo(QComboBox* combo, const std::optional<std::string>& value) {
    if (!value || value->empty()) {
        combo->setCurrentIndex(-1);
        return;
    }
    int found = combo->findText(qs(*value), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found < 0) {
        // A code that is not in the lookup list is still shown (and kept).
        combo->addItem(qs(*value));
        found = combo->count() - 1;
    }
    combo->setCurrentIndex(found);
}

void RaceEditor::showCurrentRace() {
    if (races_.empty() || pos_ < 0) {
        pos_ = -1;
        lblCaption_->setText(QStringLiteral("No races in file"));
        txtDate_->clear();
        txtRaceNum_->clear();
        cmbDistance_->setCurrentIndex(-1);
        cmbGrade_->setCurrentIndex(-1);
        setRaceFieldsEnabled(false);
        postsModel_->clear();
        layoutGrid();
        return;
    }
    pos_ = std::clamp(pos_, 0, static_cast<int>(races_.size()) - 1);
    const store::Race& r = races_[static_cast<std::size_t>(pos_)];
    setRaceFieldsEnabled(true);
    lblCaption_->setText(QStringLiteral(" Race Number: ") + QString::number(pos_ + 1) +
                         QStringLiteral(" of ") + QString::number(races_.size()));
    txtDate_->setText(r.RaceDate ? qs(store::shortDate(*r.RaceDate)) : QString());
    txtRaceNum_->setText(r.RaceNum ? QString::number(*r.RaceNum) : QString());
    setCombo(cmbDistance_, r.Distance);
    setCombo(cmbGrade_, r.Grade);
    // A race without a valid date has no posts to show.
    postsModel_->load(r.RaceDate, r.RaceNum);
    layoutGrid();
}

bool RaceEditor::saveCurrentRace(bool quiet) {
    if (pos_ < 0 || pos_ >= static_cast<int>(races_.size()))
        return true;
    store::Race changed = races_[static_cast<std::size_t>(pos_)];
    try {
        const QString dateText = txtDate_->text().trimmed();
        if (dateText.isEmpty()) {
            changed.RaceDate.reset();
        } else {
            auto d = store::readDate(str(dateText));
            if (!d)
                throw vz::Error("Invalid date: " + str(dateText), vz::Error::kTypeMismatch);
            changed.RaceDate = *d;
        }
        const QString numText = txtRaceNum_->text().trimmed();
        if (numText.isEmpty()) {
            changed.RaceNum.reset();
        } else {
            bool ok = false;
            const int n = numText.toInt(&ok);
            if (!ok)
                throw vz::Error("Invalid race number: " + str(numText), vz::Error::kTypeMismatch);
            changed.RaceNum = n;
        }
        auto comboValue = [](QComboBox* c) -> std::optional<std::string> {
            if (c->currentIndex() < 0 || c->currentText().isEmpty())
                return std::nullopt;
            return str(c->currentText());
        };
        changed.Distance = comboValue(cmbDistance_);
        changed.Grade = comboValue(cmbGrade_);
        if (changed == races_[static_cast<std::size_t>(pos_)])
            return true;
        file_->updateRace(changed);
    } catch (const std::exception& e) {
        // The typed text stays in the fields so that nothing is lost.
        if (!quiet)
            showCommonError(this, e);
        return false;
    }
    races_[static_cast<std::size_t>(pos_)] = changed;
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
        store::Date date = today_();
        int lastNumber = 0;
        if (!races_.empty()) {
            reloadRaces();
            const store::Race& last = races_.back();
            if (last.RaceDate) {
                date = *last.RaceDate;
                lastNumber = last.RaceNum.value_or(0);
            }
        }
        store::Race added;
        added.RaceDate = date;
        added.RaceNum = lastNumber + 1;
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
    const store::Race& race = races_[static_cast<std::size_t>(pos_)];
    try {
        postsModel_->load(race.RaceDate, race.RaceNum);
        int next = 1;
        const auto& posts = postsModel_->posts();
        if (!posts.empty() && posts.back().Post)
            next = *posts.back().Post + 1;
        store::Post added;
        added.RaceDate = race.RaceDate;
        added.RaceNum = race.RaceNum;
        added.Post = next;
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
    const store::Post post = postsModel_->posts()[static_cast<std::size_t>(row)];
    const QString name = post.RegName ? qs(*post.RegName) : QString();
    if (!askYesNo(this, QStringLiteral("Confirm"), QStringLiteral("Delete ") + name + "?"))
        return;
    try {
        file_->deletePost(post.rowId);
        if (pos_ >= 0) {
            const store::Race& race = races_[static_cast<std::size_t>(pos_)];
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
