#include "core/store/pending_settings.h"

#include <SQLiteCpp/Statement.h>

#include <fmt/format.h>

#include "core/base/fileio.h"

namespace vz::store {
namespace fs = std::filesystem;

namespace {

// Made by the first update that needs it; one row at most.
constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS PendingSettings (Id INTEGER PRIMARY KEY CHECK (Id = 1), "
    "SettingsFile TEXT NOT NULL, Contents BLOB NOT NULL)";

struct Pending {
    fs::path file;
    std::string text;
};

std::optional<Pending> pendingSettings(Connection& db) {
    return guarded(db, [&]() -> std::optional<Pending> {
        if (!db.tableExists("PendingSettings")) {
            return std::nullopt;
        }
        SQLite::Statement st(db, "SELECT SettingsFile, Contents FROM PendingSettings");
        if (!st.executeStep()) {
            return std::nullopt;
        }
        const SQLite::Column contents = st.getColumn(1);
        return Pending{st.getColumn(0).getString(),
                       std::string(static_cast<const char*>(contents.getBlob()),
                                   static_cast<std::size_t>(contents.getBytes()))};
    });
}

fs::path resolved(const fs::path& p) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(p, ec);
    return ec ? p.lexically_normal() : real;
}

}  // namespace

void recordPendingSettings(DogDatabase& dogs, const fs::path& settingsFile,
                           const std::string& text) {
    Connection& db = dogs.connection();
    guarded(db, [&] {
        db.exec(kCreateTable);
        SQLite::Statement st(db,
                             "INSERT OR REPLACE INTO PendingSettings (Id, SettingsFile, Contents) "
                             "VALUES (1, ?, ?)");
        st.bind(1, resolved(settingsFile).string());
        st.bind(2, text.data(), static_cast<int>(text.size()));
        st.exec();
    });
}

void forgetPendingSettings(DogDatabase& dogs) noexcept {
    try {
        Connection& db = dogs.connection();
        const Connection::NoWaiting quick(db);
        db.exec("DELETE FROM PendingSettings");
    } catch (...) {
    }
}

std::optional<std::string> completeInterruptedSettings(const base::AppPaths& paths,
                                                       std::vector<Error>& errors) {
    if (detectFileKind(paths.dogDatabase()) != FileKind::Sqlite) {
        return std::nullopt;
    }
    std::optional<Pending> pending;
    try {
        // A look for reading only first: nearly always there is nothing to do.
        const auto db = openDatabase(paths.dogDatabase(), "dog database", OpenMode::ReadOnly, true);
        pending = pendingSettings(*db);
    } catch (...) {
        return std::nullopt;  // left to the command that needs the dog database
    }
    // Settings of another application folder sharing the dog database (a
    // link) are that folder's to write.
    if (!pending || resolved(pending->file) != resolved(paths.settingsFile())) {
        return std::nullopt;
    }
    try {
        base::writeFileAtomic(paths.settingsFile(), pending->text, "settings file");
    } catch (const Error& e) {
        errors.emplace_back(fmt::format("The running-style update that was cut short could not "
                                        "write its settings: {} They are used in this run.",
                                        e.what()),
                            e.number());
        return pending->text;
    }
    try {
        DogDatabase db(paths.dogDatabase());
        forgetPendingSettings(db);
    } catch (...) {
        // A dog database that cannot be changed now keeps the record: the
        // next start writes the same settings again.
    }
    return std::nullopt;
}

}  // namespace vz::store
