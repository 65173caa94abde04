#pragma once

// A table of the check or the backtest as a value: its rows' labels and
// cells already as the report rounds them. The report prints it, the windows
// show it, so a new row or column is added in one place.

#include <string>
#include <vector>

namespace vz::analysis {

struct Column {
    std::string header;
    int width = 8;  // places in the report, the value right-aligned
    // Left-aligned instead, two blanks before it (a note after a value).
    bool left = false;
};

struct TableRow {
    std::string label;
    // One list of cells (one per column) for each period of the table.
    std::vector<std::vector<std::string>> periods;
    // A heading row (only its label) opens a group of rows.
    bool heading = false;
};

struct Table {
    std::string labelHeader;  // over the labels
    int labelWidth = 20;
    std::vector<Column> columns;
    std::vector<TableRow> rows;
    bool ruled = false;  // a line of dashes under the header
    // The periods side by side: one name each ("Development", "Test"), or
    // none for a single period over all races.
    std::vector<std::string> periods;

    // Adds a row whose cells (one list per period) are given.
    void add(std::string label, std::vector<std::vector<std::string>> cells);
    void addHeading(std::string label);
};

// The table's lines, each ending in CR LF, without trailing blanks: the
// header (when a column or the labels have one), then each row. With
// periods, each row takes a line per period, the period's name beside the
// label, so that the periods of a row stand together.
std::string tableText(const Table& table);

// The header line alone (no line end), for a table printed in parts.
std::string tableHeader(const Table& table);

}  // namespace vz::analysis
