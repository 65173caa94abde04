#include "core/store/import_store.h"

#include <string>

#include <SQLiteCpp/Statement.h>

#include "core/base/error.h"
#include "core/store/sql_values.h"
#include "core/store/tables.h"

namespace vz::store {

using table::kMain;
using table::kPosts;
using table::kRaceHistory;
using table::kRaces;

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

// The prepared statement, ready to run again for the dog `regName`.
SQLite::Statement& forDog(SQLite::Statement& st, std::string_view regName) {
    st.reset();
    st.bind(1, std::string(regName));
    return st;
}

// Writes `row` with the prepared INSERT of its table.
template <typename Table, typename Row, typename Refine = AsDatabaseError>
void insert(Connection& db, SQLite::Statement& st, const Table& table, const Row& row,
            Refine refine = {}) {
    guarded(
        db,
        [&] {
            st.reset();
            table::bindRow(st, table, row);
            st.exec();
            st.reset();
        },
        refine);
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
    Connection& db = dogs_.connection();
    guarded(db, [&] {
        st_->findDog = std::make_unique<SQLite::Statement>(
            db, "SELECT rowid FROM Main WHERE RegName = ? ORDER BY rowid LIMIT 1");
        st_->addDog = std::make_unique<SQLite::Statement>(db, table::insertRow(kMain));
        st_->lineDates = std::make_unique<SQLite::Statement>(
            db, "SELECT RaceDate FROM RaceHistory WHERE RegName = ?");
        st_->addLine = std::make_unique<SQLite::Statement>(db, table::insertRow(kRaceHistory));
        st_->counters = std::make_unique<SQLite::Statement>(
            db,
            "UPDATE Main SET NumStarts = coalesce(NumStarts, 0) + ?, "
            "NumFirsts = coalesce(NumFirsts, 0) + ?, NumSeconds = coalesce(NumSeconds, 0) + ?, "
            "NumThirds = coalesce(NumThirds, 0) + ? WHERE rowid = ?");
    });
    if (raceFile_ != nullptr) {
        Connection& rf = raceFile_->connection();
        guarded(rf, [&] {
            st_->addRace = std::make_unique<SQLite::Statement>(rf, table::insertRow(kRaces));
            st_->addPost = std::make_unique<SQLite::Statement>(rf, table::insertRow(kPosts));
        });
    }
}

ImportStore::~ImportStore() = default;

std::optional<std::int64_t> ImportStore::findDog(std::string_view regName) {
    return guarded(dogs_.connection(), [&] {
        SQLite::Statement& st = forDog(*st_->findDog, regName);
        std::optional<std::int64_t> out;
        if (st.executeStep()) {
            out = st.getColumn(0).getInt64();
        }
        st.reset();
        return out;
    });
}

std::int64_t ImportStore::addDog(const base::Dog& dog) {
    Connection& db = dogs_.connection();
    insert(db, *st_->addDog, kMain, dog, table::DogNameTaken{dog.RegName});
    return db.getLastInsertRowid();
}

std::vector<base::Date> ImportStore::lineDates(std::string_view regName) {
    return guarded(dogs_.connection(), [&] {
        SQLite::Statement& st = forDog(*st_->lineDates, regName);
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
    });
}

void ImportStore::addRaceLine(const base::RaceLine& l) {
    insert(dogs_.connection(), *st_->addLine, kRaceHistory, l);
}

void ImportStore::addToCounters(std::int64_t rowId, int starts, int firsts, int seconds,
                                int thirds) {
    guarded(dogs_.connection(), [&] {
        SQLite::Statement& st = *st_->counters;
        st.reset();
        st.bind(1, starts);
        st.bind(2, firsts);
        st.bind(3, seconds);
        st.bind(4, thirds);
        st.bind(5, rowId);
        st.exec();
        st.reset();
    });
}

// The connection is asked for first: without a race file it refuses, and the
// statement it would have prepared is not there to be read.
void ImportStore::addRace(const base::Race& r) {
    Connection& raceFile = raceFileConnection();
    insert(raceFile, *st_->addRace, kRaces, r);
}

void ImportStore::addPost(const base::Post& p) {
    Connection& raceFile = raceFileConnection();
    insert(raceFile, *st_->addPost, kPosts, p);
}

Connection& ImportStore::raceFileConnection() const {
    if (raceFile_ == nullptr) {
        throw Error("This import writes no race file.");
    }
    return raceFile_->connection();
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
