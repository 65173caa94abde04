// A race rated as of its day rates exactly as processing rated its card on
// that day: same points, alerts, order and advice.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/analysis/backtest.h"
#include "core/analysis/check.h"
#include "core/processing/report.h"
#include "core/processing/run.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/analysis/history.h"
#include "tests/processing/sample_card.h"
#include "tests/support/test_support.h"

namespace vz::analysis {
namespace {

namespace fs = std::filesystem;
using test::PastRace;
using test::Runner;
using test::ymd;

std::string processCard(const base::AppPaths& paths, const fs::path& card, base::Date today) {
    processing::RunRequest rq;
    rq.paths = paths;
    rq.raceFile = card;
    rq.raceFileTitle = card.filename().string();
    rq.today = today;
    const processing::RunOutcome out = processing::processRaceFile(rq);
    EXPECT_EQ(out.kind, processing::RunOutcome::Kind::Report);
    return test::readText(out.file);
}

// The sample card of the processing tests, whose report was worked out by
// hand, checked on a database that meanwhile holds each dog's line of race
// 1 and 2 (dated the race's own day, so never part of the rating).
TEST(SameAsProcessing, TheCheckRatesTheCardAsProcessingDid) {
    test::TempDir root;
    const base::AppPaths paths = test::makeAppFolder(root.path());
    const fs::path card = root / test::kSampleTitle;
    test::makeSampleCard(paths, card);
    const std::string expected =
        test::readText(test::sourceDir() / "tests/processing/data/Sample Card - Results.txt");
    {
        store::DogDatabase db(paths.dogDatabase());
        for (const char* dog : {"Rail Rocket", "Eight Ball", "Say \"When\"", "Case Dog"}) {
            base::RaceLine l = test::line(dog, ymd(2026, 12, 7), "S", "AA", 2800, 1, 1, 1, 1);
            l.RaceNum = dog[0] == 'S' || dog[0] == 'C' ? 2 : 1;
            db.addRaceLine(l);
        }
    }
    const store::RaceFile file(card, store::OpenMode::ReadOnly);
    const store::DogDatabase db(paths.dogDatabase(), store::OpenMode::ReadOnly);
    const std::vector<CheckedRace> races = checkRaces(file, db, {});
    ASSERT_EQ(races.size(), 3u);
    std::size_t at = 0;
    for (const CheckedRace& c : races) {
        const std::string section = processing::raceSection(c.race, c.rated);
        const std::size_t found = expected.find(section, at);
        EXPECT_NE(found, std::string::npos) << section;
        at = found == std::string::npos ? at : found + section.size();
    }
    // The lines of the day gave results to the first two races only.
    EXPECT_TRUE(races[0].outcome.hasResult);
    EXPECT_TRUE(races[1].outcome.hasResult);
    EXPECT_FALSE(races[2].outcome.hasResult);
}

// The dog lines and advice of a rated past race, as the results report
// writes them.
std::string reportLines(const RatedPastRace& r) {
    std::string out;
    for (const RatedDog& d : r.dogs) {
        out += processing::dogLine(d.post, d.dogName, d.points, d.alerts);
        out += processing::kEol;
        if (d.rank == 5) {
            out += processing::kEol;
        }
    }
    out += processing::kEol;
    out += r.advice;
    out += processing::kEol;
    return out;
}

// The backtest's rating of a past race against processing run on that race's
// day, when the database held only the lines before it. Cut's lines are
// stored out of date order, and two of them share the day where its eight
// newest end: processing keeps the one stored first (grade AA, a win), so
// Cut's Cla is 7 x 3 + 6 = 27 against Rival's 24 of eight grade C lines; the
// line stored second (grade M) would give 22 and lose the Cla points.
class BacktestAsProcessing : public ::testing::Test {
  protected:
    test::TempDir root;
    const base::Date raceDay = ymd(2026, 6, 20);

    void history(const base::AppPaths& paths, bool withRaceDayAndLater) {
        store::DogDatabase db(paths.dogDatabase());
        test::addDogs(db, {"Cut", "Rival"}, "R");
        test::addDogs(db, {"Third", "Fourth", "Fifth"}, "W");
        const int order[] = {4, 1, 0, 5, 2, 6, 3};  // Cut's seven newer lines, shuffled
        for (int i : order) {
            test::addRace(db, {ymd(2026, 6, 10 - i), 1, "S", "C"}, {{"Cut", 2, 4, 5.0, 3050}});
        }
        test::addRace(db, {ymd(2026, 5, 20), 2, "S", "AA"}, {{"Cut", 1, 1, 2.0, 2990}});
        test::addRace(db, {ymd(2026, 5, 20), 5, "S", "M"}, {{"Cut", 8, 8, 9.0, 3200}});
        for (int i = 0; i < 8; ++i) {
            test::addRace(db, {ymd(2026, 5, 1 + i), 3, "L", "C"}, {{"Rival", 3, 2, 3.0, 3700}});
        }
        test::addRace(db, {ymd(2026, 6, 1), 4, "R", "D"},
                      {{"Third", 6, 3, 4.0, 4300}, {"Fourth", 7, 6, 4.0, 4400}});
        test::addRace(db, {ymd(2026, 6, 3), 4, "S", "B"}, {{"Fifth", 8, 2, 4.0, 3040}});
        if (withRaceDayAndLater) {
            test::addRace(db, {raceDay, 6, "S", "C", 3010},
                          {{"Cut", 1, 2, 3.0},
                           {"Rival", 2, 1, 2.5},
                           {"Third", 3, 3, 6.0},
                           {"Fourth", 4, 4, 8.0},
                           {"Fifth", 5, 5, 9.0}});
            test::addRace(db, {ymd(2026, 6, 21), 1, "S", "AA"}, {{"Fifth", 1, 1, 2.0, 2700}});
        }
    }
};

TEST_F(BacktestAsProcessing, RatesThePastRaceAsProcessingDidThatDay) {
    const base::AppPaths then = test::makeAppFolder(root / "then");
    history(then, false);
    const fs::path card = root / "Past.rac";
    test::makeRaceFile(card);
    {
        store::RaceFile f(card);
        base::Race race;
        race.RaceDate = raceDay;
        race.RaceNum = 6;
        race.Grade = "C";
        race.Distance = "S";
        f.addRace(race);
        const char* dogs[] = {"Cut", "Rival", "Third", "Fourth", "Fifth"};
        for (int p = 1; p <= 5; ++p) {
            base::Post post;
            post.RaceDate = raceDay;
            post.RaceNum = 6;
            post.Post = p;
            post.RegName = dogs[p - 1];
            f.addPost(post);
        }
    }
    const std::string report = processCard(then, card, raceDay);

    const base::AppPaths now = test::makeAppFolder(root / "now");
    history(now, true);
    std::vector<RatedPastRace> rated;
    BacktestRequest rq;
    rq.onRace = [&](const RatedPastRace& r) { rated.push_back(r); };
    const store::DogDatabase db(now.dogDatabase(), store::OpenMode::ReadOnly);
    backtest(db, rq);
    ASSERT_EQ(rated.size(), 1u);
    EXPECT_NE(report.find(reportLines(rated.front())), std::string::npos)
        << reportLines(rated.front()) << "\nnot in\n"
        << report;
    const auto cut = std::find_if(rated.front().dogs.begin(), rated.front().dogs.end(),
                                  [](const RatedDog& d) { return d.dogName == "Cut"; });
    ASSERT_NE(cut, rated.front().dogs.end());
    EXPECT_EQ(cut->points.cla, 4);
}

}  // namespace
}  // namespace vz::analysis
