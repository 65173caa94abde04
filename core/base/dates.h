#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace vz::base {

using Date = std::chrono::year_month_day;

// "Read as a date": month/day/year with "/" or "-" (a 2-digit year 00-29 is
// 20xx, 30-99 is 19xx), or a month-name form such as "December 7, 2026",
// "Dec 7 2026" or "7-Dec-2026". Surrounding blanks are ignored. Anything else,
// including impossible days, is no date.
std::optional<Date> readDate(std::string_view text);

// Storage form YYYY-MM-DD.
std::string toIso(Date d);
std::optional<Date> fromIso(std::string_view text);

// Short form M/D/YYYY (12/7/2026).
std::string shortDate(Date d);
// Medium form DD-Mon-YY (07-Dec-26).
std::string mediumDate(Date d);
// mm/dd/yy (12/07/26).
std::string mmddyy(Date d);

// Today's date on this machine's local clock.
Date today();

// Whole days from a to b (b - a).
long daysBetween(Date a, Date b);

Date addDays(Date d, long days);

}  // namespace vz::base
