#pragma once

// Counter reset and the deletion of old data. Each database command runs in
// one transaction: a failure changes nothing. Whether to ask first is the
// caller's business (needsConfirmation in texts.h).

#include <filesystem>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/base/progress.h"
#include "core/dogs/texts.h"
#include "core/store/dog_database.h"

namespace vz::dogs {

// Sets NumStarts, NumFirsts, NumSeconds and NumThirds of every dog to 0;
// returns the number of dogs.
long zeroCounters(store::DogDatabase& db, const base::Progress& progress = {});
long zeroCounters(const base::AppPaths& paths, const base::Progress& progress = {});

// Deletes the race lines of known dogs dated before `before`; lines of that
// day stay, lines whose RegName matches no dog are left alone. Returns the
// number of lines deleted.
long deleteRaceData(store::DogDatabase& db, base::Date before, const base::Progress& progress = {});
long deleteRaceData(const base::AppPaths& paths, base::Date before,
                    const base::Progress& progress = {});

// Deletes the dogs whose newest race line is dated before `since` and the
// dogs without any line; their race lines stay. Returns the number of dogs
// deleted.
long deleteDogs(store::DogDatabase& db, base::Date since, const base::Progress& progress = {});
long deleteDogs(const base::AppPaths& paths, base::Date since, const base::Progress& progress = {});

// Deletes the files directly in `folder` last modified before the start of
// `before` (local time); subfolders are not visited. Returns the number of
// files deleted.
long deleteResultFiles(const std::filesystem::path& folder, base::Date before,
                       const base::Progress& progress = {});
long deleteResults(const base::AppPaths& paths, base::Date before,
                   const base::Progress& progress = {});

// The local calendar day of a file time.
base::Date localDate(std::filesystem::file_time_type t);

}  // namespace vz::dogs
