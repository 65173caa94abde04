#pragma once

// The messages at the end of an import run, built from a format's texts, for
// the importer windows and the terminal tool. Window messages separate their
// lines by CR, as the messages were written.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/format.h"
#include "core/import/session.h"

namespace vz::import {

// Advice given after every import that writes a race card.
inline constexpr const char* kRunningStyleAdvice =
    "You should run 'Update Running Style' before processing a race.";

// The completion message: the format's completion text, then (for every
// format that writes a race file) a CR and the running-style advice. The
// QAV TEST import shows its completion text alone.
std::string completionMessage(const FormatInfo& format);

// The counts of a completed run, one line each: dogs and lines added,
// duplicates skipped, races and posts written for a format that writes a
// race file, then what was left out, if anything. `aligned` lines up the
// numbers in columns, as the terminal shows them.
std::vector<std::string> summaryLines(const ImportSummary& summary, bool writesRaceFile,
                                      bool aligned);

// The message of a failed run: its lines (the two lines of ImportFailed,
// then the cause if any), CR-separated.
std::string importFailedMessage(const ImportFailed& failure);

// The message of a run that failed for another cause than its input (a
// database that cannot be opened, a file that went away): the first line of
// every failed run, then the cause, with " - " and its error number when it
// has one; CR-separated.
std::string importErrorMessage(std::string_view cause, std::optional<int> number = std::nullopt);

}  // namespace vz::import
