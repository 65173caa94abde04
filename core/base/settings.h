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

// The range of a time factor a style update can make from real lines. A
// factor is the average first-to-third finish time at "S" over that at "L"
// or "R". The imports read a time as two digits of seconds and two of
// hundredths, so no stored time is above 99.99 s, and no greyhound race at
// any distance is run in under 10 s: both averages lie between 10 s and
// 99.99 s, and their ratio between 0.1 and 10. A factor outside is damage
// (or an update over damaged lines), never a track's real ratio.
inline constexpr double kMinTimeFactor = 0.1;
inline constexpr double kMaxTimeFactor = 10.0;
bool plausibleTimeFactor(double factor);

// The settings file and the recent-file list are a line or a few: anything
// larger is not theirs.
inline constexpr std::uintmax_t kMaxSettingsFileBytes = 64 * 1024;

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
// Only a regular file of at most kMaxSettingsFileBytes is read. A time
// factor outside the plausible range (or not a number) would make every time
// at its distance rate as the fastest (or the slowest): it keeps its first
// value (kFirstTimeFactorL, kFirstTimeFactorR).
SettingsRead readSettings(const std::filesystem::path& file, const Settings& previous = {});

// The file's text for these values: one line, CR LF. A missing
// LastStyleUpdate is written as the empty date of the classic runtime,
// #1899-12-30#, which reads back as no date.
std::string settingsText(const Settings& s);

// Reads the values from the file's text, as readSettings does; `file` only
// names the file in the messages.
SettingsRead settingsFromText(const std::string& text, const std::filesystem::path& file,
                              const Settings& previous = {});

// Throws vz::Error naming the file when `s` could not be written to it now
// (a folder not writable, a full disk, a folder in its place); writes
// nothing there.
void checkSettingsWritable(const std::filesystem::path& file, const Settings& s);

// Writes the file whole, through a temporary file and a rename.
void writeSettings(const std::filesystem::path& file, const Settings& s);

}  // namespace vz::base
