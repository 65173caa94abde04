#include "core/store/settings.h"

#include <limits>

#include "core/store/fileio.h"
#include "core/store/seqfile.h"
#include "core/store/vb.h"

namespace vz::store {

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

SettingsRead readSettings(const std::filesystem::path& file, const Settings& previous) {
    SettingsRead out{previous, std::nullopt};
    std::string text;
    try {
        text = readFile(file);
    } catch (const Error& e) {
        out.error = e;
        return out;
    }
    SeqReader in(text);
    Settings& s = out.settings;
    try {
        s.MainLeft = in.readInt16();
        s.MainTop = in.readInt16();
        s.MainWidth = in.readInt16();
        s.MainHeight = in.readInt16();
        s.MainWindowState = in.readInt16();
        s.FreshSettings = in.readInt16();
        s.TimeFactorL = in.readNumber();
        s.TimeFactorR = in.readNumber();
        s.LastStyleUpdate = in.readDate();
    } catch (const Error& e) {
        out.error = e;
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
        .num(s.TimeFactorR);
    if (s.LastStyleUpdate) {
        w.date(*s.LastStyleUpdate);
    } else {
        // An unset date is written as the classic runtime wrote an empty
        // date value, which reads back as a fault and so as "no date".
        w.str("");
    }
    w.endLine();
    return w.text();
}

void writeSettings(const std::filesystem::path& file, const Settings& s) {
    writeFileAtomic(file, settingsText(s));
}

}  // namespace vz::store
