#include "core/store/history_scan.h"

#include <SQLiteCpp/Statement.h>

#include "core/base/error.h"
#include "core/store/tables.h"

namespace vz::store {

using table::kRaceHistory;

namespace {

constexpr const char* kWhat = "dog database";

// A dog's lines of one day or before it, as `sql` picks them.
std::vector<base::RaceLine> linesOfDog(const DogDatabase& db, const std::string& sql,
                                       std::string_view regName, base::Date day, int number) {
    return guarded(kWhat, [&] {
        SQLite::Statement st(db.connection(), sql);
        st.bind(1, std::string(regName));
        st.bind(2, base::toIso(day));
        st.bind(3, number);
        return table::readRows(st, kRaceHistory);
    });
}

}  // namespace

long scanLinesByDate(const DogDatabase& db, const std::function<bool(base::RaceLine&)>& visit) {
    return guarded(kWhat, [&] {
        SQLite::Statement st(db.connection(),
                             table::selectRows(kRaceHistory, "ORDER BY RaceDate, rowid"));
        long n = 0;
        while (st.executeStep()) {
            base::RaceLine line = table::readRow(st, kRaceHistory);
            ++n;
            if (!visit(line)) {
                break;
            }
        }
        return n;
    });
}

std::vector<base::RaceLine> raceLinesBefore(const DogDatabase& db, std::string_view regName,
                                            base::Date day, int count) {
    static const std::string sql = table::selectRows(
        kRaceHistory, "WHERE RegName = ? AND RaceDate < ? ORDER BY RaceDate DESC, rowid LIMIT ?");
    return linesOfDog(db, sql, regName, day, count);
}

std::vector<base::RaceLine> raceLinesOfRace(const DogDatabase& db, std::string_view regName,
                                            base::Date day, int raceNum) {
    static const std::string sql = table::selectRows(
        kRaceHistory, "WHERE RegName = ? AND RaceDate = ? AND RaceNum = ? ORDER BY rowid");
    return linesOfDog(db, sql, regName, day, raceNum);
}

}  // namespace vz::store
