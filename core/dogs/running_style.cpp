#include "core/dogs/running_style.h"

#include <algorithm>
#include <functional>
#include <utility>

#include <fmt/format.h>

#include "core/base/vb.h"
#include "core/store/dog_maintenance.h"
#include "core/store/pending_settings.h"

namespace vz::dogs {

void GroupTimes::add(double time) {
    sum = base::roundHalfEven(sum + time);
    ++count;
}

std::int64_t GroupTimes::average() const {
    if (count == 0) {
        return kNoAverage;
    }
    return static_cast<std::int64_t>(base::roundHalfEven(sum / static_cast<double>(count)));
}

PostGroup postGroup(std::optional<int> post) {
    if (!post) {
        return PostGroup::None;
    }
    if (*post >= 1 && *post <= 3) {
        return PostGroup::Inside;
    }
    if (*post >= 4 && *post <= 5) {
        return PostGroup::Middle;
    }
    if (*post >= 6 && *post <= 8) {
        return PostGroup::Outside;
    }
    return PostGroup::None;
}

std::optional<std::string> decideStyle(std::int64_t insideAvg, std::int64_t middleAvg,
                                       std::int64_t outsideAvg) {
    std::optional<std::string> style;
    if (middleAvg >= insideAvg) {
        if (insideAvg <= outsideAvg) {
            style = "R";
        }
    } else if (middleAvg < outsideAvg) {
        style = "M";
    }
    if (outsideAvg < insideAvg && outsideAvg < middleAvg) {
        style = "W";
    }
    return style;
}

namespace {

// What the pass keeps about the dog whose lines are being read.
struct CurrentDog {
    std::int64_t rowId = 0;
    std::string name;
    std::optional<std::string> style;
    GroupTimes groups[3];
};

}  // namespace

namespace {

// The pass; `beforeCommit` gets the new settings inside its transaction.
StyleUpdateResult updateInTransaction(
    store::DogDatabase& db, const base::Settings& settings, base::Date today,
    const base::Progress& progress,
    const std::function<void(const base::Settings&)>& beforeCommit) {
    StyleUpdateResult result;
    result.settings = settings;
    // "L" times are scaled with the factor held at the start, never with the
    // one this pass computes.
    const double factorL = settings.TimeFactorL;

    store::DogDatabase::Transaction tx(db);
    const long total = static_cast<long>(db.dogCount());
    const long step = std::max(1L, total / 100);
    std::vector<std::pair<std::int64_t, std::string>> newStyles;

    CurrentDog dog;
    bool haveDog = false;
    auto finishDog = [&] {
        const auto style =
            decideStyle(dog.groups[0].average(), dog.groups[1].average(), dog.groups[2].average());
        if (style && style != dog.style) {
            newStyles.emplace_back(dog.rowId, *style);
            result.changes.push_back({dog.name, dog.style, *style});
        }
        ++result.dogs;
        // The call with done == total comes once, after the rows are written.
        if (progress && result.dogs % step == 0 && result.dogs < total) {
            progress(result.dogs, total);
        }
    };

    store::scanDogsWithLines(db, [&](const store::DogLineRow& row) {
        if (!haveDog || row.dogRowId != dog.rowId) {
            if (haveDog) {
                finishDog();
            }
            haveDog = true;
            dog.rowId = row.dogRowId;
            dog.name.assign(row.RegName);
            dog.style =
                row.RunningStyle ? std::optional<std::string>(*row.RunningStyle) : std::nullopt;
            for (GroupTimes& g : dog.groups) {
                g = GroupTimes{};
            }
        }
        if (!row.hasLine) {
            return;
        }
        ++result.linesRead;
        const std::string_view distance = row.Distance.value_or(std::string_view());
        const double t = row.FinishTime.value_or(0.0);
        const PostGroup group = postGroup(row.Post);
        if (group != PostGroup::None && t > 2000) {
            GroupTimes& g = dog.groups[static_cast<int>(group)];
            if (distance == "S") {
                g.add(t);
            } else if (distance == "L") {
                g.add(factorL * t);
            }
        }
        // A line without a time has nothing to add to a factor; a finish of
        // 0 or below is no placing.
        if (row.FinishTime && row.Finish && *row.Finish >= 1 && *row.Finish <= 3) {
            FactorTimes* f = distance == "S"   ? &result.timesS
                             : distance == "L" ? &result.timesL
                             : distance == "R" ? &result.timesR
                                               : nullptr;
            if (f != nullptr) {
                f->sum += *row.FinishTime;
                ++f->count;
            }
        }
    });
    if (haveDog) {
        finishDog();
    }

    store::setRunningStyles(db, newStyles);

    if (result.timesS.count > 0) {
        const double avgS = result.timesS.sum / static_cast<double>(result.timesS.count);
        // Averages of zero would give a factor of zero or infinity, which
        // would wreck every later processing run: such a factor keeps its value.
        auto factor = [avgS](const FactorTimes& x, double& out) {
            if (x.count == 0) {
                return false;
            }
            const double avgX = x.sum / static_cast<double>(x.count);
            if (!(avgS > 0 && avgX > 0)) {
                return false;
            }
            // A ratio no real lines give (see kMinTimeFactor) comes from
            // damaged times: the start would refuse it, so it is not stored.
            if (!base::plausibleTimeFactor(avgS / avgX)) {
                return false;
            }
            out = avgS / avgX;
            return true;
        };
        result.timeFactorLComputed = factor(result.timesL, result.settings.TimeFactorL);
        result.timeFactorRComputed = factor(result.timesR, result.settings.TimeFactorR);
    }
    result.settings.LastStyleUpdate = today;

    if (beforeCommit) {
        beforeCommit(result.settings);
    }
    if (progress) {
        progress(total, total);
    }
    tx.commit();
    return result;
}

}  // namespace

StyleUpdateResult updateRunningStyles(store::DogDatabase& db, const base::Settings& settings,
                                      base::Date today, const base::Progress& progress) {
    return updateInTransaction(db, settings, today, progress, {});
}

StyleUpdateResult runStyleUpdate(const base::AppPaths& paths, const base::Settings& settings,
                                 base::Date today, const base::Progress& progress) {
    // Nothing is changed when the settings could not follow the styles.
    base::checkSettingsWritable(paths.settingsFile(), settings);
    store::DogDatabase db(paths.dogDatabase());
    const StyleUpdateResult result =
        updateInTransaction(db, settings, today, progress, [&](const base::Settings& s) {
            store::recordPendingSettings(db, paths.settingsFile(), base::settingsText(s));
        });
    try {
        base::writeSettings(paths.settingsFile(), result.settings);
    } catch (const Error& e) {
        throw Error(fmt::format("The running styles were updated, but the settings file could "
                                "not take the new time factors: {} The next start of the program "
                                "writes them.",
                                e.what()),
                    e.number());
    }
    store::forgetPendingSettings(db);
    return result;
}

}  // namespace vz::dogs
