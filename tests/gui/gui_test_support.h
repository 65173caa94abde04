#pragma once

// Helpers of the main program's widget tests: a fresh application folder, a
// main window started on it with a fixed date, and race files with content.

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <memory>

#include "core/base/dates.h"
#include "core/base/settings.h"
#include "core/store/race_file.h"
#include "gui/common/qt_setup.h"
#include "gui/vovoziruzu/main_window.h"
#include "gui/vovoziruzu/race_editor.h"
#include "tests/support/test_support.h"

namespace vz::test {

inline const base::Date kToday = ymd(2026, 12, 7);

inline base::Date addDays(base::Date d, long n) {
    return base::addDays(d, n);
}

// Closes the windows a test left behind (viewers, help windows, dialogs).
inline void deleteTopLevelWidgets() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        w->deleteLater();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// An application folder with the shipped files, help page and licence.
struct AppFixture {
    TempDir dir;
    base::AppPaths paths = makeAppFolder(dir.path());

    AppFixture() {
        std::filesystem::copy_file(sourceDir() / "data" / "help.htm", paths.helpPage());
        std::filesystem::copy_file(sourceDir() / "data" / "License.rtf", paths.licenseFile());
    }

    // A settings file whose last style update was `daysAgo` days before
    // today, the window placed at `left`, `top` (twips).
    void writeSettingsDaysAgo(long daysAgo, std::int16_t left = 150, std::int16_t top = 150) const {
        base::Settings s;
        s.MainLeft = left;
        s.MainTop = top;
        s.MainWidth = 9000;
        s.MainHeight = 7500;
        s.TimeFactorL = base::kFirstTimeFactorL;
        s.TimeFactorR = base::kFirstTimeFactorR;
        s.LastStyleUpdate = base::addDays(kToday, -daysAgo);
        base::writeSettings(paths.settingsFile(), s);
    }

    std::unique_ptr<gui::MainWindow> startMain() const {
        gui::MainWindow::Options options;
        options.today = kToday;
        options.screen = store::ScreenSize{1024 * 15, 768 * 15};
        auto w = std::make_unique<gui::MainWindow>(paths, options);
        w->quitOnExit = false;
        w->start();
        return w;
    }

    // A race file in the data folder.
    QString raceFile(const std::string& name) const {
        const auto p = paths.dataDir() / name;
        makeRaceFile(p);
        return gui::qpath(p);
    }
};

inline QAction* action(QWidget& w, const char* name) {
    return w.findChild<QAction*>(QString::fromLatin1(name));
}

inline void addRace(const QString& file, base::Date date, int num,
                    std::initializer_list<std::pair<int, const char*>> posts = {}) {
    store::RaceFile rf(gui::fspath(file));
    base::Race r;
    r.RaceDate = date;
    r.RaceNum = num;
    r.Distance = "S";
    r.Grade = "B";
    rf.addRace(r);
    for (const auto& [post, name] : posts) {
        base::Post p;
        p.RaceDate = date;
        p.RaceNum = num;
        p.Post = post;
        p.RegName = name;
        rf.addPost(p);
    }
}

}  // namespace vz::test
