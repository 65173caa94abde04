#include <gtest/gtest.h>

#include "core/base/settings.h"
#include "tests/support/test_support.h"

namespace vz::base {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

const Date kToday{year{2026}, month{12}, day{7}};

TEST(Settings, FirstValuesFollowTheScreen) {
    const FirstSettings first = firstSettings(15360, 11520, kToday);
    EXPECT_FALSE(first.error);
    const Settings& s = first.settings;
    EXPECT_EQ(s.MainLeft, 10);
    EXPECT_EQ(s.MainTop, 10);
    EXPECT_EQ(s.MainWidth, 15160);
    EXPECT_EQ(s.MainHeight, 11320);
    EXPECT_EQ(s.MainWindowState, 0);
    EXPECT_EQ(s.FreshSettings, 1);
    EXPECT_DOUBLE_EQ(s.TimeFactorL, 0.8191767);
    EXPECT_DOUBLE_EQ(s.TimeFactorR, 0.8);
    EXPECT_EQ(s.LastStyleUpdate, kToday);
}

TEST(Settings, AScreenTooLargeForSixteenBitsLeavesThatValueAtZero) {
    const FirstSettings first = firstSettings(40000, 11520, kToday);
    ASSERT_TRUE(first.error);
    EXPECT_EQ(first.error->number(), Error::kOverflow);
    EXPECT_EQ(first.settings.MainWidth, 0);
    EXPECT_EQ(first.settings.MainHeight, 11320);
}

TEST(Settings, FileTextIsOneLineOfNineValues) {
    Settings s = firstSettings(15360, 11520, kToday).settings;
    EXPECT_EQ(settingsText(s), "10,10,15160,11320,0,1,0.8191767,0.8,#2026-12-07#\r\n");
}

TEST(Settings, RoundTripThroughTheFile) {
    test::TempDir dir;
    Settings s;
    s.MainLeft = -120;
    s.MainTop = 300;
    s.MainWidth = 12000;
    s.MainHeight = 9000;
    s.MainWindowState = 2;
    s.FreshSettings = 0;
    s.TimeFactorL = 0.8123456789012345;
    s.TimeFactorR = 0.79;
    s.LastStyleUpdate = Date{year{2024}, month{2}, day{29}};
    writeSettings(dir / "Vovoziruzu.ini", s);
    const SettingsRead read = readSettings(dir / "Vovoziruzu.ini");
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.settings, s);
}

TEST(Settings, ADamagedFileKeepsWhatWasReadBeforeTheFaultAndNamesTheFile) {
    struct Case {
        const char* text;
        int readCount;  // values read before the fault
        int number;
        const char* fault;  // the message after the fault's own words and the file
    } cases[] = {
        {"10,20,30\r\n", 3, Error::kInputPastEnd, "(value 4 of 9, MainHeight)"},
        {"10,20,\"x\",40,0,0,.8,.8,#2026-01-01#\r\n", 2, Error::kTypeMismatch,
         "(value 3 of 9, MainWidth)"},
        {"10,20,30,40,0,0,.9,.7,\"today\"\r\n", 8, Error::kTypeMismatch,
         "(value 9 of 9, LastStyleUpdate)"},
        // Cut after the time factors.
        {"10,20,30,40,0,0,.9,.7\r\n", 8, Error::kInputPastEnd, "(value 9 of 9, LastStyleUpdate)"},
        {"", 0, Error::kInputPastEnd, "(value 1 of 9, MainLeft)"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const auto file = dir / "Vovoziruzu.ini";
        test::writeText(file, c.text);
        Settings previous;
        const SettingsRead read = readSettings(file, previous);
        ASSERT_EQ(read.errors.size(), 1u) << c.text;
        ASSERT_TRUE(read.error) << c.text;
        EXPECT_EQ(read.error->number(), c.number) << c.text;
        const std::string words =
            c.number == Error::kInputPastEnd ? "Input past end of file" : "Type mismatch";
        EXPECT_EQ(read.error->what(),
                  words + " in the settings file " + file.string() + " " + c.fault);
        const Settings& s = read.settings;
        const int values[] = {s.MainLeft, s.MainTop, s.MainWidth, s.MainHeight};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(values[i], i < c.readCount ? (i + 1) * 10 : 0) << c.text << " value " << i;
        }
        if (c.readCount == 8) {
            EXPECT_DOUBLE_EQ(s.TimeFactorL, 0.9);
            EXPECT_DOUBLE_EQ(s.TimeFactorR, 0.7);
            EXPECT_FALSE(s.LastStyleUpdate);
        }
    }
}

// A factor of 0 would rate every time at its distance as the fastest; one
// outside 0.1 to 10 no two real averages of 10 s to 99.99 s give.
TEST(Settings, ATimeFactorOutsideThePlausibleRangeKeepsItsFirstValue) {
    struct Case {
        const char* factors;  // values 7 and 8
        double L;
        double R;
        const char* message;  // after "The time factor ", or after the fault's words
    } cases[] = {
        {"0,0.75", 0.8191767, 0.75,
         "TimeFactorL in the settings file {} is 0, not a number from 0.1 to 10: its first "
         "value 0.8191767 is used."},
        {"0.9,-0.5", 0.9, 0.8,
         "TimeFactorR in the settings file {} is -0.5, not a number from 0.1 to 10: its first "
         "value 0.8 is used."},
        {"0.9,", 0.9, 0.8,
         "TimeFactorR in the settings file {} is 0, not a number from 0.1 to 10: its first "
         "value 0.8 is used."},
        {"1e-300,0.7", 0.8191767, 0.7,
         "TimeFactorL in the settings file {} is 1e-300, not a number from 0.1 to 10: its first "
         "value 0.8191767 is used."},
        // Beyond a double: a read fault, after which neither factor is read.
        {"1e999,0.7", 0.8191767, 0.8,
         "Overflow in the settings file {} (value 7 of 9, TimeFactorL)"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const auto file = dir / "Vovoziruzu.ini";
        test::writeText(file,
                        std::string("10,10,9000,7500,0,0,") + c.factors + ",#2026-12-01#\r\n");
        const SettingsRead read = readSettings(file);
        EXPECT_DOUBLE_EQ(read.settings.TimeFactorL, c.L) << c.factors;
        EXPECT_DOUBLE_EQ(read.settings.TimeFactorR, c.R) << c.factors;
        ASSERT_EQ(read.errors.size(), 1u) << c.factors;
        std::string expected = c.message;
        expected.replace(expected.find("{}"), 2, file.string());
        const std::string got = read.errors[0].what();
        EXPECT_EQ(got.substr(got.size() - expected.size()), expected);
    }
}

TEST(Settings, NoLastUpdateDateIsWrittenAsTheEmptyDateAndReadsBack) {
    test::TempDir dir;
    Settings s = firstSettings(15360, 11520, kToday).settings;
    s.LastStyleUpdate.reset();
    EXPECT_EQ(settingsText(s), "10,10,15160,11320,0,1,0.8191767,0.8,#1899-12-30#\r\n");
    writeSettings(dir / "Vovoziruzu.ini", s);
    const SettingsRead read = readSettings(dir / "Vovoziruzu.ini");
    EXPECT_TRUE(read.errors.empty());
    EXPECT_EQ(read.settings, s);
}

}  // namespace
}  // namespace vz::base
