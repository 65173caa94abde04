#include "tests/e2e/hand_card.h"

#include <string>
#include <vector>

#include "core/base/dates.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"

namespace vz::test {
namespace {

using base::Date;
using namespace std::chrono;

struct Line {
    const char* grade;
    const char* distance;
    int post, brk, eighth, stretch, finish, time;
};

struct HandDog {
    const char* name;
    const char* style;
    std::vector<Line> lines;  // newest first
};

// The figures each dog gets (newest eight lines) are worked out in the
// comments; the points of the expected report follow from them.
const std::vector<HandDog>& handDogs() {
    static const std::vector<HandDog> dogs = {
        // Class 20, record 28, times 3050, early 1+1, break 1, late 0; broke
        // first in all four lines: a fast breaker.
        {"Rail Rocket",
         "R",
         {{"A", "S", 1, 1, 1, 1, 1, 3050},
          {"A", "S", 1, 1, 1, 1, 1, 3050},
          {"A", "S", 1, 1, 1, 1, 1, 3050},
          {"A", "S", 1, 1, 1, 1, 1, 3050}}},
        {"Wide Boy", "W", {{"B", "S", 2, 3, 3, 3, 2, 3070}}},      // 4, 5, 3070, 6, 3, +1
        {"Middle Man", "M", {{"C", "S", 3, 2, 2, 4, 3, 3080}}},    // 3, 3, 3080, 4, 2, +1
        {"Steady Eddie", "M", {{"B", "S", 4, 4, 4, 5, 4, 3100}}},  // 4, 0, 3100, 8, 4, +1
        {"Late Lou", "W", {{"C", "S", 5, 7, 6, 4, 1, 3090}}},      // 3, 5, 3090, 13, 7, +3
        {"No Time Ned", "R", {{"D", "S", 6, 5, 5, 5, 5, 0}}},      // 2, 0, none (last 0), 10, 5
        {"Fresh Face", "M", {}},                                   // no lines: all 0, no time
        {"Grade M Girl", "R", {{"M", "S", 8, 6, 7, 6, 2, 3200}}},  // 1, 2, 3200, 13, 6, +4
        {"Inside Ivy", "M", {{"C", "S", 1, 4, 4, 5, 2, 3120}}},    // 3, 4, 3120, 8, 4, +3
        {"Outside Otto", "W", {{"A", "S", 2, 1, 1, 1, 1, 3060}}},  // 5, 7, 3060, 2, 1, 0
        {"Rail Rita", "R", {{"B", "S", 3, 2, 3, 3, 3, 3100}}},     // 4, 4, 3100, 5, 2, 0
        {"Rail Rex", "R", {{"B", "S", 4, 3, 2, 4, 5, 3140}}},      // 4, 0, 3140, 5, 3, -1
        {"Wide Wanda", "W", {{"D", "S", 5, 5, 5, 6, 4, 3150}}},    // 2, 0, 3150, 10, 5, +2
        // 3800 at "L" with the first factor: 3112.87146, last 3113.
        {"Wide Walt", "W", {{"T", "L", 6, 6, 6, 3, 1, 3800}}},  // 0, 0, 3112.87, 12, 6, +2
    };
    return dogs;
}

constexpr Date kRaceDay{year{2026}, month{12}, day{8}};

}  // namespace

void addHandCardDogs(const base::AppPaths& paths) {
    store::DogDatabase db(paths.dogDatabase());
    store::DogDatabase::Transaction tx(db);
    for (const HandDog& d : handDogs()) {
        base::Dog dog;
        dog.RegName = d.name;
        dog.RunningStyle = d.style;
        dog.NumStarts = static_cast<int>(d.lines.size());
        dog.NumFirsts = 0;
        dog.NumSeconds = 0;
        dog.NumThirds = 0;
        db.addDog(dog);
        int age = 7;
        for (const Line& l : d.lines) {
            base::RaceLine line;
            line.RegName = d.name;
            line.RaceDate = base::addDays(kRaceDay, -age);
            age += 7;
            line.RaceNum = 1;
            line.Distance = l.distance;
            line.WinningTime = l.time;
            line.Post = l.post;
            line.Break = l.brk;
            line.Eighth = l.eighth;
            line.Stretch = l.stretch;
            line.Finish = l.finish;
            line.FinishLength = 1;
            line.FinishTime = l.time;
            line.Odds = 2.5;
            line.Grade = l.grade;
            db.addRaceLine(line);
        }
    }
    tx.commit();
}

void writeHandCard(const base::AppPaths& paths, const std::filesystem::path& raceFile) {
    store::RaceFile::createFromTemplate(paths.raceTemplate(), raceFile);
    store::RaceFile file(raceFile);
    struct RaceDef {
        int num;
        const char* grade;
        const char* distance;
        std::vector<const char*> field;  // post 1 first
    };
    const RaceDef races[] = {
        {1,
         "A",
         "S",
         {"Rail Rocket", "Wide Boy", "Middle Man", "Steady Eddie", "Late Lou", "No Time Ned",
          "Fresh Face", "Grade M Girl"}},
        {2,
         "B",
         "S",
         {"Inside Ivy", "Outside Otto", "Rail Rita", "Rail Rex", "Wide Wanda", "Wide Walt"}},
        {3, "C", "L", {"Fresh Face", "No Time Ned", "Middle Man", "Steady Eddie"}},
    };
    // Written out of order: the card is read by date and race number.
    for (int i : {2, 0, 1}) {
        const RaceDef& r = races[i];
        base::Race race;
        race.RaceNum = r.num;
        race.Grade = r.grade;
        race.Distance = r.distance;
        race.RaceDate = kRaceDay;
        file.addRace(race);
        for (std::size_t p = r.field.size(); p-- > 0;) {
            base::Post post;
            post.RaceDate = kRaceDay;
            post.RaceNum = r.num;
            post.Post = static_cast<int>(p) + 1;
            post.RegName = r.field[p];
            file.addPost(post);
        }
    }
}

}  // namespace vz::test
