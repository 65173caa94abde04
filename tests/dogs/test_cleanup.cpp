#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "core/base/error.h"
#include "core/dogs/cleanup.h"
#include "core/dogs/texts.h"
#include "tests/dogs/dog_fixture.h"

namespace vz::dogs {
namespace {

namespace fs = std::filesystem;
using test::ymd;

class CleanupTest : public test::DogFixture {
  protected:
    std::vector<std::string> names() { return db.dogNames(); }
};

TEST_F(CleanupTest, ZeroSetsAllFourCountersOfEveryDog) {
    EXPECT_EQ(zeroCounters(db), 0);  // an empty database is done at once
    addDog("A", "M", 5);
    addDog("B", "R", 7);
    base::Dog partly;
    partly.RegName = "C";  // counters never set
    db.addDog(partly);
    EXPECT_EQ(zeroCounters(paths), 3);
    for (const base::Dog& d : db.dogs()) {
        EXPECT_EQ(d.NumStarts, 0) << d.RegName;
        EXPECT_EQ(d.NumFirsts, 0) << d.RegName;
        EXPECT_EQ(d.NumSeconds, 0) << d.RegName;
        EXPECT_EQ(d.NumThirds, 0) << d.RegName;
    }
    EXPECT_EQ(db.findDog("B")->RunningStyle, "R");
}

TEST_F(CleanupTest, RaceDataBeforeTheDateGoesAndThatDayStays) {
    addDog("Rover");
    addDog("Mighty \"Mo\"");
    addLine("Rover", ymd(2026, 1, 9), "S", 1, 1, 3000);
    addLine("rover", ymd(2025, 6, 1), "S", 1, 1, 3000);  // name in another case
    addLine("Rover", ymd(2026, 1, 10), "S", 1, 1, 3000);
    addLine("Rover", ymd(2026, 1, 11), "S", 1, 1, 3000);
    addLine("Rover", std::nullopt, "S", 1, 1, 3000);  // no date: not before anything
    addLine("Mighty \"Mo\"", ymd(2025, 12, 31), "S", 1, 1, 3000);
    addLine("Ghost", ymd(2020, 1, 1), "S", 1, 1, 3000);  // no such dog: not visited

    EXPECT_EQ(deleteRaceData(paths, ymd(2026, 1, 10)), 3);
    const auto rover = db.raceLines("Rover");
    ASSERT_EQ(rover.size(), 3u);
    EXPECT_EQ(rover[0].RaceDate, ymd(2026, 1, 11));
    EXPECT_EQ(rover[1].RaceDate, ymd(2026, 1, 10));
    EXPECT_FALSE(rover[2].RaceDate);
    EXPECT_TRUE(db.raceLines("Mighty \"Mo\"").empty());
    EXPECT_EQ(db.raceLines("Ghost").size(), 1u);
    EXPECT_EQ(db.dogCount(), 2);
}

TEST_F(CleanupTest, DogsNotRacedSinceTheDateGoAndTheirLinesStay) {
    const base::Date chosen = ymd(2026, 6, 1);
    addDog("Newest On The Day");
    addLine("Newest On The Day", ymd(2026, 6, 1), "S", 1, 1, 3000);
    addLine("Newest On The Day", ymd(2025, 1, 1), "S", 1, 1, 3000);
    addDog("Newest Day Before");
    addLine("newest day before", ymd(2026, 5, 31), "S", 1, 1, 3000);
    addDog("No Lines");
    addDog("Raced Lately");
    addLine("Raced Lately", ymd(2026, 12, 1), "S", 1, 1, 3000);
    addDog("Undated Only");
    addLine("Undated Only", std::nullopt, "S", 1, 1, 3000);
    addDog("Undated And Old");
    addLine("Undated And Old", std::nullopt, "S", 1, 1, 3000);
    addLine("Undated And Old", ymd(2020, 1, 1), "S", 1, 1, 3000);
    const auto linesBefore = db.raceLineCount();

    EXPECT_EQ(deleteDogs(paths, chosen), 3);
    EXPECT_EQ(names(),
              (std::vector<std::string>{"Newest On The Day", "Raced Lately", "Undated Only"}));
    EXPECT_EQ(db.raceLineCount(), linesBefore);

    // A dog without lines goes whatever the date.
    addDog("Fresh");
    EXPECT_EQ(deleteDogs(db, ymd(1990, 1, 1)), 1);
    EXPECT_FALSE(db.findDog("Fresh"));
}

TEST_F(CleanupTest, AFailedDeletionChangesNothing) {
    addDog("Old Dog");
    addLine("Old Dog", ymd(2020, 1, 1), "S", 1, 1, 3000);
    addDog("No Lines", "M", 4);
    auto failAtEnd = [](long done, long total) {
        if (done == total) {
            throw std::runtime_error("stopped");
        }
    };
    EXPECT_THROW(deleteRaceData(paths, today, failAtEnd), std::runtime_error);
    EXPECT_EQ(db.raceLineCount(), 1);
    EXPECT_THROW(deleteDogs(paths, today, failAtEnd), std::runtime_error);
    EXPECT_EQ(db.dogCount(), 2);
    EXPECT_THROW(zeroCounters(paths, failAtEnd), std::runtime_error);
    EXPECT_EQ(db.findDog("No Lines")->NumStarts, 4);
}

fs::file_time_type localTime(base::Date d, int h, int m, int s) {
    std::tm tm{};
    tm.tm_year = static_cast<int>(d.year()) - 1900;
    tm.tm_mon = static_cast<int>(static_cast<unsigned>(d.month())) - 1;
    tm.tm_mday = static_cast<int>(static_cast<unsigned>(d.day()));
    tm.tm_hour = h;
    tm.tm_min = m;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    const auto sys = std::chrono::system_clock::from_time_t(std::mktime(&tm));
    return std::chrono::file_clock::from_sys(sys);
}

TEST_F(CleanupTest, ResultFilesByModificationDayWithoutSubfolders) {
    const fs::path results = paths.resultsDir();
    const base::Date chosen = ymd(2026, 11, 20);
    struct File {
        const char* name;
        fs::file_time_type modified;
        bool stays;
    };
    const File files[] = {
        {"On The Day - Results.txt", localTime(chosen, 0, 0, 1), true},
        {"Late On The Day - Results.txt", localTime(chosen, 23, 59, 0), true},
        {"Day Before - Results.txt", localTime(ymd(2026, 11, 19), 23, 59, 59), false},
        {"Old.rac", localTime(ymd(2025, 1, 1), 12, 0, 0), false},
        {"Newer.txt", localTime(ymd(2026, 12, 1), 12, 0, 0), true},
    };
    for (const File& f : files) {
        test::writeText(results / f.name, "report");
        fs::last_write_time(results / f.name, f.modified);
    }
    fs::create_directories(results / "Kept");
    test::writeText(results / "Kept" / "Old - Results.txt", "report");
    fs::last_write_time(results / "Kept" / "Old - Results.txt",
                        localTime(ymd(2020, 1, 1), 12, 0, 0));
    const fs::path outside = dir / "Elsewhere.rac";
    test::writeText(outside, "race file");
    fs::last_write_time(outside, localTime(ymd(2020, 1, 1), 12, 0, 0));

    std::vector<std::pair<long, long>> calls;
    EXPECT_EQ(deleteResults(paths, chosen, [&](long d, long t) { calls.emplace_back(d, t); }), 2);
    for (const File& f : files) {
        EXPECT_EQ(fs::exists(results / f.name), f.stays) << f.name;
    }
    EXPECT_TRUE(fs::exists(results / "Kept" / "Old - Results.txt"));
    EXPECT_TRUE(fs::exists(outside));
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls.back(), std::make_pair(5L, 5L));
}

TEST_F(CleanupTest, MissingResultsFolderIsAnError) {
    fs::remove_all(paths.resultsDir());
    try {
        deleteResults(paths, today);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::kPathNotFound);
    }
}

TEST(DeletionTexts, ThresholdsAskForRecentDates) {
    const base::Date today = ymd(2026, 12, 7);
    struct Case {
        Deletion d;
        long daysBack;
        bool asks;
    };
    const Case cases[] = {
        {Deletion::RaceData, 365, false}, {Deletion::RaceData, 91, false},
        {Deletion::RaceData, 90, false},  {Deletion::RaceData, 89, true},
        {Deletion::RaceData, 1, true},    {Deletion::RaceData, -3, true},
        {Deletion::Dogs, 90, false},      {Deletion::Dogs, 89, true},
        {Deletion::Results, 90, false},   {Deletion::Results, 7, false},
        {Deletion::Results, 6, true},     {Deletion::Results, 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(needsConfirmation(c.d, base::addDays(today, -c.daysBack), today), c.asks)
            << static_cast<int>(c.d) << " " << c.daysBack;
    }
    // The dates the windows open with need no question.
    for (Deletion d : {Deletion::RaceData, Deletion::Dogs, Deletion::Results}) {
        EXPECT_FALSE(needsConfirmation(d, defaultDeletionDate(d, today), today));
    }
    EXPECT_EQ(defaultDeletionDate(Deletion::RaceData, today), ymd(2025, 12, 7));
    EXPECT_EQ(defaultDeletionDate(Deletion::Dogs, today), ymd(2025, 12, 7));
    EXPECT_EQ(defaultDeletionDate(Deletion::Results, today), ymd(2026, 9, 8));
}

TEST(DeletionTexts, QuestionsAndMessagesUseTheShortDate) {
    const base::Date d = ymd(2026, 3, 5);
    EXPECT_EQ(confirmationQuestion(Deletion::RaceData, d),
              "Are you sure you want to delete all race data before 3/5/2026?");
    EXPECT_EQ(confirmationQuestion(Deletion::Dogs, d),
              "Are you sure you want to delete all dogs that have not raced since 3/5/2026?");
    EXPECT_EQ(confirmationQuestion(Deletion::Results, d),
              "Are you sure you want to delete all results and race files prior to 3/5/2026?");
    EXPECT_EQ(completionMessage(Deletion::RaceData, d),
              "Finished deleting race data before 3/5/2026.");
    EXPECT_EQ(completionMessage(Deletion::Dogs, d),
              "Finished deleting dogs that have not raced since 3/5/2026.");
    EXPECT_EQ(completionMessage(Deletion::Results, d),
              "Finished deleting results and race files prior to 3/5/2026.");
    EXPECT_EQ(workErrorMessage(Error("Disk full", 61)), "Disk full 61");
}

}  // namespace
}  // namespace vz::dogs
