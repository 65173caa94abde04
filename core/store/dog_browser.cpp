#include "core/store/dog_browser.h"

#include <SQLiteCpp/Statement.h>

#include "core/store/sql_values.h"

namespace vz::store {

namespace {

#define VZ_DOG_COLUMNS                                                                   \
    "SELECT rowid, RegName, RunningStyle, NumStarts, NumFirsts, NumSeconds, NumThirds, " \
    "Comments FROM Main "
#define VZ_ASC " ORDER BY RegName, rowid LIMIT 1"
#define VZ_DESC " ORDER BY RegName DESC, rowid DESC LIMIT 1"
#define VZ_LIKE " RegName LIKE ? ESCAPE '\\'"

base::Dog readDog(const SQLite::Statement& st) {
    base::Dog d;
    d.rowId = st.getColumn(0).getInt64();
    d.RegName = sql::text(st.getColumn(1));
    d.RunningStyle = sql::optText(st.getColumn(2));
    d.NumStarts = sql::optInt(st.getColumn(3));
    d.NumFirsts = sql::optInt(st.getColumn(4));
    d.NumSeconds = sql::optInt(st.getColumn(5));
    d.NumThirds = sql::optInt(st.getColumn(6));
    d.Comments = sql::optText(st.getColumn(7));
    return d;
}

// A LIKE pattern that finds `text` anywhere, every character literal.
std::string containsPattern(std::string_view text) {
    std::string p = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') {
            p += '\\';
        }
        p += c;
    }
    p += '%';
    return p;
}

}  // namespace

struct DogBrowser::Key {
    std::optional<std::string> name;  // none: the stored name is NULL
    std::int64_t rowId = 0;
};

// Prepared once per browser: every move of the editor runs one or two.
struct DogBrowser::Statements {
    explicit Statements(SQLite::Database& db)
        : count(db, "SELECT count(*) FROM Main"),
          countNull(db, "SELECT count(*) FROM Main WHERE RegName IS NULL"),
          countBeforeNamed(db, "SELECT count(*) FROM Main WHERE (RegName, rowid) < (?, ?)"),
          countBeforeNull(db, "SELECT count(*) FROM Main WHERE RegName IS NULL AND rowid < ?"),
          first(db, VZ_DOG_COLUMNS VZ_ASC),
          last(db, VZ_DOG_COLUMNS VZ_DESC),
          atAsc(db, VZ_DOG_COLUMNS VZ_ASC " OFFSET ?"),
          atDesc(db, VZ_DOG_COLUMNS VZ_DESC " OFFSET ?"),
          byRowId(db, VZ_DOG_COLUMNS "WHERE rowid = ?"),
          key(db, "SELECT RegName IS NULL, RegName FROM Main WHERE rowid = ?"),
          nextNamed(db, VZ_DOG_COLUMNS "WHERE (RegName, rowid) > (?, ?)" VZ_ASC),
          nextFromNull(db, VZ_DOG_COLUMNS
                       "WHERE (RegName IS NULL AND rowid > ?) OR RegName IS NOT NULL" VZ_ASC),
          previousNamed(db, VZ_DOG_COLUMNS "WHERE (RegName, rowid) < (?, ?)" VZ_DESC),
          lastNull(db, VZ_DOG_COLUMNS "WHERE RegName IS NULL ORDER BY rowid DESC LIMIT 1"),
          previousFromNull(
              db, VZ_DOG_COLUMNS "WHERE RegName IS NULL AND rowid < ? ORDER BY rowid DESC LIMIT 1"),
          firstMatch(db, VZ_DOG_COLUMNS "WHERE" VZ_LIKE VZ_ASC),
          nextMatch(db, VZ_DOG_COLUMNS "WHERE (RegName, rowid) > (?, ?) AND" VZ_LIKE VZ_ASC),
          previousMatch(db, VZ_DOG_COLUMNS "WHERE (RegName, rowid) < (?, ?) AND" VZ_LIKE VZ_DESC) {}

    SQLite::Statement count, countNull, countBeforeNamed, countBeforeNull;
    SQLite::Statement first, last, atAsc, atDesc, byRowId, key;
    SQLite::Statement nextNamed, nextFromNull, previousNamed, lastNull, previousFromNull;
    SQLite::Statement firstMatch, nextMatch, previousMatch;
};

#undef VZ_DOG_COLUMNS
#undef VZ_ASC
#undef VZ_DESC
#undef VZ_LIKE

namespace {

// Runs a prepared statement (parameters already bound) for at most one dog
// and leaves it ready for the next use.
// A statement left mid-way by a failure is reset before its next use.
SQLite::Statement& fresh(SQLite::Statement& st) {
    st.tryReset();
    return st;
}

std::optional<base::Dog> oneDog(SQLite::Statement& st) {
    std::optional<base::Dog> out;
    if (st.executeStep()) {
        out = readDog(st);
    }
    st.reset();
    st.clearBindings();
    return out;
}

std::int64_t oneCount(SQLite::Statement& st) {
    fresh(st).executeStep();
    const std::int64_t n = st.getColumn(0).getInt64();
    st.reset();
    st.clearBindings();
    return n;
}

}  // namespace

DogBrowser::DogBrowser(const DogDatabase& db) : db_(db) {
    try {
        st_ = std::make_unique<Statements>(db_.connection());
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

DogBrowser::~DogBrowser() = default;

std::int64_t DogBrowser::count() const {
    try {
        return oneCount(st_->count);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<base::Dog> DogBrowser::first() const {
    try {
        return oneDog(fresh(st_->first));
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<base::Dog> DogBrowser::last() const {
    try {
        return oneDog(fresh(st_->last));
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<base::Dog> DogBrowser::at(std::int64_t position) const {
    try {
        if (position < 0) {
            return std::nullopt;
        }
        const std::int64_t n = oneCount(st_->count);
        if (position >= n) {
            return std::nullopt;
        }
        // An offset costs its length: count from the nearer end.
        if (position <= n / 2) {
            fresh(st_->atAsc).bind(1, position);
            return oneDog(st_->atAsc);
        }
        fresh(st_->atDesc).bind(1, n - 1 - position);
        return oneDog(st_->atDesc);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<base::Dog> DogBrowser::byRowId(std::int64_t rowId) const {
    try {
        fresh(st_->byRowId).bind(1, rowId);
        return oneDog(st_->byRowId);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<DogBrowser::Key> DogBrowser::keyOf(std::int64_t rowId) const {
    SQLite::Statement& st = fresh(st_->key);
    st.bind(1, rowId);
    std::optional<Key> out;
    if (st.executeStep()) {
        Key k;
        k.rowId = rowId;
        if (st.getColumn(0).getInt() == 0) {
            k.name = sql::text(st.getColumn(1));
        }
        out = k;
    }
    st.reset();
    st.clearBindings();
    return out;
}

std::optional<base::Dog> DogBrowser::next(std::int64_t rowId) const {
    try {
        const auto k = keyOf(rowId);
        if (!k) {
            return std::nullopt;
        }
        if (k->name) {
            fresh(st_->nextNamed).bind(1, *k->name);
            st_->nextNamed.bind(2, k->rowId);
            return oneDog(st_->nextNamed);
        }
        fresh(st_->nextFromNull).bind(1, k->rowId);
        return oneDog(st_->nextFromNull);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<base::Dog> DogBrowser::previous(std::int64_t rowId) const {
    try {
        const auto k = keyOf(rowId);
        if (!k) {
            return std::nullopt;
        }
        if (k->name) {
            fresh(st_->previousNamed).bind(1, *k->name);
            st_->previousNamed.bind(2, k->rowId);
            if (auto d = oneDog(st_->previousNamed)) {
                return d;
            }
            // Before the first named dog come the unnamed ones.
            return oneDog(fresh(st_->lastNull));
        }
        fresh(st_->previousFromNull).bind(1, k->rowId);
        return oneDog(st_->previousFromNull);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<std::int64_t> DogBrowser::positionOf(std::int64_t rowId) const {
    try {
        const auto k = keyOf(rowId);
        if (!k) {
            return std::nullopt;
        }
        if (k->name) {
            fresh(st_->countBeforeNamed).bind(1, *k->name);
            st_->countBeforeNamed.bind(2, k->rowId);
            return oneCount(st_->countNull) + oneCount(st_->countBeforeNamed);
        }
        fresh(st_->countBeforeNull).bind(1, k->rowId);
        return oneCount(st_->countBeforeNull);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<base::Dog> DogBrowser::firstMatch(std::string_view text) const {
    try {
        fresh(st_->firstMatch).bind(1, containsPattern(text));
        return oneDog(st_->firstMatch);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<base::Dog> DogBrowser::nextMatch(std::int64_t rowId, std::string_view text) const {
    try {
        const auto k = keyOf(rowId);
        if (!k) {
            return std::nullopt;
        }
        if (!k->name) {
            // An unnamed dog matches nothing and every named dog follows it.
            return firstMatch(text);
        }
        fresh(st_->nextMatch).bind(1, *k->name);
        st_->nextMatch.bind(2, k->rowId);
        st_->nextMatch.bind(3, containsPattern(text));
        return oneDog(st_->nextMatch);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

std::optional<base::Dog> DogBrowser::previousMatch(std::int64_t rowId,
                                                   std::string_view text) const {
    try {
        const auto k = keyOf(rowId);
        if (!k || !k->name) {
            return std::nullopt;
        }
        fresh(st_->previousMatch).bind(1, *k->name);
        st_->previousMatch.bind(2, k->rowId);
        st_->previousMatch.bind(3, containsPattern(text));
        return oneDog(st_->previousMatch);
    } catch (...) {
        rethrowAsError(db_.connection());
    }
}

}  // namespace vz::store
