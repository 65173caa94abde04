#include "core/store/lookup_database.h"

#include <SQLiteCpp/Statement.h>

#include "core/base/error.h"
#include "core/store/sql_values.h"
#include "core/store/tables.h"

namespace vz::store {

namespace {

constexpr const char* kWhat = "lookup database";

std::vector<base::LookupCode> readCodes(SQLite::Database& db, const char* query) {
    SQLite::Statement st(db, query);
    std::vector<base::LookupCode> out;
    while (st.executeStep()) {
        out.push_back(base::LookupCode{sql::text(st.getColumn(0)), sql::optInt(st.getColumn(1))});
    }
    return out;
}

}  // namespace

LookupDatabase::LookupDatabase(const std::filesystem::path& file)
    : db_(openDatabase(file, kWhat, OpenMode::ReadOnly, false)) {}

LookupDatabase::~LookupDatabase() = default;

std::vector<base::LookupCode> LookupDatabase::grades() const {
    return guarded(*db_, [&] {
        return readCodes(*db_, "SELECT Grade, OrderNum FROM Grades ORDER BY OrderNum, rowid");
    });
}

std::vector<base::LookupCode> LookupDatabase::distances() const {
    return guarded(*db_, [&] {
        return readCodes(*db_, "SELECT Distance, OrderNum FROM Length ORDER BY OrderNum, rowid");
    });
}

std::vector<std::string> LookupDatabase::styles() const {
    return guarded(*db_, [&] {
        return table::texts(*db_, "SELECT RunningStyle FROM Style ORDER BY RunningStyle");
    });
}

}  // namespace vz::store
