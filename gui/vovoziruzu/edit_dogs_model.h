#pragma once

// The race-line grid's model: one dog's lines (a few dozen at most) held as
// rows of RaceHistory, fourteen columns in table order. A cell edit is
// converted and written to the dog database at once; text that does not
// convert is refused and reported through the error callback.

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <vector>

#include "core/store/error.h"
#include "core/store/records.h"

namespace vz::gui {

class RaceLineModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column {
        RegName = 0,
        RaceDate,
        RaceNum,
        Distance,
        WinningTime,
        Post,
        Break,
        Eighth,
        Stretch,
        Finish,
        FinishLength,
        FinishTime,
        Odds,
        Grade,
        ColumnCount
    };

    using SaveLine = std::function<void(const store::RaceLine&)>;
    using ReportError = std::function<void(const vz::Error&)>;

    RaceLineModel(SaveLine save, ReportError report, QObject* parent = nullptr);

    void setLines(std::vector<store::RaceLine> lines);
    const std::vector<store::RaceLine>& lines() const { return lines_; }
    void appendLine(const store::RaceLine& line);
    void removeLine(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The cell's text as the grid shows it.
    static QString cellText(const store::RaceLine& line, int column);
    // The line with one cell set from typed text; throws vz::Error (type
    // mismatch, overflow) for text the column cannot hold.
    static store::RaceLine withCell(store::RaceLine line, int column, const QString& text);

  private:
    std::vector<store::RaceLine> lines_;
    SaveLine save_;
    ReportError report_;
};

}  // namespace vz::gui
