#include "core/base/dates.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/base/error.h"

namespace vz::base {

namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCaseAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// 1-12 for a full English month name, its three-letter abbreviation or
// "Sept"; 0 otherwise.
unsigned monthFromName(std::string_view word) {
    for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
        const std::string_view name = kMonthNames[i];
        if (equalsNoCaseAscii(word, name) || equalsNoCaseAscii(word, name.substr(0, 3))) {
            return static_cast<unsigned>(i + 1);
        }
    }
    return equalsNoCaseAscii(word, "Sept") ? 9u : 0u;
}

bool allDigits(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (const char c : s) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

// Value of a field of at most four digits (callers check the length first).
int number(std::string_view s) {
    int n = 0;
    for (const char c : s) {
        n = n * 10 + (c - '0');
    }
    return n;
}

// Years written with one or two digits fall in 1930-2029; four digits are
// taken as written. Other lengths are no year.
std::optional<int> yearOf(std::string_view s) {
    if (!allDigits(s)) {
        return std::nullopt;
    }
    if (s.size() <= 2) {
        const int y = number(s);
        return y < 30 ? 2000 + y : 1900 + y;
    }
    if (s.size() == 4) {
        const int y = number(s);
        if (y >= 100) {  // the classic date range starts at year 100
            return y;
        }
    }
    return std::nullopt;
}

std::optional<unsigned> dayOrMonthOf(std::string_view s) {
    if (!allDigits(s) || s.size() > 2) {
        return std::nullopt;
    }
    return static_cast<unsigned>(number(s));
}

std::optional<Date> makeDate(int y, unsigned m, unsigned d) {
    const Date date{year{y}, month{m}, day{d}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return date;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// Month/day/year with one kind of separator, "/" or "-", used exactly once
// between the fields; a four-digit first field is year-month-day.
std::optional<Date> readNumericDate(std::string_view s) {
    const std::size_t sepAt = s.find_first_of("/-");
    if (sepAt == std::string_view::npos) {
        return std::nullopt;
    }
    const char sep = s[sepAt];
    std::vector<std::string_view> fields;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            fields.push_back(s.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    if (fields.size() != 3) {
        return std::nullopt;
    }
    if (fields[0].size() == 4) {
        const auto y = yearOf(fields[0]);
        const auto m = dayOrMonthOf(fields[1]);
        const auto d = dayOrMonthOf(fields[2]);
        if (!y || !m || !d) {
            return std::nullopt;
        }
        return makeDate(*y, *m, *d);
    }
    const auto m = dayOrMonthOf(fields[0]);
    const auto d = dayOrMonthOf(fields[1]);
    const auto y = yearOf(fields[2]);
    if (!y || !m || !d) {
        return std::nullopt;
    }
    return makeDate(*y, *m, *d);
}

// Three words of letters or digits, separated by blanks and commas with at
// most one "-", "/" or "." in each gap: "December 7, 2026", "Dec 7 2026",
// "7-Dec-2026", "7 Dec. 2026".
std::optional<Date> readNamedDate(std::string_view s) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < s.size()) {
        if (!words.empty()) {
            int marks = 0;
            const std::size_t gapStart = i;
            while (i < s.size() && !isDigit(s[i]) && !isLetter(s[i])) {
                const char c = s[i];
                if (c == '-' || c == '/' || c == '.') {
                    ++marks;
                } else if (c != ' ' && c != ',' && c != '\t') {
                    return std::nullopt;
                }
                ++i;
            }
            if (i == gapStart || marks > 1) {
                return std::nullopt;
            }
            if (i == s.size()) {
                // Only a period may follow the last word ("7 Dec 2026." is odd
                // but harmless); anything else is not a date.
                if (s.substr(gapStart) != ".") {
                    return std::nullopt;
                }
                break;
            }
        }
        const std::size_t begin = i;
        const bool letters = isLetter(s[i]);
        if (!letters && !isDigit(s[i])) {
            return std::nullopt;
        }
        while (i < s.size() && (letters ? isLetter(s[i]) : isDigit(s[i]))) {
            ++i;
        }
        words.push_back(s.substr(begin, i - begin));
        if (words.size() > 3) {
            return std::nullopt;
        }
    }
    if (words.size() != 3) {
        return std::nullopt;
    }
    unsigned m = 0;
    std::optional<unsigned> d;
    if (isLetter(words[0].front())) {
        m = monthFromName(words[0]);
        d = dayOrMonthOf(words[1]);
    } else if (isLetter(words[1].front())) {
        m = monthFromName(words[1]);
        d = dayOrMonthOf(words[0]);
    }
    const auto y = yearOf(words[2]);
    if (m == 0 || !d || !y) {
        return std::nullopt;
    }
    return makeDate(*y, m, *d);
}

int yearNumber(Date d) {
    return static_cast<int>(d.year());
}
unsigned monthNumber(Date d) {
    return static_cast<unsigned>(d.month());
}
unsigned dayNumber(Date d) {
    return static_cast<unsigned>(d.day());
}

// Two-digit year for the short forms; negative years cannot arise from any
// date this system reads, but must not give a negative remainder.
int twoDigitYear(Date d) {
    const int y = yearNumber(d) % 100;
    return y < 0 ? y + 100 : y;
}

}  // namespace

std::optional<Date> readDate(std::string_view text) {
    const std::string_view s = trimBlanks(text);
    if (s.empty()) {
        return std::nullopt;
    }
    for (const char c : s) {
        if (isLetter(c)) {
            return readNamedDate(s);
        }
    }
    return readNumericDate(s);
}

std::string toIso(Date d) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", yearNumber(d), monthNumber(d),
                  dayNumber(d));
    return buffer;
}

std::optional<Date> fromIso(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const std::string_view y = text.substr(0, 4);
    const std::string_view m = text.substr(5, 2);
    const std::string_view d = text.substr(8, 2);
    if (!allDigits(y) || !allDigits(m) || !allDigits(d)) {
        return std::nullopt;
    }
    return makeDate(number(y), static_cast<unsigned>(number(m)), static_cast<unsigned>(number(d)));
}

std::string shortDate(Date d) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%u/%u/%04d", monthNumber(d), dayNumber(d), yearNumber(d));
    return buffer;
}

std::string mediumDate(Date d) {
    const unsigned m = monthNumber(d);
    const std::string_view name =
        m >= 1 && m <= 12 ? kMonthNames[m - 1].substr(0, 3) : std::string_view("???");
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02u-%.3s-%02d", dayNumber(d), name.data(),
                  twoDigitYear(d));
    return buffer;
}

std::string mmddyy(Date d) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02u/%02u/%02d", monthNumber(d), dayNumber(d),
                  twoDigitYear(d));
    return buffer;
}

Date today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    const bool ok = localtime_s(&local, &now) == 0;
#else
    const bool ok = localtime_r(&now, &local) != nullptr;
#endif
    if (!ok) {
        throw Error("The system clock cannot be read");
    }
    return Date{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                day{static_cast<unsigned>(local.tm_mday)}};
}

long daysBetween(Date a, Date b) {
    return static_cast<long>((sys_days{b} - sys_days{a}).count());
}

Date addDays(Date d, long days) {
    // Keep the result inside the calendar's year range rather than let the
    // day count wrap.
    const long long first = sys_days{year::min() / 1 / 1}.time_since_epoch().count();
    const long long last = sys_days{year::max() / 12 / 31}.time_since_epoch().count();
    const long long from = sys_days{d}.time_since_epoch().count();
    const long long maxStep = last - first;
    if (days > maxStep || days < -maxStep || from + days < first || from + days > last) {
        throw Error("Overflow", Error::kOverflow);
    }
    return Date{sys_days{std::chrono::days{from + days}}};
}

}  // namespace vz::base
