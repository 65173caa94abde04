#include "core/store/sql_values.h"

#include <limits>

#include <fmt/format.h>

#include "core/base/error.h"

namespace vz::store::sql {

std::optional<int> optInt(const SQLite::Column& c) {
    if (c.isNull()) {
        return std::nullopt;
    }
    if (c.isFloat()) {
        const double d = c.getDouble();
        if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max())) {
            throw Error(fmt::format("The value {} of {} is out of range.", d, c.getName()),
                        Error::kOverflow);
        }
        return static_cast<int>(d);
    }
    if (c.isText()) {
        // Text in a number column (written by another tool): an empty field
        // is no value, anything else must be a whole number.
        const std::string s = c.getString();
        if (s.find_first_not_of(" \t") == std::string::npos) {
            return std::nullopt;
        }
    }
    const long long v = c.getInt64();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) {
        throw Error(fmt::format("The value {} of {} is out of range.", v, c.getName()),
                    Error::kOverflow);
    }
    return static_cast<int>(v);
}

std::optional<double> optDouble(const SQLite::Column& c) {
    if (c.isNull()) {
        return std::nullopt;
    }
    return c.getDouble();
}

std::optional<std::string> optText(const SQLite::Column& c) {
    if (c.isNull()) {
        return std::nullopt;
    }
    return c.getString();
}

std::optional<base::Date> optDate(const SQLite::Column& c) {
    if (c.isNull()) {
        return std::nullopt;
    }
    const std::string s = c.getString();
    if (auto d = base::fromIso(s)) {
        return d;
    }
    throw Error(fmt::format("The {} value \"{}\" is not a date.", c.getName(), s),
                Error::kTypeMismatch);
}

std::string text(const SQLite::Column& c) {
    return c.isNull() ? std::string() : c.getString();
}

void bind(SQLite::Statement& st, int index, const std::optional<int>& v) {
    if (v) {
        st.bind(index, *v);
    } else {
        st.bind(index);
    }
}

void bind(SQLite::Statement& st, int index, const std::optional<double>& v) {
    if (v) {
        st.bind(index, *v);
    } else {
        st.bind(index);
    }
}

void bind(SQLite::Statement& st, int index, const std::optional<std::string>& v) {
    if (v) {
        st.bind(index, *v);
    } else {
        st.bind(index);
    }
}

void bind(SQLite::Statement& st, int index, const std::optional<base::Date>& v) {
    if (v) {
        st.bind(index, base::toIso(*v));
    } else {
        st.bind(index);
    }
}

void bind(SQLite::Statement& st, int index, const std::string& v) {
    st.bind(index, v);
}

}  // namespace vz::store::sql
