// Renders the dog windows offscreen with sample data. With VZ_SCREENSHOT_DIR
// set the pictures are written there as PNG files (docs/screenshots holds
// them); without it the program checks that each window draws.

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QProgressBar>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <atomic>

#include "core/store/dog_database.h"
#include "docs/screenshots/screenshot.h"
#include "gui/common/messages.h"
#include "gui/vovoziruzu/edit_dogs.h"
#include "gui/vovoziruzu/edit_dogs_model.h"
#include "gui/vovoziruzu/running_style.h"
#include "gui/vovoziruzu/search_dog.h"
#include "gui/vovoziruzu/work_window.h"
#include "tests/support/test_support.h"

using namespace vz;

using vz::test::shoot;

namespace {

const base::Date kToday{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{7}};

void sampleDogs(const base::AppPaths& paths) {
    store::DogDatabase db(paths.dogDatabase());
    const char* names[] = {"Ace Of Spades", "Bashful Bandit", "Cash Money", "Dashing Star",
                           "Eagle Eye",     "Flying Filly",   "Golden Gus"};
    int i = 0;
    for (const char* n : names) {
        base::Dog d;
        d.RegName = n;
        d.RunningStyle = i % 3 == 0 ? "R" : (i % 3 == 1 ? "M" : "W");
        d.NumStarts = 12 + i;
        d.NumFirsts = 3;
        d.NumSeconds = 2;
        d.NumThirds = 1 + i % 2;
        if (i == 3) {
            d.Comments = "Breaks well, likes the rail at the long distance";
        }
        db.addDog(d);
        ++i;
    }
    const struct {
        int month, day, race;
        const char* dist;
        int win, post, brk, eighth, str, fin;
        double length;
        int time;
        double odds;
        const char* grade;
    } lines[] = {
        {11, 28, 4, "S", 3048, 2, 1, 1, 1, 1, 0, 3048, 2.5, "B"},
        {11, 21, 7, "S", 3061, 5, 3, 2, 2, 2, 1.5, 3072, 4.2, "B"},
        {11, 14, 2, "L", 3790, 1, 2, 2, 3, 3, 3.25, 3835, 6.8, "C"},
        {11, 6, 11, "S", 3055, 7, 5, 4, 4, 4, 5, 3125, 9.1, "C"},
        {10, 30, 5, "R", 4402, 3, 1, 1, 1, 1, 0, 4402, 1.9, "C"},
        {10, 22, 9, "S", 3080, 8, 6, 6, 5, 5, 6.75, 3174, 12, "D"},
    };
    for (const auto& l : lines) {
        base::RaceLine r;
        r.RegName = "Dashing Star";
        r.RaceDate = base::Date{std::chrono::year{2026}, std::chrono::month(unsigned(l.month)),
                                std::chrono::day(unsigned(l.day))};
        r.RaceNum = l.race;
        r.Distance = l.dist;
        r.WinningTime = l.win;
        r.Post = l.post;
        r.Break = l.brk;
        r.Eighth = l.eighth;
        r.Stretch = l.str;
        r.Finish = l.fin;
        r.FinishLength = l.length;
        r.FinishTime = l.time;
        r.Odds = l.odds;
        r.Grade = l.grade;
        db.addRaceLine(r);
    }
}

// The counter reset held in the middle of its work, to show the busy state.
class HeldZero : public gui::ZeroCountersWindow {
  public:
    using ZeroCountersWindow::ZeroCountersWindow;
    std::atomic<bool> release{false};

  protected:
    void work(const base::Progress& progress) override {
        progress(40, 100);
        while (!release) {
            QThread::msleep(5);
        }
    }
};

}  // namespace

class DogScreenshots : public QObject {
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

    void dogEditorWithSearch() {
        sampleDogs(paths_);
        QMdiArea area;
        area.resize(900, 600);
        auto* ed = new gui::EditDogs(paths_);
        QMdiSubWindow* sub = area.addSubWindow(ed);
        sub->resize(820, 540);
        sub->move(10, 10);
        area.show();
        ed->moveToDog(*ed->browser().firstMatch("dashing"));
        QCOMPARE(ed->captionLabel()->text(), QStringLiteral(" Greyhound: 4 of 7"));
        QVERIFY(shoot(area, "dog_editor"));

        // The grade picker over its cell.
        ed->grid()->setFocus();
        ed->grid()->setCurrentIndex(ed->lineModel()->index(1, gui::RaceLineModel::Grade));
        ed->grid()->edit(ed->grid()->currentIndex());
        QVERIFY(shoot(area, "dog_editor_grade_picker"));

        gui::SearchDog::setBeepHandler([] {});
        gui::SearchDog search(ed);
        search.show();  // opening hides "Not found."
        QCoreApplication::processEvents();
        search.searchText()->setText("ash");
        search.findFirst();
        search.findNext();
        search.findNext();
        search.findNext();  // past the last match
        QVERIFY(!search.notFoundLabel()->isHidden());
        QVERIFY(shoot(search, "search_dog"));
        gui::SearchDog::setBeepHandler({});
    }

    void emptyDogEditor() {
        gui::EditDogs ed(paths_);
        ed.resize(760, 420);
        QVERIFY(shoot(ed, "dog_editor_empty"));
    }

    void workWindows() {
        base::Settings settings;
        gui::RunningStyleWindow style(paths_, settings, kToday);
        QVERIFY(shoot(style, "running_style"));
        gui::ZeroCountersWindow zero(paths_);
        QVERIFY(shoot(zero, "zero_counters"));
        gui::DeletionWindow raceData(dogs::Deletion::RaceData, paths_, kToday);
        QVERIFY(shoot(raceData, "delete_race_data"));
        gui::DeletionWindow oldDogs(dogs::Deletion::Dogs, paths_, kToday);
        QVERIFY(shoot(oldDogs, "delete_dogs"));
        gui::DeletionWindow results(dogs::Deletion::Results, paths_, kToday);
        QVERIFY(shoot(results, "delete_results"));

        gui::MessageRecorder boxes;
        HeldZero busy(paths_);
        busy.show();
        busy.start();
        QTRY_COMPARE(busy.progressBar()->value(), 40);
        QVERIFY(busy.running());
        QVERIFY(!busy.close());  // the work runs to its end
        QVERIFY(shoot(busy, "zero_counters_working"));
        busy.release = true;
        QTRY_VERIFY(!busy.running());
        QCOMPARE(boxes.lastText(), QStringLiteral("Zeroing complete."));
    }
};

QTEST_MAIN(DogScreenshots)
#include "dog_windows.moc"
