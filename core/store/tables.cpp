#include "core/store/tables.h"

#include <fmt/format.h>
#include <sqlite3.h>

#include "core/base/error.h"

namespace vz::store::table::detail {

namespace {

// "a, b, c", or "a = ?, b = ?" with a `suffix` after each name.
std::string joined(std::initializer_list<const char*> columns, std::string_view suffix) {
    std::string out;
    for (const char* c : columns) {
        if (!out.empty()) {
            out += ", ";
        }
        out += c;
        out += suffix;
    }
    return out;
}

}  // namespace

std::string selectSql(std::string_view table, std::initializer_list<const char*> columns,
                      std::string_view rest) {
    std::string sql = "SELECT rowid, " + joined(columns, "") + " FROM ";
    sql += table;
    sql += ' ';
    sql += rest;
    return sql;
}

std::string insertSql(std::string_view table, std::initializer_list<const char*> columns) {
    std::string sql = "INSERT INTO ";
    sql += table;
    sql += " (" + joined(columns, "") + ") VALUES (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += i == 0 ? "?" : ", ?";
    }
    sql += ')';
    return sql;
}

std::string updateSql(std::string_view table, std::initializer_list<const char*> columns) {
    std::string sql = "UPDATE ";
    sql += table;
    sql += " SET " + joined(columns, " = ?") + " WHERE rowid = ?";
    return sql;
}

}  // namespace vz::store::table::detail

namespace vz::store::table {

void requireTables(Connection& db, const char* kind, const char* first, const char* second) {
    guarded(db, [&] {
        if (!db.tableExists(first) || !db.tableExists(second)) {
            throw Error(fmt::format("The file {} is not a {}: it has no {} and {} tables.",
                                    db.file().string(), kind, first, second),
                        Error::kDatabase);
        }
    });
}

std::vector<std::string> texts(SQLite::Database& db, const char* query) {
    SQLite::Statement st(db, query);
    std::vector<std::string> out;
    while (st.executeStep()) {
        out.push_back(sql::text(st.getColumn(0)));
    }
    return out;
}

void DogNameTaken::operator()(const SQLite::Exception& failure) const {
    if (failure.getExtendedErrorCode() == SQLITE_CONSTRAINT_UNIQUE) {
        throw Error("A dog named " + regName + " is already on file.", Error::kDatabase);
    }
}

}  // namespace vz::store::table
