#include "core/store/database.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <thread>

#include <fmt/format.h>
#include <sqlite3.h>

#include "core/base/fileio.h"

namespace vz::store {
namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// A file without any write permission bit is read-only even to a user whose
// rights would let the write through: the user marked it so on purpose. The
// same holds for a folder.
bool writable(const fs::path& path, int accessMode) {
    std::error_code ec;
    const fs::perms p = fs::status(path, ec).permissions();
    if (ec) {
        return false;
    }
    return (p & kAnyWrite) != fs::perms::none && ::access(path.c_str(), accessMode) == 0;
}

fs::path folderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

bool writableFile(const fs::path& file) {
    return writable(file, W_OK);
}

bool writableFolder(const fs::path& file) {
    return writable(folderOf(file), W_OK | X_OK);
}

// The database header says whether the file uses the WAL journal.
bool usesWal(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    unsigned char version[2] = {0, 0};
    const bool read = ::pread(fd, version, 2, 18) == 2;
    ::close(fd);
    return read && version[0] == 2 && version[1] == 2;
}

// Changes some other connection committed to the WAL but not yet into the
// database file itself.
bool walHoldsChanges(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(fs::path(file.string() + "-wal"), ec);
    return !ec && size > 0;
}

// A journal beside the file that a writer cut short (or copied mid-write)
// left with changes: a WAL with frames, or a rollback journal with content.
bool journalHoldsChanges(const fs::path& file) {
    if (walHoldsChanges(file)) {
        return true;
    }
    std::error_code ec;
    const auto size = fs::file_size(fs::path(file.string() + "-journal"), ec);
    return !ec && size > 0;
}

// The file as an SQLite URI with the given parameters.
std::string fileUri(const fs::path& file, std::string_view parameters) {
    std::string uri = "file:";
    for (const unsigned char c : fs::absolute(file).string()) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += fmt::format("%{:02X}", c);
        }
    }
    uri += '?';
    uri += parameters;
    return uri;
}

std::atomic<long long> gLimitMs{BusyWait{}.limit.count()};
std::atomic<long long> gShowAfterMs{BusyWait{}.showAfter.count()};

// The observer of this thread's waits, and the wait it was last told of.
thread_local WaitObserver* tlObserver = nullptr;
struct ShownWait {
    bool shown = false;
    long long second = -1;
    std::string what;
    fs::path file;
};
thread_local ShownWait tlShown;

void tell(const WaitNotice& notice) {
    if (tlObserver == nullptr || !*tlObserver) {
        return;
    }
    // Called from inside the database engine: nothing may be thrown through it.
    try {
        (*tlObserver)(notice);
    } catch (...) {
    }
}

void noticeWaiting(const std::string& what, const fs::path& file, steady_clock::duration waited) {
    if (waited < busyWait().showAfter) {
        return;  // a short wait passes unseen
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited);
    if (tlShown.shown && tlShown.second == seconds.count()) {
        return;
    }
    tlShown = {true, seconds.count(), what, file};
    tell(WaitNotice{what, file, seconds, false});
}

int onBusy(void* connection, int attempt) {
    return static_cast<Connection*>(connection)->waitForTurn(attempt) ? 1 : 0;
}

std::string subject(std::string_view what, const fs::path& file) {
    return file.empty() ? std::string(what) : fmt::format("{} {}", what, file.string());
}

long long waitedSeconds() {
    const long long ms = busyWait().limit.count();
    return std::max(1LL, (ms + 999) / 1000);
}

}  // namespace

BusyWait busyWait() {
    return BusyWait{milliseconds(gLimitMs.load()), milliseconds(gShowAfterMs.load())};
}

void setBusyWait(BusyWait wait) {
    gLimitMs = wait.limit.count();
    gShowAfterMs = wait.showAfter.count();
}

std::string waitingText(const WaitNotice& notice) {
    return fmt::format("Waiting for another program to finish writing the {}... {} s", notice.what,
                       notice.waited.count());
}

WaitObserverScope::WaitObserverScope(WaitObserver observer)
    : observer_(std::move(observer)), previous_(tlObserver) {
    tlObserver = &observer_;
}

WaitObserverScope::~WaitObserverScope() {
    endOfWait();
    tlObserver = previous_;
}

void endOfWait() {
    if (!tlShown.shown) {
        return;
    }
    ShownWait ended = std::move(tlShown);
    tlShown = ShownWait{};
    tell(WaitNotice{ended.what, ended.file, std::chrono::seconds(ended.second), true});
}

FileKind detectFileKind(const fs::path& file) {
    std::error_code ec;
    const fs::file_status st = fs::status(file, ec);
    if (!fs::exists(st)) {
        return FileKind::Missing;
    }
    if (fs::is_directory(st)) {
        return FileKind::Folder;
    }
    // Only a regular file is opened: opening a FIFO waits for a writer.
    if (!fs::is_regular_file(st)) {
        return FileKind::Other;
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return FileKind::Unreadable;
    }
    std::array<char, 32> head{};
    const ssize_t got = ::read(fd, head.data(), head.size());
    const int err = errno;
    ::close(fd);
    if (got < 0) {
        errno = err;
        return FileKind::Unreadable;
    }
    const auto n = static_cast<std::size_t>(got);
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
        case FileKind::Folder:
            throw base::fileError(base::FileStep::Read, what, file, EISDIR);
        case FileKind::Unreadable:
            throw base::fileError(base::FileStep::Read, what, file, errno);
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

Connection::Connection(const std::string& target, int flags, fs::path file, std::string what,
                       std::string readOnlyReason)
    : SQLite::Database(target, flags, 0),
      file_(std::move(file)),
      what_(std::move(what)),
      readOnlyReason_(std::move(readOnlyReason)) {
    sqlite3_busy_handler(getHandle(), &onBusy, this);
}

Connection::NoWaiting::NoWaiting(Connection& connection) : connection_(connection) {
    sqlite3_busy_handler(connection_.getHandle(), nullptr, nullptr);
}

Connection::NoWaiting::~NoWaiting() {
    sqlite3_busy_handler(connection_.getHandle(), &onBusy, &connection_);
}

void Connection::requireWritable() const {
    if (!readOnlyReason_.empty()) {
        throw Error(readOnlyReason_, Error::kPermissionDenied);
    }
}

bool Connection::waitForTurn(int attempt) {
    const auto now = steady_clock::now();
    // The engine counts each statement's wait from 0; turns that follow each
    // other closely belong to one wait.
    if (attempt == 0 && now - lastTurn_ > milliseconds(250)) {
        waitStart_ = now;
    }
    lastTurn_ = now;
    const auto waited = now - waitStart_;
    const auto limit = busyWait().limit;
    if (waited >= limit) {
        lastTurn_ = {};  // the next wait starts afresh
        return false;
    }
    noticeWaiting(what_, file_, waited);
    static constexpr std::array<int, 12> kDelaysMs = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    const milliseconds delay(
        kDelaysMs[std::min<std::size_t>(static_cast<std::size_t>(attempt), kDelaysMs.size() - 1)]);
    std::this_thread::sleep_for(std::min<steady_clock::duration>(delay, limit - waited));
    return true;
}

std::unique_ptr<Connection> openDatabase(const fs::path& file, const char* what, OpenMode mode,
                                         bool shared) {
    checkDatabaseFile(file, what);
    const bool fileOk = writableFile(file);
    const bool folderOk = writableFolder(file);
    // Why this file cannot be changed here, if it cannot.
    std::string refusal;
    if (!fileOk) {
        refusal = fmt::format("The {} {} is read-only: it cannot be changed.", what, file.string());
    } else if (shared && !folderOk) {
        refusal = fmt::format(
            "The {} {} cannot be changed: its folder {} must be writable, as the database keeps "
            "its journal files beside it.",
            what, file.string(), folderOf(file).string());
    }
    if (mode == OpenMode::ReadWrite && !refusal.empty()) {
        throw Error(refusal, Error::kPermissionDenied);
    }
    const bool write = mode != OpenMode::ReadOnly && refusal.empty();

    std::string target = file.string();
    int flags = SQLite::OPEN_READONLY;
    bool queryOnly = false;
    if (write) {
        flags = SQLite::OPEN_READWRITE;
    } else if (shared && fileOk && folderOk) {
        // A reader that may write cleans up the WAL journal when it is the
        // last to close the file, so a copied folder needs no more than the
        // database itself; it promises the engine not to change anything.
        flags = SQLite::OPEN_READWRITE;
        queryOnly = true;
    } else if ((!fileOk || !folderOk) && usesWal(file) && !walHoldsChanges(file)) {
        // Nobody can be writing a file no one may write, and the engine would
        // need to create its journal index beside it to read it: the file is
        // read as it stands.
        flags = SQLite::OPEN_READONLY | SQLITE_OPEN_URI;
        target = fileUri(file, "immutable=1");
    }
    if (!write && refusal.empty()) {
        refusal = fmt::format("The {} {} was opened for reading only.", what, file.string());
    }

    std::unique_ptr<Connection> db;
    try {
        db = std::make_unique<Connection>(target, flags, file, what, write ? "" : refusal);
        // Setting the journal up can meet the other program's connection in
        // a state where SQLite reports "locked" at once instead of calling
        // the busy handler (switching to WAL, recovering the WAL index), so
        // the set-up itself waits for its turn.
        for (int attempt = 0;; ++attempt) {
            try {
                if (shared && write) {
                    db->exec("PRAGMA journal_mode=WAL");
                    db->exec("PRAGMA synchronous=NORMAL");
                }
                if (queryOnly) {
                    db->exec("PRAGMA query_only=ON");
                }
                db->exec("PRAGMA foreign_keys=OFF");
                // A quick read proves the file is a usable database, not just a header.
                db->exec("SELECT count(*) FROM sqlite_schema");
                endOfWait();
                return db;
            } catch (const SQLite::Exception& e) {
                const int code = e.getErrorCode() & 0xff;
                if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || !db->waitForTurn(attempt)) {
                    throw;
                }
            }
        }
    } catch (const SQLite::Exception& e) {
        endOfWait();
        if (!write && (!fileOk || !folderOk) && journalHoldsChanges(file)) {
            throw Error(
                fmt::format("The {} {} was copied while a program was writing it: its journal "
                            "file beside it still holds changes, which only a writable copy can "
                            "take in. For a clean copy, end every program using it and copy it "
                            "again with the files beside it, or open this copy once in a "
                            "writable folder.",
                            what, file.string()),
                Error::kPermissionDenied);
        }
        const int systemErrno = db ? sqlite3_system_errno(db->getHandle()) : 0;
        throw databaseError(e.getErrorCode(), e.getExtendedErrorCode(), systemErrno, e.what(), what,
                            file);
    }
}

Error databaseError(int code, int extendedCode, int systemErrno, std::string_view engineMessage,
                    std::string_view what, const fs::path& file) {
    const std::string name = subject(what, file);
    const std::string folder = file.empty() ? std::string("its folder")
                                            : fmt::format("its folder {}", folderOf(file).string());
    auto diskFull = [&] {
        return Error(fmt::format("The disk holding the {} is full: the {} was not changed. Free "
                                 "some space on it and try again.",
                                 name, what),
                     Error::kDiskFull);
    };
    auto folderMustBeWritable = [&] {
        return Error(fmt::format("The {} cannot be changed: {} must be writable.", name, folder),
                     Error::kPermissionDenied);
    };
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Error(
                fmt::format("Another program is writing the {}, and it has not finished after {} "
                            "seconds of waiting. The {} was not changed: try again when the other "
                            "program has finished.",
                            name, waitedSeconds(), what),
                Error::kLocked);
        case SQLITE_FULL:
            return diskFull();
        case SQLITE_IOERR:
            if (systemErrno == ENOSPC || systemErrno == EDQUOT) {
                return diskFull();
            }
            return Error(fmt::format("The {} cannot be read or written: the disk reported an "
                                     "input/output error ({}).",
                                     name,
                                     systemErrno != 0 ? std::strerror(systemErrno)
                                                      : std::string(engineMessage)),
                         Error::kDeviceIO);
        case SQLITE_READONLY:
            if (extendedCode == SQLITE_READONLY_DIRECTORY ||
                extendedCode == SQLITE_READONLY_CANTINIT ||
                extendedCode == SQLITE_READONLY_CANTLOCK ||
                extendedCode == SQLITE_READONLY_RECOVERY ||
                (!file.empty() && !writableFolder(file))) {
                return folderMustBeWritable();
            }
            return Error(fmt::format("The {} is read-only: it cannot be changed.", name),
                         Error::kPermissionDenied);
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            if (!file.empty() && !writableFolder(file)) {
                return folderMustBeWritable();
            }
            if (systemErrno == EACCES || systemErrno == EPERM) {
                return Error(fmt::format("The {} cannot be opened: permission denied.", name),
                             Error::kPermissionDenied);
            }
            return Error(fmt::format("The {} cannot be opened: {}.", name, engineMessage),
                         Error::kDatabase);
        case SQLITE_CORRUPT:
            return Error(fmt::format("The {} is damaged ({}): restore it from a backup copy.", name,
                                     engineMessage),
                         Error::kDatabase);
        case SQLITE_NOTADB:
            return Error(fmt::format("The {} is not a database.", name), Error::kDatabase);
        default:
            return Error(fmt::format("Database error in the {}: {}", name, engineMessage),
                         Error::kDatabase);
    }
}

namespace {

// The exception being handled, as the user reads it; `connection` may be null.
[[noreturn]] void rethrowTranslated(const Connection* connection, std::string_view what) {
    try {
        throw;
    } catch (const Error&) {
        endOfWait();
        throw;
    } catch (const SQLite::Exception& e) {
        endOfWait();
        if (connection == nullptr) {
            throw databaseError(e.getErrorCode(), e.getExtendedErrorCode(), 0, e.what(), what, {});
        }
        if ((e.getErrorCode() & 0xff) == SQLITE_READONLY && !connection->readOnlyReason().empty()) {
            throw Error(connection->readOnlyReason(), Error::kPermissionDenied);
        }
        throw databaseError(e.getErrorCode(), e.getExtendedErrorCode(),
                            sqlite3_system_errno(connection->getHandle()), e.what(), what,
                            connection->file());
    }
}

}  // namespace

void rethrowAsError(const Connection& connection) {
    rethrowTranslated(&connection, connection.what());
}

void rethrowAsError(const char* what) {
    rethrowTranslated(nullptr, what);
}

WriteTransaction::WriteTransaction(Connection& connection)
    : db_(connection), tx_(guarded(connection, [&] {
          connection.requireWritable();
          return SQLite::Transaction(connection, SQLite::TransactionBehavior::IMMEDIATE);
      })) {
    endOfWait();
}

void WriteTransaction::commit() {
    guarded(db_, [&] { tx_.commit(); });
}

}  // namespace vz::store
