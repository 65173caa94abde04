#pragma once

// The posts grid of the race editor: a table model over one race's rows of
// `Posts`, written to the race file as soon as a cell edit is committed, and
// the dog picker that edits the Dog cells. The card's checks colour the
// cells: a dog not in the dog database red, a dog twice on the day or a post
// twice in the race on a shaded cell, the reason in the cell's tip.

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "core/base/records.h"
#include "core/editing/card.h"
#include "core/store/race_file.h"

namespace vz::gui {

class PostsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { ColRaceDate = 0, ColRaceNum = 1, ColPost = 2, ColRegName = 3, ColumnCount };

    PostsModel(store::RaceFile& file, QWidget* messageParent, QObject* parent = nullptr);

    // Reloads the posts of one race, by post (an empty key gives no rows).
    void load(const std::optional<base::Date>& raceDate, const std::optional<int>& raceNum);
    void clear();
    const std::vector<base::Post>& posts() const { return posts_; }
    // The dog database's names the checks look up (the model keeps the pointer).
    void setDogNames(const editing::DogNames* names);
    // Checks the whole card again (after a load and every stored edit).
    void recheck();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes the row to the file; a value that is not valid for its column is
    // refused with the common error message and the row keeps its value.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  private:
    store::RaceFile& file_;
    QWidget* messageParent_;
    const editing::DogNames* dogNames_ = nullptr;
    std::optional<base::Date> raceDate_;
    std::optional<int> raceNum_;
    std::vector<base::Post> posts_;
    std::map<std::int64_t, editing::PostCheck> checks_;
};

// The dog picker over a Dog cell: the dog database's names, any typed name
// accepted (trimmed).
class DogPickerDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit DogPickerDelegate(QStringList names, QObject* parent = nullptr);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

  private:
    QStringList names_;
};

// The grid, with a way to commit an edit that is still open (on close).
class PostsGrid : public QTableView {
    Q_OBJECT
  public:
    using QTableView::QTableView;
    // Commits and closes the open cell editor, if any.
    void commitPendingEdit();
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
};

}  // namespace vz::gui
