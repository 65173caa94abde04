#include "tests/analysis/history.h"

#include "tests/processing/sample_card.h"

namespace vz::test {

base::RaceLine lineOf(const PastRace& race, const Runner& run) {
    base::RaceLine l;
    l.RegName = run.dog;
    l.RaceDate = race.date;
    l.RaceNum = race.race;
    l.Distance = race.distance;
    l.WinningTime = race.winningTime;
    l.Post = run.post;
    l.Break = run.noBreak ? std::nullopt : run.finish;
    l.Eighth = run.finish;
    l.Stretch = run.finish;
    l.Finish = run.finish;
    l.FinishLength = 0;
    l.FinishTime = run.finishTime;
    l.Odds = run.odds;
    l.Grade = race.grade;
    return l;
}

// Twelve dogs over forty race days, two races of six a day, finishes and
// odds from a fixed sequence: enough for both charts to show a shape.
void addChartHistory(const base::AppPaths& paths) {
    store::DogDatabase db(paths.dogDatabase());
    std::vector<std::string> dogs;
    for (int i = 0; i < 12; ++i)
        dogs.push_back("Runner " + std::to_string(i + 1));
    addDogs(db, dogs);
    unsigned seed = 7;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245U + 12345U;
        return (seed >> 16) % n;
    };
    store::DogDatabase::Transaction tx(db);
    for (int d = 0; d < 40; ++d) {
        const base::Date date = base::addDays(ymd(2026, 1, 1), 3 * d);
        for (int race = 0; race < 2; ++race) {
            std::vector<int> finishes = {1, 2, 3, 4, 5, 6};
            for (int i = 5; i > 0; --i)
                std::swap(finishes[static_cast<std::size_t>(i)],
                          finishes[next(static_cast<unsigned>(i) + 1)]);
            std::vector<Runner> runners;
            for (int p = 0; p < 6; ++p) {
                const int dog = (d + race * 6 + p) % 12;
                const int finish = finishes[static_cast<std::size_t>(p)];
                runners.push_back({dogs[static_cast<std::size_t>(dog)], p + 1, finish,
                                   1.0 + next(12), 3000 + 10 * finish + static_cast<int>(next(9))});
            }
            addRace(db, {date, race + 1, race == 0 ? "S" : "L", d % 2 ? "A" : "B", 3000 + d},
                    runners);
        }
    }
    tx.commit();
}

// 600 races of six dogs, three a day: post 1 wins four races in five, post
// 3 the fifth.
void addPostBiasHistory(const base::AppPaths& paths) {
    store::DogDatabase db(paths.dogDatabase());
    std::vector<std::string> dogs;
    for (int i = 0; i < 12; ++i)
        dogs.push_back("Dog " + std::to_string(i + 1));
    addDogs(db, dogs);
    store::DogDatabase::Transaction tx(db);
    for (int r = 0; r < 600; ++r) {
        const int winner = r % 5 == 0 ? 3 : 1;
        std::vector<Runner> runners;
        for (int p = 1; p <= 6; ++p) {
            const int finish = p == winner ? 1 : p < winner ? p + 1 : p;
            runners.push_back(
                {dogs[static_cast<std::size_t>((r * 5 + p) % 12)], p, finish, p == 1 ? 0.5 : 6.0});
        }
        addRace(db, {base::addDays(ymd(2025, 1, 1), r / 3), r % 3 + 1}, runners);
    }
    tx.commit();
}

void addRace(store::DogDatabase& db, const PastRace& race, const std::vector<Runner>& runs) {
    for (const Runner& r : runs) {
        db.addRaceLine(lineOf(race, r));
    }
}

void addDogs(store::DogDatabase& db, const std::vector<std::string>& names,
             const std::string& style) {
    for (const std::string& n : names) {
        addDog(db, n, style.c_str());
    }
}

}  // namespace vz::test
