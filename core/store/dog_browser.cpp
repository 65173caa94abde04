#include "core/store/dog_browser.h"

#include <SQLiteCpp/Statement.h>

#include "core/store/sql_values.h"
#include "core/store/tables.h"

namespace vz::store {

using table::kMain;

namespace {

// The ends of the statements that read one dog.
constexpr const char* kAsc = " ORDER BY RegName, rowid LIMIT 1";
constexpr const char* kDesc = " ORDER BY RegName DESC, rowid DESC LIMIT 1";
constexpr const char* kLike = " RegName LIKE ? ESCAPE '\\'";

// "SELECT <the dog's columns> FROM Main <parts...>"
template <typename... Parts>
std::string dogWhere(const Parts&... parts) {
    std::string rest;
    ((rest += parts), ...);
    return table::selectRows(kMain, rest);
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
          first(db, dogWhere(kAsc)),
          last(db, dogWhere(kDesc)),
          atAsc(db, dogWhere(kAsc, " OFFSET ?")),
          atDesc(db, dogWhere(kDesc, " OFFSET ?")),
          byRowId(db, dogWhere("WHERE rowid = ?")),
          key(db, "SELECT RegName IS NULL, RegName FROM Main WHERE rowid = ?"),
          nextNamed(db, dogWhere("WHERE (RegName, rowid) > (?, ?)", kAsc)),
          nextFromNull(
              db, dogWhere("WHERE (RegName IS NULL AND rowid > ?) OR RegName IS NOT NULL", kAsc)),
          previousNamed(db, dogWhere("WHERE (RegName, rowid) < (?, ?)", kDesc)),
          lastNull(db, dogWhere("WHERE RegName IS NULL ORDER BY rowid DESC LIMIT 1")),
          previousFromNull(
              db, dogWhere("WHERE RegName IS NULL AND rowid < ? ORDER BY rowid DESC LIMIT 1")),
          firstMatch(db, dogWhere("WHERE", kLike, kAsc)),
          nextMatch(db, dogWhere("WHERE (RegName, rowid) > (?, ?) AND", kLike, kAsc)),
          previousMatch(db, dogWhere("WHERE (RegName, rowid) < (?, ?) AND", kLike, kDesc)) {}

    SQLite::Statement count, countNull, countBeforeNamed, countBeforeNull;
    SQLite::Statement first, last, atAsc, atDesc, byRowId, key;
    SQLite::Statement nextNamed, nextFromNull, previousNamed, lastNull, previousFromNull;
    SQLite::Statement firstMatch, nextMatch, previousMatch;
};

namespace {

// A statement left mid-way by a failure is reset before its next use.
SQLite::Statement& fresh(SQLite::Statement& st) {
    st.tryReset();
    return st;
}

// Runs a prepared statement (parameters already bound) for at most one dog
// and leaves it ready for the next use.
std::optional<base::Dog> oneDog(SQLite::Statement& st) {
    std::optional<base::Dog> out;
    if (st.executeStep()) {
        out = table::readRow(st, kMain);
    }
    st.reset();
    st.clearBindings();
    return out;
}

// A statement whose first two parameters are a named dog's key (RegName,
// rowid), bound.
template <typename Key>
SQLite::Statement& afterKey(SQLite::Statement& st, const Key& k) {
    fresh(st).bind(1, *k.name);
    st.bind(2, k.rowId);
    return st;
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
    guarded(db_.connection(), [&] { st_ = std::make_unique<Statements>(db_.connection()); });
}

DogBrowser::~DogBrowser() = default;

std::int64_t DogBrowser::count() const {
    return guarded(db_.connection(), [&] { return oneCount(st_->count); });
}

std::optional<base::Dog> DogBrowser::first() const {
    return guarded(db_.connection(), [&] { return oneDog(fresh(st_->first)); });
}

std::optional<base::Dog> DogBrowser::last() const {
    return guarded(db_.connection(), [&] { return oneDog(fresh(st_->last)); });
}

std::optional<base::Dog> DogBrowser::at(std::int64_t position) const {
    return guarded(db_.connection(), [&]() -> std::optional<base::Dog> {
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
    });
}

std::optional<base::Dog> DogBrowser::byRowId(std::int64_t rowId) const {
    return guarded(db_.connection(), [&] {
        fresh(st_->byRowId).bind(1, rowId);
        return oneDog(st_->byRowId);
    });
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
    return guarded(db_.connection(), [&]() -> std::optional<base::Dog> {
        const auto k = keyOf(rowId);
        if (!k) {
            return std::nullopt;
        }
        if (k->name) {
            return oneDog(afterKey(st_->nextNamed, *k));
        }
        fresh(st_->nextFromNull).bind(1, k->rowId);
        return oneDog(st_->nextFromNull);
    });
}

std::optional<base::Dog> DogBrowser::previous(std::int64_t rowId) const {
    return guarded(db_.connection(), [&]() -> std::optional<base::Dog> {
        const auto k = keyOf(rowId);
        if (!k) {
            return std::nullopt;
        }
        if (k->name) {
            if (auto d = oneDog(afterKey(st_->previousNamed, *k))) {
                return d;
            }
            // Before the first named dog come the unnamed ones.
            return oneDog(fresh(st_->lastNull));
        }
        fresh(st_->previousFromNull).bind(1, k->rowId);
        return oneDog(st_->previousFromNull);
    });
}

std::optional<std::int64_t> DogBrowser::positionOf(std::int64_t rowId) const {
    return guarded(db_.connection(), [&]() -> std::optional<std::int64_t> {
        const auto k = keyOf(rowId);
        if (!k) {
            return std::nullopt;
        }
        if (k->name) {
            const std::int64_t unnamed = oneCount(st_->countNull);
            return unnamed + oneCount(afterKey(st_->countBeforeNamed, *k));
        }
        fresh(st_->countBeforeNull).bind(1, k->rowId);
        return oneCount(st_->countBeforeNull);
    });
}

std::optional<base::Dog> DogBrowser::firstMatch(std::string_view text) const {
    return guarded(db_.connection(), [&]() -> std::optional<base::Dog> {
        fresh(st_->firstMatch).bind(1, containsPattern(text));
        return oneDog(st_->firstMatch);
    });
}

std::optional<base::Dog> DogBrowser::nextMatch(std::int64_t rowId, std::string_view text) const {
    return guarded(db_.connection(), [&]() -> std::optional<base::Dog> {
        const auto k = keyOf(rowId);
        if (!k) {
            return std::nullopt;
        }
        if (!k->name) {
            // An unnamed dog matches nothing and every named dog follows it.
            return firstMatch(text);
        }
        afterKey(st_->nextMatch, *k).bind(3, containsPattern(text));
        return oneDog(st_->nextMatch);
    });
}

std::optional<base::Dog> DogBrowser::previousMatch(std::int64_t rowId,
                                                   std::string_view text) const {
    return guarded(db_.connection(), [&]() -> std::optional<base::Dog> {
        const auto k = keyOf(rowId);
        if (!k || !k->name) {
            return std::nullopt;
        }
        afterKey(st_->previousMatch, *k).bind(3, containsPattern(text));
        return oneDog(st_->previousMatch);
    });
}

}  // namespace vz::store
