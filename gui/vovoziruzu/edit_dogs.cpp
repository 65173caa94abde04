#include "gui/vovoziruzu/edit_dogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/editing/convert.h"
#include "core/editing/rules.h"
#include "core/processing/figures.h"
#include "core/store/lookup_database.h"
#include "gui/common/messages.h"
#include "gui/common/picker.h"
#include "gui/common/qt_setup.h"
#include "gui/vovoziruzu/edit_dogs_model.h"
#include "gui/vovoziruzu/search_dog.h"

namespace vz::gui {

namespace {

// Window sizes in twips.
constexpr long kGridWidthMargin = 130;
constexpr long kGridHeightMargin = 3000;
constexpr long kGridLeft = 60;
constexpr long kRowHeight = 220;
constexpr long kDistancePickerWidth = 600;
constexpr long kGradePickerWidth = 800;
// Lines of the grid the editor opens with: the ones processing rates.
constexpr int kLinesShown = processing::kLinesRead;

// Column widths in twips, by position in RaceHistory (0 is hidden).
constexpr long kColumnWidths[RaceLineModel::ColumnCount] = {0,   1000, 500, 400, 650, 400, 400,
                                                            400, 400,  600, 600, 650, 600, 600};

// The colour of the rated lines, for the legend as for the rows.
const char* const kRatedShade = "rgb(255, 248, 214)";

QStringList qlist(const std::vector<std::string>& items) {
    QStringList out;
    for (const auto& i : items) {
        out << qs(i);
    }
    return out;
}

// The name box: wide enough for a 30-character name.
class NameEdit : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;
    QSize sizeHint() const override {
        QSize hint = QLineEdit::sizeHint();
        const int text =
            fontMetrics().horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD"));
        const QMargins m = textMargins();
        hint.setWidth(text + m.left() + m.right() + 16);
        return hint;
    }
};

}  // namespace

// The Dist and Grade pickers: a drop-down of the lookup codes placed over the
// cell, with the widths the window gives them.
class PickerDelegate : public QStyledItemDelegate {
  public:
    PickerDelegate(QStringList distances, QStringList grades, QObject* parent)
        : QStyledItemDelegate(parent),
          distances_(std::move(distances)),
          grades_(std::move(grades)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const int c = index.column();
        if (c != RaceLineModel::Distance && c != RaceLineModel::Grade) {
            open_ = QStyledItemDelegate::createEditor(parent, option, index);
            return open_;
        }
        auto* box = new Picker(Picker::Mode::LookupOnly,
                               c == RaceLineModel::Distance ? distances_ : grades_, parent);
        open_ = box;
        box->setObjectName(c == RaceLineModel::Distance ? "cmbDistance" : "cmbGrade");
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<Picker*>(editor)) {
            const QString stored = index.data(Qt::EditRole).toString();
            box->setStored(stored.isEmpty() ? std::nullopt
                                            : std::optional<std::string>(str(stored)));
            box->setCurrentText(stored);
            // The key that opened the picker replaces the cell's text.
            box->lineEdit()->selectAll();
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* box = qobject_cast<Picker*>(editor)) {
            // The editing rules store a code as the list spells it.
            model->setData(index, box->currentText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        const int c = index.column();
        if (c == RaceLineModel::Distance || c == RaceLineModel::Grade) {
            const long width =
                c == RaceLineModel::Distance ? kDistancePickerWidth : kGradePickerWidth;
            editor->setGeometry(option.rect.left(), option.rect.top(), twipsToPixelsX(width),
                                option.rect.height());
            return;
        }
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    }

    // The cell editor last opened, while it lives.
    QWidget* openEditor() const { return open_; }

  private:
    QStringList distances_, grades_;
    mutable QPointer<QWidget> open_;
};

// The race-line grid, able to finish an open cell edit on demand (closing
// the window must not lose a typed cell).
class RaceLineGrid : public QTableView {
  public:
    using QTableView::QTableView;

    void setPickers(PickerDelegate* d) {
        pickers_ = d;
        setItemDelegate(d);
    }

    void finishEditing() {
        QWidget* editor = pickers_ ? pickers_->openEditor() : nullptr;
        if (editor && state() == QAbstractItemView::EditingState) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

  private:
    PickerDelegate* pickers_ = nullptr;
};

EditDogs::EditDogs(const base::AppPaths& paths, QWidget* parent) : QWidget(parent), paths_(paths) {
    setObjectName("EditDogs");
    setWindowTitle(QStringLiteral("Dogs"));

    // In a read-only data folder the dogs are shown and every save says why
    // it cannot be made.
    db_ = std::make_unique<store::DogDatabase>(paths_.dogDatabase(), store::OpenMode::PreferWrite);
    browser_ = std::make_unique<store::DogBrowser>(*db_);
    {
        store::LookupDatabase lookup(paths_.staticDatabase());
        lookups_.styles = lookup.styles();
        for (const auto& g : lookup.grades()) {
            lookups_.grades.push_back(g.code);
        }
        for (const auto& d : lookup.distances()) {
            lookups_.distances.push_back(d.code);
        }
    }

    buildControls();
    installKeyFilter(this);

    // Load and first activation: the first dog, or the empty state.
    count_ = browser_->count();
    if (count_ > 0) {
        setCurrent(browser_->first(), 0);
    } else {
        setCurrent(std::nullopt);
        setFieldsEnabled(false);
    }
}

EditDogs::~EditDogs() {
    // The children go before the databases do: a cell editor or field that
    // loses the focus while it is destroyed must find nothing to write to.
    destroying_ = true;
    delete grid_;
    grid_ = nullptr;
    delete top_;
    top_ = nullptr;
}

QTableView* EditDogs::grid() const {
    return grid_;
}

void EditDogs::buildControls() {
    top_ = new QWidget(this);
    auto* fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(3);

    auto addLabel = [&](const char* label, QWidget* buddy, int row, int column) {
        auto* l = new QLabel(QString::fromUtf8(label) + QLatin1Char(':'), top_);
        l->setBuddy(buddy);
        fields->addWidget(l, row, column);
        return l;
    };
    // The object names keep the window's control indexes (1 is the style).
    auto addField = [&](int index, QLineEdit* e, const char* label, int row, int column) {
        e->setObjectName(QStringLiteral("txtFields%1").arg(index));
        addLabel(label, e, row, column);
        fields->addWidget(e, row, column + 1);
        return e;
    };
    name_ = addField(0, new NameEdit(top_), editing::kDogNameField, 0, 0);
    cmbStyle_ = new Picker(Picker::Mode::LookupOnly, qlist(lookups_.styles), top_);
    cmbStyle_->setObjectName("cmbStyle");
    addLabel(editing::kStyleField, cmbStyle_, 0, 2);
    fields->addWidget(cmbStyle_, 0, 3);
    starts_ = addField(2, new QLineEdit(top_), editing::kStartsField, 1, 0);
    firsts_ = addField(3, new QLineEdit(top_), editing::kFirstsField, 1, 2);
    seconds_ = addField(4, new QLineEdit(top_), editing::kSecondsField, 2, 0);
    thirds_ = addField(5, new QLineEdit(top_), editing::kThirdsField, 2, 2);
    for (QLineEdit* count : counts()) {
        count->setMaximumWidth(twipsToPixelsX(900));
    }
    // The comments: a box of a few lines as wide as the window allows, and
    // under its label the room left. The room's text takes no width from
    // the layout, so no field moves while the user types.
    comments_ = new QPlainTextEdit(top_);
    comments_->setObjectName("txtFields6");
    comments_->setTabChangesFocus(true);
    const int commentLines = 2;
    comments_->setFixedHeight(comments_->fontMetrics().lineSpacing() * commentLines +
                              2 * comments_->frameWidth() +
                              static_cast<int>(2 * comments_->document()->documentMargin()));
    addLabel(editing::kCommentsField, comments_, 3, 0);
    fields->addWidget(comments_, 3, 1, 2, 3);
    commentRoom_ = new QLabel(top_);
    commentRoom_->setObjectName("lblCommentRoom");
    QFont small = commentRoom_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    commentRoom_->setFont(small);
    commentRoom_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    commentRoom_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    fields->addWidget(commentRoom_, 4, 0);
    connect(comments_, &QPlainTextEdit::textChanged, this, &EditDogs::showCommentRoom);
    fields->setColumnStretch(1, 1);

    // The dog list's navigation bar, its caption showing the position.
    auto* nav = new QHBoxLayout;
    nav->setSpacing(0);
    auto navButton = [&](const char* name, const char* text) {
        auto* b = new QToolButton(top_);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromLatin1(text));
        b->setFocusPolicy(Qt::NoFocus);
        nav->addWidget(b);
        return b;
    };
    datFirst_ = navButton("datUserRSFirst", "|<");
    datPrevious_ = navButton("datUserRSPrevious", "<");
    datCaption_ = new QLabel(top_);
    datCaption_->setObjectName("datUserRS");
    datCaption_->setFrameShape(QFrame::StyledPanel);
    datCaption_->setMinimumWidth(twipsToPixelsX(2600));
    nav->addWidget(datCaption_, 1);
    datNext_ = navButton("datUserRSNext", ">");
    datLast_ = navButton("datUserRSLast", ">|");
    fields->addLayout(nav, 5, 0, 1, 4);
    connect(datFirst_, &QToolButton::clicked, this, &EditDogs::moveFirst);
    connect(datPrevious_, &QToolButton::clicked, this, &EditDogs::movePrevious);
    connect(datNext_, &QToolButton::clicked, this, &EditDogs::moveNext);
    connect(datLast_, &QToolButton::clicked, this, &EditDogs::moveLast);

    auto button = [&](const char* name, const char* text, void (EditDogs::*slot)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), top_);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    auto* dogButtons = new QVBoxLayout;
    dogButtons->setSpacing(2);
    dogButtons->addWidget(button("cmdAdd", "&Add Dog", &EditDogs::addDog));
    dogButtons->addWidget(button("cmdDelete", "Delete This Dog", &EditDogs::deleteDog));
    dogButtons->addWidget(button("cmdRefresh", "&Re-Sort", &EditDogs::reSort));
    dogButtons->addWidget(button("cmdFind", "&Search", &EditDogs::search));
    dogButtons->addWidget(button("cmdClose", "&Close", &EditDogs::closeWindow));
    dogButtons->addStretch(1);

    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(button("cmdAddLine", "Add Race &Line", &EditDogs::addRaceLine));
    lineButtons->addWidget(button("cmdDelLine", "Delete Current", &EditDogs::deleteCurrentLine));
    lineButtons->addWidget(button("cmdResortLines", "R&e-sort Lines", &EditDogs::resortLines));
    lineButtons->addStretch(1);
    auto* legend = new QLabel(
        QStringLiteral("Shaded: the %1 lines processing rates").arg(processing::kLinesRead), top_);
    legend->setObjectName("lblRated");
    legend->setStyleSheet(
        QStringLiteral("background: %1; padding: 1px 6px;").arg(QString::fromLatin1(kRatedShade)));
    lineButtons->addWidget(legend);

    auto* upper = new QHBoxLayout;
    upper->addLayout(fields, 1);
    upper->addSpacing(8);
    upper->addLayout(dogButtons);
    auto* all = new QVBoxLayout(top_);
    all->setContentsMargins(6, 4, 6, 2);
    all->setSpacing(3);
    all->addLayout(upper);
    all->addLayout(lineButtons);

    grid_ = new RaceLineGrid(this);
    grid_->setObjectName("DBGridRaceHistory");
    lineModel_ = new RaceLineModel(
        lookups_, [this](const base::RaceLine& l) { saveLine(l); },
        [this](const vz::Error& e) { reportError(e); }, this);
    grid_->setModel(lineModel_);
    // The column widths were made for a small grid font: keep the grid's
    // text small so that a whole date fits its 1000 twips.
    QFont gridFont = grid_->font();
    gridFont.setPointSizeF(std::min(gridFont.pointSizeF(), 7.5));
    grid_->setFont(gridFont);
    grid_->horizontalHeader()->setFont(gridFont);
    grid_->setPickers(new PickerDelegate(qlist(lookups_.distances), qlist(lookups_.grades), grid_));
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setMinimumSectionSize(1);
    grid_->verticalHeader()->setDefaultSectionSize(twipsToPixelsY(kRowHeight));
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Leaving fields: the name change is saved at once, comments are cut,
    // the count fields select their text when entered.
    for (QWidget* w : typedFieldWidgets()) {
        w->installEventFilter(this);
    }
    cmbStyle_->installEventFilter(this);
}

QComboBox* EditDogs::styleBox() const {
    return cmbStyle_;
}

void EditDogs::installKeyFilter(QWidget* root) {
    // The window sees its keys before its controls do.
    for (QWidget* w : root->findChildren<QWidget*>()) {
        w->installEventFilter(this);
    }
}

bool EditDogs::handleKey(QKeyEvent* key) {
    const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
    switch (key->key()) {
        case Qt::Key_Home:
            if (ctrl) {
                nameField()->setFocus();
                return true;
            }
            return false;
        case Qt::Key_End:
            if (ctrl) {
                comments_->setFocus();
                return true;
            }
            return false;
        case Qt::Key_PageUp:
            ctrl ? moveFirst() : movePrevious();
            return true;
        case Qt::Key_PageDown:
            ctrl ? moveLast() : moveNext();
            return true;
        case Qt::Key_F4:
            // Closes the editor whatever keys the desktop's window menu uses.
            if (ctrl) {
                closeWindow();
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool EditDogs::eventFilter(QObject* watched, QEvent* event) {
    if (destroying_) {
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        // Cell editors, made later, are not watched: they keep their keys.
        if (handleKey(static_cast<QKeyEvent*>(event))) {
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn) {
        if (watched == nameField()) {
            nameFocusIn();
        } else {
            for (QLineEdit* count : counts()) {
                if (watched == count) {
                    QPointer<QLineEdit> e = count;
                    QTimer::singleShot(0, this, [e] {
                        if (e) {
                            e->selectAll();
                        }
                    });
                }
            }
        }
    }
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window coming forward (a message box among them) is no
        // leaving of the field.
        const bool left = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        if (watched == nameField() && left) {
            nameFocusOut();
        } else if (watched == comments_) {
            commentsFocusOut();
        }
    }
    if (event->type() == QEvent::Resize && area_ && watched == area_->viewport()) {
        applyMaximiseRule();
    }
    return QWidget::eventFilter(watched, event);
}

QString EditDogs::positionCaption() const {
    if (count_ <= 0 || !current_) {
        return QStringLiteral("No greyhounds on file");
    }
    return QStringLiteral(" Greyhound: %1 of %2").arg(position_ + 1).arg(count_);
}

void EditDogs::setCurrent(std::optional<base::Dog> dog, std::optional<std::int64_t> position) {
    current_ = std::move(dog);
    count_ = browser_->count();
    if (current_) {
        position_ = position ? *position : browser_->positionOf(current_->rowId).value_or(0);
    } else {
        position_ = 0;
    }
    currentDogChanged();
}

void EditDogs::currentDogChanged() {
    datCaption_->setText(positionCaption());
    std::vector<base::RaceLine> lines;
    if (count_ > 0 && current_) {
        lines = db_->raceLines(current_->RegName);
    }
    showDogFields();
    originalValue_ = nameField()->text();
    lineModel_->setLines(std::move(lines));
    // Lay out the grid columns.
    grid_->setColumnHidden(RaceLineModel::RegName, true);
    for (int c = 1; c < RaceLineModel::ColumnCount; ++c) {
        grid_->setColumnWidth(c, twipsToPixelsX(kColumnWidths[c]));
    }
}

void EditDogs::showDogFields() {
    const base::Dog empty;
    const base::Dog& d = current_ ? *current_ : empty;
    const editing::DogFields shown = editing::dogFields(d);
    nameField()->setText(qs(shown.name));
    cmbStyle_->setStored(d.RunningStyle);
    cmbStyle_->setCurrentText(qs(shown.style));
    starts_->setText(qs(shown.starts));
    firsts_->setText(qs(shown.firsts));
    seconds_->setText(qs(shown.seconds));
    thirds_->setText(qs(shown.thirds));
    comments_->setPlainText(qs(shown.comments));
}

void EditDogs::showCommentRoom() {
    commentRoom_->setText(qs(editing::commentRoomText(str(comments_->toPlainText()))));
}

std::array<QWidget*, 6> EditDogs::typedFieldWidgets() const {
    return {name_, starts_, firsts_, seconds_, thirds_, comments_};
}

void EditDogs::setFieldsEnabled(bool on) {
    for (QWidget* w : typedFieldWidgets()) {
        w->setEnabled(on);
    }
    cmbStyle_->setEnabled(on);
}

editing::DogFields EditDogs::typedFields() const {
    return {str(name_->text()),           str(cmbStyle_->currentText()), str(starts_->text()),
            str(firsts_->text()),         str(seconds_->text()),         str(thirds_->text()),
            str(comments_->toPlainText())};
}

bool EditDogs::saveCurrentDog() {
    return saveDog(false);
}

void EditDogs::savePendingQuietly() {
    finishGridEdit();
    saveDog(true);
}

bool EditDogs::saveDog(bool quiet) {
    if (!current_) {
        return true;
    }
    base::Dog d;
    try {
        // Cut here too: a move by key saves without the field losing the focus.
        d = editing::dogFromFields(*current_, typedFields(), lookups_.styles);
    } catch (const editing::FieldError& e) {
        // Nothing typed is lost: the dog stays, the field is selected.
        if (!quiet) {
            reportError(e);
            selectField(e.field());
        }
        return false;
    }
    if (d == *current_) {
        return true;
    }
    try {
        db_->updateDog(d);
    } catch (const std::exception& e) {
        if (!quiet) {
            reportError(e);
        }
        // What the database refused is not kept in the fields.
        showDogFields();
        originalValue_ = nameField()->text();
        return false;
    }
    const bool renamed = d.RegName != current_->RegName;
    current_ = d;
    cmbStyle_->setStored(d.RunningStyle);
    if (renamed) {
        // The dog takes its place in name order.
        position_ = browser_->positionOf(d.rowId).value_or(position_);
        datCaption_->setText(positionCaption());
    }
    return true;
}

void EditDogs::selectField(const std::string& name) {
    QWidget* target = nameField();
    if (name == editing::kStyleField) {
        target = cmbStyle_;
        cmbStyle_->lineEdit()->selectAll();
    } else if (name == editing::kCommentsField) {
        target = comments_;
        comments_->selectAll();
    } else {
        const char* names[] = {editing::kStartsField, editing::kFirstsField, editing::kSecondsField,
                               editing::kThirdsField};
        for (std::size_t i = 0; i < 4; ++i) {
            if (name == names[i]) {
                target = counts()[i];
            }
        }
    }
    target->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(target)) {
        line->selectAll();
    }
}

void EditDogs::reportError(const std::exception& e) {
    if (destroying_) {
        return;
    }
    showCommonError(this, e);
}

void EditDogs::saveLine(const base::RaceLine& line) {
    if (destroying_) {
        throw vz::Error("The dog editor is closing.");
    }
    db_->updateRaceLine(line);
}

void EditDogs::moveFirst() {
    try {
        if (!saveCurrentDog()) {
            return;
        }
        setCurrent(browser_->first(), 0);
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::moveLast() {
    try {
        if (!saveCurrentDog()) {
            return;
        }
        const auto n = browser_->count();
        setCurrent(browser_->last(), n > 0 ? n - 1 : 0);
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::moveNext() {
    try {
        if (!current_ || !saveCurrentDog()) {
            return;
        }
        if (auto d = browser_->next(current_->rowId)) {
            setCurrent(std::move(d), position_ + 1);
        } else {
            // Past the end: stay on the last dog.
            const auto n = browser_->count();
            setCurrent(browser_->last(), n > 0 ? n - 1 : 0);
        }
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::movePrevious() {
    try {
        if (!current_ || !saveCurrentDog()) {
            return;
        }
        if (auto d = browser_->previous(current_->rowId)) {
            setCurrent(std::move(d), position_ > 0 ? position_ - 1 : 0);
        } else {
            setCurrent(browser_->first(), 0);
        }
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::moveToDog(const base::Dog& dog) {
    try {
        if (!saveCurrentDog()) {
            return;
        }
        setCurrent(browser_->byRowId(dog.rowId));
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::addDog() {
    try {
        if (!saveCurrentDog()) {
            return;
        }
        base::Dog d;
        d.RegName = editing::kNewDogName;  // saved at once; typing over it names the dog
        const std::int64_t id = db_->addDog(d);
        setFieldsEnabled(true);
        setCurrent(browser_->byRowId(id));
        nameField()->setFocus();
        nameField()->selectAll();
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::deleteDog() {
    if (!current_) {
        return;
    }
    try {
        if (!askYesNo(this, QStringLiteral("Confirm"),
                      QStringLiteral("Delete ") + qs(current_->RegName) + QStringLiteral("?"))) {
            return;
        }
        const std::int64_t pos = position_;
        db_->deleteDog(current_->rowId);  // its race lines stay
        current_.reset();
        if (browser_->count() == 0) {
            setCurrent(std::nullopt);
            setFieldsEnabled(false);
            return;
        }
        if (auto d = browser_->at(pos)) {
            setCurrent(std::move(d), pos);
        } else {
            const auto n = browser_->count();
            setCurrent(browser_->last(), n - 1);
        }
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::reSort() {
    try {
        if (!saveCurrentDog()) {
            return;
        }
        setCurrent(browser_->first(), 0);
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::search() {
    if (!saveCurrentDog()) {
        return;
    }
    SearchDog dialog(this, window());
    dialog.exec();
}

void EditDogs::addRaceLine() {
    if (!current_) {
        return;  // no dog to give the line to
    }
    try {
        finishGridEdit();
        base::RaceLine line;
        line.RegName = str(nameField()->text());
        line.rowId = db_->addRaceLine(line);
        lineModel_->appendLine(line);
        const int row = lineModel_->rowCount() - 1;
        grid_->setFocus();
        grid_->setCurrentIndex(lineModel_->index(row, RaceLineModel::RaceDate));
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::deleteCurrentLine() {
    if (lineModel_->rowCount() == 0) {
        return;
    }
    try {
        finishGridEdit();
        int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0;
        const base::RaceLine line = lineModel_->lines()[static_cast<std::size_t>(row)];
        if (!askYesNo(this, QStringLiteral("Confirm"),
                      QStringLiteral("Delete ") +
                          RaceLineModel::cellText(line, RaceLineModel::RaceDate) +
                          QStringLiteral("?"))) {
            return;
        }
        db_->deleteRaceLine(line.rowId);
        lineModel_->removeLine(row);
        if (lineModel_->rowCount() > 0) {
            row = std::min(row, lineModel_->rowCount() - 1);
            grid_->setCurrentIndex(lineModel_->index(row, RaceLineModel::RaceDate));
        }
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::resortLines() {
    try {
        finishGridEdit();
        if (!saveCurrentDog()) {
            return;
        }
        currentDogChanged();
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::closeWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->close();
    } else {
        close();
    }
}

void EditDogs::nameFocusIn() {
    originalValue_ = nameField()->text();
}

void EditDogs::nameFocusOut() {
    if (nameField()->text() != originalValue_ && saveCurrentDog()) {
        originalValue_ = nameField()->text();
    }
}

void EditDogs::commentsFocusOut() {
    const std::string text = str(comments_->toPlainText());
    const std::string cut = editing::cutComment(text);
    if (cut.size() != text.size()) {
        comments_->setPlainText(qs(cut));
    }
}

void EditDogs::finishGridEdit() {
    grid_->finishEditing();
}

int EditDogs::topHeight() const {
    // The window's field area, or taller when the fonts need it. The grid
    // takes the rest of the height; the comments box takes the field area's
    // spare height and the window's width.
    return std::max(twipsToPixelsY(kGridHeightMargin - 60), top_->sizeHint().height());
}

QSize EditDogs::sizeHint() const {
    long columns = 0;
    for (long w : kColumnWidths) {
        columns += w;
    }
    const int gridWidth = twipsToPixelsX(columns) + grid_->verticalHeader()->sizeHint().width() +
                          grid_->verticalScrollBar()->sizeHint().width() + 2 * grid_->frameWidth();
    const int width =
        std::max(top_->sizeHint().width(), gridWidth + twipsToPixelsX(kGridWidthMargin));
    const int gridHeight = grid_->horizontalHeader()->sizeHint().height() +
                           kLinesShown * grid_->verticalHeader()->defaultSectionSize() +
                           grid_->horizontalScrollBar()->sizeHint().height() +
                           2 * grid_->frameWidth();
    return {width, topHeight() + gridHeight + twipsToPixelsY(60)};
}

void EditDogs::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int top = topHeight();
    top_->setGeometry(0, 0, width(), top);
    grid_->setGeometry(twipsToPixelsX(kGridLeft), top,
                       std::max(0, width() - twipsToPixelsX(kGridWidthMargin)),
                       std::max(0, height() - top - twipsToPixelsY(60)));
}

void EditDogs::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->setMinimumSize(twipsToPixelsX(editing::kDogEditorLimits.minimum.width),
                            twipsToPixelsY(editing::kDogEditorLimits.minimum.height));
        if (!area_ && sub->mdiArea()) {
            area_ = sub->mdiArea();
            // The inner area: the viewport has its new size when it hears of it.
            area_->viewport()->installEventFilter(this);
        }
    }
}

void EditDogs::applyMaximiseRule() {
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub || !area_ || !sub->isMaximized()) {
        return;
    }
    const QSize inner = area_->viewport()->size();
    if (editing::restoreMaximised(editing::kDogEditorLimits, {pixelsToTwipsX(inner.width()),
                                                              pixelsToTwipsY(inner.height())})) {
        sub->showNormal();
    }
}

void EditDogs::closeEvent(QCloseEvent* event) {
    finishGridEdit();
    commentsFocusOut();
    // A field that holds text it cannot take keeps the window open.
    if (!saveCurrentDog()) {
        event->ignore();
        return;
    }
    emit closing();
    event->accept();
}

}  // namespace vz::gui
