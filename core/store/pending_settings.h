#pragma once

// The settings file a running-style update writes, made one unit with the
// styles it stores: the new settings are recorded in the dog database in the
// transaction that stores the styles, and leave it once the file holds them.
// An update cut short between the two leaves the record, from which the next
// start of any program writes the file.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/paths.h"
#include "core/store/dog_database.h"

namespace vz::store {

// Records `text` as the contents `settingsFile` is to have, inside the open
// transaction of `db`.
void recordPendingSettings(DogDatabase& db, const std::filesystem::path& settingsFile,
                           const std::string& text);

// Drops the record once the file is written. A failure only costs the next
// start a write of the same text.
void forgetPendingSettings(DogDatabase& db) noexcept;

// At start: when an update cut short left settings for this application
// folder's settings file, writes them into it and drops the record. Returns
// the text the settings are to be read from when the file could not be
// written (the error then in `errors`), so that the styles and the factors
// still go together in this run; nothing otherwise.
std::optional<std::string> completeInterruptedSettings(const base::AppPaths& paths,
                                                       std::vector<Error>& errors);

}  // namespace vz::store
