#pragma once

// The words of the running-style update and the clean-up work windows, in one
// place so that the desktop windows and the terminal tool say the same.

#include <string>

#include "core/base/dates.h"
#include "core/base/error.h"

namespace vz::dogs {

inline constexpr const char* kConfirmTitle = "Confirm";
inline constexpr const char* kCompleteTitle = "Complete";
inline constexpr const char* kStartCaption = "Start";

// Running-style update window.
inline constexpr const char* kStyleCaption = "Update Running Style";
inline constexpr const char* kStyleText =
    "This procedure adjusts all dogs' running style based on previous race performances.";
inline constexpr const char* kStyleBusyText = "Updating running style, please wait...";
inline constexpr const char* kStyleComplete = "Update Running Style complete.";

// Counter reset window.
inline constexpr const char* kZeroCaption = "Zero Starts, 1st, 2nd, 3rd";
inline constexpr const char* kZeroText =
    "This procedure returns all dog's starts, firsts, seconds and thirds to zero.";
inline constexpr const char* kZeroBusyText =
    "Zeroing all Starts, 1sts, 2nds and 3rds, please wait...";
inline constexpr const char* kZeroComplete = "Zeroing complete.";

// The busy text of the three deletion windows.
inline constexpr const char* kDeleteBusyText = "Deleting, please wait...";

// The three deletions that take a date.
enum class Deletion { RaceData, Dogs, Results };

// Window caption ("Delete Old Race Data", ...).
const char* deletionCaption(Deletion d);
// The text above the date picker ("Delete dogs' race data for races before:").
const char* deletionPrompt(Deletion d);
// The date the picker shows when the window opens.
base::Date defaultDeletionDate(Deletion d, base::Date today);
// The latest date that is acted on without a question (today minus 90 days,
// or 7 for the results); a later chosen date asks first.
base::Date confirmationThreshold(Deletion d, base::Date today);
bool needsConfirmation(Deletion d, base::Date chosen, base::Date today);
// "Are you sure you want to delete all race data before 12/7/2026?"
std::string confirmationQuestion(Deletion d, base::Date chosen);
// "Finished deleting race data before 12/7/2026."
std::string completionMessage(Deletion d, base::Date chosen);

// How the work windows show a failure: the description, one blank, the number.
std::string workErrorMessage(const Error& e);

}  // namespace vz::dogs
