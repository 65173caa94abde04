#include "gui/vovoziruzu/posts_model.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>

#include "core/store/dates.h"
#include "core/store/error.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"

namespace vz::gui {

PostsModel::PostsModel(store::RaceFile& file, QWidget* messageParent, QObject* parent)
    : QAbstractTableModel(parent), file_(file), messageParent_(messageParent) {}

void PostsModel::load(const std::optional<store::Date>& raceDate,
                      const std::optional<int>& raceNum) {
    beginResetModel();
    raceDate_ = raceDate;
    raceNum_ = raceNum;
    posts_ = file_.posts(raceDate, raceNum);
    endResetModel();
}

void PostsModel::clear() {
    beginResetModel();
    posts_.clear();
    endResetModel();
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
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const store::Post& p = posts_[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
        case ColRaceDate:
            return p.RaceDate ? qs(store::shortDate(*p.RaceDate)) : QString();
        case ColRaceNum:
            return p.RaceNum ? QVariant(*p.RaceNum) : QVariant(QString());
        case ColPost:
            return p.Post ? QVariant(*p.Post) : QVariant(QString());
        case ColRegName:
            return p.RegName ? qs(*p.RegName) : QString();
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
    store::Post changed = posts_[static_cast<std::size_t>(index.row())];
    const QString text = value.toString();
    try {
        if (index.column() == ColPost) {
            const QString t = text.trimmed();
            if (t.isEmpty()) {
                changed.Post.reset();
            } else {
                bool ok = false;
                const int post = t.toInt(&ok);
                if (!ok)
                    throw vz::Error("Invalid post number: " + str(t), vz::Error::kTypeMismatch);
                changed.Post = post;
            }
        } else if (index.column() == ColRegName) {
            if (text.isEmpty())
                changed.RegName.reset();
            else
                changed.RegName = str(text);
        } else {
            return false;
        }
        if (changed == posts_[static_cast<std::size_t>(index.row())])
            return true;
        file_.updatePost(changed);
    } catch (const std::exception& e) {
        showCommonError(messageParent_, e);
        return false;
    }
    posts_[static_cast<std::size_t>(index.row())] = changed;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    return true;
}

DogPickerDelegate::DogPickerDelegate(QStringList names, QObject* parent)
    : QStyledItemDelegate(parent), names_(std::move(names)) {}

QWidget* DogPickerDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    if (index.column() != PostsModel::ColRegName)
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cmbDogs"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(15);
    combo->addItems(names_);
    combo->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    combo->completer()->setCompletionMode(QCompleter::InlineCompletion);
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
