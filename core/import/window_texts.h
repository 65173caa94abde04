#pragma once

// The messages an importer window shows at the end of a run, built from a
// format's texts. Lines are separated by CR, as the messages were written.

#include <string>

#include "core/import/format.h"

namespace vz::import {

// Advice given after every import that writes a race card.
inline constexpr const char* kRunningStyleAdvice =
    "You should run 'Update Running Style' before processing a race.";

// The completion message: the format's completion text, then (for every
// format that writes a race file) a CR and the running-style advice. The
// QAV TEST import shows its completion text alone.
std::string completionMessage(const FormatInfo& format);

// The message of a failed run: the two lines of ImportFailed, CR-separated.
std::string importFailedMessage();

}  // namespace vz::import
