// The win chances' inputs, the conditional logit fit and the model file.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/analysis/clogit.h"
#include "core/analysis/win_inputs.h"
#include "core/analysis/win_model.h"
#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/store/dog_database.h"
#include "tests/analysis/history.h"
#include "tests/e2e/cli_runner.h"
#include "tests/processing/sample_card.h"
#include "tests/support/test_support.h"

namespace vz::analysis {
namespace {

namespace fs = std::filesystem;

// Three races, two inputs, b = (ln 2, 1):
//   race 1: x = (1,0) won, (0,0). exp(b.x) = 2, 1: p = 2/3, 1/3.
//     ln L = ln(2/3); gradient x_w - sum p x = (1,0) - (2/3,0) = (1/3, 0).
//   race 2: x = (0,1), (1,0), (0,0) won. exp = e, 2, 1, sum e + 3.
//     ln L = -ln(e + 3); gradient (0,0) - (2, e)/(e + 3).
//   race 3: x = (1,1), (0,1) won. exp = 2e, e: p = 2/3, 1/3.
//     ln L = ln(1/3); gradient (0,1) - (2/3, 1) = (-2/3, 0).
// Sum: ln L = ln(2/9) - ln(e + 3) = -3.2478; gradient
// (1/3 - 2/(e+3) - 2/3, -e/(e+3)) = (-0.6831, -0.4754). Null model: every dog
// equal, -(ln 2 + ln 3 + ln 2).
TEST(ConditionalLogit, ThreeRacesWorkedByHand) {
    ChoiceSet set(2);
    set.addRace(std::vector<double>{1, 0, 0, 0}, 0);
    set.addRace(std::vector<double>{0, 1, 1, 0, 0, 0}, 2);
    set.addRace(std::vector<double>{1, 1, 0, 1}, 1);
    Eigen::VectorXd b(2);
    b << std::log(2.0), 1.0;
    const Evaluation e = evaluate(set, b);
    const double e1 = std::exp(1.0);
    EXPECT_NEAR(e.logLik, std::log(2.0 / 9.0) - std::log(e1 + 3), 1e-12);
    EXPECT_NEAR(e.gradient[0], 1.0 / 3 - 2 / (e1 + 3) - 2.0 / 3, 1e-12);
    EXPECT_NEAR(e.gradient[1], -e1 / (e1 + 3), 1e-12);
    EXPECT_NEAR(nullLogLikelihood(set), -(2 * std::log(2.0) + std::log(3.0)), 1e-12);
    // Race 1's chances at b.
    const std::vector<double> p = choiceChances(std::vector<double>{1, 0, 0, 0}, 2, b);
    EXPECT_NEAR(p[0], 2.0 / 3, 1e-12);
}

// At the optimum of the penalised likelihood its slope is zero: gradient =
// penalty * b, for each penalty.
TEST(ConditionalLogit, FitStopsWhereThePenalisedSlopeIsZero) {
    ChoiceSet set(2);
    set.addRace(std::vector<double>{1, 0, 0, 0}, 0);
    set.addRace(std::vector<double>{0, 1, 1, 0, 0, 0}, 2);
    set.addRace(std::vector<double>{1, 1, 0, 1}, 1);
    set.addRace(std::vector<double>{1, 0, 0, 1}, 0);
    for (const double penalty : {0.1, 1.0, 10.0}) {
        const LogitFit fit = fitConditionalLogit(set, penalty);
        ASSERT_TRUE(fit.converged) << penalty;
        const Evaluation e = evaluate(set, fit.coef);
        EXPECT_NEAR(e.gradient[0], penalty * fit.coef[0], 1e-9) << penalty;
        EXPECT_NEAR(e.gradient[1], penalty * fit.coef[1], 1e-9) << penalty;
        EXPECT_GT(fit.stdErr[0], 0) << penalty;
    }
}

// 8-dog races whose post 1 wins 40% of them and each other post 60%/7: the
// post inputs alone give post 1 a chance near 0.40 and the others near
// 0.086 (3,000 races: a standard error of about 0.009).
TEST(WinModel, PostOneWinningFortyPercentIsFound) {
    std::mt19937 rng(7);
    const std::vector<InputGroup> groups{InputGroup::Post};
    ChoiceSet set(7);
    std::vector<RatedDog> field(8);
    for (int p = 0; p < 8; ++p) {
        field[static_cast<std::size_t>(p)].post = p + 1;
    }
    std::vector<double> rows;
    for (int r = 0; r < 3000; ++r) {
        const double u = static_cast<double>(rng()) / 4294967296.0;
        const int winner = u < 0.4 ? 0 : 1 + static_cast<int>((u - 0.4) / 0.6 * 7);
        rows.clear();
        appendRaceInputs(groups, field, rows);
        set.addRace(rows, winner);
    }
    const WinModel m = fitWinModel(set, groups, kDefaultPenalty);
    const std::vector<double> p = m.chances(field);
    EXPECT_NEAR(p[0], 0.40, 0.03);
    for (int i = 1; i < 8; ++i) {
        EXPECT_NEAR(p[static_cast<std::size_t>(i)], 0.6 / 7, 0.02) << i;
    }
}

RatedDog dog(int post, std::string style, std::string alerts, DogForm form) {
    RatedDog d;
    d.post = post;
    d.style = std::move(style);
    d.alerts = std::move(alerts);
    d.form = form;
    return d;
}

// Each row: a dog, the groups, the inputs expected (by the formulas of the
// guide: Lines, Rest = min(days, 180) / 30 (6 without a line), LastWon,
// LastPlaced; rail posts 1-3, wide 6-8).
TEST(WinInputs, FormStyleAlertsAndPostByTheirFormulas) {
    struct Row {
        RatedDog d;
        std::string groups;
        std::vector<double> expected;
    };
    const std::vector<Row> rows{
        {dog(1, "R", "", {3, 45, 1}), "form", {3, 1.5, 1, 0}},
        {dog(1, "R", "", {8, 400, 3}), "form", {8, 6, 0, 1}},
        {dog(1, "R", "", {0, std::nullopt, std::nullopt}), "form", {0, 6, 0, 0}},
        {dog(2, "R", "", {}), "style", {1, 0, 0, 0}},
        {dog(7, "R", "", {}), "style", {0, 1, 0, 0}},
        {dog(3, "W", "", {}), "style", {0, 0, 1, 0}},
        {dog(8, "W", "", {}), "style", {0, 0, 0, 1}},
        {dog(5, "R", "", {}), "style", {0, 0, 0, 0}},
        {dog(1, "M", "Extra Break Adv - Must Play", {}), "alerts", {1, 0, 0, 0, 1}},
        {dog(1, "M", "Break Adv - Late Spd", {}), "alerts", {0, 1, 1, 0, 0}},
        {dog(3, "M", "Back/rail runner", {}), "post,alerts", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}},
    };
    for (const Row& r : rows) {
        std::vector<double> got;
        appendRaceInputs(parseInputGroups(r.groups), std::vector<RatedDog>{r.d}, got);
        EXPECT_EQ(got, r.expected) << r.groups << " post " << r.d.post;
    }
}

// Raw figures within a race: (v - mean) / sd; a dog without a time stands at
// the slowest time of the race. Times 3000, 3020 and none (-> 3020): mean
// 3013.33, sd 9.428: z = -1.414, 0.707, 0.707.
TEST(WinInputs, FiguresAreStandardisedWithinTheRace) {
    std::vector<RatedDog> field(3);
    const double times[] = {3000, 3020, processing::kNoTime};
    for (std::size_t i = 0; i < 3; ++i) {
        field[i].figures.avgTime = times[i];
        field[i].figures.linesRead = i < 2 ? 3 : 0;
    }
    std::vector<double> got;
    appendRaceInputs({InputGroup::Figures}, field, got);
    ASSERT_EQ(got.size(), 18u);
    EXPECT_NEAR(got[2], -std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(got[6 + 2], std::sqrt(0.5), 1e-9);
    EXPECT_NEAR(got[12 + 2], std::sqrt(0.5), 1e-9);
    EXPECT_EQ(got[0], 0);  // every grade point the same
}

TEST(WinInputs, GroupsAreCheckedByName) {
    EXPECT_EQ(inputGroupsText(parseInputGroups(" Points, post ,FORM")), "points,post,form");
    for (const char* bad : {"", "points,,post", "speed"}) {
        EXPECT_THROW(parseInputGroups(bad), Error) << bad;
    }
}

// An input the same for every dog of each race (a race of one score) tells
// nothing: it is left out with a note, and every dog stays equal.
TEST(WinModel, AnInputThatNeverVariesWithinARaceIsLeftOut) {
    ChoiceSet set(1);
    set.addRace(std::vector<double>{5, 5}, 0);
    set.addRace(std::vector<double>{7, 7, 7}, 1);
    const WinModel m = fitWinModel(set, {InputGroup::Score}, 1.0);
    EXPECT_FALSE(m.inputs[0].used);
    EXPECT_EQ(m.notes.size(), 1u);
    EXPECT_NEAR(m.pseudoR2(), 0.0, 1e-12);
    EXPECT_EQ(m.chancesOfRows(std::vector<double>{9, 1}, 2), (std::vector<double>{0.5, 0.5}));
}

TEST(ModelFile, RoundTripAndRefusals) {
    test::TempDir dir;
    WinModel m;
    m.groups = {InputGroup::Score, InputGroup::Form};
    for (const std::string& n : inputNames(m.groups)) {
        m.inputs.push_back({n, n != "Lines", 0.125, 0.03125});
    }
    m.races = 612;
    m.dogs = 4800;
    m.deadHeats = 2;
    m.logLik = -1100.5;
    m.nullLogLik = -1250.25;
    m.firstDay = test::ymd(2026, 1, 5);
    m.options.grade = "B";
    m.notes = {"a note"};
    const fs::path file = dir.path() / "model.json";
    saveModel(file, m);
    const WinModel back = loadModel(file);
    EXPECT_EQ(modelJson(back), modelJson(m));
    EXPECT_EQ(back.inputs[1].used, false);
    EXPECT_EQ(back.options.grade, "B");

    struct Bad {
        std::string text;
        std::string says;
    };
    for (const Bad& b : std::vector<Bad>{
             {modelJson(m).substr(0, 100), "is damaged"},
             {"{\"answer\": 42}", "is not a win-chance model file"},
             {std::string(modelJson(m)).replace(modelJson(m).find("Lines"), 5, "Linez"),
              "is damaged"}}) {
        base::writeFileAtomic(file, b.text);
        try {
            loadModel(file);
            ADD_FAILURE() << b.says;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(b.says), std::string::npos) << e.what();
        }
    }
}

// The terminal's fit over a history of races: 500 races or more are fitted
// and written; fewer are refused and nothing is written. A dead heat is
// counted and left out.
class CliFit : public ::testing::Test {
  protected:
    test::TempDir root;
    base::AppPaths paths = test::makeAppFolder(root.path());

    // `races` races of five dogs, one a day; the dog in post 1 wins. The
    // first race has no winner (not rated), the second is a dead heat of
    // posts 1 and 2.
    void addHistory(int races) {
        store::DogDatabase db(paths.dogDatabase());
        test::addDogs(db, {"A", "B", "C", "D", "E"});
        store::DogDatabase::Transaction tx(db);
        const char* names[] = {"A", "B", "C", "D", "E"};
        for (int r = 0; r < races; ++r) {
            std::vector<test::Runner> runs;
            for (int i = 0; i < 5; ++i) {
                const int post = 1 + (i + r) % 5;
                const int finish = r == 0 ? post + 1 : r == 1 && post == 2 ? 1 : post;
                runs.push_back({names[i], post, finish, 2.0 + post});
            }
            const base::Date date{std::chrono::sys_days(test::ymd(2024, 1, 1)) +
                                  std::chrono::days{r}};
            test::addRace(db, {date, 1}, runs);
        }
        tx.commit();
    }
};

TEST_F(CliFit, RefusesUnderFiveHundredRacesAndWritesNothing) {
    addHistory(40);
    const test::CliResult r = test::runCliIn(root.path(), {"fit"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Only 38 races can be fitted; a fit needs at least 500"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(modelFile(paths.appDir)));
}

TEST_F(CliFit, FitsWritesTheModelAndTheDesign) {
    addHistory(520);
    const fs::path design = root.path() / "design.csv";
    const test::CliResult r =
        test::runCliIn(root.path(), {"fit", "--inputs", "post", "--design", design.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // 520 races less the first (no winner) and the dead heat: 518.
    const WinModel m = loadModel(modelFile(paths.appDir));
    EXPECT_EQ(m.races, 518);
    EXPECT_EQ(m.deadHeats, 1);
    EXPECT_NE(r.out.find("Races fitted: 518 (2590 dogs); left out for a dead heat: 1"),
              std::string::npos)
        << r.out;
    // Post 1 always wins: its chance is far above the others'.
    RatedDog one;
    one.post = 1;
    RatedDog two;
    two.post = 2;
    EXPECT_GT(m.chances(std::vector<RatedDog>{one, two})[0], 0.9);
    const std::string csv = base::readFile(design);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "Date,Race,Distance,Grade,Post,Dog,Won,Post2,Post3,Post4,Post5,Post6,Post7,Post8\r");
    EXPECT_NE(csv.find("\n2024-01-03,1,S,B,1,D,1,0,0,0,0,0,0,0\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vz::analysis
