#include "core/store/history_scan.h"

#include <SQLiteCpp/Statement.h>

#include "core/base/error.h"

namespace vz::store {

namespace {

constexpr const char* kWhat = "dog database";

constexpr const char* kLineColumns =
    "rowid, RegName, RaceDate, RaceNum, Distance, WinningTime, Post, Break, Eighth, Stretch, "
    "Finish, FinishLength, FinishTime, Odds, Grade";

std::vector<base::RaceLine> readAll(SQLite::Statement& st) {
    std::vector<base::RaceLine> out;
    while (st.executeStep()) {
        out.push_back(readRaceLine(st));
    }
    return out;
}

}  // namespace

long scanLinesByDate(const DogDatabase& db, const std::function<bool(base::RaceLine&)>& visit) {
    try {
        SQLite::Statement st(db.connection(), std::string("SELECT ") + kLineColumns +
                                                  " FROM RaceHistory ORDER BY RaceDate, rowid");
        long n = 0;
        while (st.executeStep()) {
            base::RaceLine line = readRaceLine(st);
            ++n;
            if (!visit(line)) {
                break;
            }
        }
        return n;
    } catch (...) {
        rethrowAsError(kWhat);
    }
}

std::vector<base::RaceLine> raceLinesBefore(const DogDatabase& db, std::string_view regName,
                                            base::Date day, int count) {
    try {
        SQLite::Statement st(db.connection(), std::string("SELECT ") + kLineColumns +
                                                  " FROM RaceHistory WHERE RegName = ? AND "
                                                  "RaceDate < ? ORDER BY RaceDate DESC, rowid "
                                                  "LIMIT ?");
        st.bind(1, std::string(regName));
        st.bind(2, base::toIso(day));
        st.bind(3, count);
        return readAll(st);
    } catch (...) {
        rethrowAsError(kWhat);
    }
}

std::vector<base::RaceLine> raceLinesOfRace(const DogDatabase& db, std::string_view regName,
                                            base::Date day, int raceNum) {
    try {
        SQLite::Statement st(db.connection(),
                             std::string("SELECT ") + kLineColumns +
                                 " FROM RaceHistory WHERE RegName = ? AND RaceDate = ? AND "
                                 "RaceNum = ? ORDER BY rowid");
        st.bind(1, std::string(regName));
        st.bind(2, base::toIso(day));
        st.bind(3, raceNum);
        return readAll(st);
    } catch (...) {
        rethrowAsError(kWhat);
    }
}

}  // namespace vz::store
