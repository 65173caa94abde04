#pragma once

// The pieces the check and backtest reports share with the look of the
// results report: star-framed section titles, CR LF lines and
// label-value rows.

#include <optional>
#include <string>
#include <string_view>

namespace vz::analysis {

// Appends `text` and a CR LF.
void addLine(std::string& out, std::string_view text);

// A title line (written as given) between two star lines, then an empty
// line, as the results report frames a race.
std::string sectionTitle(std::string_view title);

// "label ..... value": the label left in 46 places, the value right in 12.
std::string labelledRow(std::string_view label, std::string_view value);

// The dog's name in the report's Dog column: 16 places, longer names cut.
std::string dogColumn(std::string_view dogName);

// 1st, 2nd, 3rd, 4th, 11th, 21st...
std::string ordinal(int n);

// Money with two decimals ("-3.50"); odds the same, "-" for none.
std::string money(double value);
std::string oddsText(std::optional<double> odds);

// A CSV field: quoted (quotes doubled) when it holds a comma, a quote or a
// line end.
std::string csvField(std::string_view text);

}  // namespace vz::analysis
