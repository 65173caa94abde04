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
