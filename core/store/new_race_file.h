#pragma once

// The new race file of an import, made so that the import commits as one:
// the card is written into a copy of the template under a temporary name
// beside the race file the user named; the dog database then commits the
// import together with a record of that file; only then does the file take
// its name, replacing an earlier race file there. An import cut short at any
// point leaves the dog database and the race file both as they were, or a
// record from which the next start of a program completes it.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/paths.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"

namespace vz::base {
class TemporaryFile;
}

namespace vz::store {

// Why a new race file may not be made at `file`, or nothing when it may. An
// existing file is replaced only when it is a race file (an SQLite file with
// tables `Races` and `Posts`); the names of the system's own files (the dog
// database and its journal files, the settings and recent-file files,
// `Error.txt`, the lookup database, the template) are never taken, not even
// while no file has them.
std::optional<std::string> newRaceFileRefusal(const base::AppPaths& paths,
                                              const std::filesystem::path& file);

class NewRaceFile {
  public:
    // Records the new race file in the dog database (a transaction of its
    // own) and makes the temporary copy of `raceTemplate` beside `file`.
    // Throws vz::Error, leaving nothing behind.
    NewRaceFile(DogDatabase& dogs, const std::filesystem::path& raceTemplate,
                const std::filesystem::path& file);
    // Without commit(): the dog database decides. Normally it did not take
    // the import, and the temporary file and its record go.
    ~NewRaceFile();
    NewRaceFile(const NewRaceFile&) = delete;
    NewRaceFile& operator=(const NewRaceFile&) = delete;

    // The temporary file, open for the card's rows. Its messages name `file`.
    RaceFile& raceFile() { return *file_; }

    // Once the card's own transaction is committed: flushes the card to disk,
    // records in `dogTx` that it belongs to the import, and commits `dogTx`.
    void commit(DogDatabase::Transaction& dogTx);
    // After commit(): the race file takes its name. Throws vz::Error when the
    // rename fails; the card then stays under its temporary name for the
    // next start to rename.
    void putInPlace();

  private:
    Connection& db_;
    std::filesystem::path target_;
    std::unique_ptr<base::TemporaryFile> temp_;
    std::unique_ptr<RaceFile> file_;
    bool settled_ = false;
};

// What the imports cut short left, completed or cleared away: a race file
// whose import the dog database committed takes its name; one whose import
// it did not is deleted. An import still running is left alone. Called at
// every start of the programs and of every command; a dog database that is
// missing or cannot be read is left to the command that needs it. Returns
// what could not be done.
std::vector<Error> completeInterruptedImports(const std::filesystem::path& dogDatabase);

}  // namespace vz::store
