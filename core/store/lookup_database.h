#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/store/database.h"

namespace vz::store {

// The lookup database `Static.mdb`: the valid grades, distances and running
// styles for the pickers. Opened read-only: nothing writes it.
class LookupDatabase {
  public:
    explicit LookupDatabase(const std::filesystem::path& file);
    ~LookupDatabase();

    std::vector<base::LookupCode> grades() const;     // by OrderNum
    std::vector<base::LookupCode> distances() const;  // by OrderNum
    std::vector<std::string> styles() const;          // by RunningStyle

  private:
    std::unique_ptr<Connection> db_;
};

}  // namespace vz::store
