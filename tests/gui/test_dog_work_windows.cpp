// The work windows: running-style update, counter reset and the three
// deletions, run for real on the offscreen platform (the work runs on its
// thread; the tests wait for its end).

#include <utime.h>
#include <QCalendarWidget>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <ctime>
#include <filesystem>
#include <thread>

#include "core/base/settings.h"
#include "core/store/dog_database.h"
#include "gui/common/messages.h"
#include "gui/vovoziruzu/running_style.h"
#include "gui/vovoziruzu/work_window.h"
#include "tests/support/test_support.h"

using namespace vz;
using base::Date;
using Deletion = vz::dogs::Deletion;
namespace fs = std::filesystem;

namespace {

const Date kToday{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{7}};

Date days(long n) {
    return base::addDays(kToday, n);
}

base::Dog dog(const std::string& name, int starts) {
    base::Dog d;
    d.RegName = name;
    d.RunningStyle = "M";
    d.NumStarts = starts;
    d.NumFirsts = starts / 2;
    d.NumSeconds = 1;
    d.NumThirds = 1;
    return d;
}

base::RaceLine line(const std::string& name, Date date, int post, int finishTime) {
    base::RaceLine l;
    l.RegName = name;
    l.RaceDate = date;
    l.RaceNum = 1;
    l.Distance = "S";
    l.Post = post;
    l.Finish = 1;
    l.FinishTime = finishTime;
    return l;
}

// Sets a file's last-modified time to a local day and hour.
void touch(const fs::path& file, Date d, int hour, int minute) {
    std::tm tm{};
    tm.tm_year = static_cast<int>(d.year()) - 1900;
    tm.tm_mon = static_cast<int>(static_cast<unsigned>(d.month())) - 1;
    tm.tm_mday = static_cast<int>(static_cast<unsigned>(d.day()));
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    utimbuf times{t, t};
    QVERIFY(::utime(file.c_str(), &times) == 0);
}

// Clicks Start and waits for the work's end; false when it did not run.
bool runToEnd(gui::WorkWindow& w) {
    QSignalSpy spy(&w, &gui::WorkWindow::workFinished);
    w.start();
    if (spy.isEmpty() && !w.running()) {
        return false;
    }
    return spy.wait(60000) || !spy.isEmpty();
}

bool buttonsShown(const gui::WorkWindow& w) {
    return !w.startButton()->isHidden() && !w.cancelButton()->isHidden();
}

}  // namespace

class DogWorkWindowsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<test::TempDir> dir_;
    base::AppPaths paths_;

  private slots:
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        paths_ = test::makeAppFolder(dir_->path());
    }
    void cleanup() { dir_.reset(); }

    void zeroOnAnEmptyDatabaseCompletesAtOnce() {
        gui::MessageRecorder rec;
        gui::ZeroCountersWindow w(paths_);
        QCOMPARE(w.windowTitle(), QStringLiteral("Zero Starts, 1st, 2nd, 3rd"));
        QCOMPARE(w.label()->text(),
                 QStringLiteral("This procedure returns all dog's starts, firsts, seconds and "
                                "thirds to zero."));
        QVERIFY(!w.calendar());
        QCOMPARE(w.startButton()->text(), QStringLiteral("Start"));
        QCOMPARE(w.cancelButton()->text(), QStringLiteral("Cancel"));
        QVERIFY(runToEnd(w));
        QCOMPARE(rec.messages().size(), std::size_t(1));  // no question
        QCOMPARE(rec.lastText(), QStringLiteral("Zeroing complete."));
        QCOMPARE(rec.lastTitle(), QStringLiteral("Complete"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    void zeroSetsEveryCounterOfEveryDog() {
        {
            store::DogDatabase db(paths_.dogDatabase());
            for (int i = 0; i < 250; ++i) {
                db.addDog(dog("Dog " + std::to_string(i), i + 3));
            }
        }
        gui::MessageRecorder rec;
        gui::ZeroCountersWindow w(paths_);
        QVERIFY(runToEnd(w));
        QCOMPARE(w.label()->text(),
                 QStringLiteral("Zeroing all Starts, 1sts, 2nds and 3rds, please wait..."));
        QVERIFY(!w.startButton()->isVisible() && w.cancelButton()->isHidden());
        QCOMPARE(w.progressBar()->value(), 100);
        store::DogDatabase db(paths_.dogDatabase());
        for (const auto& d : db.dogs()) {
            QCOMPARE(d.NumStarts.value_or(-1) + d.NumFirsts.value_or(-1) +
                         d.NumSeconds.value_or(-1) + d.NumThirds.value_or(-1),
                     0);
            QCOMPARE(d.RunningStyle.value(), std::string("M"));
        }
    }

    void deletionWindowsShowTheirTextsAndDefaultDates() {
        struct Case {
            Deletion kind;
            const char* name;
            const char* caption;
            const char* prompt;
            long defaultDays;
        };
        const Case cases[] = {
            {Deletion::RaceData, "DeleteRaceData", "Delete Old Race Data",
             "Delete dogs' race data for races before:", -365},
            {Deletion::Dogs, "DeleteDogs", "Delete Old Dogs",
             "Delete dogs that have not raced since:", -365},
            {Deletion::Results, "DeleteRacesResults", "Delete Old Results and Race Files",
             "Delete results and race files prior to:", -90},
        };
        for (const auto& c : cases) {
            gui::DeletionWindow w(c.kind, paths_, kToday);
            QCOMPARE(w.objectName(), QString::fromLatin1(c.name));
            QCOMPARE(w.windowTitle(), QString::fromLatin1(c.caption));
            QCOMPARE(w.label()->text(), QString::fromUtf8(c.prompt));
            QVERIFY(w.calendar());
            QVERIFY(w.chosenDate() == days(c.defaultDays));
        }
    }

    // The date at the threshold runs without a question; a day later asks,
    // and No leaves the window open with nothing done.
    void deletionsAskOnlyForRecentDatesAndNoKeepsTheWindowOpen() {
        struct Case {
            Deletion kind;
            long thresholdDays;
            const char* question;  // for the day after the threshold
        };
        const Case cases[] = {
            {Deletion::RaceData, -90,
             "Are you sure you want to delete all race data before 9/9/2026?"},
            {Deletion::Dogs, -90,
             "Are you sure you want to delete all dogs that have not raced since 9/9/2026?"},
            {Deletion::Results, -7,
             "Are you sure you want to delete all results and race files prior to 12/1/2026?"},
        };
        for (const auto& c : cases) {
            {
                store::DogDatabase db(paths_.dogDatabase());
                db.addDog(dog("Keeper", 1));
                db.addRaceLine(line("Keeper", days(-200), 2, 3000));
            }
            const fs::path result = paths_.resultsDir() / "Old - Results.txt";
            test::writeText(result, "x");
            touch(result, days(-200), 12, 0);

            gui::MessageRecorder rec;
            gui::DeletionWindow asks(c.kind, paths_, kToday);
            asks.setChosenDate(days(c.thresholdDays + 1));
            rec.answer(QMessageBox::No);
            QVERIFY(!runToEnd(asks));
            QCOMPARE(rec.messages().size(), std::size_t(1));
            QCOMPARE(rec.lastText(), QString::fromUtf8(c.question));
            QCOMPARE(rec.lastTitle(), QStringLiteral("Confirm"));
            QVERIFY(buttonsShown(asks));
            QCOMPARE(asks.result(), 0);  // still open
            QVERIFY(fs::exists(result));
            {
                store::DogDatabase db(paths_.dogDatabase());
                QCOMPARE(db.dogCount(), 1);
                QCOMPARE(db.raceLineCount(), 1);
            }

            rec.clear();
            gui::DeletionWindow quiet(c.kind, paths_, kToday);
            quiet.setChosenDate(days(c.thresholdDays));
            QVERIFY(runToEnd(quiet));
            QCOMPARE(rec.messages().size(), std::size_t(1));
            QCOMPARE(rec.lastTitle(), QStringLiteral("Complete"));
            QVERIFY(rec.lastText().startsWith(QStringLiteral("Finished deleting ")));
            QCOMPARE(quiet.result(), int(QDialog::Accepted));

            // And now each deletion has done its own part only.
            store::DogDatabase db(paths_.dogDatabase());
            QCOMPARE(db.dogCount(), c.kind == Deletion::Dogs ? 0 : 1);
            QCOMPARE(db.raceLineCount(), c.kind == Deletion::RaceData ? 0 : 1);
            QCOMPARE(fs::exists(result), c.kind != Deletion::Results);
            if (db.findDog("Keeper")) {
                db.deleteDog(db.findDog("Keeper")->rowId);
            }
            db.connection().exec("DELETE FROM RaceHistory");
        }
    }

    void deleteRaceDataKeepsLinesOfTheChosenDay() {
        {
            store::DogDatabase db(paths_.dogDatabase());
            db.addDog(dog("Alpha", 3));
            db.addRaceLine(line("Alpha", days(-366), 1, 3000));
            db.addRaceLine(line("Alpha", days(-365), 2, 3000));
            db.addRaceLine(line("Alpha", days(-10), 3, 3000));
            db.addRaceLine(line("Nobody", days(-900), 3, 3000));  // no such dog: not visited
        }
        gui::MessageRecorder rec;
        gui::DeletionWindow w(Deletion::RaceData, paths_, kToday);
        QVERIFY(runToEnd(w));
        QCOMPARE(rec.lastText(), QStringLiteral("Finished deleting race data before 12/7/2025."));
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.raceLines("Alpha").size(), std::size_t(2));
        QCOMPARE(db.raceLines("Nobody").size(), std::size_t(1));
    }

    void deleteDogsRemovesIdleDogsAndKeepsTheirLines() {
        {
            store::DogDatabase db(paths_.dogDatabase());
            db.addDog(dog("NoLines", 0));
            db.addDog(dog("Idle", 2));
            db.addDog(dog("OnTheDay", 2));
            db.addDog(dog("Recent", 2));
            db.addRaceLine(line("Idle", days(-400), 1, 3000));
            db.addRaceLine(line("OnTheDay", days(-500), 1, 3000));
            db.addRaceLine(line("OnTheDay", days(-365), 1, 3000));
            db.addRaceLine(line("Recent", days(-2), 1, 3000));
        }
        gui::MessageRecorder rec;
        gui::DeletionWindow w(Deletion::Dogs, paths_, kToday);
        QVERIFY(runToEnd(w));
        QCOMPARE(rec.lastText(),
                 QStringLiteral("Finished deleting dogs that have not raced since 12/7/2025."));
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.dogNames(), (std::vector<std::string>{"OnTheDay", "Recent"}));
        QCOMPARE(db.raceLines("Idle").size(), std::size_t(1));
    }

    void deleteResultsKeepsFilesOfTheChosenDayAndSubfolders() {
        const fs::path dirResults = paths_.resultsDir();
        test::writeText(dirResults / "old.txt", "x");
        test::writeText(dirResults / "sameday.txt", "x");
        fs::create_directories(dirResults / "sub");
        test::writeText(dirResults / "sub" / "deep.txt", "x");
        touch(dirResults / "old.txt", days(-91), 23, 59);
        touch(dirResults / "sameday.txt", days(-90), 0, 1);
        touch(dirResults / "sub" / "deep.txt", days(-400), 12, 0);
        gui::MessageRecorder rec;
        gui::DeletionWindow w(Deletion::Results, paths_, kToday);
        QVERIFY(runToEnd(w));
        QCOMPARE(rec.lastText(),
                 QStringLiteral("Finished deleting results and race files prior to 9/8/2026."));
        QVERIFY(!fs::exists(dirResults / "old.txt"));
        QVERIFY(fs::exists(dirResults / "sameday.txt"));
        QVERIFY(fs::exists(dirResults / "sub" / "deep.txt"));
    }

    void runningStyleUpdateSetsStylesFactorsAndTheSettingsFile() {
        {
            store::DogDatabase db(paths_.dogDatabase());
            db.addDog(dog("Railer", 3));
            db.addDog(dog("Wider", 3));
            db.addRaceLine(line("Railer", days(-5), 1, 3000));
            db.addRaceLine(line("Railer", days(-6), 7, 3100));
            db.addRaceLine(line("Wider", days(-5), 2, 3100));
            db.addRaceLine(line("Wider", days(-6), 8, 3000));
            auto l = line("Wider", days(-7), 8, 3750);
            l.Distance = "L";
            db.addRaceLine(l);
        }
        base::Settings settings;
        settings.MainWidth = 9000;
        settings.TimeFactorL = base::kFirstTimeFactorL;
        settings.TimeFactorR = base::kFirstTimeFactorR;
        settings.LastStyleUpdate = days(-45);
        gui::MessageRecorder rec;
        gui::RunningStyleWindow w(paths_, settings, kToday);
        QCOMPARE(w.windowTitle(), QStringLiteral("Update Running Style"));
        QCOMPARE(w.label()->text(),
                 QStringLiteral("This procedure adjusts all dogs' running style based on previous "
                                "race performances."));
        QVERIFY(runToEnd(w));
        QCOMPARE(rec.messages().size(), std::size_t(1));
        QCOMPARE(rec.lastText(), QStringLiteral("Update Running Style complete."));
        QCOMPARE(rec.lastTitle(), QStringLiteral("Complete"));
        QVERIFY(settings.LastStyleUpdate == kToday);
        QCOMPARE(settings.MainWidth, std::int16_t(9000));
        // Average "S" 3050 over average "L" 3750.
        QCOMPARE(settings.TimeFactorL, 3050.0 / 3750.0);
        QCOMPARE(settings.TimeFactorR, base::kFirstTimeFactorR);
        const auto onDisk = base::readSettings(paths_.settingsFile());
        QVERIFY(!onDisk.error);
        QVERIFY(onDisk.settings == settings);
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Railer")->RunningStyle.value(), std::string("R"));
        QCOMPARE(db.findDog("Wider")->RunningStyle.value(), std::string("W"));
    }

    // A failure is shown as description, one blank and number; the window
    // stays open with Start hidden and the settings unchanged.
    void aFailedRunIsReportedAndTheWindowStaysOpen() {
        test::writeText(paths_.dogDatabase(), "this is not a database at all, just text");
        base::Settings settings;
        settings.LastStyleUpdate = days(-45);
        const base::Settings before = settings;
        gui::MessageRecorder rec;
        gui::RunningStyleWindow style(paths_, settings, kToday);
        QSignalSpy spy(&style, &gui::WorkWindow::workFinished);
        style.start();
        QVERIFY(spy.wait(60000));
        QCOMPARE(spy.front().front().toBool(), false);
        QCOMPARE(rec.messages().size(), std::size_t(1));
        QCOMPARE(rec.lastTitle(), gui::kAppTitle);
        QVERIFY(!rec.lastText().contains(QStringLiteral(" - ")));
        QVERIFY(rec.lastText().endsWith(QStringLiteral(" 3000")) ||
                rec.lastText().endsWith(QStringLiteral(" 0")));
        QVERIFY(settings == before);
        QVERIFY(style.startButton()->isHidden());
        QVERIFY(!style.cancelButton()->isHidden());
        // The status line no longer says to wait.
        QVERIFY(!style.label()->text().contains(QStringLiteral("please wait")));
        QVERIFY(style.label()->text().startsWith(QStringLiteral("The work stopped")));
        QCOMPARE(style.result(), 0);
        QVERIFY(!fs::exists(paths_.settingsFile()));

        rec.clear();
        gui::ZeroCountersWindow zero(paths_);
        QVERIFY(runToEnd(zero));
        QCOMPARE(rec.lastTitle(), gui::kAppTitle);
        QCOMPARE(zero.result(), 0);
    }

    // Another program is writing the dog database: the window says that it
    // waits for it, then does its work once the other program is done.
    void zeroShowsThatItWaitsForAnotherProgram() {
        {
            store::DogDatabase db(paths_.dogDatabase());
            db.addDog(dog("Alpha", 3));
        }
        const store::BusyWait saved = store::busyWait();
        store::setBusyWait({std::chrono::seconds(30), std::chrono::milliseconds(50)});
        std::atomic<bool> holding{false};
        std::atomic<bool> release{false};
        std::thread other([&] {
            store::DogDatabase db(paths_.dogDatabase());
            store::DogDatabase::Transaction tx(db);
            db.addDog(dog("Imported", 1));
            holding = true;
            while (!release) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            tx.commit();
        });
        const auto done = qScopeGuard([&] {
            release = true;
            other.join();
            store::setBusyWait(saved);
        });
        while (!holding) {
            std::this_thread::yield();
        }
        gui::MessageRecorder rec;
        gui::ZeroCountersWindow w(paths_);
        QSignalSpy spy(&w, &gui::WorkWindow::workFinished);
        w.start();
        QTRY_VERIFY(w.label()->text().startsWith(
            QStringLiteral("Waiting for another program to finish writing the dog database... ")));
        release = true;
        QVERIFY(spy.wait(60000));
        QCOMPARE(spy.front().front().toBool(), true);
        QCOMPARE(w.label()->text(),
                 QStringLiteral("Zeroing all Starts, 1sts, 2nds and 3rds, please wait..."));
        QCOMPARE(rec.lastText(), QStringLiteral("Zeroing complete."));
        store::DogDatabase db(paths_.dogDatabase(), store::OpenMode::ReadOnly);
        QCOMPARE(db.findDog("Alpha")->NumStarts.value(), 0);
        QCOMPARE(db.findDog("Imported")->NumStarts.value(), 0);
    }

    // What must happen before the work (closing the dog editor) may refuse:
    // then nothing runs and the window stays as it was.
    void aRefusedStartRunsNothing() {
        {
            store::DogDatabase db(paths_.dogDatabase());
            db.addDog(dog("Alpha", 3));
        }
        gui::MessageRecorder rec;
        gui::ZeroCountersWindow w(paths_);
        int asked = 0;
        w.setBeforeWork([&asked] {
            ++asked;
            return false;
        });
        w.start();
        QCOMPARE(asked, 1);
        QVERIFY(!w.running());
        QVERIFY(buttonsShown(w));
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Alpha")->NumStarts.value(), 3);
    }

    void cancelClosesWithoutWork() {
        {
            store::DogDatabase db(paths_.dogDatabase());
            db.addDog(dog("Alpha", 3));
        }
        gui::MessageRecorder rec;
        gui::ZeroCountersWindow w(paths_);
        w.show();
        QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(rec.messages().empty());
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Alpha")->NumStarts.value(), 3);
    }
};

QTEST_MAIN(DogWorkWindowsTest)
#include "test_dog_work_windows.moc"
