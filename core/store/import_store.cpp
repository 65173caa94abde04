#include "core/store/import_store.h"

#include <string>

#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include "core/base/error.h"
#include "core/store/sql_values.h"

namespace vz::store {

namespace {

// The stored form YYYY-MM-DD read without the general date reader: the
// duplicate test reads every stored date of every dog of a program.
std::optional<base::Date> quickIso(const char* p, int n) {
    if (n != 10 || p[4] != '-' || p[7] != '-') {
        return std::nullopt;
    }
    int v[3] = {0, 0, 0};
    const int from[3] = {0, 5, 8};
    const int len[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k) {
        for (int i = from[k]; i < from[k] + len[k]; ++i) {
            if (p[i] < '0' || p[i] > '9') {
                return std::nullopt;
            }
            v[k] = v[k] * 10 + (p[i] - '0');
        }
    }
    const base::Date d{std::chrono::year{v[0]}, std::chrono::month{static_cast<unsigned>(v[1])},
                       std::chrono::day{static_cast<unsigned>(v[2])}};
    return d.ok() ? std::optional<base::Date>(d) : std::nullopt;
}
}  // namespace

struct ImportStore::Statements {
    std::unique_ptr<SQLite::Statement> findDog;
    std::unique_ptr<SQLite::Statement> addDog;
    std::unique_ptr<SQLite::Statement> lineDates;
    std::unique_ptr<SQLite::Statement> addLine;
    std::unique_ptr<SQLite::Statement> counters;
    std::unique_ptr<SQLite::Statement> addRace;
    std::unique_ptr<SQLite::Statement> addPost;
};

ImportStore::ImportStore(DogDatabase& dogs, RaceFile* raceFile)
    : dogs_(dogs), raceFile_(raceFile), st_(std::make_unique<Statements>()) {
    SQLite::Database& db = dogs_.connection();
    try {
        st_->findDog = std::make_unique<SQLite::Statement>(
            db, "SELECT rowid FROM Main WHERE RegName = ? ORDER BY rowid LIMIT 1");
        st_->addDog = std::make_unique<SQLite::Statement>(
            db,
            "INSERT INTO Main (RegName, RunningStyle, NumStarts, NumFirsts, NumSeconds, "
            "NumThirds, Comments) VALUES (?, ?, ?, ?, ?, ?, ?)");
        st_->lineDates = std::make_unique<SQLite::Statement>(
            db, "SELECT RaceDate FROM RaceHistory WHERE RegName = ?");
        st_->addLine = std::make_unique<SQLite::Statement>(
            db,
            "INSERT INTO RaceHistory (RegName, RaceDate, RaceNum, Distance, WinningTime, Post, "
            "Break, Eighth, Stretch, Finish, FinishLength, FinishTime, Odds, Grade) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        st_->counters = std::make_unique<SQLite::Statement>(
            db,
            "UPDATE Main SET NumStarts = coalesce(NumStarts, 0) + ?, "
            "NumFirsts = coalesce(NumFirsts, 0) + ?, NumSeconds = coalesce(NumSeconds, 0) + ?, "
            "NumThirds = coalesce(NumThirds, 0) + ? WHERE rowid = ?");
    } catch (...) {
        rethrowAsError(dogs_.connection());
    }
    if (raceFile_ != nullptr) {
        try {
            SQLite::Database& rf = raceFile_->connection();
            st_->addRace = std::make_unique<SQLite::Statement>(
                rf, "INSERT INTO Races (RaceNum, Distance, Grade, RaceDate) VALUES (?, ?, ?, ?)");
            st_->addPost = std::make_unique<SQLite::Statement>(
                rf, "INSERT INTO Posts (RaceDate, RaceNum, Post, RegName) VALUES (?, ?, ?, ?)");
        } catch (...) {
            rethrowAsError(raceFile_->connection());
        }
    }
}

ImportStore::~ImportStore() = default;

std::optional<std::int64_t> ImportStore::findDog(std::string_view regName) {
    try {
        SQLite::Statement& st = *st_->findDog;
        st.reset();
        st.bind(1, std::string(regName));
        std::optional<std::int64_t> out;
        if (st.executeStep()) {
            out = st.getColumn(0).getInt64();
        }
        st.reset();
        return out;
    } catch (...) {
        rethrowAsError(dogs_.connection());
    }
}

std::int64_t ImportStore::addDog(const base::Dog& dog) {
    try {
        SQLite::Statement& st = *st_->addDog;
        st.reset();
        sql::bind(st, 1, dog.RegName);
        sql::bind(st, 2, dog.RunningStyle);
        sql::bind(st, 3, dog.NumStarts);
        sql::bind(st, 4, dog.NumFirsts);
        sql::bind(st, 5, dog.NumSeconds);
        sql::bind(st, 6, dog.NumThirds);
        sql::bind(st, 7, dog.Comments);
        st.exec();
        st.reset();
        return dogs_.connection().getLastInsertRowid();
    } catch (const SQLite::Exception& e) {
        if (e.getExtendedErrorCode() == SQLITE_CONSTRAINT_UNIQUE) {
            throw Error("A dog named " + dog.RegName + " is already on file.", Error::kDatabase);
        }
        rethrowAsError(dogs_.connection());
    } catch (...) {
        rethrowAsError(dogs_.connection());
    }
}

std::vector<base::Date> ImportStore::lineDates(std::string_view regName) {
    try {
        SQLite::Statement& st = *st_->lineDates;
        st.reset();
        st.bind(1, std::string(regName));
        std::vector<base::Date> out;
        while (st.executeStep()) {
            const SQLite::Column col = st.getColumn(0);
            if (col.isNull()) {
                continue;
            }
            std::optional<base::Date> d;
            if (col.isText()) {
                d = quickIso(col.getText(), col.getBytes());
            }
            if (!d) {
                d = sql::optDate(col);
            }
            if (d) {
                out.push_back(*d);
            }
        }
        st.reset();
        return out;
    } catch (...) {
        rethrowAsError(dogs_.connection());
    }
}

void ImportStore::addRaceLine(const base::RaceLine& l) {
    try {
        SQLite::Statement& st = *st_->addLine;
        st.reset();
        sql::bind(st, 1, l.RegName);
        sql::bind(st, 2, l.RaceDate);
        sql::bind(st, 3, l.RaceNum);
        sql::bind(st, 4, l.Distance);
        sql::bind(st, 5, l.WinningTime);
        sql::bind(st, 6, l.Post);
        sql::bind(st, 7, l.Break);
        sql::bind(st, 8, l.Eighth);
        sql::bind(st, 9, l.Stretch);
        sql::bind(st, 10, l.Finish);
        sql::bind(st, 11, l.FinishLength);
        sql::bind(st, 12, l.FinishTime);
        sql::bind(st, 13, l.Odds);
        sql::bind(st, 14, l.Grade);
        st.exec();
        st.reset();
    } catch (...) {
        rethrowAsError(dogs_.connection());
    }
}

void ImportStore::addToCounters(std::int64_t rowId, int starts, int firsts, int seconds,
                                int thirds) {
    try {
        SQLite::Statement& st = *st_->counters;
        st.reset();
        st.bind(1, starts);
        st.bind(2, firsts);
        st.bind(3, seconds);
        st.bind(4, thirds);
        st.bind(5, rowId);
        st.exec();
        st.reset();
    } catch (...) {
        rethrowAsError(dogs_.connection());
    }
}

void ImportStore::addRace(const base::Race& r) {
    if (raceFile_ == nullptr) {
        throw Error("This import writes no race file.");
    }
    try {
        SQLite::Statement& st = *st_->addRace;
        st.reset();
        sql::bind(st, 1, r.RaceNum);
        sql::bind(st, 2, r.Distance);
        sql::bind(st, 3, r.Grade);
        sql::bind(st, 4, r.RaceDate);
        st.exec();
        st.reset();
    } catch (...) {
        rethrowAsError(raceFile_->connection());
    }
}

void ImportStore::addPost(const base::Post& p) {
    if (raceFile_ == nullptr) {
        throw Error("This import writes no race file.");
    }
    try {
        SQLite::Statement& st = *st_->addPost;
        st.reset();
        sql::bind(st, 1, p.RaceDate);
        sql::bind(st, 2, p.RaceNum);
        sql::bind(st, 3, p.Post);
        sql::bind(st, 4, p.RegName);
        st.exec();
        st.reset();
    } catch (...) {
        rethrowAsError(raceFile_->connection());
    }
}

void ImportStore::resetAll() {
    for (auto* p : {&st_->findDog, &st_->addDog, &st_->lineDates, &st_->addLine, &st_->counters,
                    &st_->addRace, &st_->addPost}) {
        if (*p) {
            try {
                (*p)->reset();
            } catch (...) {
                // A statement that failed reports its error again on reset; the
                // error was already handled where it happened.
            }
        }
    }
}

}  // namespace vz::store
