#pragma once

// The race-line grid's model: one dog's lines (a few dozen at most) held as
// rows of RaceHistory, fourteen columns in table order. A cell edit is
// converted by the editing rules and written to the dog database at once;
// text that does not convert is refused and reported through the error
// callback. The lines processing rates (the eight newest) are shaded.

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <vector>

#include "core/base/error.h"
#include "core/base/records.h"
#include "core/editing/pickers.h"
#include "core/editing/records.h"

namespace vz::gui {

class RaceLineModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column {
        RegName = editing::kLineRegName,
        RaceDate = editing::kLineRaceDate,
        RaceNum = editing::kLineRaceNum,
        Distance = editing::kLineDistance,
        WinningTime = editing::kLineWinningTime,
        Post = editing::kLinePost,
        Break = editing::kLineBreak,
        Eighth = editing::kLineEighth,
        Stretch = editing::kLineStretch,
        Finish = editing::kLineFinish,
        FinishLength = editing::kLineFinishLength,
        FinishTime = editing::kLineFinishTime,
        Odds = editing::kLineOdds,
        Grade = editing::kLineGrade,
        ColumnCount = editing::kRaceLineColumns
    };

    using SaveLine = std::function<void(const base::RaceLine&)>;
    using ReportError = std::function<void(const vz::Error&)>;

    RaceLineModel(editing::Lookups lookups, SaveLine save, ReportError report,
                  QObject* parent = nullptr);

    void setLines(std::vector<base::RaceLine> lines);
    const std::vector<base::RaceLine>& lines() const { return lines_; }
    void appendLine(const base::RaceLine& line);
    void removeLine(int row);
    // Whether processing rates the line of this row.
    bool isRated(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The cell's text as the grid shows it.
    static QString cellText(const base::RaceLine& line, int column);

  private:
    void rateLines();

    editing::Lookups lookups_;
    std::vector<base::RaceLine> lines_;
    std::vector<bool> rated_;
    SaveLine save_;
    ReportError report_;
};

}  // namespace vz::gui
