#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/processing/rating.h"

namespace vz::processing {
namespace {

// A dog's figures with sensible neutral values: no time, middle of the pack.
DogFigures neutral() {
    DogFigures f;
    f.bestTimes = {0, 9999, 9999, 9999};
    f.avgTime = 9999;
    f.lastTime = 9999;
    f.earlySpeed = 8;
    f.avgBreak = 4;
    return f;
}

struct Dog {
    int post;
    std::string style = "M";
    DogFigures f = neutral();
};

RaceTable table(const std::vector<Dog>& dogs) {
    RaceTable t;
    for (const Dog& d : dogs) {
        t.place(d.post, "Dog " + std::to_string(d.post), d.style, d.f);
    }
    return t;
}

std::vector<Dog> field(int n) {
    std::vector<Dog> dogs;
    for (int p = 1; p <= n; ++p) {
        dogs.push_back({p});
    }
    return dogs;
}

std::vector<std::string> adviceLines(const std::string& advice) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (!advice.empty()) {
        const std::size_t end = advice.find("\r\n", start);
        out.push_back(advice.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    return out;
}

bool has(const std::string& advice, const std::string& line) {
    for (const std::string& l : adviceLines(advice)) {
        if (l == line) {
            return true;
        }
    }
    return false;
}

TEST(RankField, StableWithTiesInPostOrder) {
    const std::vector<double> key = {0, 10, 12, 12, 7, 12, 3, 9, 5};
    const auto k = [&](int p) { return key[static_cast<std::size_t>(p)]; };
    EXPECT_EQ(rankField({1, 2, 3, 4, 5, 6, 7, 8}, k, true),
              (std::vector<int>{2, 3, 5, 1, 7, 4, 8, 6}));
    EXPECT_EQ(rankField({1, 2, 3, 4, 5, 6, 7, 8}, k, false),
              (std::vector<int>{6, 8, 4, 7, 1, 2, 3, 5}));
    // A gap in the field: only the posts that hold a dog are ranked.
    EXPECT_EQ(rankField({1, 2, 4, 5}, k, true), (std::vector<int>{2, 5, 1, 4}));
}

TEST(PointsByPosition, WorkedClassExample) {
    // GradePoints 10, 12, 12, 7, 12, 3, 9, 5 ranked: 12 12 12 10 9 7 5 3.
    EXPECT_EQ(pointsByPosition({12, 12, 12, 10, 9, 7, 5, 3}, 4, 0),
              (std::vector<int>{4, 4, 4, 3, 2, 1, 0, 0}));
}

TEST(PointsByPosition, Table) {
    struct Case {
        const char* what;
        std::vector<double> keys;
        int top, floor;
        std::vector<int> points;
    };
    const std::vector<Case> cases = {
        {"six tied at the top", {1, 1, 1, 1, 1, 1, 0, 0}, 4, 0, {4, 4, 4, 4, 4, 4, 3, 0}},
        {"the last position gets nothing even in a tie",
         {9999, 9999, 9999, 9999, 9999, 9999, 9999, 9999},
         4,
         0,
         {4, 4, 4, 4, 4, 4, 4, 0}},
        {"early speed 5 4 3 2, never 1", {1, 2, 3, 4, 5, 6, 7, 8}, 5, 1, {5, 4, 3, 2, 0, 0, 0, 0}},
        {"early speed ties at 2 share", {1, 2, 3, 4, 4, 5, 6, 7}, 5, 1, {5, 4, 3, 2, 2, 0, 0, 0}},
        {"late speed 2 1", {5, 4, 3, 2, 1, 0}, 2, 0, {2, 1, 0, 0, 0, 0}},
        {"late speed tie at 1", {5, 4, 4, 3}, 2, 0, {2, 1, 1, 0}},
        {"two dogs: only the first", {1, 2}, 4, 0, {4, 0}},
        {"two tied dogs: only the first", {1, 1}, 4, 0, {4, 0}},
        {"one dog", {1}, 5, 1, {5}},
        {"three dogs", {1, 2, 3}, 4, 0, {4, 3, 0}},
        {"none", {}, 4, 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pointsByPosition(c.keys, c.top, c.floor), c.points) << c.what;
    }
}

TEST(Append, AlertsAndAdvice) {
    std::string a;
    appendAlert(a, "Break Adv");
    appendAlert(a, "Must Play");
    EXPECT_EQ(a, "Break Adv - Must Play");
    std::string adv;
    appendAdvice(adv, "Include the 1");
    appendAdvice(adv, ">>> DO NOT PLAY! <<<");
    EXPECT_EQ(adv, "Include the 1\r\n>>> DO NOT PLAY! <<<");
}

TEST(RaceTable, RefusesATakenBoxAndAPostOutOfRange) {
    RaceTable t;
    t.place(3, "A", "M", neutral());
    EXPECT_THROW(t.place(3, "B", "M", neutral()), Error);
    EXPECT_THROW(t.place(0, "B", "M", neutral()), Error);
    EXPECT_FALSE(t.box(4).occupied);
    EXPECT_EQ(t.box(50).style, "");
    EXPECT_EQ(t.box(-1).figures, DogFigures{});
}

TEST(RateRace, ClassPointsGoToScoreAndColumn) {
    std::vector<Dog> dogs = field(8);
    const int grades[] = {10, 12, 12, 7, 12, 3, 9, 5};
    for (int i = 0; i < 8; ++i) {
        dogs[static_cast<std::size_t>(i)].f.gradePoints = grades[i];
    }
    const RatedRace r = rateRace(table(dogs));
    const int expected[] = {3, 4, 4, 1, 4, 0, 2, 0};
    for (int p = 1; p <= 8; ++p) {
        EXPECT_EQ(r.table.box(p).points.cla, expected[p - 1]) << p;
    }
    // Equal times everywhere: posts 1 to 7 share the AvSp and Last points.
    for (int p = 1; p <= 7; ++p) {
        EXPECT_EQ(r.table.box(p).points.avSp, 4) << p;
        EXPECT_EQ(r.table.box(p).points.last, 4) << p;
    }
    EXPECT_EQ(r.table.box(8).points.avSp, 0);
    for (int p = 1; p <= 8; ++p) {
        const Points& pt = r.table.box(p).points;
        EXPECT_EQ(pt.score, pt.cla + pt.rec + pt.avSp + pt.last + pt.eaSp + pt.laSp);
    }
}

TEST(RateRace, DirectionOfEachFigure) {
    std::vector<Dog> dogs = field(4);
    // Post 4 best on every figure.
    for (int i = 0; i < 4; ++i) {
        DogFigures& f = dogs[static_cast<std::size_t>(i)].f;
        f.gradePoints = i;
        f.finishPoints = i;
        f.avgTime = 3100 - i;
        f.lastTime = 3100 - i;
        f.earlySpeed = 8 - i;
        f.lateSpeed = i;
    }
    const RatedRace r = rateRace(table(dogs));
    EXPECT_EQ(r.table.box(4).points, (Points{23, 4, 4, 4, 4, 5, 2}));
    EXPECT_EQ(r.table.box(3).points, (Points{3 + 3 + 3 + 3 + 4 + 1, 3, 3, 3, 3, 4, 1}));
    EXPECT_EQ(r.finalOrder, (std::vector<int>{4, 3, 2, 1}));
}

TEST(RateRace, FinalOrderTieBreaks) {
    std::vector<Dog> dogs = field(4);
    // Posts 2 and 3 tie on Score; post 3 has the better early speed.
    dogs[1].f.gradePoints = 10;  // Cla 4
    dogs[2].f.earlySpeed = 1;    // EaSp 5
    dogs[1].f.earlySpeed = 9;
    dogs[0].f.earlySpeed = 9;
    dogs[3].f.earlySpeed = 9;
    const RatedRace r = rateRace(table(dogs));
    ASSERT_EQ(r.table.box(2).points.score, r.table.box(3).points.score);
    EXPECT_EQ(r.finalOrder[0], 3);
    EXPECT_EQ(r.finalOrder[1], 2);
    // Equal Score and EaSp points: lower post first.
    const RatedRace same = rateRace(table(field(4)));
    EXPECT_EQ(same.finalOrder, (std::vector<int>{1, 2, 3, 4}));
}

TEST(RateRace, SpeedGaps) {
    std::vector<Dog> dogs = field(6);
    const double times[] = {3100, 3116, 3131, 3150, 3200, 9999};
    for (int i = 0; i < 6; ++i) {
        dogs[static_cast<std::size_t>(i)].f.avgTime = times[i];
    }
    const RatedRace r = rateRace(table(dogs));
    // 16 more than 15: gap; exactly 15: none; 19: gap; the fifth is not looked at.
    EXPECT_TRUE(has(r.advice, "Speed Gap between 1 and 2"));
    EXPECT_FALSE(has(r.advice, "Speed Gap between 2 and 3"));
    EXPECT_TRUE(has(r.advice, "Speed Gap between 3 and 4"));
    EXPECT_FALSE(has(r.advice, "Speed Gap between 4 and 5"));
    EXPECT_EQ(adviceLines(r.advice)[0], "Speed Gap between 1 and 2");

    // No times at all: no gap.
    EXPECT_EQ(rateRace(table(field(8))).advice.find("Speed Gap"), std::string::npos);

    // The gap names posts in time order.
    std::vector<Dog> two = field(2);
    two[0].f.avgTime = 3200;
    two[1].f.avgTime = 3100;
    EXPECT_TRUE(has(rateRace(table(two)).advice, "Speed Gap between 2 and 1"));
}

TEST(RateRace, ExtraBreakNeedsMoreThanPointTwo) {
    struct Case {
        double second;
        bool alert;
    };
    for (const Case c : {Case{2.3, true}, Case{2.2, false}, Case{2.0, false}}) {
        std::vector<Dog> dogs = field(4);
        dogs[2].f.earlySpeed = 1;  // post 3 leads early speed
        dogs[2].f.avgBreak = 2.0;
        dogs[0].f.earlySpeed = 2;  // post 1 is second
        dogs[0].f.avgBreak = c.second;
        dogs[1].f.avgBreak = 1;  // the neighbours do not give a Break Adv
        dogs[3].f.avgBreak = 1;
        const RatedRace r = rateRace(table(dogs));
        EXPECT_EQ(r.table.box(3).alerts.find("Extra Break Adv") != std::string::npos, c.alert)
            << c.second;
    }
}

TEST(RateRace, AlertOrderOfPostOne) {
    std::vector<Dog> dogs = field(8);
    Dog& one = dogs[0];
    one.style = "R";
    one.f.fastBreaker = true;
    one.f.earlySpeed = 1;
    one.f.avgBreak = 1;
    one.f.gradePoints = 40;
    dogs[1].f.earlySpeed = 2;
    dogs[1].f.avgBreak = 2;
    const RatedRace r = rateRace(table(dogs));
    // Step 2, rule 1 of the post rules, the neighbour check, the class check.
    EXPECT_EQ(r.table.box(1).alerts, "Extra Break Adv - Break Adv - Break Adv - Must Play");
}

TEST(RateRace, NeighbourMarginIsAtLeastPointTwoInDoubles) {
    struct Case {
        double mine, left, right;
        bool alert;
    };
    // In doubles 2.2 - 0.2 is 2.0000000000000004 and 1.4 - 0.2 is exactly 1.2,
    // so 2.0 and 1.2 qualify; 0.3 - 0.2 is 0.09999999999999998, which 0.1
    // does not reach.
    const std::vector<Case> cases = {
        {2.0, 2.2, 2.2, true},  {2.01, 2.2, 2.2, false}, {1.2, 1.4, 3.0, true},
        {0.1, 0.3, 3.0, false}, {1.0, 3.0, 1.1, false},  {1.0, 3.0, 1.2, true},
    };
    for (const Case& c : cases) {
        std::vector<Dog> dogs = field(6);
        for (Dog& d : dogs) {
            d.f.earlySpeed = 9;
            d.f.avgBreak = 5;
        }
        dogs[2].f.earlySpeed = 1;  // post 4 second best early: EaSp 4
        dogs[3].f.earlySpeed = 2;
        dogs[3].f.avgBreak = c.mine;
        dogs[2].f.avgBreak = c.left;
        dogs[4].f.avgBreak = c.right;
        const RatedRace r = rateRace(table(dogs));
        EXPECT_EQ(r.table.box(4).alerts.find("Break Adv") != std::string::npos, c.alert)
            << c.mine << " " << c.left << " " << c.right;
    }
}

TEST(RateRace, LastPostAndTheEightInQuinielas) {
    const auto leads = [](std::vector<Dog>& dogs, int best, int second) {
        for (Dog& d : dogs) {
            d.f.earlySpeed = 9;
        }
        dogs[static_cast<std::size_t>(best - 1)].f.earlySpeed = 1;
        dogs[static_cast<std::size_t>(best - 1)].f.avgBreak = 1;
        dogs[static_cast<std::size_t>(second - 1)].f.earlySpeed = 2;
        dogs[static_cast<std::size_t>(second - 1)].f.avgBreak = 2;
    };
    // 8 dogs: post 8 is the last post, compared with post 7 only; it is last
    // in the class tie too, so no "Must Play".
    std::vector<Dog> dogs = field(8);
    leads(dogs, 8, 7);
    RatedRace r = rateRace(table(dogs));
    EXPECT_EQ(r.table.box(8).alerts, "Extra Break Adv - Break Adv");
    EXPECT_EQ(r.table.box(7).alerts, "Must Play");  // post 8 breaks better
    EXPECT_FALSE(has(r.advice, "Play the 8 in any quiniela bets"));

    // Post 7 better than both neighbours: the 8 is to be played.
    dogs = field(8);
    leads(dogs, 7, 8);
    r = rateRace(table(dogs));
    EXPECT_EQ(r.table.box(7).alerts, "Extra Break Adv - Break Adv - Must Play");
    EXPECT_TRUE(has(r.advice, "Play the 8 in any quiniela bets"));

    // 7 dogs: post 7 is the last post, so the quiniela line never comes.
    dogs = field(7);
    leads(dogs, 7, 6);
    r = rateRace(table(dogs));
    EXPECT_EQ(r.table.box(7).alerts, "Extra Break Adv - Break Adv");
    EXPECT_FALSE(has(r.advice, "Play the 8 in any quiniela bets"));
}

TEST(RateRace, AGapInTheFieldRanksOnlyRealDogs) {
    // Post 3 scratched: posts 1, 2, 4, 5.
    std::vector<Dog> dogs = {{1}, {2}, {4}, {5}};
    dogs[3].f.gradePoints = 20;
    dogs[3].f.avgTime = 3000;
    dogs[3].f.earlySpeed = 2;
    dogs[3].f.avgBreak = 1;
    const RatedRace r = rateRace(table(dogs));
    // Post 5 is fourth in every tie, so the last position: 0 there.
    EXPECT_EQ(r.table.box(5).points, (Points{13, 4, 0, 4, 0, 5, 0}));
    EXPECT_EQ(r.table.box(1).points, (Points{20, 3, 4, 3, 4, 4, 2}));
    EXPECT_EQ(r.table.box(4).points, (Points{10, 0, 4, 0, 4, 0, 2}));
    EXPECT_EQ(r.finalOrder, (std::vector<int>{1, 2, 5, 4}));
    EXPECT_EQ(r.table.box(3).points, Points{});
    EXPECT_FALSE(r.table.box(3).occupied);
    // Post 5 is the last post: compared with its neighbour 4 only.
    EXPECT_EQ(r.table.box(5).alerts, "Extra Break Adv - Break Adv - Must Play");
}

TEST(RateRace, SmallRacesAreRated) {
    for (int n = 1; n <= 3; ++n) {
        const RatedRace r = rateRace(table(field(n)));
        EXPECT_EQ(static_cast<int>(r.finalOrder.size()), n);
        EXPECT_EQ(r.table.box(1).points.cla, 4);
        // Positions 7 and 8 are empty (Score 0): no trifecta warning; the
        // best Score decides "DO NOT PLAY".
        EXPECT_FALSE(has(r.advice, ">>> DO NOT PLAY TRIFECTA or QUINIELA! <<<")) << n;
        EXPECT_EQ(has(r.advice, ">>> DO NOT PLAY! <<<"),
                  r.table.box(r.finalOrder[0]).points.score <= 6);
    }
}

TEST(RateRace, WholeRaceWarnings) {
    // 8 equal dogs: posts 1-7 score 4+4+4+4+... and post 8 little.
    RatedRace r = rateRace(table(field(8)));
    std::vector<std::string> lines = adviceLines(r.advice);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], ">>> DO NOT PLAY TRIFECTA or QUINIELA! <<<");
    EXPECT_EQ(lines.back(), ">>> DO NOT PLAY! <<<");

    // 6 dogs, one standing out: no trifecta warning, and a best Score above
    // 6 means no "DO NOT PLAY".
    std::vector<Dog> dogs = field(6);
    for (int i = 0; i < 6; ++i) {
        DogFigures& f = dogs[static_cast<std::size_t>(i)].f;
        f.gradePoints = 10 - i;
        f.avgTime = 3000 + i;
        f.lastTime = 3000 + i;
        f.earlySpeed = 2 + i;
    }
    r = rateRace(table(dogs));
    EXPECT_FALSE(has(r.advice, ">>> DO NOT PLAY TRIFECTA or QUINIELA! <<<"));
    EXPECT_FALSE(has(r.advice, ">>> DO NOT PLAY! <<<"));
}

// The post rules, each triggered on its own.
TEST(RateRace, PostRules) {
    struct Case {
        const char* what;
        std::function<void(std::vector<Dog>&)> setUp;
        int alertPost;  // 0: advice
        std::string text;
        bool given;
    };
    const auto early = [](std::vector<Dog>& d, int post, double value) {
        d[static_cast<std::size_t>(post - 1)].f.earlySpeed = value;
    };
    const auto at = [](std::vector<Dog>& d, int post) -> Dog& {
        return d[static_cast<std::size_t>(post - 1)];
    };
    const std::vector<Case> cases = {
        {"rail 1 fast breaker",
         [&](auto& d) {
             at(d, 1).style = "R";
             at(d, 1).f.fastBreaker = true;
         },
         1, "Break Adv", true},
        {"rail 1 fast breaker beside a rail 2",
         [&](auto& d) {
             at(d, 1).style = "R";
             at(d, 1).f.fastBreaker = true;
             at(d, 2).style = "R";
         },
         1, "Break Adv", false},
        {"rail 1 closer",
         [&](auto& d) {
             at(d, 1).style = "R";
             at(d, 1).f.closer = true;
         },
         1, "Late Spd", true},
        {"lower-case r matches nothing",
         [&](auto& d) {
             at(d, 1).style = "r";
             at(d, 1).f.closer = true;
         },
         1, "Late Spd", false},
        {"include the 1", [&](auto& d) { at(d, 1).f.lateSpeed = 2; }, 0, "Include the 1", true},
        {"a wide 1 is not included",
         [&](auto& d) {
             at(d, 1).f.lateSpeed = 2;
             at(d, 1).style = "W";
         },
         0, "Include the 1", false},
        {"wedge",
         [&](auto& d) {
             at(d, 2).style = "W";
             at(d, 2).f.fastBreaker = true;
             at(d, 7).style = "R";
             early(d, 7, 1);
         },
         0, "There is a wedge, play 1278", true},
        {"rail 3 closer",
         [&](auto& d) {
             at(d, 3).style = "R";
             at(d, 3).f.closer = true;
         },
         3, "Back/rail runner", true},
        {"4 blocks",
         [&](auto& d) {
             early(d, 4, 1);
             at(d, 4).f.gradePoints = 20;
         },
         0, "4 Post will block, play 1234", true},
        {"a rail 4 does not block",
         [&](auto& d) {
             early(d, 4, 1);
             at(d, 4).f.gradePoints = 20;
             at(d, 4).style = "R";
         },
         0, "4 Post will block, play 1234", false},
        {"wide 5 split",
         [&](auto& d) {
             at(d, 3).style = "R";
             at(d, 4).f.closer = true;
             at(d, 5).style = "W";
             at(d, 6).style = "W";
         },
         0, "Wide 5 Split", true},
        {"6 cuts across",
         [&](auto& d) {
             at(d, 6).style = "R";
             early(d, 6, 2);
         },
         0, "6 Post will cut across, play 678", true},
        {"7 cuts across",
         [&](auto& d) {
             at(d, 7).style = "R";
             early(d, 7, 2);
         },
         0, "7 Post will cut across, play 1278", true},
        {"the 3 has a split",
         [&](auto& d) {
             at(d, 3).f.avgTime = 3000;
             early(d, 3, 1);
         },
         0, "The 3 has a split", true},
        {"no split for the 3 beside a wide 2",
         [&](auto& d) {
             at(d, 3).f.avgTime = 3000;
             early(d, 3, 1);
             at(d, 2).style = "W";
         },
         0, "The 3 has a split", false},
        {"a wide 2 that closes does not stop the split",
         [&](auto& d) {
             at(d, 3).f.avgTime = 3000;
             early(d, 3, 1);
             at(d, 2).style = "W";
             at(d, 2).f.closer = true;
         },
         0, "The 3 has a split", true},
        {"the 4 has a split",
         [&](auto& d) {
             at(d, 4).f.avgTime = 3000;
             early(d, 4, 1);
         },
         0, "The 4 has a split", true},
        {"no split for the 5 beside a rail 6",
         [&](auto& d) {
             at(d, 5).f.avgTime = 3000;
             early(d, 5, 1);
             at(d, 6).style = "R";
         },
         0, "The 5 has a split", false},
        {"the 5 has a split",
         [&](auto& d) {
             at(d, 5).f.avgTime = 3000;
             early(d, 5, 1);
         },
         0, "The 5 has a split", true},
    };
    for (const Case& c : cases) {
        std::vector<Dog> dogs = field(8);
        c.setUp(dogs);
        const RatedRace r = rateRace(table(dogs));
        if (c.alertPost == 0) {
            EXPECT_EQ(has(r.advice, c.text), c.given) << c.what << ": " << r.advice;
        } else {
            EXPECT_EQ(r.table.box(c.alertPost).alerts.find(c.text) != std::string::npos, c.given)
                << c.what << ": " << r.table.box(c.alertPost).alerts;
        }
    }
}

TEST(RateRace, AdviceLinesStandOnceExceptSpeedGaps) {
    std::vector<Dog> dogs = field(8);
    dogs[0].f.lateSpeed = 3;
    dogs[3].f.earlySpeed = 1;
    dogs[3].f.gradePoints = 30;
    const RatedRace r = rateRace(table(dogs));
    const std::vector<std::string> lines = adviceLines(r.advice);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            EXPECT_NE(lines[i], lines[j]);
        }
    }
    EXPECT_TRUE(has(r.advice, "Include the 1"));
    EXPECT_TRUE(has(r.advice, "4 Post will block, play 1234"));
}

}  // namespace
}  // namespace vz::processing
