#include "core/processing/rating.h"

#include <algorithm>
#include <cstddef>

#include <fmt/format.h>

#include "core/store/error.h"

namespace vz::processing {

namespace {

constexpr int kSubscriptOutOfRange = 9;

std::size_t index(int post) {
    return static_cast<std::size_t>(post);
}

// The post at 1-based `position` of an order; 0 (an empty box) past its end.
int postAt(const std::vector<int>& order, int position) {
    return position >= 1 && position <= static_cast<int>(order.size())
               ? order[static_cast<std::size_t>(position - 1)]
               : 0;
}

struct Figure {
    std::function<double(const DogFigures&)> key;
    bool descending;
    int top;
    int floor;
    int Points::*points;
};

}  // namespace

void RaceTable::place(int post, std::string dogName, std::string style, DogFigures figures) {
    if (post < 1) {
        throw Error("Post " + std::to_string(post) + " of " + dogName + " is not a post.",
                    kSubscriptOutOfRange);
    }
    if (boxes_.size() <= index(post)) {
        boxes_.resize(index(post) + 1);
    }
    Box& b = boxes_[index(post)];
    if (b.occupied) {
        throw Error("Post " + std::to_string(post) + " holds two dogs: " + b.dogName + " and " +
                        dogName + ".",
                    kSubscriptOutOfRange);
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
        throw Error("Post " + std::to_string(post) + " holds no dog.", kSubscriptOutOfRange);
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
            throw Error(fmt::format("Post {} of {} ({}) is outside the race's posts 1 to {}.",
                                    e.post, describeRace(card.race), e.dogName, last),
                        kSubscriptOutOfRange);
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

RatedRace rateRace(RaceTable table) {
    RatedRace r{std::move(table), {}, {}};
    RaceTable& t = r.table;
    const RaceTable& ct = r.table;  // reads: any post, empty past the field
    const std::vector<int>& field = ct.field();

    const Figure figures[] = {
        {[](const DogFigures& f) { return static_cast<double>(f.gradePoints); }, true, 4, 0,
         &Points::cla},
        {[](const DogFigures& f) { return f.finishPoints; }, true, 4, 0, &Points::rec},
        {[](const DogFigures& f) { return f.avgTime; }, false, 4, 0, &Points::avSp},
        {[](const DogFigures& f) { return static_cast<double>(f.lastTime); }, false, 4, 0,
         &Points::last},
        {[](const DogFigures& f) { return f.earlySpeed; }, false, 5, 1, &Points::eaSp},
        {[](const DogFigures& f) { return f.lateSpeed; }, true, 2, 0, &Points::laSp},
    };

    for (const Figure& fig : figures) {
        const auto key = [&](int post) { return fig.key(ct.box(post).figures); };
        const std::vector<int> order = rankField(field, key, fig.descending);
        std::vector<double> keys;
        keys.reserve(order.size());
        for (int post : order) {
            keys.push_back(key(post));
        }
        const std::vector<int> points = pointsByPosition(keys, fig.top, fig.floor);

        if (fig.points == &Points::avSp) {
            // Speed gaps between the four fastest averages.
            for (int k = 1; k <= 3; ++k) {
                const int a = postAt(order, k);
                const int b = postAt(order, k + 1);
                if (ct.box(b).figures.avgTime - 15 > ct.box(a).figures.avgTime) {
                    appendAdvice(r.advice, "Speed Gap between " + std::to_string(a) + " and " +
                                               std::to_string(b));
                }
            }
        } else if (fig.points == &Points::eaSp) {
            const int a = postAt(order, 1);
            const int b = postAt(order, 2);
            if (a != 0 && ct.box(b).figures.avgBreak - 0.2 > ct.box(a).figures.avgBreak) {
                appendAlert(t.edit(a).alerts, "Extra Break Adv");
            }
        }

        for (std::size_t k = 0; k < order.size(); ++k) {
            Points& pts = t.edit(order[k]).points;
            pts.score += points[k];
            pts.*fig.points = points[k];
        }
    }

    // Post rules, each tested once, in this order.
    const auto style = [&](int p) -> const std::string& { return ct.box(p).style; };
    const auto fast = [&](int p) { return ct.box(p).figures.fastBreaker; };
    const auto closer = [&](int p) { return ct.box(p).figures.closer; };
    const auto pts = [&](int p) -> const Points& { return ct.box(p).points; };
    const auto alert = [&](int p, std::string_view text) {
        if (ct.box(p).occupied) {
            appendAlert(t.edit(p).alerts, text);
        }
    };
    const auto advise = [&](std::string_view text) { appendAdvice(r.advice, text); };

    if (style(1) == "R" && style(2) != "R" && fast(1)) {
        alert(1, "Break Adv");
    }
    if (style(1) == "R" && closer(1)) {
        alert(1, "Late Spd");
    }
    if (pts(1).laSp >= 1 && style(1) != "W") {
        advise("Include the 1");
    }
    if (style(2) == "W" && (fast(2) || pts(2).eaSp >= 4) && style(7) == "R" &&
        (fast(7) || pts(7).eaSp >= 4)) {
        advise("There is a wedge, play 1278");
    }
    if (style(3) == "R" && closer(3)) {
        alert(3, "Back/rail runner");
    }
    if (style(4) != "R" && pts(4).eaSp >= 4 && pts(4).cla >= 2) {
        advise("4 Post will block, play 1234");
    }
    if ((style(3) == "R" || closer(3)) && (style(4) == "R" || closer(4)) && style(5) == "W" &&
        style(6) == "W") {
        advise("Wide 5 Split");
    }
    if (style(6) == "R" && pts(6).eaSp >= 4) {
        advise("6 Post will cut across, play 678");
    }
    if (style(7) == "R" && pts(7).eaSp >= 4) {
        advise("7 Post will cut across, play 1278");
    }
    for (int p = 3; p <= 5; ++p) {
        if (style(p) == "M" && pts(p).avSp >= 3 && pts(p).eaSp >= 4 &&
            (style(p - 1) != "W" || closer(p - 1)) && (style(p + 1) != "R" || closer(p + 1))) {
            advise("The " + std::to_string(p) + " has a split");
        }
    }

    // Each dog's break against its neighbours in the box; the highest post of
    // the field is the last post.
    const int lastPost = field.empty() ? 0 : field.back();
    const auto avgBreak = [&](int p) { return ct.box(p).figures.avgBreak; };
    for (int p : field) {
        if (pts(p).eaSp >= 4) {
            if (p == 1) {
                if (avgBreak(1) <= avgBreak(2) - 0.2) {
                    alert(1, "Break Adv");
                }
            } else if (p == lastPost) {
                if (avgBreak(p) <= avgBreak(p - 1) - 0.2) {
                    alert(p, "Break Adv");
                }
            } else if (avgBreak(p) <= avgBreak(p - 1) - 0.2 &&
                       avgBreak(p) <= avgBreak(p + 1) - 0.2) {
                if (p == 7) {
                    advise("Play the 8 in any quiniela bets");
                }
                alert(p, "Break Adv");
            }
        }
        if (pts(p).eaSp >= 4 && pts(p).cla == 4) {
            alert(p, "Must Play");
        }
    }

    r.finalOrder = field;
    std::stable_sort(r.finalOrder.begin(), r.finalOrder.end(), [&](int x, int y) {
        const Points& a = pts(x);
        const Points& b = pts(y);
        return a.score != b.score ? a.score > b.score : a.eaSp > b.eaSp;
    });

    const auto scoreAt = [&](int position) { return pts(postAt(r.finalOrder, position)).score; };
    if (!(scoreAt(7) <= 2 && scoreAt(8) <= 2)) {
        advise(">>> DO NOT PLAY TRIFECTA or QUINIELA! <<<");
    }
    if (scoreAt(1) - scoreAt(7) <= 6) {
        advise(">>> DO NOT PLAY! <<<");
    }
    return r;
}

}  // namespace vz::processing
