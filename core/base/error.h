#pragma once

#include <stdexcept>
#include <string>

namespace vz {

// The one error type of the core. Its message is what the user reads; the
// number follows the classic runtime's error numbers where one applies, so
// the windows can show "description - number" as users know it.
class Error : public std::runtime_error {
  public:
    enum Number : int {
        kGeneric = 0,
        kInvalidValue = 5,  // "Invalid procedure call or argument"
        kOverflow = 6,
        kSubscriptOutOfRange = 9,  // a post or race number outside its tables
        kTypeMismatch = 13,
        kBadFileName = 52,
        kFileNotFound = 53,
        kDeviceIO = 57,
        kDiskFull = 61,
        kInputPastEnd = 62,
        kPermissionDenied = 70,
        kPathFileAccess = 75,
        kPathNotFound = 76,
        kInvalidUseOfNull = 94,  // a figure read from a field that holds none
        kNoCurrentRecord = 3021,
        kDatabase = 3000,
        kLocked = 3260,  // another program holds the database
    };

    explicit Error(const std::string& message, int number = kGeneric)
        : std::runtime_error(message), number_(number) {}

    int number() const noexcept { return number_; }

  private:
    int number_;
};

}  // namespace vz
