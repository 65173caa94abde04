#include "core/store/dog_database.h"

#include <SQLiteCpp/Statement.h>

#include "core/base/error.h"
#include "core/store/sql_values.h"
#include "core/store/tables.h"

namespace vz::store {

using table::kMain;
using table::kRaceHistory;

namespace {

constexpr const char* kWhat = "dog database";

// Runs one change of the database.
template <typename Change, typename Refine = AsDatabaseError>
auto change(Connection& db, Change&& work, Refine refine = {}) {
    return guarded(
        db,
        [&] {
            db.requireWritable();
            auto result = work();
            endOfWait();
            return result;
        },
        refine);
}

}  // namespace

// Statements used on hot paths (processing reads eight lines for every dog of
// a card; the import looks up every dog it meets) are prepared once.
struct DogDatabase::Cache {
    std::unique_ptr<SQLite::Statement> findDog;
    std::unique_ptr<SQLite::Statement> newestLines;
};

DogDatabase::DogDatabase(const std::filesystem::path& file, OpenMode mode)
    : path_(file), db_(openDatabase(file, kWhat, mode, true)), cache_(std::make_unique<Cache>()) {
    table::requireTables(*db_, kWhat, kMain, kRaceHistory);
}

DogDatabase::~DogDatabase() = default;

std::vector<base::Dog> DogDatabase::dogs() const {
    return guarded(*db_, [&] {
        SQLite::Statement st(*db_, table::selectRows(kMain, "ORDER BY RegName, rowid"));
        return table::readRows(st, kMain);
    });
}

std::vector<std::string> DogDatabase::dogNames() const {
    return guarded(*db_, [&] {
        return table::texts(*db_, "SELECT RegName FROM Main ORDER BY RegName, rowid");
    });
}

std::optional<base::Dog> DogDatabase::findDog(std::string_view regName) const {
    return guarded(*db_, [&] {
        if (!cache_->findDog) {
            cache_->findDog = std::make_unique<SQLite::Statement>(
                *db_,
                table::selectRows(kMain, "WHERE RegName = ? ORDER BY RegName, rowid LIMIT 1"));
        }
        SQLite::Statement& st = *cache_->findDog;
        st.reset();
        st.bind(1, std::string(regName));
        std::optional<base::Dog> out;
        if (st.executeStep()) {
            out = table::readRow(st, kMain);
        }
        st.reset();
        return out;
    });
}

std::int64_t DogDatabase::dogCount() const {
    return guarded(*db_, [&] { return db_->execAndGet("SELECT count(*) FROM Main").getInt64(); });
}

std::int64_t DogDatabase::addDog(const base::Dog& dog) {
    return change(
        *db_, [&] { return table::insertNew(*db_, kMain, dog); }, table::DogNameTaken{dog.RegName});
}

void DogDatabase::updateDog(const base::Dog& dog) {
    change(
        *db_, [&] { return table::updateById(*db_, kMain, dog); },
        table::DogNameTaken{dog.RegName});
}

void DogDatabase::deleteDog(std::int64_t rowId) {
    change(*db_, [&] { return table::deleteById(*db_, kMain, rowId); });
}

std::vector<base::RaceLine> DogDatabase::raceLines(std::string_view regName) const {
    return guarded(*db_, [&] {
        SQLite::Statement st(*db_, table::selectRows(kRaceHistory,
                                                     "WHERE RegName = ? "
                                                     "ORDER BY RaceDate DESC, rowid"));
        st.bind(1, std::string(regName));
        return table::readRows(st, kRaceHistory);
    });
}

std::vector<base::RaceLine> DogDatabase::newestRaceLines(std::string_view regName,
                                                         int count) const {
    return guarded(*db_, [&] {
        if (!cache_->newestLines) {
            cache_->newestLines = std::make_unique<SQLite::Statement>(
                *db_, table::selectRows(kRaceHistory,
                                        "WHERE RegName = ? "
                                        "ORDER BY RaceDate DESC, rowid LIMIT ?"));
        }
        SQLite::Statement& st = *cache_->newestLines;
        st.reset();
        st.bind(1, std::string(regName));
        st.bind(2, count);
        std::vector<base::RaceLine> out;
        out.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
        while (st.executeStep()) {
            out.push_back(table::readRow(st, kRaceHistory));
        }
        st.reset();
        return out;
    });
}

std::int64_t DogDatabase::raceLineCount() const {
    return guarded(*db_,
                   [&] { return db_->execAndGet("SELECT count(*) FROM RaceHistory").getInt64(); });
}

std::int64_t DogDatabase::addRaceLine(const base::RaceLine& line) {
    return change(*db_, [&] { return table::insertNew(*db_, kRaceHistory, line); });
}

void DogDatabase::updateRaceLine(const base::RaceLine& line) {
    change(*db_, [&] { return table::updateById(*db_, kRaceHistory, line); });
}

void DogDatabase::deleteRaceLine(std::int64_t rowId) {
    change(*db_, [&] { return table::deleteById(*db_, kRaceHistory, rowId); });
}

}  // namespace vz::store
