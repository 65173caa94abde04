// The dog editor, its search window and the dog browser under them, driven on
// the offscreen platform against fresh copies of the shipped databases.

#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "core/base/settings.h"
#include "core/base/window_size.h"
#include "core/store/dog_browser.h"
#include "core/store/dog_database.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/vovoziruzu/edit_dogs.h"
#include "gui/vovoziruzu/edit_dogs_model.h"
#include "gui/vovoziruzu/main_window.h"
#include "gui/vovoziruzu/search_dog.h"
#include "tests/support/test_support.h"

using namespace vz;
using vz::base::Dog;
using vz::base::RaceLine;

namespace {

Dog dog(const std::string& name, int starts = 0) {
    Dog d;
    d.RegName = name;
    d.RunningStyle = "M";
    d.NumStarts = starts;
    d.NumFirsts = 0;
    d.NumSeconds = 0;
    d.NumThirds = 0;
    return d;
}

RaceLine line(const std::string& name, int year, unsigned month, unsigned day, int post) {
    RaceLine l;
    l.RegName = name;
    l.RaceDate = test::ymd(year, month, day);
    l.RaceNum = 3;
    l.Distance = "S";
    l.Post = post;
    l.Finish = 2;
    l.FinishTime = 3045;
    l.Grade = "C";
    return l;
}

void focusOut(QWidget* w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &out);
}

void focusIn(QWidget* w) {
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(w, &in);
}

void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(w, k, m);
}

// The comments box, one line or several.
QWidget* commentsBox(const gui::EditDogs& ed) {
    return ed.findChild<QWidget*>(QStringLiteral("txtFields6"));
}
void setComments(const gui::EditDogs& ed, const QString& text) {
    QWidget* box = commentsBox(ed);
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        plain->setPlainText(text);
    }
}
QString comments(const gui::EditDogs& ed) {
    QWidget* box = commentsBox(ed);
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        return line->text();
    }
    auto* plain = qobject_cast<QPlainTextEdit*>(box);
    return plain ? plain->toPlainText() : QString();
}

// Opens a picker's list with Alt+Down and presses Enter in it.
void enterInTheOpenList(QComboBox* box) {
    QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(box->view()->isVisible());
    QTest::keyClick(box->view(), Qt::Key_Return);
    QTRY_VERIFY(!box->view()->isVisible());
}

std::vector<std::string> names(const store::DogDatabase& db) {
    return db.dogNames();
}

}  // namespace

class DogEditorTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<test::TempDir> dir_;
    base::AppPaths paths_;

    // The shipped empty database with these dogs; each named dog in
    // `withLines` gets two lines.
    void fill(const std::vector<std::string>& dogs,
              const std::vector<std::string>& withLines = {}) {
        store::DogDatabase db(paths_.dogDatabase());
        for (const auto& n : dogs) {
            db.addDog(dog(n));
        }
        for (const auto& n : withLines) {
            db.addRaceLine(line(n, 2026, 11, 1, 2));
            db.addRaceLine(line(n, 2026, 11, 20, 5));
        }
    }

  private slots:
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        paths_ = test::makeAppFolder(dir_->path());
    }
    void cleanup() { dir_.reset(); }

    // --- The browser: order, ends, positions, matches ---------------------

    void browserMovesInNameOrderWithoutRegardToCase() {
        fill({"zeta", "Alpha", "bravo", "Charlie", "delta"});
        store::DogDatabase db(paths_.dogDatabase());
        store::DogBrowser b(db);
        QCOMPARE(b.count(), 5);
        const std::vector<std::string> expected = {"Alpha", "bravo", "Charlie", "delta", "zeta"};
        // Forward by keyset, backward by keyset and by position agree.
        std::vector<std::string> forward;
        for (auto d = b.first(); d; d = b.next(d->rowId)) {
            forward.push_back(d->RegName);
        }
        QCOMPARE(forward, expected);
        std::vector<std::string> backward;
        for (auto d = b.last(); d; d = b.previous(d->rowId)) {
            backward.insert(backward.begin(), d->RegName);
        }
        QCOMPARE(backward, expected);
        for (std::int64_t k = 0; k < 5; ++k) {
            const auto d = b.at(k);
            QVERIFY(d);
            QCOMPARE(d->RegName, expected[static_cast<std::size_t>(k)]);
            QCOMPARE(b.positionOf(d->rowId).value(), k);
        }
        QVERIFY(!b.at(-1));
        QVERIFY(!b.at(5));
        QVERIFY(!b.next(b.last()->rowId));
        QVERIFY(!b.previous(b.first()->rowId));
        QVERIFY(!b.positionOf(999999));
        QVERIFY(!b.next(999999));
    }

    void browserPutsUnnamedDogsFirst() {
        fill({"Bravo", "Alpha"});
        store::DogDatabase db(paths_.dogDatabase());
        db.connection().exec("INSERT INTO Main (RegName) VALUES (NULL)");
        db.connection().exec("INSERT INTO Main (RegName) VALUES (NULL)");
        store::DogBrowser b(db);
        std::vector<std::string> order;
        std::int64_t k = 0;
        for (auto d = b.first(); d; d = b.next(d->rowId), ++k) {
            order.push_back(d->RegName);
            QCOMPARE(b.positionOf(d->rowId).value(), k);
            QCOMPARE(b.at(k)->rowId, d->rowId);
        }
        QCOMPARE(order, (std::vector<std::string>{"", "", "Alpha", "Bravo"}));
        QCOMPARE(b.previous(b.at(2)->rowId)->rowId, b.at(1)->rowId);
        QCOMPARE(b.previous(b.at(1)->rowId)->rowId, b.at(0)->rowId);
        QVERIFY(!b.previous(b.at(0)->rowId));
        // An unnamed dog matches nothing; the next match from it is the first.
        QCOMPARE(b.nextMatch(b.at(0)->rowId, "a")->RegName, std::string("Alpha"));
        QCOMPARE(b.firstMatch("")->RegName, std::string("Alpha"));
    }

    void browserMatchesTextAnywhereLiterally() {
        fill({"Dashing Star", "ASHLEY", "Brash 50%", "Cash_Flow", "Cashflow", "Zed"});
        store::DogDatabase db(paths_.dogDatabase());
        store::DogBrowser b(db);
        struct Case {
            const char* text;
            std::vector<std::string> found;  // in name order
        };
        const Case cases[] = {
            {"ash", {"ASHLEY", "Brash 50%", "Cash_Flow", "Cashflow", "Dashing Star"}},
            {"DASHING", {"Dashing Star"}},
            {"0%", {"Brash 50%"}},
            {"h_f", {"Cash_Flow"}},  // _ is no wildcard
            {"%", {"Brash 50%"}},
            {"*", {}},
            {"qqq", {}},
        };
        for (const auto& c : cases) {
            std::vector<std::string> got;
            for (auto d = b.firstMatch(c.text); d; d = b.nextMatch(d->rowId, c.text)) {
                got.push_back(d->RegName);
            }
            QVERIFY2(got == c.found, c.text);
            std::vector<std::string> back;
            if (!got.empty()) {
                auto lastHit = b.firstMatch(c.text);
                while (auto n = b.nextMatch(lastHit->rowId, c.text)) {
                    lastHit = n;
                }
                for (auto d = lastHit; d; d = b.previousMatch(d->rowId, c.text)) {
                    back.insert(back.begin(), d->RegName);
                }
            }
            QVERIFY2(back == c.found, c.text);
        }
    }

    // --- The editor -----------------------------------------------------------

    void emptyDatabaseShowsNoDogsAndAddDogEnablesTheFields() {
        gui::EditDogs ed(paths_);
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral("No greyhounds on file"));
        QCOMPARE(ed.lineModel()->rowCount(), 0);
        for (QWidget* w : ed.typedFieldWidgets()) {
            QVERIFY(!w->isEnabled());
        }
        QVERIFY(!ed.styleBox()->isEnabled());
        // Moves and line commands do nothing without a dog.
        ed.moveNext();
        ed.movePrevious();
        ed.addRaceLine();
        QCOMPARE(ed.dogCount(), 0);

        ed.addDog();
        for (QWidget* w : ed.typedFieldWidgets()) {
            QVERIFY(w->isEnabled());
        }
        QVERIFY(ed.styleBox()->isEnabled());
        QCOMPARE(ed.nameField()->text(), QStringLiteral(" "));
        QCOMPARE(ed.nameField()->selectedText(), QStringLiteral(" "));
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral(" Greyhound: 1 of 1"));
        // Saved at once, with nothing else filled in.
        store::DogDatabase db(paths_.dogDatabase());
        const auto stored = db.findDog(" ");
        QVERIFY(stored);
        QVERIFY(!stored->RunningStyle && !stored->NumStarts && !stored->Comments);
    }

    void aNewDogNamedOnLeavingTheNameField() {
        fill({"Alpha", "Zulu"});
        gui::EditDogs ed(paths_);
        ed.addDog();
        focusIn(ed.nameField());
        ed.nameField()->setText("Mike");
        focusOut(ed.nameField());
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(names(db), (std::vector<std::string>{"Alpha", "Mike", "Zulu"}));
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral(" Greyhound: 2 of 3"));
        // A second unnamed dog clashes with no one now.
        ed.addDog();
        QCOMPARE(ed.dogCount(), 4);
    }

    void aSecondBlankDogIsRefusedWithTheCommonMessage() {
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        ed.addDog();
        ed.addDog();
        QCOMPARE(rec.messages().size(), std::size_t(1));
        QCOMPARE(rec.lastTitle(), gui::kAppTitle);
        QVERIFY(rec.lastText().endsWith(QStringLiteral(" - 3000")));
        QCOMPARE(ed.dogCount(), 1);
    }

    // A name another dog has is refused; the field shows the stored name
    // again, so that leaving it once more does not repeat the message.
    void aNameAlreadyOnFileIsRefusedAndReverted() {
        fill({"Alpha", "Bravo"});
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        focusIn(ed.nameField());
        ed.nameField()->setText("BRAVO");
        focusOut(ed.nameField());
        QCOMPARE(rec.messages().size(), std::size_t(1));
        QCOMPARE(rec.lastTitle(), gui::kAppTitle);
        QCOMPARE(ed.nameField()->text(), QStringLiteral("Alpha"));
        focusIn(ed.nameField());
        focusOut(ed.nameField());
        ed.moveNext();
        QCOMPARE(rec.messages().size(), std::size_t(1));
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(names(db), (std::vector<std::string>{"Alpha", "Bravo"}));
    }

    void commentsAreCutTo200CharactersOnLeavingTheField() {
        fill({"Alpha", "Bravo"});
        gui::EditDogs ed(paths_);
        const QString longText = QString(200, QChar('x')) + QString(50, QChar(0x00e9));
        setComments(ed, longText);
        focusOut(commentsBox(ed));
        QCOMPARE(comments(ed), QString(200, QChar('x')));
        ed.moveNext();  // saves the dog
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Alpha")->Comments.value(), std::string(200, 'x'));
        // A move that saves while the field still has the focus cuts too.
        setComments(ed, QString(250, QChar('y')));
        ed.movePrevious();
        QCOMPARE(db.findDog("Bravo")->Comments.value(), std::string(200, 'y'));
        // A text of characters beyond ASCII is cut by characters, not bytes.
        setComments(ed, QString(250, QChar(0x00e9)));
        focusOut(commentsBox(ed));
        QCOMPARE(comments(ed).size(), 200);
    }

    void fieldEditsAreSavedOnAMoveAndBadNumbersRefused() {
        fill({"Alpha", "Bravo"});
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        ed.startsField()->setText("12");
        ed.styleBox()->setCurrentText("W");
        ed.moveNext();
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Alpha")->NumStarts.value(), 12);
        QCOMPARE(db.findDog("Alpha")->RunningStyle.value(), std::string("W"));
        QVERIFY(rec.messages().empty());

        ed.firstsField()->setText("many");
        ed.movePrevious();
        QCOMPARE(
            rec.lastText(),
            QStringLiteral("Type mismatch in Number of Firsts: \"many\" is not a number - 13"));
        QCOMPARE(rec.lastTitle(), gui::kAppTitle);
        QCOMPARE(db.findDog("Bravo")->NumFirsts.value(), 0);
        QCOMPARE(ed.currentDog()->RegName, std::string("Bravo"));
    }

    // A data folder copied to a read-only place: the dogs are shown, and a
    // save says that the folder must be writable.
    void aReadOnlyDataFolderShowsTheDogsAndRefusesSaves() {
        fill({"Alpha", "Bravo"});
        test::removeWritePermission(paths_.dataDir());
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        QCOMPARE(ed.currentDog()->RegName, std::string("Alpha"));
        ed.startsField()->setText("12");
        ed.moveNext();
        QCOMPARE(rec.messages().size(), std::size_t{1});
        QVERIFY2(rec.lastText().startsWith(
                     QStringLiteral("The dog database ") + gui::qpath(paths_.dogDatabase()) +
                     QStringLiteral(" cannot be changed: its folder ") +
                     gui::qpath(paths_.dataDir()) + QStringLiteral(" must be writable")),
                 qPrintable(rec.lastText()));
        store::DogDatabase db(paths_.dogDatabase(), store::OpenMode::ReadOnly);
        QCOMPARE(db.findDog("Alpha")->NumStarts.value(), 0);
    }

    void aRenamedDogsLinesStayUnderTheOldName() {
        fill({"Alpha", "Bravo", "Charlie"}, {"Bravo"});
        gui::EditDogs ed(paths_);
        ed.moveNext();
        QCOMPARE(ed.currentDog()->RegName, std::string("Bravo"));
        QCOMPARE(ed.lineModel()->rowCount(), 2);
        focusIn(ed.nameField());
        ed.nameField()->setText("Yankee");
        focusOut(ed.nameField());
        // The grid keeps what it showed until the dog changes.
        QCOMPARE(ed.lineModel()->rowCount(), 2);
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral(" Greyhound: 3 of 3"));
        ed.movePrevious();
        ed.moveNext();
        QCOMPARE(ed.currentDog()->RegName, std::string("Yankee"));
        QCOMPARE(ed.lineModel()->rowCount(), 0);
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.raceLines("Bravo").size(), std::size_t(2));
    }

    void deleteThisDogKeepsItsLinesAndMovesOn() {
        fill({"Alpha", "Bravo", "Charlie"}, {"Bravo", "Charlie"});
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        ed.moveNext();
        rec.answer(QMessageBox::No);
        ed.deleteDog();
        QCOMPARE(rec.lastText(), QStringLiteral("Delete Bravo?"));
        QCOMPARE(rec.lastTitle(), QStringLiteral("Confirm"));
        QCOMPARE(ed.dogCount(), 3);

        ed.deleteDog();  // Yes
        QCOMPARE(ed.currentDog()->RegName, std::string("Charlie"));
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral(" Greyhound: 2 of 2"));
        ed.deleteDog();  // the last one: back to the new last
        QCOMPARE(ed.currentDog()->RegName, std::string("Alpha"));
        ed.deleteDog();
        QVERIFY(!ed.currentDog());
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral("No greyhounds on file"));
        QVERIFY(!ed.nameField()->isEnabled());
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.dogCount(), 0);
        QCOMPARE(db.raceLineCount(), 4);
    }

    void keysMoveThroughTheDogsAndFocusTheFields() {
        fill({"Alpha", "Bravo", "Charlie", "Delta"});
        gui::EditDogs ed(paths_);
        ed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ed));
        QWidget* target = ed.startsField();
        key(target, Qt::Key_PageUp);  // before the first: stays on the first
        QCOMPARE(ed.currentDog()->RegName, std::string("Alpha"));
        key(target, Qt::Key_PageDown);
        QCOMPARE(ed.currentDog()->RegName, std::string("Bravo"));
        key(target, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(ed.currentDog()->RegName, std::string("Delta"));
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral(" Greyhound: 4 of 4"));
        key(target, Qt::Key_PageDown);  // past the end: stays on the last
        QCOMPARE(ed.currentDog()->RegName, std::string("Delta"));
        key(ed.grid(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(ed.currentDog()->RegName, std::string("Alpha"));
        ed.activateWindow();
        key(target, Qt::Key_End, Qt::ControlModifier);
        QTRY_VERIFY(commentsBox(ed)->hasFocus());
        key(target, Qt::Key_Home, Qt::ControlModifier);
        QTRY_VERIFY(ed.nameField()->hasFocus());
    }

    void theGridShowsThirteenColumnsWithTheirCaptionsAndWidths() {
        fill({"Alpha"}, {"Alpha"});
        gui::EditDogs ed(paths_);
        QTableView* g = ed.grid();
        QVERIFY(g->isColumnHidden(0));
        const QStringList captions = {"Date", "Race",   "Dist",   "Win Tm", "Post", "Brk",  "1/8",
                                      "Str",  "Finish", "Length", "Fin Tm", "Odds", "Grade"};
        const long widths[] = {1000, 500, 400, 650, 400, 400, 400, 400, 600, 600, 650, 600, 600};
        for (int c = 1; c <= 13; ++c) {
            QVERIFY(!g->isColumnHidden(c));
            QCOMPARE(ed.lineModel()->headerData(c, Qt::Horizontal).toString(), captions[c - 1]);
            QCOMPARE(g->columnWidth(c), gui::twipsToPixelsX(widths[c - 1]));
        }
        QCOMPARE(g->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        // Newest first, dates in the short form.
        QCOMPARE(ed.lineModel()->index(0, 1).data().toString(), QStringLiteral("11/20/2026"));
        QCOMPARE(ed.lineModel()->index(1, 1).data().toString(), QStringLiteral("11/1/2026"));
    }

    void gridCellsConvertTypedTextOrRefuseIt() {
        fill({"Alpha"}, {"Alpha"});
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        auto* m = ed.lineModel();
        struct Case {
            int column;
            const char* text;
            bool accepted;
            const char* shown;  // the cell afterwards
        };
        const Case cases[] = {
            {5, "7", true, "7"},
            {5, "seven", false, "7"},
            {11, " 3101 ", true, "3101"},
            {11, "30.45s", false, "3101"},
            {12, "2.5", true, "2.5"},
            {12, "", true, ""},
            {1, "12/3/2026", true, "12/3/2026"},
            {1, "31/31/2026", false, "12/3/2026"},
            {9, "99999999999", false, "2"},
            {3, "L", true, "L"},
            {2, "3.5", true, "4"},
            {13, "Q", false, "C"},
        };
        for (const auto& c : cases) {
            rec.clear();
            const bool ok = m->setData(m->index(0, c.column), QString::fromUtf8(c.text));
            QCOMPARE(ok, c.accepted);
            QCOMPARE(m->index(0, c.column).data().toString(), QString::fromUtf8(c.shown));
            QCOMPARE(rec.messages().size(), std::size_t(c.accepted ? 0 : 1));
            if (!c.accepted) {
                // The message names the column and the text.
                QCOMPARE(rec.lastTitle(), gui::kAppTitle);
                const QString caption = m->headerData(c.column, Qt::Horizontal).toString();
                QVERIFY2(
                    rec.lastText().contains(
                        QStringLiteral(" in %1: \"%2\"").arg(caption, QString::fromUtf8(c.text))),
                    qPrintable(rec.lastText()));
            }
        }
        // Every accepted cell is already stored.
        store::DogDatabase db(paths_.dogDatabase());
        const RaceLine stored = db.raceLines("Alpha").front();
        QCOMPARE(stored.Post.value(), 7);
        QCOMPARE(stored.FinishTime.value(), 3101);
        QVERIFY(!stored.Odds);
        QCOMPARE(stored.Distance.value(), std::string("L"));
    }

    void addAndDeleteRaceLines() {
        fill({"Alpha"}, {"Alpha"});
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        ed.addRaceLine();
        QCOMPARE(ed.lineModel()->rowCount(), 3);
        QCOMPARE(ed.grid()->currentIndex().row(), 2);
        QCOMPARE(ed.grid()->currentIndex().column(), 1);
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.raceLineCount(), 3);
        const auto lines = db.raceLines("Alpha");
        const auto fresh =
            std::find_if(lines.begin(), lines.end(), [](const RaceLine& l) { return !l.RaceDate; });
        QVERIFY(fresh != lines.end());
        RaceLine onlyName;
        onlyName.rowId = fresh->rowId;
        onlyName.RegName = "Alpha";
        QCOMPARE(*fresh, onlyName);

        ed.grid()->setCurrentIndex(ed.lineModel()->index(0, 1));
        rec.answer(QMessageBox::No);
        ed.deleteCurrentLine();
        QCOMPARE(rec.lastText(), QStringLiteral("Delete 11/20/2026?"));
        QCOMPARE(rec.lastTitle(), QStringLiteral("Confirm"));
        QCOMPARE(db.raceLineCount(), 3);
        ed.deleteCurrentLine();
        QCOMPARE(db.raceLineCount(), 2);
        QCOMPARE(ed.lineModel()->rowCount(), 2);
        // The line that was deleted is the newest one.
        QCOMPARE(ed.lineModel()->index(0, 1).data().toString(), QStringLiteral("11/1/2026"));
        ed.resortLines();
        QCOMPARE(ed.lineModel()->index(0, 1).data().toString(), QStringLiteral("11/1/2026"));
        QCOMPARE(ed.lineModel()->index(1, 1).data().toString(), QString());
    }

    void reSortPutsRenamedDogsInPlaceAndGoesToTheFirst() {
        fill({"Alpha", "Bravo"});
        gui::EditDogs ed(paths_);
        focusIn(ed.nameField());
        ed.nameField()->setText("Zulu");
        focusOut(ed.nameField());
        ed.reSort();
        QCOMPARE(ed.currentDog()->RegName, std::string("Bravo"));
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral(" Greyhound: 1 of 2"));
    }

    void distanceAndGradePickersOpenOverTheirCells() {
        fill({"Alpha"}, {"Alpha"});
        gui::EditDogs ed(paths_);
        ed.resize(900, 600);
        ed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ed));
        QTableView* g = ed.grid();
        struct Case {
            int column;
            const char* picker;
            long widthTwips;
            Qt::Key key;
            const char* typed;
            const char* firstItem;
        };
        const Case cases[] = {
            {gui::RaceLineModel::Distance, "cmbDistance", 600, Qt::Key_L, "L", "S"},
            {gui::RaceLineModel::Grade, "cmbGrade", 800, Qt::Key_A, "A", "AA"},
        };
        for (const auto& c : cases) {
            g->setFocus();
            g->setCurrentIndex(ed.lineModel()->index(0, c.column));
            // The key that starts the edit reaches the picker.
            QTest::keyClick(g, c.key);
            auto* box = g->findChild<QComboBox*>(QString::fromLatin1(c.picker));
            QVERIFY(box);
            QVERIFY(box->isVisible());
            QCOMPARE(box->width(), gui::twipsToPixelsX(c.widthTwips));
            QCOMPARE(box->height(), g->visualRect(g->currentIndex()).height());
            QCOMPARE(box->itemText(0), QString::fromLatin1(c.firstItem));
            QCOMPARE(box->currentText().toUpper(), QString::fromLatin1(c.typed));
            // Leaving the grid (here: re-sorting the lines) writes the cell.
            ed.resortLines();
            store::DogDatabase db(paths_.dogDatabase());
            const auto lines = db.raceLines("Alpha");
            const auto& newest = lines.front();
            QCOMPARE(c.column == gui::RaceLineModel::Distance ? newest.Distance.value()
                                                              : newest.Grade.value(),
                     std::string(c.typed));
        }
    }

    // Destroying the window with a cell editor open (the main window going
    // away) must not write through databases that are already closed.
    void destroyingTheWindowWithAnOpenCellEditorIsSafe() {
        fill({"Alpha"}, {"Alpha"});
        {
            auto ed = std::make_unique<gui::EditDogs>(paths_);
            ed->show();
            QVERIFY(QTest::qWaitForWindowExposed(ed.get()));
            ed->grid()->setFocus();
            ed->grid()->setCurrentIndex(ed->lineModel()->index(0, gui::RaceLineModel::Post));
            QTest::keyClick(ed->grid(), Qt::Key_6);
            QVERIFY(ed->grid()->findChild<QLineEdit*>());
        }
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.raceLines("Alpha").front().Post.value(), 5);
    }

    void resizeRulesKeepTheWindowUsable() {
        fill({"Alpha"});
        QMdiArea area;
        area.resize(1000, 700);
        auto* ed = new gui::EditDogs(paths_);
        QMdiSubWindow* sub = area.addSubWindow(ed);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        sub->resize(50, 50);
        QVERIFY(sub->width() >= gui::twipsToPixelsX(7700));
        QVERIFY(sub->height() >= gui::twipsToPixelsY(5000));
        sub->resize(800, 560);
        QCoreApplication::processEvents();
        QCOMPARE(ed->grid()->width(), ed->width() - gui::twipsToPixelsX(130));
        QCOMPARE(ed->grid()->height(), ed->height() - gui::twipsToPixelsY(3000));
        // Maximised in a main window too small for it: back to normal size.
        sub->showMaximized();
        QVERIFY(sub->isMaximized());
        area.resize(gui::twipsToPixelsX(9000), 700);
        QCoreApplication::processEvents();
        QVERIFY(sub->isMaximized());
        area.resize(gui::twipsToPixelsX(7000), 700);
        QTRY_VERIFY(!sub->isMaximized());
    }

    // A typo stops the move: the dog stays, every edit stays, the bad field
    // is selected, and the message names the field and the text.
    void aTypoKeepsTheDogAndEveryEdit() {
        fill({"Alpha", "Bravo", "Charlie"});
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        ed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ed));
        ed.activateWindow();
        ed.moveNext();
        ed.styleBox()->setCurrentText("W");
        setComments(ed, QStringLiteral("Likes the rail"));
        ed.startsField()->setText("1o");
        key(ed.firstsField(), Qt::Key_PageUp);
        QCOMPARE(rec.messages().size(), std::size_t(1));
        QCOMPARE(rec.lastTitle(), gui::kAppTitle);
        QCOMPARE(rec.lastText(),
                 QStringLiteral("Type mismatch in Number of Starts: \"1o\" is not a number - 13"));
        QCOMPARE(ed.currentDog()->RegName, std::string("Bravo"));
        QCOMPARE(ed.styleBox()->currentText(), QStringLiteral("W"));
        QCOMPARE(comments(ed), QStringLiteral("Likes the rail"));
        QCOMPARE(ed.startsField()->text(), QStringLiteral("1o"));
        QTRY_VERIFY(ed.startsField()->hasFocus());
        QCOMPARE(ed.startsField()->selectedText(), QStringLiteral("1o"));
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Bravo")->RunningStyle.value(), std::string("M"));
        // Closing is refused as well; nothing typed is lost.
        QVERIFY(!ed.close());
        // Mended, the move goes on and every edit is stored.
        ed.startsField()->setText("10");
        key(ed.startsField(), Qt::Key_PageUp);
        QCOMPARE(ed.currentDog()->RegName, std::string("Alpha"));
        const Dog bravo = *db.findDog("Bravo");
        QCOMPARE(bravo.RunningStyle.value(), std::string("W"));
        QCOMPARE(bravo.NumStarts.value(), 10);
        QCOMPARE(bravo.Comments.value(), std::string("Likes the rail"));
    }

    // The style picker and the grid's Dist and Grade take only the lookup
    // codes; a stored code outside them is shown and kept.
    void lookupPickersTakeOnlyTheirCodes() {
        fill({"Alpha", "Bravo"}, {"Alpha"});
        {
            store::DogDatabase db(paths_.dogDatabase());
            Dog b = *db.findDog("Bravo");
            b.RunningStyle = "Z";
            db.updateDog(b);
        }
        gui::MessageRecorder rec;
        gui::EditDogs ed(paths_);
        ed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ed));
        ed.activateWindow();
        ed.styleBox()->setFocus();
        ed.styleBox()->lineEdit()->selectAll();
        QTest::keyClicks(ed.styleBox()->lineEdit(), QStringLiteral("Q"));
        ed.moveNext();
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Alpha")->RunningStyle.value(), std::string("M"));
        // Bravo's own "Z" is shown and stays through a save of another field.
        QCOMPARE(ed.currentDog()->RegName, std::string("Bravo"));
        QCOMPARE(ed.styleBox()->currentText(), QStringLiteral("Z"));
        ed.firstsField()->setText("1");
        ed.movePrevious();
        QCOMPARE(db.findDog("Bravo")->RunningStyle.value(), std::string("Z"));
        QCOMPARE(db.findDog("Bravo")->NumFirsts.value(), 1);
        // Typed in other letter case, a code is stored as the list spells it.
        ed.styleBox()->setCurrentText("w");
        ed.moveNext();
        QCOMPARE(db.findDog("Alpha")->RunningStyle.value(), std::string("W"));

        ed.movePrevious();
        auto* m = ed.lineModel();
        rec.clear();
        QVERIFY(!m->setData(m->index(0, gui::RaceLineModel::Grade), QStringLiteral("Q")));
        QCOMPARE(rec.lastText(),
                 QStringLiteral("Type mismatch in Grade: \"Q\" is not in the list - 13"));
        QVERIFY(m->setData(m->index(0, gui::RaceLineModel::Distance), QStringLiteral("r")));
        QCOMPARE(db.raceLines("Alpha").front().Distance.value(), std::string("R"));
        QCOMPARE(db.raceLines("Alpha").front().Grade.value(), std::string("C"));
    }

    // Opening a picker's list and pressing Enter keeps the value it showed.
    void enterInAnOpenPickerListKeepsItsValue() {
        fill({"Alpha"}, {"Alpha"});
        {
            store::DogDatabase db(paths_.dogDatabase());
            Dog a = *db.findDog("Alpha");
            a.RunningStyle = "W";
            db.updateDog(a);
        }
        gui::EditDogs ed(paths_);
        ed.resize(900, 600);
        ed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ed));
        ed.activateWindow();
        ed.styleBox()->setFocus();
        enterInTheOpenList(ed.styleBox());
        QCOMPARE(ed.styleBox()->currentText(), QStringLiteral("W"));

        QTableView* g = ed.grid();
        g->setFocus();
        g->setCurrentIndex(ed.lineModel()->index(0, gui::RaceLineModel::Grade));
        QTest::keyClick(g, Qt::Key_F2);
        auto* box = g->findChild<QComboBox*>(QStringLiteral("cmbGrade"));
        QVERIFY(box);
        enterInTheOpenList(box);
        QCOMPARE(box->currentText(), QStringLiteral("C"));
        ed.resortLines();
        ed.moveNext();
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Alpha")->RunningStyle.value(), std::string("W"));
        QCOMPARE(db.raceLines("Alpha").front().Grade.value(), std::string("C"));
    }

    // Opened from the main window, the editor is big enough to work in: a
    // 30-character name fits, 8 lines show and the 8 processing rates are
    // shaded, and the comments box says how much room is left.
    void theEditorOpensAtAUsefulSize() {
        fill({"Alpha"});
        {
            store::DogDatabase db(paths_.dogDatabase());
            for (unsigned d = 1; d <= 10; ++d) {
                db.addRaceLine(line("Alpha", 2026, 11, d, 1));
            }
        }
        gui::MessageRecorder rec;
        gui::MainWindow::Options options;
        options.screen = store::ScreenSize{1024 * 15, 768 * 15};
        gui::MainWindow main(paths_, options);
        main.quitOnExit = false;
        main.start();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.editDogs();
        auto* ed = main.findChild<gui::EditDogs*>();
        QVERIFY(ed);
        QCoreApplication::processEvents();

        const QString name30 = QStringLiteral("BALLYREGAN BOB THE SECOND KING");
        QCOMPARE(name30.size(), 30);
        QVERIFY(ed->nameField()->width() >=
                ed->nameField()->fontMetrics().horizontalAdvance(name30) + 8);
        QTableView* g = ed->grid();
        QVERIFY(g->viewport()->height() >= 8 * g->verticalHeader()->defaultSectionSize());
        // Newest first: rows 0 to 7 are rated, 8 and 9 are not.
        for (int row = 0; row < 10; ++row) {
            QCOMPARE(ed->lineModel()->index(row, 1).data(Qt::BackgroundRole).isValid(), row < 8);
        }
        auto* box = ed->findChild<QPlainTextEdit*>(QStringLiteral("txtFields6"));
        QVERIFY(box);
        QVERIFY(box->height() >= 2 * box->fontMetrics().lineSpacing());
        auto* room = ed->findChild<QLabel*>(QStringLiteral("lblCommentRoom"));
        QVERIFY(room);
        QCOMPARE(room->text(), QStringLiteral("200 of 200 characters left"));
        box->setPlainText(QString(47, QChar('x')));
        QCOMPARE(room->text(), QStringLiteral("153 of 200 characters left"));
        QVERIFY(rec.messages().empty());
    }

    // However long the comment grows, the room line under it moves no field;
    // a wider window gives the comments box the width.
    void longCommentsMoveNoFieldAndTheBoxGrowsWithTheWindow() {
        fill({"Alpha"});
        gui::EditDogs ed(paths_);
        ed.resize(ed.sizeHint());
        ed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ed));
        auto places = [&ed] {
            std::vector<QRect> r;
            for (QWidget* w : ed.typedFieldWidgets()) {
                r.push_back(w->geometry());
            }
            r.push_back(ed.styleBox()->geometry());
            return r;
        };
        const std::vector<QRect> before = places();
        for (int length : {150, 200, 201, 250, 600}) {
            ed.commentsBox()->setPlainText(QString(length, QChar('x')));
            QCoreApplication::processEvents();
            QVERIFY2(places() == before, qPrintable(QString::number(length)));
        }

        for (int wider : {100, 300, 600}) {
            const int width = ed.commentsBox()->width();
            ed.resize(ed.width() + wider, ed.height());
            QCoreApplication::processEvents();
            QCOMPARE(ed.commentsBox()->width(), width + wider);
        }
    }

    // The editor's normal size is kept beside the settings file: after Ctrl+F4
    // the next run opens it at that size, a maximised editor at the main
    // window's exit leaves its normal size, and a file that cannot be written
    // neither keeps the editor open nor loses an edit.
    void theEditorReopensAtTheSizeItWasLeftAt() {
        fill({"Alpha"});
        gui::MessageRecorder rec;
        struct Run {
            std::unique_ptr<gui::MainWindow> main;
            QMdiSubWindow* sub = nullptr;
            gui::EditDogs* ed = nullptr;
        };
        auto open = [this](Run& r) {
            gui::MainWindow::Options options;
            options.screen = store::ScreenSize{1024 * 15, 768 * 15};
            r.main = std::make_unique<gui::MainWindow>(paths_, options);
            r.main->quitOnExit = false;
            r.main->start();
            r.main->show();
            QVERIFY(QTest::qWaitForWindowExposed(r.main.get()));
            r.main->editDogs();
            r.ed = r.main->findChild<gui::EditDogs*>();
            QVERIFY(r.ed);
            r.sub = qobject_cast<QMdiSubWindow*>(r.ed->parentWidget());
            QVERIFY(r.sub);
        };
        // Twips at the screen's dots per inch (1440 twips to the inch).
        const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        const auto twips = [dpi](int pixels) { return std::lround(pixels * 1440.0 / dpi); };
        const QSize left(600, 400);  // within the main area, above the minimum

        Run first;
        open(first);
        QVERIFY(first.sub->size() != left);
        first.sub->resize(left);
        key(first.ed->nameField(), Qt::Key_F4, Qt::ControlModifier);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first.main->findChild<gui::EditDogs*>());
        QCOMPARE(base::readWindowSize(paths_.dogEditorSizeFile()),
                 std::optional(base::TwipsSize{twips(600), twips(400)}));
        first.main->close();

        Run second;
        open(second);
        QCOMPARE(second.sub->size(), left);
        second.sub->resize(640, 420);
        second.sub->showMaximized();
        QVERIFY(second.sub->size() != QSize(640, 420));
        second.main->close();
        QCOMPARE(base::readWindowSize(paths_.dogEditorSizeFile()),
                 std::optional(base::TwipsSize{twips(640), twips(420)}));
        // The settings file keeps its one line of nine values.
        const std::string ini = test::readText(paths_.settingsFile());
        QCOMPARE(std::count(ini.begin(), ini.end(), ','), 8);
        QCOMPARE(ini.find("\r\n"), ini.size() - 2);
        QVERIFY(!base::readSettings(paths_.settingsFile()).error);

        // A folder in the file's place: the write fails, quietly.
        std::filesystem::remove(paths_.dogEditorSizeFile());
        std::filesystem::create_directory(paths_.dogEditorSizeFile());
        Run third;
        open(third);
        QVERIFY(third.sub->size() != QSize(640, 420));  // nothing remembered
        setComments(*third.ed, QStringLiteral("kept"));
        third.ed->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!third.main->findChild<gui::EditDogs*>());
        store::DogDatabase db(paths_.dogDatabase());
        QCOMPARE(db.findDog("Alpha")->Comments.value(), std::string("kept"));
        QVERIFY(rec.messages().empty());
    }

    // --- The search window ----------------------------------------------------

    void searchFindsTextAnywhereAndBeepsPastTheLastMatch() {
        fill({"Ace", "Bashful", "Cash Money", "Dashing Star", "Eagle"});
        int beeps = 0;
        gui::SearchDog::setBeepHandler([&beeps] { ++beeps; });
        gui::EditDogs ed(paths_);
        gui::SearchDog s(&ed);
        QCOMPARE(s.windowTitle(), QStringLiteral("Search for a Dog"));
        QVERIFY(s.findButton()->isDefault());
        QVERIFY(s.notFoundLabel()->isHidden());

        // An empty text matches every dog: the first in name order.
        ed.moveLast();
        s.findFirst();
        QCOMPARE(ed.currentDog()->RegName, std::string("Ace"));

        s.searchText()->setText("ASH");
        QVERIFY(s.findButton()->isDefault());
        s.findFirst();
        QVERIFY(s.findNextButton()->isDefault());
        QCOMPARE(ed.currentDog()->RegName, std::string("Bashful"));
        s.findNext();
        QCOMPARE(ed.currentDog()->RegName, std::string("Cash Money"));
        s.findNext();
        QCOMPARE(ed.currentDog()->RegName, std::string("Dashing Star"));
        QCOMPARE(ed.captionLabel()->text(), QStringLiteral(" Greyhound: 4 of 5"));
        QCOMPARE(beeps, 0);
        s.findNext();
        QCOMPARE(ed.currentDog()->RegName, std::string("Dashing Star"));
        QVERIFY(!s.notFoundLabel()->isHidden());
        QCOMPARE(beeps, 1);
        QVERIFY(s.closeButton()->isEnabled());
        s.findPrevious();
        QVERIFY(s.notFoundLabel()->isHidden());
        QCOMPARE(ed.currentDog()->RegName, std::string("Cash Money"));

        s.searchText()->setText("nobody");
        s.findFirst();
        QCOMPARE(ed.currentDog()->RegName, std::string("Cash Money"));
        QCOMPARE(beeps, 2);

        // On an empty database every search finds nothing.
        gui::SearchDog::setBeepHandler({});
    }

    void searchOnAnEmptyDatabaseFindsNothing() {
        int beeps = 0;
        gui::SearchDog::setBeepHandler([&beeps] { ++beeps; });
        gui::EditDogs ed(paths_);
        gui::SearchDog s(&ed);
        s.findFirst();
        s.findNext();
        s.findPrevious();
        QCOMPARE(beeps, 3);
        QVERIFY(!ed.currentDog());
        gui::SearchDog::setBeepHandler({});
    }
};

QTEST_MAIN(DogEditorTest)
#include "test_dog_editor.moc"
