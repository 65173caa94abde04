#include "core/store/dog_database.h"

#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include "core/base/error.h"
#include "core/store/sql_values.h"

namespace vz::store {

namespace {

constexpr const char* kWhat = "dog database";

constexpr const char* kDogColumns =
    "rowid, RegName, RunningStyle, NumStarts, NumFirsts, NumSeconds, NumThirds, Comments";

constexpr const char* kLineColumns =
    "rowid, RegName, RaceDate, RaceNum, Distance, WinningTime, Post, Break, Eighth, Stretch, "
    "Finish, FinishLength, FinishTime, Odds, Grade";

// The connection for a write, once it is known to allow one.
Connection& writable(Connection& db) {
    db.requireWritable();
    return db;
}

base::Dog readDog(const SQLite::Statement& st) {
    base::Dog d;
    d.rowId = st.getColumn(0).getInt64();
    d.RegName = sql::text(st.getColumn(1));
    d.RunningStyle = sql::optText(st.getColumn(2));
    d.NumStarts = sql::optInt(st.getColumn(3));
    d.NumFirsts = sql::optInt(st.getColumn(4));
    d.NumSeconds = sql::optInt(st.getColumn(5));
    d.NumThirds = sql::optInt(st.getColumn(6));
    d.Comments = sql::optText(st.getColumn(7));
    return d;
}

void bindDog(SQLite::Statement& st, const base::Dog& d) {
    sql::bind(st, 1, d.RegName);
    sql::bind(st, 2, d.RunningStyle);
    sql::bind(st, 3, d.NumStarts);
    sql::bind(st, 4, d.NumFirsts);
    sql::bind(st, 5, d.NumSeconds);
    sql::bind(st, 6, d.NumThirds);
    sql::bind(st, 7, d.Comments);
}

void bindLine(SQLite::Statement& st, const base::RaceLine& l) {
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
}

}  // namespace

base::RaceLine readRaceLine(const SQLite::Statement& st, int c) {
    base::RaceLine l;
    l.rowId = st.getColumn(c).getInt64();
    l.RegName = sql::text(st.getColumn(c + 1));
    l.RaceDate = sql::optDate(st.getColumn(c + 2));
    l.RaceNum = sql::optInt(st.getColumn(c + 3));
    l.Distance = sql::optText(st.getColumn(c + 4));
    l.WinningTime = sql::optInt(st.getColumn(c + 5));
    l.Post = sql::optInt(st.getColumn(c + 6));
    l.Break = sql::optInt(st.getColumn(c + 7));
    l.Eighth = sql::optInt(st.getColumn(c + 8));
    l.Stretch = sql::optInt(st.getColumn(c + 9));
    l.Finish = sql::optInt(st.getColumn(c + 10));
    l.FinishLength = sql::optDouble(st.getColumn(c + 11));
    l.FinishTime = sql::optInt(st.getColumn(c + 12));
    l.Odds = sql::optDouble(st.getColumn(c + 13));
    l.Grade = sql::optText(st.getColumn(c + 14));
    return l;
}

// Statements used on hot paths (processing reads eight lines for every dog of
// a card; the import looks up every dog it meets) are prepared once.
struct DogDatabase::Cache {
    std::unique_ptr<SQLite::Statement> findDog;
    std::unique_ptr<SQLite::Statement> newestLines;
};

DogDatabase::DogDatabase(const std::filesystem::path& file, OpenMode mode)
    : path_(file), db_(openDatabase(file, kWhat, mode, true)), cache_(std::make_unique<Cache>()) {
    try {
        if (!db_->tableExists("Main") || !db_->tableExists("RaceHistory")) {
            throw Error("The file " + file.string() +
                            " is not a dog database: it has no Main and RaceHistory tables.",
                        Error::kDatabase);
        }
    } catch (...) {
        rethrowAsError(*db_);
    }
}

DogDatabase::~DogDatabase() = default;

std::vector<base::Dog> DogDatabase::dogs() const {
    try {
        SQLite::Statement st(
            *db_, std::string("SELECT ") + kDogColumns + " FROM Main ORDER BY RegName, rowid");
        std::vector<base::Dog> out;
        while (st.executeStep()) {
            out.push_back(readDog(st));
        }
        return out;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::vector<std::string> DogDatabase::dogNames() const {
    try {
        SQLite::Statement st(*db_, "SELECT RegName FROM Main ORDER BY RegName, rowid");
        std::vector<std::string> out;
        while (st.executeStep()) {
            out.push_back(sql::text(st.getColumn(0)));
        }
        return out;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::optional<base::Dog> DogDatabase::findDog(std::string_view regName) const {
    try {
        if (!cache_->findDog) {
            cache_->findDog = std::make_unique<SQLite::Statement>(
                *db_, std::string("SELECT ") + kDogColumns +
                          " FROM Main WHERE RegName = ? ORDER BY RegName, rowid LIMIT 1");
        }
        SQLite::Statement& st = *cache_->findDog;
        st.reset();
        st.bind(1, std::string(regName));
        std::optional<base::Dog> out;
        if (st.executeStep()) {
            out = readDog(st);
        }
        st.reset();
        return out;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::int64_t DogDatabase::dogCount() const {
    try {
        return db_->execAndGet("SELECT count(*) FROM Main").getInt64();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::int64_t DogDatabase::addDog(const base::Dog& dog) {
    try {
        db_->requireWritable();
        SQLite::Statement st(*db_,
                             "INSERT INTO Main (RegName, RunningStyle, NumStarts, NumFirsts, "
                             "NumSeconds, NumThirds, Comments) VALUES (?, ?, ?, ?, ?, ?, ?)");
        bindDog(st, dog);
        st.exec();
        endOfWait();
        return db_->getLastInsertRowid();
    } catch (const SQLite::Exception& e) {
        if (e.getExtendedErrorCode() == SQLITE_CONSTRAINT_UNIQUE) {
            throw Error("A dog named " + dog.RegName + " is already on file.", Error::kDatabase);
        }
        rethrowAsError(*db_);
    }
}

void DogDatabase::updateDog(const base::Dog& dog) {
    try {
        db_->requireWritable();
        SQLite::Statement st(*db_,
                             "UPDATE Main SET RegName = ?, RunningStyle = ?, NumStarts = ?, "
                             "NumFirsts = ?, NumSeconds = ?, NumThirds = ?, Comments = ? "
                             "WHERE rowid = ?");
        bindDog(st, dog);
        st.bind(8, dog.rowId);
        st.exec();
        endOfWait();
    } catch (const SQLite::Exception& e) {
        if (e.getExtendedErrorCode() == SQLITE_CONSTRAINT_UNIQUE) {
            throw Error("A dog named " + dog.RegName + " is already on file.", Error::kDatabase);
        }
        rethrowAsError(*db_);
    }
}

void DogDatabase::deleteDog(std::int64_t rowId) {
    try {
        db_->requireWritable();
        SQLite::Statement st(*db_, "DELETE FROM Main WHERE rowid = ?");
        st.bind(1, rowId);
        st.exec();
        endOfWait();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::vector<base::RaceLine> DogDatabase::raceLines(std::string_view regName) const {
    try {
        SQLite::Statement st(*db_, std::string("SELECT ") + kLineColumns +
                                       " FROM RaceHistory WHERE RegName = ? "
                                       "ORDER BY RaceDate DESC, rowid");
        st.bind(1, std::string(regName));
        std::vector<base::RaceLine> out;
        while (st.executeStep()) {
            out.push_back(readRaceLine(st));
        }
        return out;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::vector<base::RaceLine> DogDatabase::newestRaceLines(std::string_view regName,
                                                         int count) const {
    try {
        if (!cache_->newestLines) {
            cache_->newestLines = std::make_unique<SQLite::Statement>(
                *db_, std::string("SELECT ") + kLineColumns +
                          " FROM RaceHistory WHERE RegName = ? "
                          "ORDER BY RaceDate DESC, rowid LIMIT ?");
        }
        SQLite::Statement& st = *cache_->newestLines;
        st.reset();
        st.bind(1, std::string(regName));
        st.bind(2, count);
        std::vector<base::RaceLine> out;
        out.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
        while (st.executeStep()) {
            out.push_back(readRaceLine(st));
        }
        st.reset();
        return out;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::int64_t DogDatabase::raceLineCount() const {
    try {
        return db_->execAndGet("SELECT count(*) FROM RaceHistory").getInt64();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::int64_t DogDatabase::addRaceLine(const base::RaceLine& line) {
    try {
        db_->requireWritable();
        SQLite::Statement st(*db_,
                             "INSERT INTO RaceHistory (RegName, RaceDate, RaceNum, Distance, "
                             "WinningTime, Post, Break, Eighth, Stretch, Finish, FinishLength, "
                             "FinishTime, Odds, Grade) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                             "?, ?, ?)");
        bindLine(st, line);
        st.exec();
        endOfWait();
        return db_->getLastInsertRowid();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

void DogDatabase::updateRaceLine(const base::RaceLine& line) {
    try {
        db_->requireWritable();
        SQLite::Statement st(*db_,
                             "UPDATE RaceHistory SET RegName = ?, RaceDate = ?, RaceNum = ?, "
                             "Distance = ?, WinningTime = ?, Post = ?, Break = ?, Eighth = ?, "
                             "Stretch = ?, Finish = ?, FinishLength = ?, FinishTime = ?, "
                             "Odds = ?, Grade = ? WHERE rowid = ?");
        bindLine(st, line);
        st.bind(15, line.rowId);
        st.exec();
        endOfWait();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

void DogDatabase::deleteRaceLine(std::int64_t rowId) {
    try {
        db_->requireWritable();
        SQLite::Statement st(*db_, "DELETE FROM RaceHistory WHERE rowid = ?");
        st.bind(1, rowId);
        st.exec();
        endOfWait();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

DogDatabase::Transaction::Transaction(DogDatabase& db) try
    : db_(*db.db_), tx_(writable(*db.db_), SQLite::TransactionBehavior::IMMEDIATE) {
    endOfWait();
} catch (...) {
    rethrowAsError(*db.db_);
}

void DogDatabase::Transaction::commit() {
    try {
        tx_.commit();
    } catch (...) {
        rethrowAsError(db_);
    }
}

}  // namespace vz::store
