// Moving through the dogs one at a time: name order without regard to case,
// dogs without a stored name first, searches that take their text literally.

#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/store/dog_browser.h"
#include "tests/support/test_support.h"

namespace vz::store {
namespace {

std::optional<std::int64_t> idOf(const std::optional<base::Dog>& d) {
    return d ? std::optional(d->rowId) : std::nullopt;
}

class DogBrowserTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    base::AppPaths paths = test::makeAppFolder(dir.path());
    // Row ids by the name the dog was added with; the dogs without a name
    // are "null 1" and "null 2".
    std::map<std::string, std::int64_t> id;

    // Added out of name order, so that row ids and positions differ.
    void SetUp() override {
        DogDatabase db(paths.dogDatabase());
        SQLite::Database raw(paths.dogDatabase().string(), SQLite::OPEN_READWRITE);
        const auto named = [&](const char* name) {
            base::Dog d;
            d.RegName = name;
            id[name] = db.addDog(d);
        };
        const auto unnamed = [&](const char* key) {
            raw.exec("INSERT INTO Main (RegName) VALUES (NULL)");
            id[key] = raw.getLastInsertRowid();
        };
        named("zeta");
        unnamed("null 1");
        named("Alpha");
        named("50% Off");
        unnamed("null 2");
        named("bravo");
        named("Under_Dog");
        named("charlie");
    }

    std::vector<std::int64_t> ids(const std::vector<std::string>& names) {
        std::vector<std::int64_t> out;
        for (const auto& n : names) {
            out.push_back(id.at(n));
        }
        return out;
    }
};

TEST_F(DogBrowserTest, EachPositionHasItsDogAndNeighbours) {
    // Without a name first (by row id), then by name without regard to case:
    // '5' sorts before the letters.
    const std::vector<std::int64_t> order =
        ids({"null 1", "null 2", "50% Off", "Alpha", "bravo", "charlie", "Under_Dog", "zeta"});
    DogDatabase db(paths.dogDatabase());
    DogBrowser browser(db);
    ASSERT_EQ(browser.count(), 8);
    EXPECT_EQ(idOf(browser.first()), order.front());
    EXPECT_EQ(idOf(browser.last()), order.back());
    for (std::size_t i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(i);
        const auto pos = static_cast<std::int64_t>(i);
        EXPECT_EQ(idOf(browser.at(pos)), order[i]);
        EXPECT_EQ(browser.positionOf(order[i]), pos);
        EXPECT_EQ(idOf(browser.byRowId(order[i])), order[i]);
        EXPECT_EQ(idOf(browser.next(order[i])),
                  i + 1 < order.size() ? std::optional(order[i + 1]) : std::nullopt);
        EXPECT_EQ(idOf(browser.previous(order[i])),
                  i > 0 ? std::optional(order[i - 1]) : std::nullopt);
    }
    EXPECT_FALSE(browser.at(-1));
    EXPECT_FALSE(browser.at(8));

    // A deleted dog has no place and no neighbours; the others close up.
    db.deleteDog(id.at("bravo"));
    EXPECT_EQ(browser.count(), 7);
    EXPECT_FALSE(browser.byRowId(id.at("bravo")));
    EXPECT_FALSE(browser.positionOf(id.at("bravo")));
    EXPECT_FALSE(browser.next(id.at("bravo")));
    EXPECT_FALSE(browser.previous(id.at("bravo")));
    EXPECT_EQ(idOf(browser.next(id.at("Alpha"))), id.at("charlie"));
    EXPECT_EQ(idOf(browser.at(4)), id.at("charlie"));
}

TEST_F(DogBrowserTest, SearchesFindTheTextAnywhereAndLiterally) {
    const struct {
        const char* text;
        std::vector<std::string> found;  // in name order
    } cases[] = {
        {"A", {"Alpha", "bravo", "charlie", "zeta"}},
        {"o", {"50% Off", "bravo", "Under_Dog"}},
        {"%", {"50% Off"}},
        {"_", {"Under_Dog"}},
        {"r_d", {"Under_Dog"}},
        {"\\", {}},
        {"xyz", {}},
        {"", {"50% Off", "Alpha", "bravo", "charlie", "Under_Dog", "zeta"}},
    };
    DogDatabase db(paths.dogDatabase());
    DogBrowser browser(db);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<std::int64_t> want = ids(c.found);
        std::vector<std::int64_t> forward;
        for (auto d = browser.firstMatch(c.text); d; d = browser.nextMatch(d->rowId, c.text)) {
            forward.push_back(d->rowId);
        }
        EXPECT_EQ(forward, want);
        std::vector<std::int64_t> backward;
        if (!want.empty()) {
            backward.push_back(want.back());
            for (auto d = browser.previousMatch(want.back(), c.text); d;
                 d = browser.previousMatch(d->rowId, c.text)) {
                backward.insert(backward.begin(), d->rowId);
            }
        }
        EXPECT_EQ(backward, want);
    }
    // From a dog that does not match, the search goes on from its place.
    EXPECT_EQ(idOf(browser.nextMatch(id.at("Alpha"), "o")), id.at("bravo"));
    EXPECT_EQ(idOf(browser.previousMatch(id.at("zeta"), "%")), id.at("50% Off"));
    // Every named dog follows an unnamed one, none comes before it.
    EXPECT_EQ(idOf(browser.nextMatch(id.at("null 2"), "o")), id.at("50% Off"));
    EXPECT_FALSE(browser.previousMatch(id.at("null 2"), ""));
}

}  // namespace
}  // namespace vz::store
