#include "core/analysis/table.h"

#include <algorithm>

#include <fmt/format.h>

#include "core/analysis/report_text.h"

namespace vz::analysis {

namespace {

constexpr int kPeriodWidth = 13;

std::string cell(const Column& c, std::string_view text) {
    if (c.left) {
        return fmt::format("  {:<{}}", text, std::max(c.width - 2, 0));
    }
    return fmt::format("{:>{}}", text, c.width);
}

std::string cellsText(const Table& t, const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
        out += cell(t.columns[c], c < cells.size() ? cells[c] : std::string());
    }
    return out;
}

void addTrimmed(std::string& out, std::string line) {
    line.erase(line.find_last_not_of(' ') + 1);
    addLine(out, line);
}

}  // namespace

void Table::add(std::string label, std::vector<std::vector<std::string>> cells) {
    rows.push_back({std::move(label), std::move(cells), false});
}

void Table::addHeading(std::string label) {
    rows.push_back({std::move(label), {}, true});
}

std::string tableHeader(const Table& t) {
    std::string out = fmt::format("{:<{}}", t.labelHeader, t.labelWidth);
    if (!t.periods.empty()) {
        out += fmt::format("{:<{}}", "Period", kPeriodWidth);
    }
    for (const Column& c : t.columns) {
        out += cell(c, c.header);
    }
    out.erase(out.find_last_not_of(' ') + 1);
    return out;
}

std::string tableText(const Table& t) {
    std::string out;
    bool headed = !t.labelHeader.empty();
    for (const Column& c : t.columns) {
        headed = headed || !c.header.empty();
    }
    if (headed) {
        const std::string header = tableHeader(t);
        addLine(out, header);
        if (t.ruled) {
            addLine(out, std::string(header.size(), '-'));
        }
    }
    bool afterRows = false;
    for (const TableRow& r : t.rows) {
        if (r.heading) {
            if (afterRows) {
                addLine(out, "");
            }
            addLine(out, r.label);
            afterRows = false;
            continue;
        }
        afterRows = true;
        if (t.periods.empty()) {
            addTrimmed(out, fmt::format("{:<{}}", r.label, t.labelWidth) +
                                cellsText(t, r.periods.empty() ? std::vector<std::string>()
                                                               : r.periods.front()));
            continue;
        }
        for (std::size_t p = 0; p < t.periods.size(); ++p) {
            const std::string label = p == 0 ? r.label : std::string();
            addTrimmed(
                out,
                fmt::format("{:<{}}{:<{}}", label, t.labelWidth, t.periods[p], kPeriodWidth) +
                    cellsText(t, p < r.periods.size() ? r.periods[p] : std::vector<std::string>()));
        }
    }
    return out;
}

}  // namespace vz::analysis
