#pragma once

// The inputs of the win chances: numbers read off each dog of a rated race,
// in named groups a user chooses. Each is a function of the dog's rating as
// of the race's day, so a race is priced from what was known before it ran.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/backtest.h"
#include "core/processing/card.h"
#include "core/processing/rating.h"

namespace vz::analysis {

enum class InputGroup { Score, Points, Figures, Post, Alerts, Form, Style };

inline constexpr std::string_view kDefaultInputs = "points,post,form";

// "points,post,form": group names separated by commas (blanks and letter
// case ignored, each group once, in the order given). Throws vz::Error
// naming a group it does not know, or for an empty list.
std::vector<InputGroup> parseInputGroups(std::string_view text);
std::string inputGroupsText(const std::vector<InputGroup>& groups);

// The names of the inputs of `groups`, in the order of their numbers.
std::vector<std::string> inputNames(const std::vector<InputGroup>& groups);

// Appends the inputs of every dog of a race (one row per dog, in the order
// of `dogs`, inputNames(groups).size() numbers a row) to `out`.
void appendRaceInputs(const std::vector<InputGroup>& groups, std::span<const RatedDog> dogs,
                      std::vector<double>& out);

// The dogs of a rated card race in report order, as the backtest gives them
// (without results): for pricing a race before it is run.
std::vector<RatedDog> cardDogs(const processing::RaceCard& card,
                               const processing::RatedRace& rated);

}  // namespace vz::analysis
