#pragma once

// The one way an import run fails because of its input: the file is not of
// the chosen type, or is broken beyond the field-by-field tolerance. The user
// always reads the same two lines, and below them the cause when the run
// ended on one field of one line; `detail()` says what was found, for tests
// and diagnostics.

#include <string>
#include <vector>

#include "core/base/error.h"

namespace vz::import {

class ImportFailed : public Error {
  public:
    static constexpr const char* kFirstLine = "Error importing file.";
    static constexpr const char* kSecondLine = "Perhaps you selected the wrong import type?";

    explicit ImportFailed(std::string detail, std::string cause = {})
        : Error(joined(cause)), detail_(std::move(detail)), cause_(std::move(cause)) {}

    const std::string& detail() const noexcept { return detail_; }
    // The line and field the run ended on, or empty.
    const std::string& cause() const noexcept { return cause_; }

    // The lines the user reads: the two lines, then the cause if any.
    std::vector<std::string> lines() const {
        std::vector<std::string> out = {kFirstLine, kSecondLine};
        if (!cause_.empty()) {
            out.push_back(cause_);
        }
        return out;
    }

  private:
    static std::string joined(const std::string& cause) {
        std::string text = std::string(kFirstLine) + "\n" + kSecondLine;
        if (!cause.empty()) {
            text += "\n" + cause;
        }
        return text;
    }

    std::string detail_;
    std::string cause_;
};

}  // namespace vz::import
