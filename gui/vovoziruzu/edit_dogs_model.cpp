#include "gui/vovoziruzu/edit_dogs_model.h"

#include <cmath>
#include <utility>

#include "core/store/vb.h"

namespace vz::gui {

namespace {

const char* const kCaptions[RaceLineModel::ColumnCount] = {
    "RegName", "Date", "Race",   "Dist",   "Win Tm", "Post", "Brk",
    "1/8",     "Str",  "Finish", "Length", "Fin Tm", "Odds", "Grade"};

QString numberText(const std::optional<int>& v) {
    return v ? QString::number(*v) : QString();
}

QString numberText(const std::optional<double>& v) {
    return v ? QString::number(*v, 'g', 15) : QString();
}

vz::Error typeMismatch() {
    return vz::Error("Type mismatch", vz::Error::kTypeMismatch);
}

std::optional<double> readNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d)) {
        throw typeMismatch();
    }
    return d;
}

// A whole-number column takes a fraction rounded as the database engine
// stores it (half to even).
std::optional<int> readWhole(const QString& text) {
    const auto d = readNumber(text);
    if (!d) {
        return std::nullopt;
    }
    return store::toInt32(*d);
}

std::optional<std::string> readText(const QString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text.toStdString();
}

}  // namespace

RaceLineModel::RaceLineModel(SaveLine save, ReportError report, QObject* parent)
    : QAbstractTableModel(parent), save_(std::move(save)), report_(std::move(report)) {}

void RaceLineModel::setLines(std::vector<store::RaceLine> lines) {
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

void RaceLineModel::appendLine(const store::RaceLine& line) {
    const int row = static_cast<int>(lines_.size());
    beginInsertRows({}, row, row);
    lines_.push_back(line);
    endInsertRows();
}

void RaceLineModel::removeLine(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    lines_.erase(lines_.begin() + row);
    endRemoveRows();
}

int RaceLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int RaceLineModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString RaceLineModel::cellText(const store::RaceLine& l, int column) {
    switch (column) {
        case RegName:
            return QString::fromStdString(l.RegName);
        case RaceDate:
            return l.RaceDate ? QString::fromStdString(store::shortDate(*l.RaceDate)) : QString();
        case RaceNum:
            return numberText(l.RaceNum);
        case Distance:
            return l.Distance ? QString::fromStdString(*l.Distance) : QString();
        case WinningTime:
            return numberText(l.WinningTime);
        case Post:
            return numberText(l.Post);
        case Break:
            return numberText(l.Break);
        case Eighth:
            return numberText(l.Eighth);
        case Stretch:
            return numberText(l.Stretch);
        case Finish:
            return numberText(l.Finish);
        case FinishLength:
            return numberText(l.FinishLength);
        case FinishTime:
            return numberText(l.FinishTime);
        case Odds:
            return numberText(l.Odds);
        case Grade:
            return l.Grade ? QString::fromStdString(*l.Grade) : QString();
        default:
            return {};
    }
}

store::RaceLine RaceLineModel::withCell(store::RaceLine l, int column, const QString& text) {
    switch (column) {
        case RegName:
            l.RegName = text.toStdString();
            break;
        case RaceDate:
            if (text.trimmed().isEmpty()) {
                l.RaceDate.reset();
            } else if (auto d = store::readDate(text.toStdString())) {
                l.RaceDate = d;
            } else {
                throw typeMismatch();
            }
            break;
        case RaceNum:
            l.RaceNum = readWhole(text);
            break;
        case Distance:
            l.Distance = readText(text);
            break;
        case WinningTime:
            l.WinningTime = readWhole(text);
            break;
        case Post:
            l.Post = readWhole(text);
            break;
        case Break:
            l.Break = readWhole(text);
            break;
        case Eighth:
            l.Eighth = readWhole(text);
            break;
        case Stretch:
            l.Stretch = readWhole(text);
            break;
        case Finish:
            l.Finish = readWhole(text);
            break;
        case FinishLength:
            l.FinishLength = readNumber(text);
            break;
        case FinishTime:
            l.FinishTime = readWhole(text);
            break;
        case Odds:
            l.Odds = readNumber(text);
            break;
        case Grade:
            l.Grade = readText(text);
            break;
        default:
            break;
    }
    return l;
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
        store::RaceLine changed = withCell(line, index.column(), text);
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
        return QString::fromLatin1(kCaptions[section]);
    }
    return {};
}

}  // namespace vz::gui
