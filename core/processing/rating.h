#pragma once

// Rating one race: the per-race table of boxes, the six figures turned into
// points and a Score, the alerts of each dog, the race's advice and the
// order of the report.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/error.h"
#include "core/processing/card.h"
#include "core/processing/figures.h"

namespace vz::processing {

// Points of one dog: the Score and the points of each figure.
struct Points {
    int score = 0;
    int cla = 0;
    int rec = 0;
    int avSp = 0;
    int last = 0;
    int eaSp = 0;
    int laSp = 0;

    bool operator==(const Points&) const = default;
};

// A dog whose post the race's boxes cannot take: below 1, taken twice, or
// above the tables. The race cannot be rated; a caller that counts such races
// apart catches this type.
class PostFault : public Error {
  public:
    explicit PostFault(const std::string& message) : Error(message, Error::kSubscriptOutOfRange) {}
};

// One starting box. A box without a dog reads as empty text, zero and false.
struct Box {
    bool occupied = false;
    std::string dogName;
    std::string style;
    DogFigures figures;
    Points points;
    std::string alerts;
};

// The boxes of one race, by post number. Any post may be read; one outside
// the field is an empty box.
class RaceTable {
  public:
    RaceTable() = default;

    // Puts a dog in its box; throws vz::Error when the box is taken or the
    // post is below 1. Posts above the race's tables are refused before
    // (tableFor does).
    void place(int post, std::string dogName, std::string style, DogFigures figures);

    const Box& box(int post) const;
    // The box of a post of the field, for writing.
    Box& edit(int post);
    // The posts that hold a dog, ascending.
    const std::vector<int>& field() const { return field_; }

  private:
    std::vector<Box> boxes_;  // index = post
    std::vector<int> field_;
    Box empty_;
};

// The highest post the tables of a race of `entries` named dogs hold: four
// boxes past the field, and at least box 8.
int lastPost(std::size_t entries);

// The table of a race: every entry's figures from its lines. A post above
// lastPost() of the field has no place in the tables: throws vz::Error.
RaceTable tableFor(const RaceCard& card, TimeFactors factors);

// The field's posts in the order of `key`: descending or ascending, equal
// keys in post order.
std::vector<int> rankField(const std::vector<int>& field, const std::function<double(int)>& key,
                           bool descending);

// Points by position for keys already in ranked order: `top` to the first,
// one less for each new distinct value, ties sharing, while above `floor`;
// the last position gets nothing from the loop.
std::vector<int> pointsByPosition(const std::vector<double>& rankedKeys, int top, int floor);

// Appends an alert to a dog's alerts (" - " between them).
void appendAlert(std::string& alerts, std::string_view alert);
// Appends a line of advice (CR LF between lines).
void appendAdvice(std::string& advice, std::string_view line);

struct RatedRace {
    RaceTable table;
    std::vector<int> finalOrder;  // posts in report order
    std::string advice;           // lines joined by CR LF, empty for none
};

// Ranks the six figures, adds the speed-gap, extra-break, post and per-dog
// rules, and puts the field in Score order.
RatedRace rateRace(RaceTable table);

}  // namespace vz::processing
