#include "core/base/dates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/error.h"
#include "tests/support/test_support.h"

namespace vz::base {
namespace {

using test::ymd;

std::string show(const std::optional<Date>& d) {
    return d ? toIso(*d) : "(no date)";
}

// ---------------------------------------------------------------- readDate

struct ReadCase {
    std::string_view text;
    std::optional<Date> expected;
};

class ReadDateTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadDateTest, Reads) {
    const ReadCase& c = GetParam();
    const std::optional<Date> got = readDate(c.text);
    EXPECT_EQ(show(got), show(c.expected)) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Numeric, ReadDateTest,
    ::testing::Values(
        ReadCase{"12/7/2026", ymd(2026, 12, 7)}, ReadCase{"12-07-26", ymd(2026, 12, 7)},
        ReadCase{"12/07/26", ymd(2026, 12, 7)}, ReadCase{"1/5/99", ymd(1999, 1, 5)},
        ReadCase{"1/5/29", ymd(2029, 1, 5)}, ReadCase{"1/5/30", ymd(1930, 1, 5)},
        ReadCase{"1/5/00", ymd(2000, 1, 5)}, ReadCase{"1/5/0", ymd(2000, 1, 5)},
        ReadCase{"01/05/1930", ymd(1930, 1, 5)}, ReadCase{"  12/7/2026  ", ymd(2026, 12, 7)},
        ReadCase{"\t12/7/2026", ymd(2026, 12, 7)}, ReadCase{"2026-12-07", ymd(2026, 12, 7)},
        // Leap years.
        ReadCase{"2/29/2024", ymd(2024, 2, 29)}, ReadCase{"2/29/2000", ymd(2000, 2, 29)},
        ReadCase{"2/29/24", ymd(2024, 2, 29)}, ReadCase{"2/29/2025", std::nullopt},
        ReadCase{"2/29/1900", std::nullopt}, ReadCase{"12/31/9999", ymd(9999, 12, 31)},
        // Not dates.
        ReadCase{"13/1/2026", std::nullopt}, ReadCase{"2/30/2026", std::nullopt},
        ReadCase{"4/31/2026", std::nullopt}, ReadCase{"0/1/2026", std::nullopt},
        ReadCase{"1/0/2026", std::nullopt}, ReadCase{"", std::nullopt},
        ReadCase{"   ", std::nullopt}, ReadCase{"abc", std::nullopt},
        ReadCase{"12/7", std::nullopt}, ReadCase{"12//2026", std::nullopt},
        ReadCase{"12/7/", std::nullopt}, ReadCase{"/12/7/2026", std::nullopt},
        ReadCase{"12/7/2026/1", std::nullopt}, ReadCase{"12/07-26", std::nullopt},
        ReadCase{"12/7/202", std::nullopt}, ReadCase{"12/7/20266", std::nullopt},
        ReadCase{"123/7/2026", std::nullopt}, ReadCase{"12/7/0099", std::nullopt},
        ReadCase{"12 / 7 / 2026", std::nullopt}, ReadCase{"+1/5/99", std::nullopt},
        ReadCase{"12.7.2026", std::nullopt}, ReadCase{"12/7/2026 10:30", std::nullopt},
        ReadCase{"2026-13-01", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    MonthNames, ReadDateTest,
    ::testing::Values(
        ReadCase{"December 7, 2026", ymd(2026, 12, 7)}, ReadCase{"Dec 7 2026", ymd(2026, 12, 7)},
        ReadCase{"dec 7, 2026", ymd(2026, 12, 7)}, ReadCase{"DECEMBER 07,2026", ymd(2026, 12, 7)},
        ReadCase{"7-Dec-2026", ymd(2026, 12, 7)}, ReadCase{"07-Dec-26", ymd(2026, 12, 7)},
        ReadCase{"7 Dec 2026", ymd(2026, 12, 7)}, ReadCase{"Dec. 7, 2026", ymd(2026, 12, 7)},
        ReadCase{"Sept 3, 2026", ymd(2026, 9, 3)}, ReadCase{"February 29, 2024", ymd(2024, 2, 29)},
        ReadCase{"May 1 99", ymd(1999, 5, 1)}, ReadCase{"  January 15, 2027 ", ymd(2027, 1, 15)},
        // Not dates.
        ReadCase{"February 29, 2025", std::nullopt}, ReadCase{"Dec 32 2026", std::nullopt},
        ReadCase{"Decem 7 2026", std::nullopt}, ReadCase{"De 7 2026", std::nullopt},
        ReadCase{"Dec 7", std::nullopt}, ReadCase{"Dec 2026", std::nullopt},
        ReadCase{"7 2026 Dec", std::nullopt}, ReadCase{"Monday December 7, 2026", std::nullopt},
        ReadCase{"Dec 7 2026 race", std::nullopt}, ReadCase{"7--Dec--2026", std::nullopt},
        ReadCase{"Dec7 2026", std::nullopt}, ReadCase{"Dec 7 2026;", std::nullopt},
        ReadCase{"Dec 7, 12026", std::nullopt}, ReadCase{"Z\xC3\xAB 7 2026", std::nullopt}));

TEST(ReadDateTest, ArbitraryBytesAreSafe) {
    // Short byte strings around date shapes: never a crash, and any date
    // read is a valid one.
    for (const std::string_view prefix : {"", "1", "12/", "12/7/", "Dec ", "7-Dec-"}) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; b += 3) {
                std::string s(prefix);
                s.push_back(static_cast<char>(a));
                s.push_back(static_cast<char>(b));
                const auto d = readDate(s);
                if (d) {
                    EXPECT_TRUE(d->ok()) << s;
                }
            }
        }
    }
}

// ---------------------------------------------------------------- ISO form

struct IsoCase {
    std::string_view text;
    std::optional<Date> expected;
};

class FromIsoTest : public ::testing::TestWithParam<IsoCase> {};

TEST_P(FromIsoTest, ReadsStrictly) {
    const IsoCase& c = GetParam();
    EXPECT_EQ(show(fromIso(c.text)), show(c.expected)) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FromIsoTest,
    ::testing::Values(IsoCase{"2026-12-07", ymd(2026, 12, 7)},
                      IsoCase{"2024-02-29", ymd(2024, 2, 29)},
                      IsoCase{"1930-01-05", ymd(1930, 1, 5)}, IsoCase{"2025-02-29", std::nullopt},
                      IsoCase{"2026-13-01", std::nullopt}, IsoCase{"2026-00-10", std::nullopt},
                      IsoCase{"2026-04-31", std::nullopt}, IsoCase{"2026-12-7", std::nullopt},
                      IsoCase{"2026-1-07", std::nullopt}, IsoCase{"26-12-07", std::nullopt},
                      IsoCase{" 2026-12-07", std::nullopt}, IsoCase{"2026-12-07 ", std::nullopt},
                      IsoCase{"2026/12/07", std::nullopt}, IsoCase{"2026-12-0x", std::nullopt},
                      IsoCase{"+026-12-07", std::nullopt}, IsoCase{"2026-12-07T00", std::nullopt},
                      IsoCase{"12/7/2026", std::nullopt}, IsoCase{"", std::nullopt}));

// ---------------------------------------------------------------- output forms

struct FormCase {
    Date date;
    std::string_view iso;
    std::string_view shortForm;
    std::string_view mediumForm;
    std::string_view mmddyyForm;
};

class DateFormsTest : public ::testing::TestWithParam<FormCase> {};

TEST_P(DateFormsTest, Writes) {
    const FormCase& c = GetParam();
    EXPECT_EQ(toIso(c.date), c.iso);
    EXPECT_EQ(shortDate(c.date), c.shortForm);
    EXPECT_EQ(mediumDate(c.date), c.mediumForm);
    EXPECT_EQ(mmddyy(c.date), c.mmddyyForm);
    // Every written form reads back as the same date.
    EXPECT_EQ(show(fromIso(toIso(c.date))), c.iso);
    EXPECT_EQ(show(readDate(shortDate(c.date))), c.iso);
    EXPECT_EQ(show(readDate(mediumDate(c.date))), c.iso);
    EXPECT_EQ(show(readDate(mmddyy(c.date))), c.iso);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateFormsTest,
    ::testing::Values(
        FormCase{ymd(2026, 12, 7), "2026-12-07", "12/7/2026", "07-Dec-26", "12/07/26"},
        FormCase{ymd(1999, 1, 5), "1999-01-05", "1/5/1999", "05-Jan-99", "01/05/99"},
        FormCase{ymd(2000, 2, 29), "2000-02-29", "2/29/2000", "29-Feb-00", "02/29/00"},
        FormCase{ymd(2029, 3, 10), "2029-03-10", "3/10/2029", "10-Mar-29", "03/10/29"},
        FormCase{ymd(1930, 4, 1), "1930-04-01", "4/1/1930", "01-Apr-30", "04/01/30"},
        FormCase{ymd(2026, 5, 31), "2026-05-31", "5/31/2026", "31-May-26", "05/31/26"},
        FormCase{ymd(2026, 6, 2), "2026-06-02", "6/2/2026", "02-Jun-26", "06/02/26"},
        FormCase{ymd(2026, 7, 4), "2026-07-04", "7/4/2026", "04-Jul-26", "07/04/26"},
        FormCase{ymd(2026, 8, 15), "2026-08-15", "8/15/2026", "15-Aug-26", "08/15/26"},
        FormCase{ymd(2026, 9, 30), "2026-09-30", "9/30/2026", "30-Sep-26", "09/30/26"},
        FormCase{ymd(2026, 10, 12), "2026-10-12", "10/12/2026", "12-Oct-26", "10/12/26"},
        FormCase{ymd(2026, 11, 26), "2026-11-26", "11/26/2026", "26-Nov-26", "11/26/26"}));

TEST(DateFormsTest, ShortFormKeepsFourYearDigits) {
    // Early years are padded so that the short form still reads back.
    EXPECT_EQ(shortDate(ymd(438, 12, 7)), "12/7/0438");
    EXPECT_EQ(show(readDate(shortDate(ymd(438, 12, 7)))), "0438-12-07");
    EXPECT_EQ(toIso(ymd(438, 12, 7)), "0438-12-07");
    // The two-digit forms keep only the last two digits.
    EXPECT_EQ(mediumDate(ymd(1850, 3, 1)), "01-Mar-50");
    EXPECT_EQ(mmddyy(ymd(1850, 3, 1)), "03/01/50");
}

// ---------------------------------------------------------------- arithmetic

struct DiffCase {
    Date a;
    Date b;
    long days;
};

class DayArithmeticTest : public ::testing::TestWithParam<DiffCase> {};

TEST_P(DayArithmeticTest, CountsAndAdds) {
    const DiffCase& c = GetParam();
    EXPECT_EQ(daysBetween(c.a, c.b), c.days) << toIso(c.a) << " .. " << toIso(c.b);
    EXPECT_EQ(daysBetween(c.b, c.a), -c.days);
    EXPECT_EQ(toIso(addDays(c.a, c.days)), toIso(c.b));
    EXPECT_EQ(toIso(addDays(c.b, -c.days)), toIso(c.a));
}

INSTANTIATE_TEST_SUITE_P(Cases, DayArithmeticTest,
                         ::testing::Values(DiffCase{ymd(2026, 12, 7), ymd(2026, 12, 7), 0},
                                           DiffCase{ymd(2026, 12, 7), ymd(2026, 12, 8), 1},
                                           DiffCase{ymd(2026, 12, 31), ymd(2027, 1, 1), 1},
                                           DiffCase{ymd(2024, 2, 28), ymd(2024, 3, 1), 2},
                                           DiffCase{ymd(2025, 2, 28), ymd(2025, 3, 1), 1},
                                           DiffCase{ymd(2026, 11, 7), ymd(2026, 12, 7), 30},
                                           DiffCase{ymd(2026, 11, 6), ymd(2026, 12, 7), 31},
                                           DiffCase{ymd(1999, 12, 31), ymd(2000, 12, 31), 366},
                                           DiffCase{ymd(1970, 1, 1), ymd(2026, 12, 7), 20794},
                                           DiffCase{ymd(1900, 1, 1), ymd(2100, 1, 1), 73049}));

TEST(DayArithmeticTest, AddingBeyondTheCalendarOverflows) {
    const Date d = ymd(2026, 12, 7);
    for (const long n : {4'000'000'000L, -4'000'000'000L, 20'000'000L, -20'000'000L}) {
        try {
            addDays(d, n);
            FAIL() << "no error for " << n;
        } catch (const vz::Error& e) {
            EXPECT_EQ(e.number(), vz::Error::kOverflow);
        }
    }
    EXPECT_EQ(toIso(addDays(d, 365L * 7000)), "9022-04-15");
}

TEST(TodayTest, IsTheLocalCalendarDate) {
    // Compare with the C library's local time, read before and after so a
    // run across midnight cannot make the test fail.
    auto local = [] {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        return ymd(tm.tm_year + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                   static_cast<unsigned>(tm.tm_mday));
    };
    const Date before = local();
    const Date t = today();
    const Date after = local();
    EXPECT_TRUE(t.ok());
    EXPECT_TRUE(t == before || t == after) << toIso(t);
}

}  // namespace
}  // namespace vz::base
