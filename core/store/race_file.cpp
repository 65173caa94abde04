#include "core/store/race_file.h"

#include <SQLiteCpp/Statement.h>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/store/sql_values.h"
#include "core/store/tables.h"

namespace vz::store {

using table::kPosts;
using table::kRaces;

namespace {

constexpr const char* kWhat = "race file";

}  // namespace

RaceFile::RaceFile(const std::filesystem::path& file, OpenMode mode)
    : path_(file), db_(openDatabase(file, kWhat, mode, false)) {
    table::requireTables(*db_, kWhat, kRaces, kPosts);
}

RaceFile::~RaceFile() = default;

void RaceFile::createFromTemplate(const std::filesystem::path& raceTemplate,
                                  const std::filesystem::path& dest) {
    checkDatabaseFile(raceTemplate, "race template");
    base::copyFileReplacing(raceTemplate, dest, kWhat);
}

std::vector<base::Race> RaceFile::races() const {
    return guarded(*db_, [&] {
        SQLite::Statement st(*db_, table::selectRows(kRaces, "ORDER BY RaceDate, RaceNum, rowid"));
        return table::readRows(st, kRaces);
    });
}

std::vector<base::Post> RaceFile::posts(const std::optional<base::Date>& raceDate,
                                        const std::optional<int>& raceNum) const {
    return guarded(*db_, [&] {
        SQLite::Statement st(
            *db_,
            table::selectRows(kPosts, "WHERE RaceDate = ? AND RaceNum = ? ORDER BY Post, rowid"));
        sql::bind(st, 1, raceDate);
        sql::bind(st, 2, raceNum);
        return table::readRows(st, kPosts);
    });
}

std::vector<base::Post> RaceFile::allPosts() const {
    return guarded(*db_, [&] {
        SQLite::Statement st(*db_,
                             table::selectRows(kPosts, "ORDER BY RaceDate, RaceNum, Post, rowid"));
        return table::readRows(st, kPosts);
    });
}

std::int64_t RaceFile::addRace(const base::Race& race) {
    return guarded(*db_, [&] { return table::insertNew(*db_, kRaces, race); });
}

bool RaceFile::updateRace(const base::Race& race) {
    return guarded(*db_, [&] {
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
        table::updateById(*db_, kRaces, race);
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
    });
}

std::int64_t RaceFile::addPost(const base::Post& post) {
    return guarded(*db_, [&] { return table::insertNew(*db_, kPosts, post); });
}

void RaceFile::updatePost(const base::Post& post) {
    guarded(*db_, [&] { table::updateById(*db_, kPosts, post); });
}

void RaceFile::deleteRace(std::int64_t rowId) {
    guarded(*db_, [&] { table::deleteById(*db_, kRaces, rowId); });
}

void RaceFile::deletePost(std::int64_t rowId) {
    guarded(*db_, [&] { table::deleteById(*db_, kPosts, rowId); });
}

}  // namespace vz::store
