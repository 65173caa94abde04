// The editing rules: new rows, names, rated lines, sizes and the card checks.

#include <gtest/gtest.h>

#include "core/editing/card.h"
#include "core/editing/rules.h"
#include "tests/support/test_support.h"

using namespace vz;
using namespace vz::editing;
using vz::test::ymd;

namespace {

const base::Date kToday = ymd(2026, 12, 7);

base::Race race(std::optional<base::Date> date, std::optional<int> number) {
    base::Race r;
    r.RaceDate = date;
    r.RaceNum = number;
    return r;
}

base::Post post(std::int64_t id, int raceNum, std::optional<int> number, const char* name,
                base::Date date = kToday) {
    base::Post p;
    p.rowId = id;
    p.RaceDate = date;
    p.RaceNum = raceNum;
    p.Post = number;
    if (name) {
        p.RegName = name;
    }
    return p;
}

}  // namespace

TEST(Rules, ANewRaceContinuesTheCard) {
    const base::Date nov30 = ymd(2026, 11, 30);
    const struct {
        std::vector<base::Race> races;
        RaceKey expected;
    } cases[] = {
        {{}, {kToday, 1}},
        // The last race in date and number order, whatever the stored order.
        {{race(nov30, 7), race(ymd(2026, 11, 29), 9), race(nov30, 2)}, {nov30, 8}},
        {{race(nov30, std::nullopt)}, {nov30, 1}},
        {{race(std::nullopt, 4)}, {kToday, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nextRace(c.races, kToday), c.expected);
    }
}

TEST(Rules, ANewPostComesAfterTheHighest) {
    EXPECT_EQ(nextPost({}), 1);
    EXPECT_EQ(nextPost({post(1, 1, 8, "A"), post(2, 1, 3, "B")}), 9);
    EXPECT_EQ(nextPost({post(1, 1, std::nullopt, "A")}), 1);
}

TEST(Rules, ANewRaceFileGetsItsExtension) {
    const struct {
        const char* chosen;
        const char* made;
    } cases[] = {
        {"/home/u/Data/card", "/home/u/Data/card.rac"},
        {"/home/u/Data/card.rac", "/home/u/Data/card.rac"},
        {"/home/u/Data/card.RAC", "/home/u/Data/card.RAC"},
        {"/home/u/Data/card.txt", "/home/u/Data/card.txt"},
        {"/home/u/Data/card.", "/home/u/Data/card.rac"},
        {"/home/u/my.folder/card", "/home/u/my.folder/card.rac"},
        {"C:\\Race.Files\\Tuesday", "C:\\Race.Files\\Tuesday.rac"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withRaceFileExtension(c.chosen), c.made);
    }
}

TEST(Rules, CommentsKeepTwoHundredCharacters) {
    EXPECT_EQ(cutComment(std::string(250, 'x')), std::string(200, 'x'));
    // "é" is one character of two bytes: 200 characters are 400 bytes.
    std::string accented;
    for (int i = 0; i < 210; ++i) {
        accented += "\xC3\xA9";
    }
    EXPECT_EQ(cutComment(accented).size(), 400u);
    EXPECT_EQ(commentRoomText(""), "200 of 200 characters left");
    EXPECT_EQ(commentRoomText(std::string(47, 'x')), "153 of 200 characters left");
    EXPECT_EQ(commentRoomText(accented), "10 too many, 200 kept");
}

TEST(Rules, TheEightNewestLinesAreTheRatedOnes) {
    // Ten dated lines in stored order 1..10 with dates Nov 1..10, and one
    // without a date: the newest eight (Nov 3..10) are rated.
    std::vector<base::RaceLine> lines;
    for (unsigned d = 1; d <= 10; ++d) {
        base::RaceLine l;
        l.rowId = d;
        l.RaceDate = ymd(2026, 11, d);
        lines.push_back(l);
    }
    base::RaceLine undated;
    undated.rowId = 11;
    lines.insert(lines.begin(), undated);
    const std::vector<bool> expected = {false, false, false, true, true, true,
                                        true,  true,  true,  true, true};
    EXPECT_EQ(ratedLines(lines), expected);

    // Equal dates: the first stored goes first; short histories are rated whole.
    std::vector<base::RaceLine> few(3);
    for (std::size_t i = 0; i < few.size(); ++i) {
        few[i].rowId = static_cast<std::int64_t>(i + 1);
    }
    EXPECT_EQ(ratedLines(few), (std::vector<bool>{true, true, true}));
}

TEST(Rules, EditorSizes) {
    // Wanted size within the area, never below the minimum.
    EXPECT_EQ(openingSize(kDogEditorLimits, {9000, 7000}, {20000, 10000}), (Twips{9000, 7000}));
    EXPECT_EQ(openingSize(kDogEditorLimits, {9000, 7000}, {8000, 6000}), (Twips{8000, 6000}));
    EXPECT_EQ(openingSize(kDogEditorLimits, {9000, 7000}, {5000, 3000}), (Twips{7700, 5000}));
    EXPECT_FALSE(restoreMaximised(kRaceEditorLimits, {5870, 4700}));
    EXPECT_TRUE(restoreMaximised(kRaceEditorLimits, {5869, 9000}));
    EXPECT_TRUE(restoreMaximised(kDogEditorLimits, {9000, 4699}));
}

TEST(Rules, RememberedSizeIsKeptWithinTheAreaAndTheMinimum) {
    // The worked-out size stands when nothing is remembered; a remembered one
    // replaces it, then the area caps and the minimum (7700 x 5000) raises.
    const Twips wanted{9000, 7000};
    const struct {
        std::optional<Twips> remembered;
        Twips area;
        Twips expected;
    } cases[] = {
        {std::nullopt, {20000, 10000}, {9000, 7000}},
        {Twips{12000, 8000}, {20000, 10000}, {12000, 8000}},
        {Twips{8000, 5500}, {20000, 10000}, {8000, 5500}},  // smaller than wanted
        {Twips{30000, 15000}, {20000, 10000}, {20000, 10000}},
        {Twips{100, 100}, {20000, 10000}, {7700, 5000}},
        {Twips{12000, 8000}, {6000, 4000}, {7700, 5000}},  // area below the minimum
    };
    for (const auto& c : cases) {
        EXPECT_EQ(openingSize(kDogEditorLimits, c.remembered, wanted, c.area), c.expected);
    }
}

TEST(Card, UnknownDogsDogsTwiceAndPostsTwiceAreFound) {
    const DogNames known({"Alpha", "bravo", "Charlie", "Delta"});
    const base::Date tomorrow = ymd(2026, 12, 8);
    const std::vector<base::Post> posts = {
        post(1, 1, 1, "ALPHA"),                                      // known in other letter case
        post(2, 1, 2, "Bravo"),           post(3, 1, 2, "Charlie"),  // post 2 twice in race 1
        post(4, 2, 1, "Bravo"),  // Bravo runs in races 1 and 2 of one day
        post(5, 2, 2, "Nobody"),          post(6, 3, 1, "Delta", tomorrow),
        post(7, 3, 2, "Alpha", tomorrow),  // another day: no clash with race 1
        post(8, 3, 3, nullptr, tomorrow),
    };
    const auto found = checkCard(posts, known);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_TRUE(found.at(2).dogTwice && found.at(2).postTwice && !found.at(2).unknownDog);
    EXPECT_EQ(found.at(2).note, "Bravo also runs in race 2; Post 2 is given twice in this race");
    EXPECT_TRUE(found.at(3).postTwice && !found.at(3).dogTwice);
    EXPECT_EQ(found.at(4).note, "Bravo also runs in race 1");
    EXPECT_TRUE(found.at(5).unknownDog);
    EXPECT_EQ(found.at(5).note, "Nobody is not in the dog database");

    EXPECT_EQ(dogCount({posts[5], posts[6], posts[7]}), 2);
    EXPECT_EQ(raceCaption(3, 12, 8), " Race Number: 3 of 12 - 8 dogs");
    EXPECT_EQ(raceCaption(1, 1, 1), " Race Number: 1 of 1 - 1 dog");
    EXPECT_EQ(raceTakenMessage(kToday, 14),
              "This file already has a race 14 on 12/7/2026. The race keeps its date and number.");
}
