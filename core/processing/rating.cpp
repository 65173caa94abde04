#include "core/processing/rating.h"

#include <algorithm>
#include <cstddef>

#include <fmt/format.h>

#include "core/base/error.h"

namespace vz::processing {

namespace {

std::size_t index(int post) {
    return static_cast<std::size_t>(post);
}

// The post at 1-based `position` of an order; 0 (an empty box) past its end.
int postAt(const std::vector<int>& order, int position) {
    return position >= 1 && position <= static_cast<int>(order.size())
               ? order[static_cast<std::size_t>(position - 1)]
               : 0;
}

}  // namespace

void RaceTable::place(int post, std::string dogName, std::string style, DogFigures figures) {
    if (post < 1) {
        throw PostFault("Post " + std::to_string(post) + " of " + dogName + " is not a post.");
    }
    if (boxes_.size() <= index(post)) {
        boxes_.resize(index(post) + 1);
    }
    Box& b = boxes_[index(post)];
    if (b.occupied) {
        throw PostFault("Post " + std::to_string(post) + " holds two dogs: " + b.dogName + " and " +
                        dogName + ".");
    }
    b.occupied = true;
    b.dogName = std::move(dogName);
    b.style = std::move(style);
    b.figures = figures;
    field_.insert(std::upper_bound(field_.begin(), field_.end(), post), post);
}

const Box& RaceTable::box(int post) const {
    if (post < 0 || index(post) >= boxes_.size()) {
        return empty_;
    }
    return boxes_[index(post)];
}

Box& RaceTable::edit(int post) {
    if (post < 1 || index(post) >= boxes_.size() || !boxes_[index(post)].occupied) {
        throw PostFault("Post " + std::to_string(post) + " holds no dog.");
    }
    return boxes_[index(post)];
}

int lastPost(std::size_t entries) {
    return std::max(static_cast<int>(entries) + 4, 8);
}

RaceTable tableFor(const RaceCard& card, TimeFactors factors) {
    const int last = lastPost(card.entries.size());
    for (const Entry& e : card.entries) {
        if (e.post > last) {
            throw PostFault(fmt::format("Post {} of {} ({}) is outside the race's posts 1 to {}.",
                                        e.post, describeRace(card.race), e.dogName, last));
        }
    }
    RaceTable t;
    for (const Entry& e : card.entries) {
        t.place(e.post, e.dogName, e.style, dogFigures(e.lines, factors, e.dogName));
    }
    return t;
}

std::vector<int> rankField(const std::vector<int>& field, const std::function<double(int)>& key,
                           bool descending) {
    std::vector<int> order = field;
    std::sort(order.begin(), order.end());
    std::stable_sort(order.begin(), order.end(),
                     [&](int x, int y) { return descending ? key(x) > key(y) : key(x) < key(y); });
    return order;
}

std::vector<int> pointsByPosition(const std::vector<double>& rankedKeys, int top, int floor) {
    const int n = static_cast<int>(rankedKeys.size());
    std::vector<int> points(rankedKeys.size(), 0);
    if (n == 0) {
        return points;
    }
    points[0] = top;
    int p = top;
    for (int k = 2; k <= n - 1 && p > floor; ++k) {
        const auto at = static_cast<std::size_t>(k - 1);
        if (rankedKeys[at] == rankedKeys[at - 1]) {
            points[at] = p;
        } else {
            --p;
            // The early-speed floor: its last step gives nothing.
            if (floor == 0 || p > floor) {
                points[at] = p;
            }
        }
    }
    return points;
}

void appendAlert(std::string& alerts, std::string_view alert) {
    if (!alerts.empty()) {
        alerts += " - ";
    }
    alerts += alert;
}

void appendAdvice(std::string& advice, std::string_view line) {
    if (!advice.empty()) {
        advice += "\r\n";
    }
    advice += line;
}

namespace {

// The thresholds of the rules. Points thresholds read as places: EaSp of 4 or
// more is among the two best early speeds, AvSp of 3 or more among the two
// best averages, Cla of 2 or more among the three best classes, LaSp of 1 or
// more among the two best late speeds.
constexpr double kSpeedGap = 15;           // hundredths between two of the four fastest
constexpr double kExtraBreakMargin = 0.2;  // the best early speed's break over the next
constexpr double kBreakMargin = 0.2;       // a break over the box neighbours'
constexpr int kTopTwoEarlySpeed = 4;       // EaSp
constexpr int kTopTwoAverage = 3;          // AvSp
constexpr int kTopThreeClass = 2;          // Cla
constexpr int kBestClass = 4;              // Cla
constexpr int kTopTwoLateSpeed = 1;        // LaSp
constexpr int kSeventh = 7;                // the last two places of a field of eight ...
constexpr int kEighth = 8;
constexpr int kLowScoreOfLastPlaces = 2;  // ... scoring no more than this
constexpr int kOpenRaceSpread = 6;        // best minus seventh Score at most this

// What the rules read of a post: a post without a dog reads as empty text,
// zero and false.
class Posts {
  public:
    explicit Posts(const RaceTable& table) : t_(table) {}
    const std::string& style(int p) const { return t_.box(p).style; }
    bool fastBreaker(int p) const { return t_.box(p).figures.fastBreaker; }
    bool closer(int p) const { return t_.box(p).figures.closer; }
    double avgBreak(int p) const { return t_.box(p).figures.avgBreak; }
    double avgTime(int p) const { return t_.box(p).figures.avgTime; }
    const Points& points(int p) const { return t_.box(p).points; }
    bool earlySpeedTopTwo(int p) const { return points(p).eaSp >= kTopTwoEarlySpeed; }

  private:
    const RaceTable& t_;
};

// An alert for the dog of a post; a post without a dog gets none.
void alert(RaceTable& t, int post, std::string_view text) {
    if (t.box(post).occupied) {
        appendAlert(t.edit(post).alerts, text);
    }
}

// Speed gaps, made inside the AvSp ranking on its order (fastest first):
// a gap of more than 15 between two of the four fastest averages.
void speedGaps(RatedRace& r, const std::vector<int>& avgOrder) {
    const Posts f(r.table);
    for (int k = 1; k <= 3; ++k) {
        const int a = postAt(avgOrder, k);
        const int b = postAt(avgOrder, k + 1);
        if (f.avgTime(b) - kSpeedGap > f.avgTime(a)) {
            appendAdvice(r.advice,
                         "Speed Gap between " + std::to_string(a) + " and " + std::to_string(b));
        }
    }
}

// The extra break advantage, made inside the EaSp ranking on its order (best
// first): the leader breaks more than 0.2 better than the second.
void extraBreak(RatedRace& r, const std::vector<int>& earlyOrder) {
    const Posts f(r.table);
    const int a = postAt(earlyOrder, 1);
    const int b = postAt(earlyOrder, 2);
    if (a != 0 && f.avgBreak(b) - kExtraBreakMargin > f.avgBreak(a)) {
        appendAlert(r.table.edit(a).alerts, "Extra Break Adv");
    }
}

// One figure's ranking: how it is read and ranked, the points from the top
// and their floor, where they go, and a check made on its order.
struct Figure {
    double (*key)(const DogFigures&);
    bool descending;
    int top;
    int floor;
    int Points::*points;
    void (*checkOrder)(RatedRace&, const std::vector<int>& order);
};

// The six figures, in the order they are ranked.
const Figure kFigures[] = {
    {[](const DogFigures& f) { return static_cast<double>(f.gradePoints); }, true, 4, 0,
     &Points::cla, nullptr},
    {[](const DogFigures& f) { return f.finishPoints; }, true, 4, 0, &Points::rec, nullptr},
    {[](const DogFigures& f) { return f.avgTime; }, false, 4, 0, &Points::avSp, &speedGaps},
    {[](const DogFigures& f) { return static_cast<double>(f.lastTime); }, false, 4, 0,
     &Points::last, nullptr},
    {[](const DogFigures& f) { return f.earlySpeed; }, false, 5, 1, &Points::eaSp, &extraBreak},
    {[](const DogFigures& f) { return f.lateSpeed; }, true, 2, 0, &Points::laSp, nullptr},
};

// Scores and rankings: each figure ranked across the field, its points given
// by position and added to the Score.
void figurePoints(RatedRace& r) {
    const RaceTable& t = r.table;
    for (const Figure& fig : kFigures) {
        const auto key = [&](int post) { return fig.key(t.box(post).figures); };
        const std::vector<int> order = rankField(t.field(), key, fig.descending);
        std::vector<double> keys;
        keys.reserve(order.size());
        for (int post : order) {
            keys.push_back(key(post));
        }
        const std::vector<int> points = pointsByPosition(keys, fig.top, fig.floor);
        if (fig.checkOrder != nullptr) {
            fig.checkOrder(r, order);
        }
        for (std::size_t k = 0; k < order.size(); ++k) {
            Points& pts = r.table.edit(order[k]).points;
            pts.score += points[k];
            pts.*fig.points = points[k];
        }
    }
}

// The post rules, each tested once, in this order. Styles are the running-
// style update's: "R" rail runner (fastest from posts 1-3), "M" middle
// (4-5), "W" wide runner (6-8).
void postRules(RatedRace& r) {
    const Posts f(r.table);
    const auto advise = [&](std::string_view text) { appendAdvice(r.advice, text); };
    if (f.style(1) == "R" && f.style(2) != "R" && f.fastBreaker(1)) {
        alert(r.table, 1, "Break Adv");
    }
    if (f.style(1) == "R" && f.closer(1)) {
        alert(r.table, 1, "Late Spd");
    }
    if (f.points(1).laSp >= kTopTwoLateSpeed && f.style(1) != "W") {
        advise("Include the 1");
    }
    if (f.style(2) == "W" && (f.fastBreaker(2) || f.earlySpeedTopTwo(2)) && f.style(7) == "R" &&
        (f.fastBreaker(7) || f.earlySpeedTopTwo(7))) {
        advise("There is a wedge, play 1278");
    }
    if (f.style(3) == "R" && f.closer(3)) {
        alert(r.table, 3, "Back/rail runner");
    }
    if (f.style(4) != "R" && f.earlySpeedTopTwo(4) && f.points(4).cla >= kTopThreeClass) {
        advise("4 Post will block, play 1234");
    }
    if ((f.style(3) == "R" || f.closer(3)) && (f.style(4) == "R" || f.closer(4)) &&
        f.style(5) == "W" && f.style(6) == "W") {
        advise("Wide 5 Split");
    }
    if (f.style(6) == "R" && f.earlySpeedTopTwo(6)) {
        advise("6 Post will cut across, play 678");
    }
    if (f.style(7) == "R" && f.earlySpeedTopTwo(7)) {
        advise("7 Post will cut across, play 1278");
    }
    for (int p = 3; p <= 5; ++p) {
        if (f.style(p) == "M" && f.points(p).avSp >= kTopTwoAverage && f.earlySpeedTopTwo(p) &&
            (f.style(p - 1) != "W" || f.closer(p - 1)) &&
            (f.style(p + 1) != "R" || f.closer(p + 1))) {
            advise("The " + std::to_string(p) + " has a split");
        }
    }
}

// Each dog of the field: a break ahead of its neighbours in the box (the
// highest post of the field is the last post, with one neighbour), and the
// dogs both fast away and of the best class.
void perDogAlerts(RatedRace& r) {
    const Posts f(r.table);
    const std::vector<int>& field = r.table.field();
    const int last = field.empty() ? 0 : field.back();
    const auto breaksAhead = [&](int p, int neighbour) {
        return f.avgBreak(p) <= f.avgBreak(neighbour) - kBreakMargin;
    };
    for (int p : field) {
        if (f.earlySpeedTopTwo(p)) {
            if (p == 1) {
                if (breaksAhead(1, 2)) {
                    alert(r.table, 1, "Break Adv");
                }
            } else if (p == last) {
                if (breaksAhead(p, p - 1)) {
                    alert(r.table, p, "Break Adv");
                }
            } else if (breaksAhead(p, p - 1) && breaksAhead(p, p + 1)) {
                if (p == 7) {
                    appendAdvice(r.advice, "Play the 8 in any quiniela bets");
                }
                alert(r.table, p, "Break Adv");
            }
        }
        if (f.earlySpeedTopTwo(p) && f.points(p).cla == kBestClass) {
            alert(r.table, p, "Must Play");
        }
    }
}

// The report order: Score descending, then EaSp points, then post.
std::vector<int> finalOrder(const RaceTable& t) {
    const Posts f(t);
    std::vector<int> order = t.field();
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        const Points& a = f.points(x);
        const Points& b = f.points(y);
        return a.score != b.score ? a.score > b.score : a.eaSp > b.eaSp;
    });
    return order;
}

// The whole-race warnings, on the report order (places past the field score 0).
void wholeRaceWarnings(RatedRace& r) {
    const Posts f(r.table);
    const auto scoreAt = [&](int place) { return f.points(postAt(r.finalOrder, place)).score; };
    if (!(scoreAt(kSeventh) <= kLowScoreOfLastPlaces &&
          scoreAt(kEighth) <= kLowScoreOfLastPlaces)) {
        appendAdvice(r.advice, ">>> DO NOT PLAY TRIFECTA or QUINIELA! <<<");
    }
    if (scoreAt(1) - scoreAt(kSeventh) <= kOpenRaceSpread) {
        appendAdvice(r.advice, ">>> DO NOT PLAY! <<<");
    }
}

}  // namespace

RatedRace rateRace(RaceTable table) {
    RatedRace r{std::move(table), {}, {}};
    figurePoints(r);
    postRules(r);
    perDogAlerts(r);
    r.finalOrder = finalOrder(r.table);
    wholeRaceWarnings(r);
    return r;
}

}  // namespace vz::processing
