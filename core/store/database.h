#pragma once

// Opening the system's SQLite files with the checks users need: a missing
// file is an error (never an empty database made by accident), an Access
// file is recognised and named as such, anything else that is not a
// database is refused with a clear message. Every failure of the database
// engine is turned into words here: a database another program is writing
// is waited for, and a full disk or a read-only folder is named as such.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>

#include "core/base/error.h"

namespace vz::store {

enum class OpenMode {
    // Reads only. Works on a read-only file and in a read-only folder.
    ReadOnly,
    // Reads and writes. The file must be writable, and so must the folder of
    // the shared dog database, whose journal files lie beside it.
    ReadWrite,
    // Read-write when the file and its folder allow it; otherwise read-only,
    // and every change is refused with the reason (a window that shows the
    // data and saves edits).
    PreferWrite,
};

// What the first bytes of a file say it is.
enum class FileKind { Missing, Folder, Unreadable, Empty, Sqlite, Access, Other };
FileKind detectFileKind(const std::filesystem::path& file);

// Throws vz::Error with a message naming `what` ("dog database", "race
// file", ...) and the path, unless the file is an SQLite database.
void checkDatabaseFile(const std::filesystem::path& file, const char* what);

// How long a statement waits for another program that is writing the same
// database before it gives up, and how long it waits before it says so.
struct BusyWait {
    std::chrono::milliseconds limit{60'000};
    std::chrono::milliseconds showAfter{1'000};
};
BusyWait busyWait();
// For tests, which cannot wait a minute.
void setBusyWait(BusyWait wait);

// A wait for another program, as told to the one who shows it: sent once a
// second while the wait lasts, and once with `over` set when it has ended.
struct WaitNotice {
    std::string what;  // "dog database"
    std::filesystem::path file;
    std::chrono::seconds waited{0};
    bool over = false;
};
using WaitObserver = std::function<void(const WaitNotice&)>;

// "Waiting for another program to finish writing the dog database... 3 s"
std::string waitingText(const WaitNotice& notice);

// While it lives, the database waits of this thread are told to `observer`
// (the terminal's progress line, a work window's status line). Scopes nest;
// a thread without one waits silently.
class WaitObserverScope {
  public:
    explicit WaitObserverScope(WaitObserver observer);
    ~WaitObserverScope();
    WaitObserverScope(const WaitObserverScope&) = delete;
    WaitObserverScope& operator=(const WaitObserverScope&) = delete;

  private:
    WaitObserver observer_;
    WaitObserver* previous_;
};

// Tells this thread's observer that a wait it was told of has ended (does
// nothing when there was none). Called after each step that may wait.
void endOfWait();

// An open database: the SQLite connection with what it is, which file, and
// why changes are refused when it was opened read-only.
class Connection : public SQLite::Database {
  public:
    Connection(const std::string& target, int flags, std::filesystem::path file, std::string what,
               std::string readOnlyReason);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const std::string& what() const { return what_; }
    const std::filesystem::path& file() const { return file_; }
    // Empty when changes are allowed.
    const std::string& readOnlyReason() const { return readOnlyReason_; }
    // Throws the reason as vz::Error when changes are refused.
    void requireWritable() const;

    // Messages name the file as `shown`: a temporary file by the name it is
    // to take.
    void showAs(std::filesystem::path shown) { file_ = std::move(shown); }

    // One turn of waiting for another program: false when the wait is over
    // the limit. `attempt` is 0 on the first call of a wait.
    bool waitForTurn(int attempt);

    // While it lives, the connection gives up at once when another program
    // is writing, instead of waiting: for tidying up that can as well be
    // done at the next start.
    class NoWaiting {
      public:
        explicit NoWaiting(Connection& connection);
        ~NoWaiting();
        NoWaiting(const NoWaiting&) = delete;
        NoWaiting& operator=(const NoWaiting&) = delete;

      private:
        Connection& connection_;
    };

  private:
    std::filesystem::path file_;
    std::string what_;
    std::string readOnlyReason_;
    std::chrono::steady_clock::time_point waitStart_{};
    std::chrono::steady_clock::time_point lastTurn_{};
};

// Opens a checked database. `shared` files (the dog database, used by both
// programs at once) get the WAL journal; all wait for a writer in the other
// program (see BusyWait) instead of failing at once.
std::unique_ptr<Connection> openDatabase(const std::filesystem::path& file, const char* what,
                                         OpenMode mode, bool shared);

// The error the user reads for a failure of the database engine: `code` and
// `extendedCode` are SQLite's, `systemErrno` the operating system's error
// behind it (0 when none), `file` may be empty when not known.
Error databaseError(int code, int extendedCode, int systemErrno, std::string_view engineMessage,
                    std::string_view what, const std::filesystem::path& file);

// Rethrows the exception being handled: a vz::Error as it is, an SQLite
// failure as databaseError() words it for this connection.
[[noreturn]] void rethrowAsError(const Connection& connection);
// The same where no connection is at hand, naming `what` only.
[[noreturn]] void rethrowAsError(const char* what);

// Leaves an SQLite failure to rethrowAsError() unchanged.
struct AsDatabaseError {
    void operator()(const SQLite::Exception& /*failure*/) const {}
};

// Runs `work` and returns what it returns; whatever it throws leaves as the
// user reads it (rethrowAsError). `refine` sees an SQLite failure first and
// may throw words of its own for it (a name already taken).
template <typename Work, typename Refine = AsDatabaseError>
decltype(auto) guarded(const Connection& connection, Work&& work, Refine refine = {}) {
    try {
        return std::forward<Work>(work)();
    } catch (const SQLite::Exception& failure) {
        refine(failure);
        rethrowAsError(connection);
    } catch (...) {
        rethrowAsError(connection);
    }
}

// The same where no connection is at hand, naming `what` only.
template <typename Work>
decltype(auto) guarded(const char* what, Work&& work) {
    try {
        return std::forward<Work>(work)();
    } catch (...) {
        rethrowAsError(what);
    }
}

// A write transaction (BEGIN IMMEDIATE): nothing is kept unless commit() is
// called before it is destroyed. Refused at once, with the reason, on a
// connection that may not change its file; its failures read as the
// connection's.
class WriteTransaction {
  public:
    explicit WriteTransaction(Connection& connection);
    // On the connection of a dog database or a race file.
    template <typename File>
    explicit WriteTransaction(File& file) : WriteTransaction(file.connection()) {}
    void commit();

  private:
    Connection& db_;
    SQLite::Transaction tx_;
};

}  // namespace vz::store
