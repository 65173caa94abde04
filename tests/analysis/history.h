#pragma once

// Race histories written straight into a dog database for the analysis
// tests: a past race is its dogs' lines sharing date, race number, distance,
// grade and winning time.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/base/records.h"
#include "core/store/dog_database.h"

namespace vz::test {

// One dog's line. Break, eighth and stretch are the finish, so a dog that
// finished 3rd ran 3rd at every call.
struct Runner {
    Runner(std::string dog_, int post_, std::optional<int> finish_,
           std::optional<double> odds_ = std::nullopt, std::optional<int> finishTime_ = 3000)
        : dog(std::move(dog_)),
          post(post_),
          finish(finish_),
          odds(odds_),
          finishTime(finishTime_) {}

    std::string dog;
    int post;
    std::optional<int> finish;
    std::optional<double> odds;
    std::optional<int> finishTime;
    bool noBreak = false;  // a line the rating cannot read
};

// The race the runs share.
struct PastRace {
    PastRace(base::Date date_, int race_, std::string distance_ = "S", std::string grade_ = "B",
             std::optional<int> winningTime_ = 3000)
        : date(date_),
          race(race_),
          distance(std::move(distance_)),
          grade(std::move(grade_)),
          winningTime(winningTime_) {}

    base::Date date;
    int race;
    std::string distance;
    std::string grade;
    std::optional<int> winningTime;
};

base::RaceLine lineOf(const PastRace& race, const Runner& run);

// Adds the lines of one race, in the order given.
void addRace(store::DogDatabase& db, const PastRace& race, const std::vector<Runner>& runs);

void addDogs(store::DogDatabase& db, const std::vector<std::string>& names,
             const std::string& style = "M");

// Twelve dogs over forty race days, two races of six a day, finishes and
// odds from a fixed sequence: enough for the backtest's charts to show a
// shape.
void addChartHistory(const base::AppPaths& paths);

// 600 races of six dogs, three a day: post 1 wins four races in five, post
// 3 the fifth.
void addPostBiasHistory(const base::AppPaths& paths);

}  // namespace vz::test
