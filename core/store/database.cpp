#include "core/store/database.h"

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include <fmt/format.h>
#include <sqlite3.h>

#include "core/store/error.h"

namespace vz::store {
namespace fs = std::filesystem;

namespace {

constexpr int kBusyTimeoutMs = 5000;

// A file without any write permission bit is read-only even to a user whose
// rights would let the write through: the user marked it so on purpose.
bool writable(const fs::path& file) {
    std::error_code ec;
    const fs::perms p = fs::status(file, ec).permissions();
    if (ec) {
        return false;
    }
    constexpr fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (p & anyWrite) != fs::perms::none && ::access(file.c_str(), W_OK) == 0;
}

}  // namespace

FileKind detectFileKind(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        return FileKind::Missing;
    }
    // Only a regular file is opened: opening a FIFO waits for a writer.
    if (!fs::is_regular_file(file, ec)) {
        return FileKind::Other;
    }
    std::ifstream in(file, std::ios::binary);
    std::array<char, 32> head{};
    in.read(head.data(), head.size());
    const auto n = static_cast<std::size_t>(in.gcount());
    if (n == 0) {
        return FileKind::Empty;
    }
    if (n >= 16 && std::memcmp(head.data(), "SQLite format 3\0", 16) == 0) {
        return FileKind::Sqlite;
    }
    // Jet and ACE files carry their engine's name at offset 4.
    if (n >= 19 && (std::memcmp(head.data() + 4, "Standard Jet DB", 15) == 0 ||
                    std::memcmp(head.data() + 4, "Standard ACE DB", 15) == 0)) {
        return FileKind::Access;
    }
    return FileKind::Other;
}

void checkDatabaseFile(const fs::path& file, const char* what) {
    switch (detectFileKind(file)) {
        case FileKind::Sqlite:
            return;
        case FileKind::Missing:
            throw Error(fmt::format("The {} {} does not exist.", what, file.string()),
                        Error::kFileNotFound);
        case FileKind::Access:
            throw Error(fmt::format("The {} {} is an Access database, which this version "
                                    "cannot open yet.",
                                    what, file.string()),
                        Error::kDatabase);
        case FileKind::Empty:
        case FileKind::Other:
            break;
    }
    throw Error(fmt::format("The {} {} is not a database.", what, file.string()), Error::kDatabase);
}

std::unique_ptr<SQLite::Database> openDatabase(const fs::path& file, const char* what,
                                               OpenMode mode, bool shared) {
    checkDatabaseFile(file, what);
    if (mode == OpenMode::ReadWrite && !writable(file)) {
        throw Error(
            fmt::format("The {} {} is read-only: it cannot be changed.", what, file.string()),
            Error::kPermissionDenied);
    }
    try {
        const int flags =
            mode == OpenMode::ReadOnly ? SQLite::OPEN_READONLY : SQLite::OPEN_READWRITE;
        auto db = std::make_unique<SQLite::Database>(file.string(), flags, kBusyTimeoutMs);
        // Setting the journal up can meet the other program's connection in
        // a state where SQLite reports "locked" at once instead of calling
        // the busy handler (switching to WAL, recovering the WAL index), so
        // the set-up itself waits for its turn, as long as the busy timeout.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
        for (;;) {
            try {
                if (shared && mode == OpenMode::ReadWrite) {
                    db->exec("PRAGMA journal_mode=WAL");
                    db->exec("PRAGMA synchronous=NORMAL");
                }
                db->exec("PRAGMA foreign_keys=OFF");
                // A quick read proves the file is a usable database, not just a header.
                db->exec("SELECT count(*) FROM sqlite_schema");
                return db;
            } catch (const SQLite::Exception& e) {
                const int code = e.getErrorCode() & 0xff;
                if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) ||
                    std::chrono::steady_clock::now() >= deadline) {
                    throw;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } catch (const SQLite::Exception& e) {
        throw Error(fmt::format("The {} {} cannot be opened: {}", what, file.string(), e.what()),
                    Error::kDatabase);
    }
}

void rethrowAsError(const char* what) {
    try {
        throw;
    } catch (const Error&) {
        throw;
    } catch (const SQLite::Exception& e) {
        throw Error(fmt::format("Database error in the {}: {}", what, e.what()), Error::kDatabase);
    }
}

}  // namespace vz::store
