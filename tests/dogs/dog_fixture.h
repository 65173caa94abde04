#pragma once

// A fresh application folder with helpers to fill its dog database.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/base/settings.h"
#include "core/store/dog_database.h"
#include "tests/support/test_support.h"

namespace vz::test {

class DogFixture : public ::testing::Test {
  protected:
    TempDir dir;
    base::AppPaths paths = makeAppFolder(dir.path());
    store::DogDatabase db{paths.dogDatabase()};
    base::Date today = ymd(2026, 12, 7);

    void addDog(const std::string& name, std::optional<std::string> style = "M", int counters = 0) {
        base::Dog d;
        d.RegName = name;
        d.RunningStyle = std::move(style);
        d.NumStarts = counters;
        d.NumFirsts = counters;
        d.NumSeconds = counters;
        d.NumThirds = counters;
        db.addDog(d);
    }

    void addLine(const std::string& name, std::optional<base::Date> when, std::string distance,
                 std::optional<int> post, std::optional<int> finish,
                 std::optional<int> finishTime) {
        base::RaceLine l;
        l.RegName = name;
        l.RaceDate = when;
        l.RaceNum = 1;
        l.Distance = std::move(distance);
        l.Post = post;
        l.Finish = finish;
        l.FinishTime = finishTime;
        db.addRaceLine(l);
    }

    // A style line: finish 5, so it adds nothing to the time factors.
    void addStyleLine(const std::string& name, const std::string& distance, int post, int time) {
        addLine(name, ymd(2026, 11, 1), distance, post, 5, time);
    }

    std::optional<std::string> styleOf(const std::string& name) {
        const auto d = db.findDog(name);
        return d ? d->RunningStyle : std::optional<std::string>("(no dog)");
    }

    static base::Settings someSettings() {
        base::Settings s;
        s.MainLeft = 11;
        s.MainTop = 12;
        s.MainWidth = 13000;
        s.MainHeight = 9000;
        s.MainWindowState = 2;
        s.FreshSettings = 0;
        s.TimeFactorL = base::kFirstTimeFactorL;
        s.TimeFactorR = base::kFirstTimeFactorR;
        s.LastStyleUpdate = ymd(2026, 1, 2);
        return s;
    }
};

}  // namespace vz::test
