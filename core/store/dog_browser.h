#pragma once

// Moving through the dogs of `Main` in name order without holding them: the
// dog editor shows one dog of a hundred thousand at a time, so every move is
// one indexed query (keyset from the current dog, or an offset from the
// nearer end for a jump to a position).
//
// The order is RegName (without regard to letter case, as the column
// compares), then rowid; a dog without a stored name sorts first. Dogs are
// addressed by rowid, so a move starts from the dog as it is stored now.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/records.h"
#include "core/store/dog_database.h"

namespace vz::store {

class DogBrowser {
  public:
    explicit DogBrowser(const DogDatabase& db);
    ~DogBrowser();
    DogBrowser(const DogBrowser&) = delete;
    DogBrowser& operator=(const DogBrowser&) = delete;

    std::int64_t count() const;

    std::optional<base::Dog> first() const;
    std::optional<base::Dog> last() const;
    // The dog at a 0-based position; none outside 0 .. count()-1.
    std::optional<base::Dog> at(std::int64_t position) const;
    std::optional<base::Dog> byRowId(std::int64_t rowId) const;

    // The neighbours of a stored dog; none at the ends or when the dog is gone.
    std::optional<base::Dog> next(std::int64_t rowId) const;
    std::optional<base::Dog> previous(std::int64_t rowId) const;

    // 0-based position of a stored dog; none when it is gone.
    std::optional<std::int64_t> positionOf(std::int64_t rowId) const;

    // Dogs whose name contains `text` anywhere, without regard to letter
    // case. The text is taken literally (no pattern characters); an empty
    // text matches every named dog.
    std::optional<base::Dog> firstMatch(std::string_view text) const;
    std::optional<base::Dog> nextMatch(std::int64_t rowId, std::string_view text) const;
    std::optional<base::Dog> previousMatch(std::int64_t rowId, std::string_view text) const;

  private:
    struct Key;
    std::optional<Key> keyOf(std::int64_t rowId) const;

    const DogDatabase& db_;
    struct Statements;
    std::unique_ptr<Statements> st_;
};

}  // namespace vz::store
