#include "core/store/dog_maintenance.h"

#include <string>

#include <SQLiteCpp/Statement.h>

#include "core/store/error.h"
#include "core/store/sql_values.h"
#include "core/store/vb.h"

namespace vz::store {

namespace {

constexpr const char* kWhat = "dog database";

std::optional<std::string_view> optView(const SQLite::Column& c) {
    if (c.isNull()) {
        return std::nullopt;
    }
    const char* p = c.getText();
    return std::string_view(p, static_cast<std::size_t>(c.getBytes()));
}

std::optional<double> optNumber(const SQLite::Column& c) {
    if (c.isNull()) {
        return std::nullopt;
    }
    if (c.isInteger()) {
        return static_cast<double>(c.getInt64());
    }
    if (c.isFloat()) {
        return c.getDouble();
    }
    const char* p = c.getText();
    const std::string_view s(p, static_cast<std::size_t>(c.getBytes()));
    if (s.find_first_not_of(" \t") == std::string_view::npos) {
        return std::nullopt;
    }
    return val(s);
}

}  // namespace

long scanDogsWithLines(const DogDatabase& db, const std::function<void(const DogLineRow&)>& row) {
    try {
        // The join follows the name index of Main and, per dog, the
        // (RegName, RaceDate) index of RaceHistory, so the scan needs no sort
        // over all lines.
        SQLite::Statement st(db.connection(),
                             "SELECT m.rowid, m.RegName, m.RunningStyle, h.rowid, h.Post, "
                             "h.Distance, h.Finish, h.FinishTime "
                             "FROM Main AS m LEFT JOIN RaceHistory AS h ON h.RegName = m.RegName "
                             "ORDER BY m.RegName, m.rowid, h.RaceDate DESC, h.rowid");
        long n = 0;
        DogLineRow r;
        while (st.executeStep()) {
            r.dogRowId = st.getColumn(0).getInt64();
            const SQLite::Column name = st.getColumn(1);
            r.RegName = name.isNull() ? std::string_view()
                                      : std::string_view(name.getText(),
                                                         static_cast<std::size_t>(name.getBytes()));
            r.RunningStyle = optView(st.getColumn(2));
            r.hasLine = !st.getColumn(3).isNull();
            r.Post = sql::optInt(st.getColumn(4));
            r.Distance = optView(st.getColumn(5));
            r.Finish = sql::optInt(st.getColumn(6));
            r.FinishTime = optNumber(st.getColumn(7));
            row(r);
            ++n;
        }
        return n;
    } catch (...) {
        rethrowAsError(kWhat);
    }
}

void setRunningStyles(DogDatabase& db,
                      const std::vector<std::pair<std::int64_t, std::string>>& styles) {
    try {
        SQLite::Statement st(db.connection(), "UPDATE Main SET RunningStyle = ? WHERE rowid = ?");
        for (const auto& [rowId, style] : styles) {
            st.bind(1, style);
            st.bind(2, rowId);
            st.exec();
            st.reset();
        }
    } catch (...) {
        rethrowAsError(kWhat);
    }
}

long zeroDogCounters(DogDatabase& db) {
    try {
        SQLite::Statement st(db.connection(),
                             "UPDATE Main SET NumStarts = 0, NumFirsts = 0, NumSeconds = 0, "
                             "NumThirds = 0");
        return st.exec();
    } catch (...) {
        rethrowAsError(kWhat);
    }
}

long deleteRaceLinesBefore(DogDatabase& db, Date before) {
    try {
        SQLite::Statement st(db.connection(),
                             "DELETE FROM RaceHistory WHERE RaceDate < ? AND EXISTS "
                             "(SELECT 1 FROM Main AS m WHERE m.RegName = RaceHistory.RegName)");
        st.bind(1, toIso(before));
        return st.exec();
    } catch (...) {
        rethrowAsError(kWhat);
    }
}

long deleteDogsNotRacedSince(DogDatabase& db, Date since) {
    try {
        // A dog whose lines all lack a date has a newest line without a date,
        // which is not "before" anything: it stays.
        SQLite::Statement st(db.connection(),
                             "DELETE FROM Main WHERE rowid IN (SELECT m.rowid FROM Main AS m "
                             "LEFT JOIN RaceHistory AS h ON h.RegName = m.RegName "
                             "GROUP BY m.rowid "
                             "HAVING count(h.rowid) = 0 OR max(h.RaceDate) < ?)");
        st.bind(1, toIso(since));
        return st.exec();
    } catch (...) {
        rethrowAsError(kWhat);
    }
}

}  // namespace vz::store
