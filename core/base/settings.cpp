#include "core/base/settings.h"

#include <cerrno>
#include <limits>

#include <fmt/format.h>

#include "core/base/fileio.h"
#include "core/base/seqfile.h"
#include "core/base/vb.h"

namespace vz::base {

namespace {

// The date the classic runtime holds in an empty date value.
constexpr Date kEmptyDate{std::chrono::year{1899}, std::chrono::month{12}, std::chrono::day{30}};

constexpr const char* kValueNames[9] = {"MainLeft",    "MainTop",         "MainWidth",
                                        "MainHeight",  "MainWindowState", "FreshSettings",
                                        "TimeFactorL", "TimeFactorR",     "LastStyleUpdate"};

}  // namespace

FirstSettings firstSettings(long screenWidthTwips, long screenHeightTwips, Date today) {
    FirstSettings out;
    Settings& s = out.settings;
    s.MainLeft = 10;
    s.MainTop = 10;
    try {
        s.MainWidth = toInt16(static_cast<double>(screenWidthTwips - 200));
    } catch (const Error& e) {
        out.error = e;
    }
    try {
        s.MainHeight = toInt16(static_cast<double>(screenHeightTwips - 200));
    } catch (const Error& e) {
        if (!out.error) {
            out.error = e;
        }
    }
    s.MainWindowState = 0;
    s.FreshSettings = 1;
    s.TimeFactorL = kFirstTimeFactorL;
    s.TimeFactorR = kFirstTimeFactorR;
    s.LastStyleUpdate = today;
    return out;
}

bool plausibleTimeFactor(double factor) {
    return factor >= kMinTimeFactor && factor <= kMaxTimeFactor;  // false for NaN
}

SettingsRead readSettings(const std::filesystem::path& file, const Settings& previous) {
    std::string text;
    try {
        text = readRegularFile(file, kMaxSettingsFileBytes, "settings file");
    } catch (const Error& e) {
        SettingsRead out{previous, {e}, e};
        return out;
    }
    return settingsFromText(text, file, previous);
}

SettingsRead settingsFromText(const std::string& text, const std::filesystem::path& file,
                              const Settings& previous) {
    SettingsRead out{previous, {}, std::nullopt};
    SeqReader in(text);
    Settings& s = out.settings;
    int read = 0;  // values read so far
    try {
        s.MainLeft = in.readInt16();
        ++read;
        s.MainTop = in.readInt16();
        ++read;
        s.MainWidth = in.readInt16();
        ++read;
        s.MainHeight = in.readInt16();
        ++read;
        s.MainWindowState = in.readInt16();
        ++read;
        s.FreshSettings = in.readInt16();
        ++read;
        s.TimeFactorL = in.readNumber();
        ++read;
        s.TimeFactorR = in.readNumber();
        ++read;
        const Date d = in.readDate();
        s.LastStyleUpdate = d == kEmptyDate ? std::nullopt : std::optional<Date>(d);
        ++read;
    } catch (const Error& e) {
        out.errors.emplace_back(fmt::format("{} in the settings file {} (value {} of 9, {})",
                                            e.what(), file.string(), read + 1, kValueNames[read]),
                                e.number());
    }

    struct Factor {
        double& value;
        double first;
        int position;  // 0-based
    } factors[] = {{s.TimeFactorL, kFirstTimeFactorL, 6}, {s.TimeFactorR, kFirstTimeFactorR, 7}};
    for (const Factor& f : factors) {
        if (plausibleTimeFactor(f.value)) {
            continue;
        }
        if (read > f.position) {
            out.errors.emplace_back(
                fmt::format("The time factor {} in the settings file {} is {}, not a number from "
                            "{} to {}: its first value {} is used.",
                            kValueNames[f.position], file.string(), f.value, kMinTimeFactor,
                            kMaxTimeFactor, f.first),
                Error::kInvalidValue);
        }
        f.value = f.first;
    }
    if (!out.errors.empty()) {
        out.error = out.errors.front();
    }
    return out;
}

std::string settingsText(const Settings& s) {
    SeqWriter w;
    w.num(static_cast<long long>(s.MainLeft))
        .num(static_cast<long long>(s.MainTop))
        .num(static_cast<long long>(s.MainWidth))
        .num(static_cast<long long>(s.MainHeight))
        .num(static_cast<long long>(s.MainWindowState))
        .num(static_cast<long long>(s.FreshSettings))
        .num(s.TimeFactorL)
        .num(s.TimeFactorR)
        .date(s.LastStyleUpdate.value_or(kEmptyDate))
        .endLine();
    return w.text();
}

void checkSettingsWritable(const std::filesystem::path& file, const Settings& s) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        throw fileError(FileStep::Replace, "settings file", file, EISDIR);
    }
    // A trial copy of the same size beside it, deleted at once.
    const TemporaryFile trial(file, settingsText(s), "settings file");
}

void writeSettings(const std::filesystem::path& file, const Settings& s) {
    writeFileAtomic(file, settingsText(s), "settings file");
}

}  // namespace vz::base
