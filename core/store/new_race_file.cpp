#include "core/store/new_race_file.h"

#include <unistd.h>

#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include "core/base/fileio.h"
#include "core/store/output_guard.h"

namespace vz::store {
namespace fs = std::filesystem;

namespace {

constexpr const char* kTable = "PendingRaceFile";
constexpr const char* kWhat = "race file";

// Made by the first import that needs it: dog databases of earlier versions
// do not have it, and one opened for reading only never gets it.
constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS PendingRaceFile (TempFile TEXT PRIMARY KEY NOT NULL, "
    "RaceFile TEXT NOT NULL, Committed INTEGER NOT NULL DEFAULT 0)";

struct Pending {
    fs::path temp;
    fs::path target;
};

// Only a name temporaryNameBeside() gives the target is ever renamed or
// deleted, whatever a record says.
bool isTemporaryNameOf(const fs::path& temp, const fs::path& target) {
    if (temp.parent_path() != target.parent_path()) {
        return false;
    }
    const std::string name = temp.filename().string();
    const std::string head = "." + target.filename().string() + ".";
    constexpr std::size_t kHex = 16;
    if (name.size() != head.size() + kHex + 4 || name.rfind(head, 0) != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(head.size()), name.end() - 4,
                       [](unsigned char c) { return std::isxdigit(c) != 0; });
}

// Whether the dog database committed the import of this temporary file;
// nothing when there is no record of it. Throws when it cannot be told.
std::optional<bool> committedImport(Connection& db, const fs::path& temp) {
    // Inside an open transaction the answer would be that transaction's own.
    if (sqlite3_get_autocommit(db.getHandle()) == 0) {
        throw Error("A transaction is still open.");
    }
    return guarded(db, [&]() -> std::optional<bool> {
        SQLite::Statement st(db, "SELECT Committed FROM PendingRaceFile WHERE TempFile = ?");
        st.bind(1, temp.string());
        if (!st.executeStep()) {
            return std::nullopt;
        }
        return st.getColumn(0).getInt() == 1;
    });
}

// Drops the record; one left behind (another program writing just then, a
// read-only folder) only costs the next start a look.
void forget(Connection& db, const fs::path& temp) {
    try {
        const Connection::NoWaiting quick(db);
        SQLite::Statement st(db, "DELETE FROM PendingRaceFile WHERE TempFile = ?");
        st.bind(1, temp.string());
        st.exec();
    } catch (...) {
    }
}

std::vector<Pending> pendingRaceFiles(Connection& db) {
    return guarded(db, [&] {
        std::vector<Pending> out;
        if (!db.tableExists(kTable)) {
            return out;
        }
        SQLite::Statement st(db, "SELECT TempFile, RaceFile FROM PendingRaceFile");
        while (st.executeStep()) {
            out.push_back({st.getColumn(0).getString(), st.getColumn(1).getString()});
        }
        return out;
    });
}

fs::path normalAbsolute(const fs::path& p) {
    std::error_code ec;
    const fs::path abs = fs::absolute(p, ec);
    return (ec ? p : abs).lexically_normal();
}

}  // namespace

std::optional<std::string> newRaceFileRefusal(const base::AppPaths& paths, const fs::path& file) {
    if (auto why = outputRefusal(paths, file, OutputKind::RaceFile, "a race file")) {
        return why;
    }
    switch (detectFileKind(file)) {
        case FileKind::Missing:
            return std::nullopt;
        case FileKind::Folder:
            return fmt::format("The race file {} is a folder, not a file. Choose another name.",
                               file.string());
        case FileKind::Unreadable:
            return fmt::format(
                "The file {} cannot be read, so it is not replaced by a new race file. Choose "
                "another name.",
                file.string());
        case FileKind::Sqlite:
            try {
                const RaceFile existing(file, OpenMode::ReadOnly);
            } catch (const Error&) {
                break;  // a database, but not a race file
            }
            // Its permissions say it is to stay as it is.
            if (::access(file.c_str(), W_OK) != 0) {
                return fmt::format(
                    "The race file {} is read-only: it is not replaced. Choose another name, or "
                    "make the file writable first.",
                    file.string());
            }
            return std::nullopt;
        case FileKind::Access:
        case FileKind::Empty:
        case FileKind::Other:
            break;
    }
    return fmt::format(
        "The file {} is not a race file: only a race file is replaced by a new one. Choose "
        "another name.",
        file.string());
}

NewRaceFile::NewRaceFile(DogDatabase& dogs, const fs::path& raceTemplate, const fs::path& file)
    : db_(dogs.connection()), target_(normalAbsolute(file)) {
    checkDatabaseFile(raceTemplate, "race template");
    const std::string bytes = base::readFile(raceTemplate, "race template");
    const fs::path temp = base::temporaryNameBeside(target_);
    guarded(db_, [&] {
        // The import's commit must be on disk before the race file takes its
        // name, and no checkpoint may stretch it: the checkpoint comes last.
        db_.exec("PRAGMA synchronous=FULL");
        db_.exec("PRAGMA wal_autocheckpoint=0");
    });
    {
        DogDatabase::Transaction tx(dogs);
        guarded(db_, [&] {
            db_.exec(kCreateTable);
            SQLite::Statement st(
                db_,
                "INSERT INTO PendingRaceFile (TempFile, RaceFile, Committed) VALUES (?, ?, 0)");
            st.bind(1, temp.string());
            st.bind(2, target_.string());
            st.exec();
        });
        tx.commit();
    }
    try {
        temp_ = std::make_unique<base::TemporaryFile>(target_, bytes, kWhat, temp);
        file_ = std::make_unique<RaceFile>(temp);
        Connection& card = file_->connection();
        card.showAs(target_);
        guarded(card, [&] {
            // Nobody else reads the temporary file, and a run cut short throws
            // it away whole: no journal on disk, and one flush, by commit().
            card.exec("PRAGMA journal_mode=MEMORY");
            card.exec("PRAGMA synchronous=OFF");
        });
    } catch (...) {
        file_.reset();
        temp_.reset();
        forget(db_, temp);
        throw;
    }
}

NewRaceFile::~NewRaceFile() {
    if (settled_) {
        return;
    }
    file_.reset();
    const fs::path temp = temp_->path();
    std::optional<bool> committed;
    try {
        committed = committedImport(db_, temp).value_or(false);
    } catch (...) {
        // Cannot be told here: the next start decides by the dog database.
        temp_->keep();
        return;
    }
    if (*committed) {
        try {
            temp_->moveIntoPlace();
        } catch (...) {
            temp_->keep();
            return;
        }
    } else {
        temp_.reset();
    }
    forget(db_, temp);
}

const fs::path& NewRaceFile::temporaryPath() const {
    return temp_->path();
}

void NewRaceFile::commit(DogDatabase::Transaction& dogTx) {
    temp_->sync();
    guarded(db_, [&] {
        // Written again in full: a start of the other program may have
        // cleared the record while this file was being made.
        SQLite::Statement st(db_,
                             "INSERT OR REPLACE INTO PendingRaceFile (TempFile, RaceFile, "
                             "Committed) VALUES (?, ?, 1)");
        st.bind(1, temp_->path().string());
        st.bind(2, target_.string());
        st.exec();
    });
    dogTx.commit();
}

void NewRaceFile::putInPlace() {
    settled_ = true;
    file_.reset();
    const fs::path temp = temp_->path();
    try {
        temp_->moveIntoPlace();
    } catch (const Error& e) {
        temp_->keep();
        throw Error(fmt::format("The dogs and their race lines were imported, but the race file "
                                "could not take its name: {} The card is kept as {}; the next "
                                "start of the program gives it its name.",
                                e.what(), temp.string()),
                    e.number());
    }
    forget(db_, temp);
    try {
        const Connection::NoWaiting quick(db_);
        db_.exec("PRAGMA wal_checkpoint(PASSIVE)");
    } catch (...) {
        // Another connection, or the last one to close, checkpoints later.
    }
}

std::vector<Error> completeInterruptedImports(const fs::path& dogDatabase) {
    if (detectFileKind(dogDatabase) != FileKind::Sqlite) {
        return {};
    }
    std::vector<Pending> pending;
    try {
        // A look first, for reading only: nearly always there is nothing to do.
        const auto db = openDatabase(dogDatabase, "dog database", OpenMode::ReadOnly, true);
        pending = pendingRaceFiles(*db);
    } catch (...) {
        return {};
    }
    if (pending.empty()) {
        return {};
    }
    std::vector<Error> errors;
    std::unique_ptr<Connection> db;
    try {
        db = openDatabase(dogDatabase, "dog database", OpenMode::PreferWrite, true);
    } catch (const Error& e) {
        return {e};
    }
    const Connection::NoWaiting quick(*db);
    for (const Pending& p : pending) {
        if (!isTemporaryNameOf(p.temp, p.target)) {
            forget(*db, p.temp);
            continue;
        }
        const base::FileLock lock(p.temp);
        if (lock.state() == base::FileLock::State::InUse) {
            continue;  // its import is still running
        }
        // Read again under the lock: the import may have ended since.
        std::optional<bool> committed;
        try {
            committed = committedImport(*db, p.temp);
        } catch (const Error& e) {
            errors.push_back(e);
            continue;
        }
        if (!committed) {
            continue;  // settled by another start meanwhile
        }
        if (lock.state() == base::FileLock::State::Locked) {
            try {
                if (*committed) {
                    base::renameReplacing(p.temp, p.target, kWhat);
                } else {
                    base::removeFileIfPresent(p.temp, kWhat);
                }
            } catch (const Error& e) {
                errors.emplace_back(
                    fmt::format("An import that was cut short could not be completed: {} Its "
                                "card is kept as {}.",
                                e.what(), p.temp.string()),
                    e.number());
                continue;
            }
        }
        forget(*db, p.temp);
    }
    return errors;
}

}  // namespace vz::store
