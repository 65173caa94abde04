#include "core/store/race_file.h"

#include <SQLiteCpp/Statement.h>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/store/sql_values.h"

namespace vz::store {

namespace {

constexpr const char* kWhat = "race file";

base::Race readRace(const SQLite::Statement& st) {
    base::Race r;
    r.rowId = st.getColumn(0).getInt64();
    r.RaceNum = sql::optInt(st.getColumn(1));
    r.Distance = sql::optText(st.getColumn(2));
    r.Grade = sql::optText(st.getColumn(3));
    r.RaceDate = sql::optDate(st.getColumn(4));
    return r;
}

base::Post readPost(const SQLite::Statement& st) {
    base::Post p;
    p.rowId = st.getColumn(0).getInt64();
    p.RaceDate = sql::optDate(st.getColumn(1));
    p.RaceNum = sql::optInt(st.getColumn(2));
    p.Post = sql::optInt(st.getColumn(3));
    p.RegName = sql::optText(st.getColumn(4));
    return p;
}

void bindRace(SQLite::Statement& st, const base::Race& r) {
    sql::bind(st, 1, r.RaceNum);
    sql::bind(st, 2, r.Distance);
    sql::bind(st, 3, r.Grade);
    sql::bind(st, 4, r.RaceDate);
}

void bindPost(SQLite::Statement& st, const base::Post& p) {
    sql::bind(st, 1, p.RaceDate);
    sql::bind(st, 2, p.RaceNum);
    sql::bind(st, 3, p.Post);
    sql::bind(st, 4, p.RegName);
}

}  // namespace

RaceFile::RaceFile(const std::filesystem::path& file, OpenMode mode)
    : path_(file), db_(openDatabase(file, kWhat, mode, false)) {
    try {
        if (!db_->tableExists("Races") || !db_->tableExists("Posts")) {
            throw Error("The file " + file.string() +
                            " is not a race file: it has no Races and Posts tables.",
                        Error::kDatabase);
        }
    } catch (...) {
        rethrowAsError(*db_);
    }
}

RaceFile::~RaceFile() = default;

void RaceFile::createFromTemplate(const std::filesystem::path& raceTemplate,
                                  const std::filesystem::path& dest) {
    checkDatabaseFile(raceTemplate, "race template");
    base::copyFileReplacing(raceTemplate, dest, kWhat);
}

std::vector<base::Race> RaceFile::races() const {
    try {
        SQLite::Statement st(*db_,
                             "SELECT rowid, RaceNum, Distance, Grade, RaceDate FROM Races "
                             "ORDER BY RaceDate, RaceNum, rowid");
        std::vector<base::Race> out;
        while (st.executeStep()) {
            out.push_back(readRace(st));
        }
        return out;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::vector<base::Post> RaceFile::posts(const std::optional<base::Date>& raceDate,
                                        const std::optional<int>& raceNum) const {
    try {
        SQLite::Statement st(*db_,
                             "SELECT rowid, RaceDate, RaceNum, Post, RegName FROM Posts "
                             "WHERE RaceDate = ? AND RaceNum = ? ORDER BY Post, rowid");
        sql::bind(st, 1, raceDate);
        sql::bind(st, 2, raceNum);
        std::vector<base::Post> out;
        while (st.executeStep()) {
            out.push_back(readPost(st));
        }
        return out;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::vector<base::Post> RaceFile::allPosts() const {
    try {
        SQLite::Statement st(*db_,
                             "SELECT rowid, RaceDate, RaceNum, Post, RegName FROM Posts "
                             "ORDER BY RaceDate, RaceNum, Post, rowid");
        std::vector<base::Post> out;
        while (st.executeStep()) {
            out.push_back(readPost(st));
        }
        return out;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::int64_t RaceFile::addRace(const base::Race& race) {
    try {
        SQLite::Statement st(
            *db_, "INSERT INTO Races (RaceNum, Distance, Grade, RaceDate) VALUES (?, ?, ?, ?)");
        bindRace(st, race);
        st.exec();
        return db_->getLastInsertRowid();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

bool RaceFile::updateRace(const base::Race& race) {
    try {
        SQLite::Transaction tx(*db_, SQLite::TransactionBehavior::IMMEDIATE);
        std::optional<base::Date> oldDate;
        std::optional<int> oldNum;
        {
            SQLite::Statement st(*db_, "SELECT RaceDate, RaceNum FROM Races WHERE rowid = ?");
            st.bind(1, race.rowId);
            if (st.executeStep()) {
                oldDate = sql::optDate(st.getColumn(0));
                oldNum = sql::optInt(st.getColumn(1));
            }
        }
        // Races (and their posts) with this date and number, this one left out.
        auto othersWith = [&](const std::optional<base::Date>& date,
                              const std::optional<int>& num) {
            SQLite::Statement st(*db_,
                                 "SELECT COUNT(*) FROM Races WHERE RaceDate = ? AND RaceNum = ? "
                                 "AND rowid <> ?");
            sql::bind(st, 1, date);
            sql::bind(st, 2, num);
            st.bind(3, race.rowId);
            st.executeStep();
            return st.getColumn(0).getInt64();
        };
        const bool keyChanged = oldDate != race.RaceDate || oldNum != race.RaceNum;
        if (keyChanged && othersWith(race.RaceDate, race.RaceNum) > 0) {
            return false;
        }
        {
            SQLite::Statement st(
                *db_,
                "UPDATE Races SET RaceNum = ?, Distance = ?, Grade = ?, RaceDate = ? "
                "WHERE rowid = ?");
            bindRace(st, race);
            st.bind(5, race.rowId);
            st.exec();
        }
        if (keyChanged && othersWith(oldDate, oldNum) == 0) {
            SQLite::Statement st(*db_,
                                 "UPDATE Posts SET RaceDate = ?, RaceNum = ? "
                                 "WHERE RaceDate = ? AND RaceNum = ?");
            sql::bind(st, 1, race.RaceDate);
            sql::bind(st, 2, race.RaceNum);
            sql::bind(st, 3, oldDate);
            sql::bind(st, 4, oldNum);
            st.exec();
        }
        tx.commit();
        return true;
    } catch (...) {
        rethrowAsError(*db_);
    }
}

void RaceFile::deleteRace(std::int64_t rowId) {
    try {
        SQLite::Statement st(*db_, "DELETE FROM Races WHERE rowid = ?");
        st.bind(1, rowId);
        st.exec();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

std::int64_t RaceFile::addPost(const base::Post& post) {
    try {
        SQLite::Statement st(
            *db_, "INSERT INTO Posts (RaceDate, RaceNum, Post, RegName) VALUES (?, ?, ?, ?)");
        bindPost(st, post);
        st.exec();
        return db_->getLastInsertRowid();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

void RaceFile::updatePost(const base::Post& post) {
    try {
        SQLite::Statement st(*db_,
                             "UPDATE Posts SET RaceDate = ?, RaceNum = ?, Post = ?, RegName = ? "
                             "WHERE rowid = ?");
        bindPost(st, post);
        st.bind(5, post.rowId);
        st.exec();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

void RaceFile::deletePost(std::int64_t rowId) {
    try {
        SQLite::Statement st(*db_, "DELETE FROM Posts WHERE rowid = ?");
        st.bind(1, rowId);
        st.exec();
    } catch (...) {
        rethrowAsError(*db_);
    }
}

RaceFile::Transaction::Transaction(RaceFile& file) try
    : db_(*file.db_), tx_(*file.db_, SQLite::TransactionBehavior::IMMEDIATE) {
    endOfWait();
} catch (...) {
    rethrowAsError(*file.db_);
}

void RaceFile::Transaction::commit() {
    try {
        tx_.commit();
    } catch (...) {
        rethrowAsError(db_);
    }
}

}  // namespace vz::store
