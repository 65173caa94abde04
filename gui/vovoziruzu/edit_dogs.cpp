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
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/store/lookup_database.h"
#include "core/store/text.h"
#include "core/store/vb.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/vovoziruzu/edit_dogs_model.h"
#include "gui/vovoziruzu/search_dog.h"

namespace vz::gui {

namespace {

constexpr int kCommentLength = 200;

// Window sizes in twips.
constexpr long kMinWidth = 7700;
constexpr long kMinHeight = 5000;
constexpr long kMaximisedMinAreaWidth = 7570;
constexpr long kMaximisedMinAreaHeight = 4700;
constexpr long kGridWidthMargin = 130;
constexpr long kGridHeightMargin = 3000;
constexpr long kGridLeft = 60;
constexpr long kRowHeight = 220;
constexpr long kDistancePickerWidth = 600;
constexpr long kGradePickerWidth = 800;

// Column widths in twips, by position in RaceHistory (0 is hidden).
constexpr long kColumnWidths[RaceLineModel::ColumnCount] = {0,   1000, 500, 400, 650, 400, 400,
                                                            400, 400,  600, 600, 650, 600, 600};

std::optional<int> readCount(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok) {
        throw vz::Error("Type mismatch", vz::Error::kTypeMismatch);
    }
    return store::toInt32(d);
}

QString countText(const std::optional<int>& v) {
    return v ? QString::number(*v) : QString();
}

// An empty field keeps a stored empty text apart from no value at all.
std::optional<std::string> optionalText(const QString& text,
                                        const std::optional<std::string>& was) {
    if (text.isEmpty()) {
        return (was && was->empty()) ? was : std::nullopt;
    }
    return text.toStdString();
}

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
        auto* box = new QComboBox(parent);
        open_ = box;
        box->setObjectName(c == RaceLineModel::Distance ? "cmbDistance" : "cmbGrade");
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(c == RaceLineModel::Distance ? distances_ : grades_);
        // No completion as one types: "A" must not become "AA".
        box->setCompleter(nullptr);
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentText(index.data(Qt::EditRole).toString());
            // The key that opened the picker replaces the cell's text.
            box->lineEdit()->selectAll();
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            // A code typed in other letter case is stored as the list spells it.
            const int i = box->findText(box->currentText(), Qt::MatchFixedString);
            model->setData(index, i >= 0 ? box->itemText(i) : box->currentText(), Qt::EditRole);
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

EditDogs::EditDogs(const store::AppPaths& paths, QWidget* parent) : QWidget(parent), paths_(paths) {
    setObjectName("EditDogs");
    setWindowTitle(QStringLiteral("Dogs"));

    // In a read-only data folder the dogs are shown and every save says why
    // it cannot be made.
    db_ = std::make_unique<store::DogDatabase>(paths_.dogDatabase(), store::OpenMode::PreferWrite);
    browser_ = std::make_unique<store::DogBrowser>(*db_);
    {
        store::LookupDatabase lookup(paths_.staticDatabase());
        for (const auto& s : lookup.styles()) {
            styles_ << qs(s);
        }
        for (const auto& g : lookup.grades()) {
            grades_ << qs(g.code);
        }
        for (const auto& d : lookup.distances()) {
            distances_ << qs(d.code);
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
    firstOpen_ = false;
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

    auto addField = [&](int index, const char* label, int row, int column, int span = 1) {
        auto* l = new QLabel(QString::fromLatin1(label), top_);
        auto* e = new QLineEdit(top_);
        e->setObjectName(QStringLiteral("txtFields%1").arg(index));
        l->setBuddy(e);
        fields->addWidget(l, row, column);
        fields->addWidget(e, row, column + 1, 1, span);
        txtFields_[static_cast<std::size_t>(index)] = e;
    };
    addField(0, "Dog's Name:", 0, 0);
    auto* styleLabel = new QLabel(QStringLiteral("Running Style:"), top_);
    cmbStyle_ = new QComboBox(top_);
    cmbStyle_->setObjectName("cmbStyle");
    cmbStyle_->setEditable(true);
    cmbStyle_->setInsertPolicy(QComboBox::NoInsert);
    cmbStyle_->addItems(styles_);
    styleLabel->setBuddy(cmbStyle_);
    fields->addWidget(styleLabel, 0, 2);
    fields->addWidget(cmbStyle_, 0, 3);
    addField(2, "Number of Starts:", 1, 0);
    addField(3, "Number of Firsts:", 1, 2);
    addField(4, "Number of Seconds:", 2, 0);
    addField(5, "Number of Thirds:", 2, 2);
    addField(6, "Comments (optional):", 3, 0, 3);
    for (int i = 2; i <= 5; ++i) {
        field(i)->setMaximumWidth(twipsToPixelsX(900));
    }

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
    fields->addLayout(nav, 4, 0, 1, 4);
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
    auto* close = new QPushButton(QStringLiteral("&Close"), top_);
    close->setObjectName("cmdClose");
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
            sub->close();
        } else {
            this->close();
        }
    });
    dogButtons->addWidget(close);
    dogButtons->addStretch(1);

    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(button("cmdAddLine", "Add Race &Line", &EditDogs::addRaceLine));
    lineButtons->addWidget(button("cmdDelLine", "Delete Current", &EditDogs::deleteCurrentLine));
    lineButtons->addWidget(button("cmdResortLines", "R&e-sort Lines", &EditDogs::resortLines));
    lineButtons->addStretch(1);

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
    lineModel_ = new RaceLineModel([this](const store::RaceLine& l) { saveLine(l); },
                                   [this](const vz::Error& e) { reportError(e); }, this);
    grid_->setModel(lineModel_);
    // The column widths were made for a small grid font: keep the grid's
    // text small so that a whole date fits its 1000 twips.
    QFont gridFont = grid_->font();
    gridFont.setPointSizeF(std::min(gridFont.pointSizeF(), 7.5));
    grid_->setFont(gridFont);
    grid_->horizontalHeader()->setFont(gridFont);
    grid_->setPickers(new PickerDelegate(distances_, grades_, grid_));
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setMinimumSectionSize(1);
    grid_->verticalHeader()->setDefaultSectionSize(twipsToPixelsY(kRowHeight));
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Leaving fields: the name change is saved at once, comments are cut,
    // the count fields select their text when entered.
    for (QLineEdit* e : txtFields_) {
        if (e) {
            e->installEventFilter(this);
        }
    }
    cmbStyle_->installEventFilter(this);
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
                field(6)->setFocus();
                return true;
            }
            return false;
        case Qt::Key_PageUp:
            ctrl ? moveFirst() : movePrevious();
            return true;
        case Qt::Key_PageDown:
            ctrl ? moveLast() : moveNext();
            return true;
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
            for (int i = 2; i <= 5; ++i) {
                if (watched == field(i)) {
                    QPointer<QLineEdit> e = field(i);
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
        if (watched == nameField()) {
            nameFocusOut();
        } else if (watched == field(6)) {
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

void EditDogs::setCurrent(std::optional<store::Dog> dog, std::optional<std::int64_t> position) {
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
    std::vector<store::RaceLine> lines;
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
    const store::Dog empty;
    const store::Dog& d = current_ ? *current_ : empty;
    nameField()->setText(qs(d.RegName));
    cmbStyle_->setCurrentText(d.RunningStyle ? qs(*d.RunningStyle) : QString());
    field(2)->setText(countText(d.NumStarts));
    field(3)->setText(countText(d.NumFirsts));
    field(4)->setText(countText(d.NumSeconds));
    field(5)->setText(countText(d.NumThirds));
    field(6)->setText(d.Comments ? qs(*d.Comments) : QString());
}

void EditDogs::setFieldsEnabled(bool on) {
    for (QLineEdit* e : txtFields_) {
        if (e) {
            e->setEnabled(on);
        }
    }
    cmbStyle_->setEnabled(on);
}

store::Dog EditDogs::dogFromFields() const {
    store::Dog d = *current_;
    d.RegName = str(nameField()->text());
    d.RunningStyle = optionalText(cmbStyle_->currentText(), current_->RunningStyle);
    d.NumStarts = readCount(field(2)->text());
    d.NumFirsts = readCount(field(3)->text());
    d.NumSeconds = readCount(field(4)->text());
    d.NumThirds = readCount(field(5)->text());
    // Cut here too: a move by key saves without the field losing the focus.
    d.Comments =
        optionalText(qs(store::left(str(field(6)->text()), kCommentLength)), current_->Comments);
    return d;
}

bool EditDogs::saveCurrentDog() {
    if (!current_) {
        return true;
    }
    try {
        const store::Dog d = dogFromFields();
        if (d == *current_) {
            return true;
        }
        db_->updateDog(d);
        const bool renamed = d.RegName != current_->RegName;
        current_ = d;
        if (renamed) {
            // The dog takes its place in name order.
            position_ = browser_->positionOf(d.rowId).value_or(position_);
            datCaption_->setText(positionCaption());
        }
        return true;
    } catch (const std::exception& e) {
        reportError(e);
        // What the database refused is not kept in the fields.
        showDogFields();
        originalValue_ = nameField()->text();
        return false;
    }
}

void EditDogs::reportError(const std::exception& e) {
    if (destroying_) {
        return;
    }
    showCommonError(this, e);
}

void EditDogs::saveLine(const store::RaceLine& line) {
    if (destroying_) {
        throw vz::Error("The dog editor is closing.");
    }
    db_->updateRaceLine(line);
}

void EditDogs::moveFirst() {
    try {
        saveCurrentDog();
        setCurrent(browser_->first(), 0);
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::moveLast() {
    try {
        saveCurrentDog();
        const auto n = browser_->count();
        setCurrent(browser_->last(), n > 0 ? n - 1 : 0);
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::moveNext() {
    try {
        if (!current_) {
            return;
        }
        saveCurrentDog();
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
        if (!current_) {
            return;
        }
        saveCurrentDog();
        if (auto d = browser_->previous(current_->rowId)) {
            setCurrent(std::move(d), position_ > 0 ? position_ - 1 : 0);
        } else {
            setCurrent(browser_->first(), 0);
        }
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::moveToDog(const store::Dog& dog) {
    try {
        saveCurrentDog();
        setCurrent(browser_->byRowId(dog.rowId));
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::addDog() {
    try {
        saveCurrentDog();
        store::Dog d;
        d.RegName = " ";  // saved at once; typing over it names the dog
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
        saveCurrentDog();
        setCurrent(browser_->first(), 0);
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::search() {
    saveCurrentDog();
    SearchDog dialog(this, window());
    dialog.exec();
}

void EditDogs::addRaceLine() {
    if (!current_) {
        return;  // no dog to give the line to
    }
    try {
        finishGridEdit();
        store::RaceLine line;
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
        const store::RaceLine line = lineModel_->lines()[static_cast<std::size_t>(row)];
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
        saveCurrentDog();
        currentDogChanged();
    } catch (const std::exception& e) {
        reportError(e);
    }
}

void EditDogs::nameFocusIn() {
    originalValue_ = nameField()->text();
}

void EditDogs::nameFocusOut() {
    if (nameField()->text() != originalValue_) {
        saveCurrentDog();
        originalValue_ = nameField()->text();
    }
}

void EditDogs::commentsFocusOut() {
    const QString text = field(6)->text();
    const std::string cut = store::left(str(text), kCommentLength);
    if (cut.size() != str(text).size()) {
        field(6)->setText(qs(cut));
    }
}

void EditDogs::finishGridEdit() {
    grid_->finishEditing();
}

void EditDogs::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int topHeight = twipsToPixelsY(kGridHeightMargin - 60);
    top_->setGeometry(0, 0, width(), topHeight);
    grid_->setGeometry(twipsToPixelsX(kGridLeft), topHeight,
                       std::max(0, width() - twipsToPixelsX(kGridWidthMargin)),
                       std::max(0, height() - twipsToPixelsY(kGridHeightMargin)));
}

void EditDogs::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->setMinimumSize(twipsToPixelsX(kMinWidth), twipsToPixelsY(kMinHeight));
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
    if (inner.width() < twipsToPixelsX(kMaximisedMinAreaWidth) ||
        inner.height() < twipsToPixelsY(kMaximisedMinAreaHeight)) {
        sub->showNormal();
    }
}

void EditDogs::closeEvent(QCloseEvent* event) {
    finishGridEdit();
    commentsFocusOut();
    saveCurrentDog();
    event->accept();
}

}  // namespace vz::gui
