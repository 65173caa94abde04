#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/base/dates.h"
#include "core/base/error.h"

namespace vz::base {

// The nine values of `Vovoziruzu.ini`, in file order.
struct Settings {
    std::int16_t MainLeft = 0;  // twips
    std::int16_t MainTop = 0;
    std::int16_t MainWidth = 0;
    std::int16_t MainHeight = 0;
    std::int16_t MainWindowState = 0;  // 2 maximised, else 0
    std::int16_t FreshSettings = 0;    // 1 in a new file, 0 after an exit
    double TimeFactorL = 0.0;
    double TimeFactorR = 0.0;
    std::optional<Date> LastStyleUpdate;

    bool operator==(const Settings&) const = default;
};

inline constexpr double kFirstTimeFactorL = 0.8191767;
inline constexpr double kFirstTimeFactorR = 0.8;

struct FirstSettings {
    Settings settings;
    // Set when the screen is so large that its size does not fit the file's
    // 16-bit values; that value is then 0.
    std::optional<Error> error;
};

// The values of a newly created file for a screen of the given size in twips.
FirstSettings firstSettings(long screenWidthTwips, long screenHeightTwips, Date today);

struct SettingsRead {
    Settings settings;
    // Every fault, each naming the file: first a value that could not be
    // read (the values read before it are kept, the others keep what
    // `previous` held), then each time factor that was refused.
    std::vector<Error> errors;
    // The first of them.
    std::optional<Error> error;
};

// Reads the file positionally. A missing file is reported as an error too.
// A time factor that is not a finite number above 0 would make every time at
// its distance rate as the fastest (or the slowest): it keeps its first value
// (kFirstTimeFactorL, kFirstTimeFactorR).
SettingsRead readSettings(const std::filesystem::path& file, const Settings& previous = {});

// The file's text for these values: one line, CR LF. A missing
// LastStyleUpdate is written as the empty date of the classic runtime,
// #1899-12-30#, which reads back as no date.
std::string settingsText(const Settings& s);

// Writes the file whole, through a temporary file and a rename.
void writeSettings(const std::filesystem::path& file, const Settings& s);

}  // namespace vz::base
