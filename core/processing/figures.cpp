#include "core/processing/figures.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/base/dates.h"
#include "core/base/error.h"
#include "core/base/vb.h"

namespace vz::processing {

namespace {

// Grade class 0 (none) to 6 ("AA").
int gradeClass(const std::optional<std::string>& grade) {
    if (!grade || grade->empty()) {
        return 0;
    }
    if (*grade == "AA") {
        return 6;
    }
    switch ((*grade)[0]) {
        case 'A':
            return 5;
        case 'B':
            return 4;
        case 'C':
            return 3;
        case 'D':
        case 'E':
        case 'J':
            return 2;
        case 'M':
            return 1;
        default:
            return 0;
    }
}

std::string lineDate(const HistoryLine& line) {
    return line.RaceDate ? base::shortDate(*line.RaceDate) : std::string("(no date)");
}

int position(const std::optional<int>& value, const char* field, const HistoryLine& line,
             std::string_view dogName) {
    if (!value) {
        throw Error("The race line of " + std::string(dogName) + " of " + lineDate(line) +
                        " has no " + field + " position.",
                    Error::kInvalidUseOfNull);
    }
    return *value;
}

int addChecked(int sum, int value) {
    const std::int64_t s = static_cast<std::int64_t>(sum) + value;
    if (s > std::numeric_limits<std::int32_t>::max() ||
        s < std::numeric_limits<std::int32_t>::min()) {
        throw Error("Overflow", Error::kOverflow);
    }
    return static_cast<int>(s);
}

bool isTimedDistance(const std::optional<std::string>& distance) {
    return distance && (*distance == "S" || *distance == "L" || *distance == "R");
}

double factorFor(const std::string& distance, TimeFactors factors) {
    if (distance == "L") {
        return factors.L;
    }
    if (distance == "R") {
        return factors.R;
    }
    return 1;
}

}  // namespace

int gradePoints(const std::optional<std::string>& grade) {
    return gradeClass(grade);
}

int finishPoints(const std::optional<std::string>& grade, std::optional<int> finish) {
    const int cls = gradeClass(grade);
    if (cls == 0 || !finish || *finish < 1 || *finish > 3) {
        return 0;
    }
    // "AA" pays 8/7/6 and each class below one less.
    return cls + 2 - (*finish - 1);
}

double adjustedTime(const HistoryLine& line, TimeFactors factors) {
    if (!isTimedDistance(line.Distance) || !line.FinishTime || *line.FinishTime <= 1000) {
        return kNoTime;
    }
    if (*line.Distance == "S") {
        return *line.FinishTime;
    }
    return *line.FinishTime * factorFor(*line.Distance, factors);
}

DogFigures dogFigures(std::span<const HistoryLine> lines, TimeFactors factors,
                      std::string_view dogName) {
    DogFigures f;
    f.bestTimes = {0, kNoTime, kNoTime, kNoTime};
    f.lastTime = static_cast<int>(kNoTime);

    int badBreaks = 0;
    int stretchGains = 0;
    int goodBreaks = 0;
    double lateSum = 0;
    const std::size_t count = std::min<std::size_t>(lines.size(), kLinesRead);
    for (std::size_t i = 0; i < count; ++i) {
        const HistoryLine& line = lines[i];
        const int lineNo = static_cast<int>(i) + 1;

        f.finishPoints += finishPoints(line.Grade, line.Finish);
        f.gradePoints += gradePoints(line.Grade);

        // Best three, ascending; an equal time goes before the one held.
        const double t = adjustedTime(line, factors);
        auto& b = f.bestTimes;
        if (t <= b[1]) {
            b[3] = b[2];
            b[2] = b[1];
            b[1] = t;
        } else if (t <= b[2]) {
            b[3] = b[2];
            b[2] = t;
        } else if (t <= b[3]) {
            b[3] = t;
        }

        // Last time: the newest line at a timed distance that has a time at
        // all (no lower limit here: a stored 0 gives 0).
        if (f.lastTime == static_cast<int>(kNoTime) && isTimedDistance(line.Distance) &&
            line.FinishTime) {
            f.lastTime = *line.Distance == "S"
                             ? *line.FinishTime
                             : base::toInt32(*line.FinishTime * factorFor(*line.Distance, factors));
        }

        const int brk = position(line.Break, "break", line, dogName);
        const int eighth = position(line.Eighth, "eighth", line, dogName);
        const int stretch = position(line.Stretch, "stretch", line, dogName);
        const int finish = position(line.Finish, "finish", line, dogName);
        f.breakSum = addChecked(f.breakSum, brk);
        f.eighthSum = addChecked(f.eighthSum, eighth);
        const std::int64_t gain = static_cast<std::int64_t>(stretch) - finish;
        lateSum += static_cast<double>(gain);
        if (lineNo <= kPatternLines) {
            if (brk >= 6) {
                ++badBreaks;
            }
            if (gain > 0) {
                ++stretchGains;
            }
            if (brk <= 2) {
                ++goodBreaks;
            }
        }
    }
    f.linesRead = static_cast<int>(count);

    int valid = 0;
    for (int s = 1; s <= 3; ++s) {
        if (f.bestTimes[static_cast<std::size_t>(s)] < kNoTime) {
            ++valid;
        }
    }
    // The average takes slot 1, over the best time, as the figure tables
    // always held it: slots 2 and 3 keep the second and third best for
    // anyone comparing figures, and avgTime is the name the rules read.
    if (valid > 0) {
        double sum = 0;
        for (int s = 1; s <= valid; ++s) {
            sum += f.bestTimes[static_cast<std::size_t>(s)];
        }
        f.bestTimes[1] = sum / valid;
    } else {
        f.bestTimes[1] = kNoTime;
    }
    f.avgTime = f.bestTimes[1];

    if (count > 0) {
        const double n = static_cast<double>(count);
        f.earlySpeed = f.breakSum / n + f.eighthSum / n;
        f.avgBreak = f.breakSum / n;
        f.lateSpeed = lateSum / n;
    }
    f.closer = badBreaks >= 4 && stretchGains >= 4;
    f.fastBreaker = goodBreaks >= 4;
    return f;
}

}  // namespace vz::processing
