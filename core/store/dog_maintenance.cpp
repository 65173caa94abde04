#include "core/store/dog_maintenance.h"

#include <limits>
#include <string>

#include <SQLiteCpp/Statement.h>
#include <fmt/format.h>
#include <sqlite3.h>

#include "core/base/error.h"
#include "core/base/vb.h"
#include "core/store/sql_values.h"

namespace vz::store {

namespace {

// The scan reads two million rows: the columns are read straight from the
// prepared statement, and only the odd value (a number stored as text or
// with a fraction) goes the general way.

std::optional<std::string_view> optView(sqlite3_stmt* st, int i) {
    if (sqlite3_column_type(st, i) == SQLITE_NULL) {
        return std::nullopt;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
}

// As sql::optInt: a fraction is cut off, blank text is no value, other text
// is read as SQLite reads it, and a value beyond 32 bits is an error.
std::optional<int> optInt(sqlite3_stmt* st, int i) {
    const int type = sqlite3_column_type(st, i);
    if (type == SQLITE_NULL) {
        return std::nullopt;
    }
    double v = 0;
    if (type == SQLITE_FLOAT) {
        v = sqlite3_column_double(st, i);
    } else {
        if (type == SQLITE_TEXT) {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            const std::string_view s(p, static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
            if (s.find_first_not_of(" \t") == std::string_view::npos) {
                return std::nullopt;
            }
        }
        v = static_cast<double>(sqlite3_column_int64(st, i));
    }
    if (!(v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())) {
        throw Error(
            fmt::format("The value {} of {} is out of range.", v, sqlite3_column_name(st, i)),
            Error::kOverflow);
    }
    return static_cast<int>(v);
}

// A prepared statement used through the C interface, for the scan.
class RawStatement {
  public:
    RawStatement(const Connection& db, const char* sqlText) : conn_(db), db_(db.getHandle()) {
        if (sqlite3_prepare_v2(db_, sqlText, -1, &st_, nullptr) != SQLITE_OK) {
            fail();
        }
    }
    ~RawStatement() { sqlite3_finalize(st_); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    sqlite3_stmt* get() const { return st_; }
    bool step() {
        const int rc = sqlite3_step(st_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc != SQLITE_DONE) {
            fail();
        }
        return false;
    }

  private:
    [[noreturn]] void fail() {
        throw databaseError(sqlite3_errcode(db_), sqlite3_extended_errcode(db_),
                            sqlite3_system_errno(db_), sqlite3_errmsg(db_), conn_.what(),
                            conn_.file());
    }
    const Connection& conn_;
    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
};

std::optional<double> optNumber(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
        case SQLITE_NULL:
            return std::nullopt;
        case SQLITE_INTEGER:
            return static_cast<double>(sqlite3_column_int64(st, i));
        case SQLITE_FLOAT:
            return sqlite3_column_double(st, i);
        default:
            break;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    const std::string_view s(p, static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
    if (s.find_first_not_of(" \t") == std::string_view::npos) {
        return std::nullopt;
    }
    return base::val(s);
}

}  // namespace

long scanDogsWithLines(const DogDatabase& db, const std::function<void(const DogLineRow&)>& row) {
    return guarded(db.connection(), [&] {
        // The join follows the name index of Main and, per dog, the
        // (RegName, RaceDate) index of RaceHistory, so the scan needs no sort
        // over all lines.
        RawStatement st(db.connection(),
                        "SELECT m.rowid, m.RegName, m.RunningStyle, h.rowid, h.Post, "
                        "h.Distance, h.Finish, h.FinishTime "
                        "FROM Main AS m LEFT JOIN RaceHistory AS h ON h.RegName = m.RegName "
                        "ORDER BY m.RegName, m.rowid, h.RaceDate DESC, h.rowid");
        long n = 0;
        DogLineRow r;
        sqlite3_stmt* raw = st.get();
        while (st.step()) {
            r.dogRowId = sqlite3_column_int64(raw, 0);
            r.RegName = optView(raw, 1).value_or(std::string_view());
            r.RunningStyle = optView(raw, 2);
            r.hasLine = sqlite3_column_type(raw, 3) != SQLITE_NULL;
            r.Post = optInt(raw, 4);
            r.Distance = optView(raw, 5);
            r.Finish = optInt(raw, 6);
            r.FinishTime = optNumber(raw, 7);
            row(r);
            ++n;
        }
        return n;
    });
}

void setRunningStyles(DogDatabase& db,
                      const std::vector<std::pair<std::int64_t, std::string>>& styles) {
    guarded(db.connection(), [&] {
        SQLite::Statement st(db.connection(), "UPDATE Main SET RunningStyle = ? WHERE rowid = ?");
        for (const auto& [rowId, style] : styles) {
            st.bind(1, style);
            st.bind(2, rowId);
            st.exec();
            st.reset();
        }
    });
}

long zeroDogCounters(DogDatabase& db) {
    return guarded(db.connection(), [&] {
        SQLite::Statement st(db.connection(),
                             "UPDATE Main SET NumStarts = 0, NumFirsts = 0, NumSeconds = 0, "
                             "NumThirds = 0");
        return st.exec();
    });
}

long deleteRaceLinesBefore(DogDatabase& db, base::Date before) {
    return guarded(db.connection(), [&] {
        SQLite::Statement st(db.connection(),
                             "DELETE FROM RaceHistory WHERE RaceDate < ? AND EXISTS "
                             "(SELECT 1 FROM Main AS m WHERE m.RegName = RaceHistory.RegName)");
        st.bind(1, base::toIso(before));
        return st.exec();
    });
}

long deleteDogsNotRacedSince(DogDatabase& db, base::Date since) {
    return guarded(db.connection(), [&] {
        // A dog whose lines all lack a date has a newest line without a date,
        // which is not "before" anything: it stays.
        SQLite::Statement st(db.connection(),
                             "DELETE FROM Main WHERE rowid IN (SELECT m.rowid FROM Main AS m "
                             "LEFT JOIN RaceHistory AS h ON h.RegName = m.RegName "
                             "GROUP BY m.rowid "
                             "HAVING count(h.rowid) = 0 OR max(h.RaceDate) < ?)");
        st.bind(1, base::toIso(since));
        return st.exec();
    });
}

}  // namespace vz::store
