#include "gui/vovoziruzu/posts_model.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QLineEdit>

#include "core/editing/convert.h"
#include "core/editing/records.h"
#include "gui/common/messages.h"
#include "gui/common/picker.h"
#include "gui/common/qt_setup.h"

namespace vz::gui {

PostsModel::PostsModel(store::RaceFile& file, QWidget* messageParent, QObject* parent)
    : QAbstractTableModel(parent), file_(file), messageParent_(messageParent) {}

void PostsModel::load(const std::optional<base::Date>& raceDate,
                      const std::optional<int>& raceNum) {
    beginResetModel();
    raceDate_ = raceDate;
    raceNum_ = raceNum;
    posts_ = file_.posts(raceDate, raceNum);
    endResetModel();
    recheck();
}

void PostsModel::clear() {
    beginResetModel();
    posts_.clear();
    checks_.clear();
    endResetModel();
}

void PostsModel::setDogNames(const editing::DogNames* names) {
    dogNames_ = names;
}

void PostsModel::recheck() {
    static const editing::DogNames kNone;
    try {
        checks_ = editing::checkCard(file_.allPosts(), dogNames_ ? *dogNames_ : kNone);
    } catch (const std::exception&) {
        checks_.clear();  // the checks only inform; an unreadable card shows none
    }
    if (!posts_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int PostsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(posts_.size());
}

int PostsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PostsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    const base::Post& p = posts_[static_cast<std::size_t>(index.row())];
    if (role == Qt::ForegroundRole || role == Qt::BackgroundRole || role == Qt::ToolTipRole) {
        const auto found = checks_.find(p.rowId);
        if (found == checks_.end())
            return {};
        const editing::PostCheck& c = found->second;
        const bool dogCell = index.column() == ColRegName;
        const bool postCell = index.column() == ColPost;
        if (role == Qt::ForegroundRole)
            return dogCell && c.unknownDog ? QVariant(QBrush(Qt::red)) : QVariant();
        if (role == Qt::BackgroundRole)
            return (dogCell && c.dogTwice) || (postCell && c.postTwice)
                       ? QVariant(QBrush(QColor(255, 224, 178)))
                       : QVariant();
        return dogCell || postCell ? QVariant(qs(c.note)) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
        case ColRaceDate:
            return qs(editing::showDate(p.RaceDate));
        case ColRaceNum:
            return qs(editing::showWhole(p.RaceNum));
        case ColPost:
            return qs(editing::showWhole(p.Post));
        case ColRegName:
            return qs(editing::showText(p.RegName));
        default:
            return {};
    }
}

QVariant PostsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
        case ColRaceDate:
            return QStringLiteral("RaceDate");
        case ColRaceNum:
            return QStringLiteral("RaceNum");
        case ColPost:
            return QStringLiteral("Post Num");
        case ColRegName:
            return QStringLiteral("Dog");
        default:
            return {};
    }
}

Qt::ItemFlags PostsModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == ColPost || index.column() == ColRegName)
        f |= Qt::ItemIsEditable;
    return f;
}

bool PostsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount())
        return false;
    const base::Post& stored = posts_[static_cast<std::size_t>(index.row())];
    const std::string text = str(value.toString());
    base::Post changed;
    try {
        if (index.column() == ColPost)
            changed = editing::withPostNumber(stored, text);
        else if (index.column() == ColRegName)
            changed = editing::withPostDog(stored, text);
        else
            return false;
        if (changed == stored)
            return true;
        file_.updatePost(changed);
    } catch (const std::exception& e) {
        showCommonError(messageParent_, e);
        return false;
    }
    posts_[static_cast<std::size_t>(index.row())] = changed;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    recheck();
    return true;
}

DogPickerDelegate::DogPickerDelegate(QStringList names, QObject* parent)
    : QStyledItemDelegate(parent), names_(std::move(names)) {}

QWidget* DogPickerDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    if (index.column() != PostsModel::ColRegName)
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new Picker(Picker::Mode::AnyText, names_, parent);
    combo->setObjectName(QStringLiteral("cmbDogs"));
    combo->setMaxVisibleItems(15);
    return combo;
}

void DogPickerDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const QString current = index.data(Qt::EditRole).toString();
        const int found = combo->findText(current, Qt::MatchFixedString);
        if (found >= 0 && combo->itemText(found) == current)
            combo->setCurrentIndex(found);
        else
            combo->setCurrentIndex(-1);
        combo->setEditText(current);
        combo->lineEdit()->selectAll();
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void DogPickerDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        // Whatever stands in the picker is written, listed or not.
        model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void DogPickerDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const {
    // Exactly over the cell.
    editor->setGeometry(option.rect);
}

void PostsGrid::commitPendingEdit() {
    if (!isEditing())
        return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor) {
        // The editor is the viewport's child that holds the focus.
        editor = QApplication::focusWidget();
        while (editor && editor->parentWidget() != viewport())
            editor = editor->parentWidget();
    }
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

}  // namespace vz::gui
