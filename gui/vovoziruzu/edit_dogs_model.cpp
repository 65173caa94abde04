#include "gui/vovoziruzu/edit_dogs_model.h"

#include <QBrush>
#include <QColor>
#include <utility>

#include "core/editing/rules.h"

namespace vz::gui {

RaceLineModel::RaceLineModel(editing::Lookups lookups, SaveLine save, ReportError report,
                             QObject* parent)
    : QAbstractTableModel(parent),
      lookups_(std::move(lookups)),
      save_(std::move(save)),
      report_(std::move(report)) {}

void RaceLineModel::rateLines() {
    rated_ = editing::ratedLines(lines_);
    if (!lines_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::BackgroundRole});
    }
}

void RaceLineModel::setLines(std::vector<base::RaceLine> lines) {
    beginResetModel();
    lines_ = std::move(lines);
    rated_ = editing::ratedLines(lines_);
    endResetModel();
}

void RaceLineModel::appendLine(const base::RaceLine& line) {
    const int row = static_cast<int>(lines_.size());
    beginInsertRows({}, row, row);
    lines_.push_back(line);
    rated_.push_back(false);
    endInsertRows();
    rateLines();
}

void RaceLineModel::removeLine(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    lines_.erase(lines_.begin() + row);
    rated_.erase(rated_.begin() + row);
    endRemoveRows();
    rateLines();
}

bool RaceLineModel::isRated(int row) const {
    return row >= 0 && row < static_cast<int>(rated_.size()) &&
           rated_[static_cast<std::size_t>(row)];
}

int RaceLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int RaceLineModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString RaceLineModel::cellText(const base::RaceLine& l, int column) {
    return QString::fromStdString(editing::raceLineCell(l, column));
}

QVariant RaceLineModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return cellText(lines_[static_cast<std::size_t>(index.row())], index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role == Qt::BackgroundRole && isRated(index.row())) {
        return QBrush(QColor(255, 248, 214));
    }
    return {};
}

bool RaceLineModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount()) {
        return false;
    }
    auto& line = lines_[static_cast<std::size_t>(index.row())];
    const QString text = value.toString();
    if (text == cellText(line, index.column())) {
        return true;  // nothing changed: no write
    }
    try {
        base::RaceLine changed =
            editing::withRaceLineCell(line, index.column(), text.toStdString(), lookups_);
        if (save_) {
            save_(changed);
        }
        line = std::move(changed);
    } catch (const vz::Error& e) {
        if (report_) {
            report_(e);
        }
        return false;
    }
    emit dataChanged(index, index);
    if (index.column() == RaceDate) {
        rateLines();
    }
    return true;
}

Qt::ItemFlags RaceLineModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant RaceLineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount) {
        return QString::fromLatin1(editing::raceLineCaption(section));
    }
    return {};
}

}  // namespace vz::gui
