#pragma once

// Opening the system's SQLite files with the checks users need: a missing
// file is an error (never an empty database made by accident), an Access
// file is recognised and named as such, anything else that is not a
// database is refused with a clear message.

#include <filesystem>
#include <memory>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>

namespace vz::store {

enum class OpenMode { ReadOnly, ReadWrite };

// What the first bytes of a file say it is.
enum class FileKind { Missing, Empty, Sqlite, Access, Other };
FileKind detectFileKind(const std::filesystem::path& file);

// Throws vz::Error with a message naming `what` ("dog database", "race
// file", ...) and the path, unless the file is an SQLite database.
void checkDatabaseFile(const std::filesystem::path& file, const char* what);

// Opens a checked database. `shared` files (the dog database, used by both
// programs at once) get the WAL journal; all get a busy timeout so that a
// writer in the other program is waited for instead of failing at once.
std::unique_ptr<SQLite::Database> openDatabase(const std::filesystem::path& file, const char* what,
                                               OpenMode mode, bool shared);

// Runs `body` and rethrows any SQLite failure as vz::Error naming `what`.
[[noreturn]] void rethrowAsError(const char* what);

}  // namespace vz::store
