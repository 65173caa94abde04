#pragma once

// The editing rules the windows apply: the comment's length, what a new race,
// post or dog starts with, the name of a new race file, the lines processing
// rates, and the editors' size limits.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/records.h"
#include "core/base/window_size.h"

namespace vz::editing {

// --- Comments ------------------------------------------------------------------

inline constexpr std::size_t kCommentLength = 200;

// The comment as stored: its first 200 characters.
std::string cutComment(std::string_view comment);
// What the comment box says under it: "153 of 200 characters left", or
// "12 too many, 200 kept".
std::string commentRoomText(std::string_view comment);

// --- New rows ------------------------------------------------------------------

// A new dog is saved at once under this name; typing over it names the dog.
inline constexpr const char* kNewDogName = " ";

struct RaceKey {
    base::Date date;
    int number = 0;

    bool operator==(const RaceKey&) const = default;
};

// A new race continues the card: the date of the last race (in date and
// number order) and its number + 1; on a card without races, or whose last
// race has no date, today's race 1.
RaceKey nextRace(const std::vector<base::Race>& races, base::Date today);

// A new post comes after the highest post of the race; the first is 1.
int nextPost(const std::vector<base::Post>& posts);

// --- Race file names -----------------------------------------------------------

// The path a new race file is made at: the chosen path, with ".rac" added
// when its file name has no extension (the Open and Process dialogs list
// only *.rac).
std::string withRaceFileExtension(std::string_view chosenPath);

// --- The dog editor's lines -------------------------------------------------------

// Which of a dog's lines processing rates: its eight newest, by date (lines
// without a date last), the first stored first among equal dates.
std::vector<bool> ratedLines(const std::vector<base::RaceLine>& lines);

// --- Window sizes (twips) --------------------------------------------------------

using Twips = base::TwipsSize;

struct WindowLimits {
    Twips minimum;       // never smaller
    Twips restoreBelow;  // a maximised window is restored in a smaller main area
};

inline constexpr WindowLimits kRaceEditorLimits{{6000, 5000}, {5870, 4700}};
inline constexpr WindowLimits kDogEditorLimits{{7700, 5000}, {7570, 4700}};

// Whether a maximised editor goes back to its normal size in a main window
// whose inner area is `area`.
bool restoreMaximised(const WindowLimits& limits, Twips area);
// The size an editor opens at: the size it wants, within the main window's
// inner area, never below its minimum.
Twips openingSize(const WindowLimits& limits, Twips wanted, Twips area);
// The same for a window whose size is remembered: the size it was left at
// when there is one, else the size it wants.
Twips openingSize(const WindowLimits& limits, const std::optional<Twips>& remembered, Twips wanted,
                  Twips area);

}  // namespace vz::editing
