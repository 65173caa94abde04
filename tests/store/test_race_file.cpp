// A race's posts move with its date and number.

#include <gtest/gtest.h>

#include "core/store/race_file.h"
#include "tests/support/test_support.h"

using namespace vz;
using namespace vz::base;
using namespace vz::store;
using vz::test::ymd;

namespace {

struct Card {
    test::TempDir dir;
    std::filesystem::path path = dir / "Card.rac";
    std::unique_ptr<RaceFile> file;

    Card() {
        test::makeRaceFile(path);
        file = std::make_unique<RaceFile>(path);
    }
    Race race(Date d, int num, int posts) {
        Race r;
        r.RaceDate = d;
        r.RaceNum = num;
        r.rowId = file->addRace(r);
        for (int k = 1; k <= posts; ++k) {
            Post p;
            p.RaceDate = d;
            p.RaceNum = num;
            p.Post = k;
            p.RegName = "Dog " + std::to_string(k);
            file->addPost(p);
        }
        return r;
    }
};

}  // namespace

TEST(RaceFileKey, PostsFollowTheRacesDateAndNumber) {
    Card c;
    const Date today = ymd(2026, 12, 7);
    Race first = c.race(today, 1, 8);
    c.race(today, 2, 1);

    first.RaceNum = 14;
    first.Grade = "B";
    EXPECT_TRUE(c.file->updateRace(first));
    EXPECT_EQ(c.file->posts(today, 14).size(), 8u);
    EXPECT_TRUE(c.file->posts(today, 1).empty());
    EXPECT_EQ(c.file->posts(today, 2).size(), 1u);

    // Onto race 2: refused, nothing written (the grade change neither).
    Race clash = first;
    clash.RaceNum = 2;
    clash.Grade = "C";
    EXPECT_FALSE(c.file->updateRace(clash));
    const auto races = c.file->races();
    EXPECT_EQ(races.back().RaceNum, 14);
    EXPECT_EQ(races.back().Grade, std::optional<std::string>("B"));
    EXPECT_EQ(c.file->posts(today, 2).size(), 1u);

    // A grade change alone keeps the posts where they are.
    first.Grade = "A";
    EXPECT_TRUE(c.file->updateRace(first));
    EXPECT_EQ(c.file->posts(today, 14).size(), 8u);
}

TEST(RaceFileKey, PostsSharedWithATwinRaceStay) {
    // A file holding the same race twice: moving one leaves the posts to the
    // race that still has their date and number.
    Card c;
    const Date today = ymd(2026, 12, 7);
    Race one = c.race(today, 3, 2);
    c.race(today, 3, 0);
    one.RaceNum = 4;
    EXPECT_TRUE(c.file->updateRace(one));
    EXPECT_EQ(c.file->posts(today, 3).size(), 2u);
    EXPECT_TRUE(c.file->posts(today, 4).empty());
}
