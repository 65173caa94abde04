#pragma once

// Conversions between the row values and SQLite columns and parameters.
// Internal to core/store.

#include <optional>
#include <string>

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include "core/base/dates.h"

namespace vz::store::sql {

std::optional<int> optInt(const SQLite::Column& c);
std::optional<double> optDouble(const SQLite::Column& c);
std::optional<std::string> optText(const SQLite::Column& c);
std::optional<base::Date> optDate(const SQLite::Column& c);
std::string text(const SQLite::Column& c);

void bind(SQLite::Statement& st, int index, const std::optional<int>& v);
void bind(SQLite::Statement& st, int index, const std::optional<double>& v);
void bind(SQLite::Statement& st, int index, const std::optional<std::string>& v);
void bind(SQLite::Statement& st, int index, const std::optional<base::Date>& v);
void bind(SQLite::Statement& st, int index, const std::string& v);

}  // namespace vz::store::sql
