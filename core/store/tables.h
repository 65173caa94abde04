#pragma once

// The four data tables, each described once: its name and its columns, each
// column with the record field it holds. The SQL that reads or writes whole
// rows, and the binding and reading of a record's fields, all follow from
// these lists, so a column is added or renamed in one place. Internal to
// core/store.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>

#include "core/base/records.h"
#include "core/store/database.h"
#include "core/store/sql_values.h"

namespace vz::store::table {

// A stored column and the field of `Row` it holds.
template <typename Row, typename Field>
struct Column {
    const char* name;
    Field Row::*field;
};

template <typename Row, typename... Fields>
struct Table {
    const char* name;
    std::tuple<Column<Row, Fields>...> columns;

    static constexpr int kColumnCount = static_cast<int>(sizeof...(Fields));
};

template <typename Row, typename Field>
constexpr Column<Row, Field> column(const char* name, Field Row::*field) {
    return {name, field};
}

template <typename Row, typename... Fields>
constexpr Table<Row, Fields...> describe(const char* name, Column<Row, Fields>... columns) {
    return {name, {columns...}};
}

// `Main` of the dog database: one row a dog.
inline constexpr auto kMain = describe(
    "Main", column("RegName", &base::Dog::RegName),
    column("RunningStyle", &base::Dog::RunningStyle), column("NumStarts", &base::Dog::NumStarts),
    column("NumFirsts", &base::Dog::NumFirsts), column("NumSeconds", &base::Dog::NumSeconds),
    column("NumThirds", &base::Dog::NumThirds), column("Comments", &base::Dog::Comments));

// `RaceHistory` of the dog database: one past race of one dog a row.
inline constexpr auto kRaceHistory = describe(
    "RaceHistory", column("RegName", &base::RaceLine::RegName),
    column("RaceDate", &base::RaceLine::RaceDate), column("RaceNum", &base::RaceLine::RaceNum),
    column("Distance", &base::RaceLine::Distance),
    column("WinningTime", &base::RaceLine::WinningTime), column("Post", &base::RaceLine::Post),
    column("Break", &base::RaceLine::Break), column("Eighth", &base::RaceLine::Eighth),
    column("Stretch", &base::RaceLine::Stretch), column("Finish", &base::RaceLine::Finish),
    column("FinishLength", &base::RaceLine::FinishLength),
    column("FinishTime", &base::RaceLine::FinishTime), column("Odds", &base::RaceLine::Odds),
    column("Grade", &base::RaceLine::Grade));

// `Races` of a race file.
inline constexpr auto kRaces = describe(
    "Races", column("RaceNum", &base::Race::RaceNum), column("Distance", &base::Race::Distance),
    column("Grade", &base::Race::Grade), column("RaceDate", &base::Race::RaceDate));

// `Posts` of a race file: one dog entered in one race a row.
inline constexpr auto kPosts = describe(
    "Posts", column("RaceDate", &base::Post::RaceDate), column("RaceNum", &base::Post::RaceNum),
    column("Post", &base::Post::Post), column("RegName", &base::Post::RegName));

namespace detail {

// Built once a statement, never a row.
std::string selectSql(std::string_view table, std::initializer_list<const char*> columns,
                      std::string_view rest);
std::string insertSql(std::string_view table, std::initializer_list<const char*> columns);
std::string updateSql(std::string_view table, std::initializer_list<const char*> columns);

inline void readInto(const SQLite::Column& c, std::string& v) {
    v = sql::text(c);
}
inline void readInto(const SQLite::Column& c, std::optional<std::string>& v) {
    v = sql::optText(c);
}
inline void readInto(const SQLite::Column& c, std::optional<int>& v) {
    v = sql::optInt(c);
}
inline void readInto(const SQLite::Column& c, std::optional<double>& v) {
    v = sql::optDouble(c);
}
inline void readInto(const SQLite::Column& c, std::optional<base::Date>& v) {
    v = sql::optDate(c);
}

template <typename T, typename Use>
auto withNames(const T& table, Use use) {
    return std::apply([&](const auto&... c) { return use({c.name...}); }, table.columns);
}

}  // namespace detail

// "SELECT rowid, <every column> FROM <table> <rest>"
template <typename T>
std::string selectRows(const T& table, std::string_view rest) {
    return detail::withNames(table, [&](std::initializer_list<const char*> names) {
        return detail::selectSql(table.name, names, rest);
    });
}

// "INSERT INTO <table> (<every column>) VALUES (?, ...)": bind with bindRow().
template <typename T>
std::string insertRow(const T& table) {
    return detail::withNames(table, [&](std::initializer_list<const char*> names) {
        return detail::insertSql(table.name, names);
    });
}

// "UPDATE <table> SET <column> = ?, ... WHERE rowid = ?": bind with
// bindRowAndId().
template <typename T>
std::string updateRow(const T& table) {
    return detail::withNames(table, [&](std::initializer_list<const char*> names) {
        return detail::updateSql(table.name, names);
    });
}

// Deletes the row of `table` whose rowid is `rowId`; returns how many went.
template <typename T>
int deleteById(SQLite::Database& db, const T& table, std::int64_t rowId) {
    SQLite::Statement st(db, std::string("DELETE FROM ") + table.name + " WHERE rowid = ?");
    st.bind(1, rowId);
    return st.exec();
}

// Binds the row's fields to parameters 1 to the number of columns.
template <typename Row, typename... Fields>
void bindRow(SQLite::Statement& st, const Table<Row, Fields...>& table, const Row& row) {
    std::apply(
        [&](const auto&... c) {
            int index = 0;
            (sql::bind(st, ++index, row.*(c.field)), ...);
        },
        table.columns);
}

// As bindRow(), and the row's id to the parameter after them.
template <typename Row, typename... Fields>
void bindRowAndId(SQLite::Statement& st, const Table<Row, Fields...>& table, const Row& row) {
    bindRow(st, table, row);
    st.bind(table.kColumnCount + 1, row.rowId);
}

// Adds `row` as a new row of `table`; returns its rowid.
template <typename Row, typename... Fields>
std::int64_t insertNew(SQLite::Database& db, const Table<Row, Fields...>& table, const Row& row) {
    SQLite::Statement st(db, insertRow(table));
    bindRow(st, table, row);
    st.exec();
    return db.getLastInsertRowid();
}

// Writes every column of the row of `table` whose rowid is `row.rowId`;
// returns how many rows changed.
template <typename Row, typename... Fields>
int updateById(SQLite::Database& db, const Table<Row, Fields...>& table, const Row& row) {
    SQLite::Statement st(db, updateRow(table));
    bindRowAndId(st, table, row);
    return st.exec();
}

// Reads a row from a statement whose columns are, from `first` on, rowid
// and the table's columns as selectRows() names them.
template <typename Row, typename... Fields>
Row readRow(const SQLite::Statement& st, const Table<Row, Fields...>& table, int first = 0) {
    Row row;
    row.rowId = st.getColumn(first).getInt64();
    std::apply(
        [&](const auto&... c) {
            int index = first;
            (detail::readInto(st.getColumn(++index), row.*(c.field)), ...);
        },
        table.columns);
    return row;
}

// Every row the statement gives.
template <typename Row, typename... Fields>
std::vector<Row> readRows(SQLite::Statement& st, const Table<Row, Fields...>& table) {
    std::vector<Row> out;
    while (st.executeStep()) {
        out.push_back(readRow(st, table));
    }
    return out;
}

// Throws unless the file `db` has open holds both tables of `first` and
// `second`; `kind` names what the file should be ("dog database").
void requireTables(Connection& db, const char* kind, const char* first, const char* second);
template <typename T, typename U>
void requireTables(Connection& db, const char* kind, const T& first, const U& second) {
    requireTables(db, kind, first.name, second.name);
}

// The first column of every row of `query` as text (NULL as empty).
std::vector<std::string> texts(SQLite::Database& db, const char* query);

// For a failed write of a dog: a second dog of the same name is refused in
// words of its own (see guarded()).
struct DogNameTaken {
    const std::string& regName;
    void operator()(const SQLite::Exception& failure) const;
};

}  // namespace vz::store::table
