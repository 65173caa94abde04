#pragma once

// The one way an import run fails because of its input: the file is not of
// the chosen type, or is broken beyond the field-by-field tolerance. The user
// always reads the same two lines; `detail()` says what was found, for tests
// and diagnostics.

#include <string>

#include "core/store/error.h"

namespace vz::import {

class ImportFailed : public Error {
  public:
    static constexpr const char* kFirstLine = "Error importing file.";
    static constexpr const char* kSecondLine = "Perhaps you selected the wrong import type?";

    explicit ImportFailed(std::string detail)
        : Error(std::string(kFirstLine) + "\n" + kSecondLine), detail_(std::move(detail)) {}

    const std::string& detail() const noexcept { return detail_; }

  private:
    std::string detail_;
};

}  // namespace vz::import
