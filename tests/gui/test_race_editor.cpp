#include <QAbstractItemView>
#include <QBrush>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "core/store/dog_database.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/vovoziruzu/posts_model.h"
#include "gui_test_support.h"

using namespace vz;
using namespace vz::gui;
using vz::test::AppFixture;
using vz::test::ymd;
using vz::test::kToday;

namespace {

// A main window with one race editor open on `file`.
struct EditorFixture {
    AppFixture app;
    std::unique_ptr<MainWindow> main;
    QString file;

    explicit EditorFixture(const std::function<void(const QString&)>& fill = {},
                           std::initializer_list<const char*> dogs = {}) {
        {
            store::DogDatabase db(app.paths.dogDatabase());
            for (const char* n : dogs) {
                base::Dog d;
                d.RegName = n;
                db.addDog(d);
            }
        }
        file = app.raceFile("card.rac");
        if (fill)
            fill(file);
        main = app.startMain();
        FileDialogScript dialogs;
        dialogs.choose(file);
        vz::test::action(*main, "mnuOpen")->trigger();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }
    RaceEditor* editor() const { return main->raceEditorFor(file); }
    template <class T>
    T* child(const char* name) const {
        return editor()->findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* button) const { child<QPushButton>(button)->click(); }
    std::vector<base::Race> races() const {
        return store::RaceFile(fspath(file), store::OpenMode::ReadOnly).races();
    }
    std::vector<base::Post> allPosts() const {
        return store::RaceFile(fspath(file), store::OpenMode::ReadOnly).allPosts();
    }
    QString dateField() const { return child<QLineEdit>("txtFields0")->text(); }
    QString numberField() const { return child<QLineEdit>("txtFields1")->text(); }
};

}  // namespace

class RaceEditorTest : public QObject {
    Q_OBJECT
  private slots:
    void newFileShowsNoRacesThenAddRaceStartsTheCard() {
        EditorFixture f;
        MessageRecorder boxes;
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral("No races in file"));
        for (const char* name : {"txtFields0", "txtFields1"})
            QVERIFY(!f.child<QLineEdit>(name)->isEnabled());
        QVERIFY(!f.child<QComboBox>("cmbDistance")->isEnabled());
        QVERIFY(!f.child<QComboBox>("cmbGrade")->isEnabled());
        QCOMPARE(f.editor()->postsModel()->rowCount(), 0);

        f.click("cmdAdd");
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 1 of 1 - 0 dogs"));
        QCOMPARE(f.dateField(), QStringLiteral("12/7/2026"));
        QCOMPARE(f.numberField(), QStringLiteral("1"));
        QVERIFY(f.child<QComboBox>("cmbDistance")->isEnabled());
        const auto races = f.races();
        QCOMPARE(races.size(), std::size_t{1});
        QVERIFY(races[0].RaceDate == kToday);
        QCOMPARE(races[0].RaceNum, std::optional<int>(1));
        QVERIFY(!races[0].Distance && !races[0].Grade);
        QCOMPARE(boxes.messages().size(), std::size_t{0});
    }

    void addRaceContinuesTheLastRaceOfTheCard() {
        const auto date = ymd(2026, 11, 30);
        EditorFixture f([&](const QString& file) {
            vz::test::addRace(file, date, 7);
            vz::test::addRace(file, ymd(2026, 11, 29), 9);
        });
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 1 of 2 - 0 dogs"));
        f.click("cmdAdd");
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 3 of 3 - 0 dogs"));
        QCOMPARE(f.dateField(), QStringLiteral("11/30/2026"));
        QCOMPARE(f.numberField(), QStringLiteral("8"));
        const auto races = f.races();
        QVERIFY(races.back().RaceDate == date);
        QCOMPARE(races.back().RaceNum, std::optional<int>(8));
    }

    void addPostNumbersFromOneAndAfterTheLast() {
        EditorFixture f([](const QString& file) {
            vz::test::addRace(file, kToday, 1);
            vz::test::addRace(
                file, kToday, 2,
                {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}, {6, "F"}, {7, "G"}, {8, "H"}});
        });
        f.click("cmdAddPost");
        auto* model = f.editor()->postsModel();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->posts()[0].Post, std::optional<int>(1));
        QCOMPARE(model->posts()[0].RaceNum, std::optional<int>(1));
        // The cell cursor stands on the Dog column of the new row.
        QCOMPARE(f.editor()->postsGrid()->currentIndex().column(), int(PostsModel::ColRegName));
        QVERIFY(f.editor()->moveToRace(1));
        QCOMPARE(model->rowCount(), 8);
        f.click("cmdAddPost");
        QCOMPARE(model->rowCount(), 9);
        QCOMPARE(model->posts().back().Post, std::optional<int>(9));
        QCOMPARE(f.editor()->postsGrid()->currentIndex().row(), 8);
        QCOMPARE(f.allPosts().size(), std::size_t{10});
    }

    void deleteThisRaceKeepsItsPosts() {
        EditorFixture f([](const QString& file) {
            vz::test::addRace(file, kToday, 1, {{1, "Fast Lady"}, {2, "Slow Joe"}});
            vz::test::addRace(file, kToday, 2, {{1, "Other"}});
        });
        MessageRecorder boxes;
        boxes.answer(QMessageBox::No);
        f.click("cmdDelete");
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Confirm"));
        QCOMPARE(boxes.lastText(), QStringLiteral("Delete this race?"));
        QCOMPARE(f.races().size(), std::size_t{2});
        f.click("cmdDelete");  // Yes
        QCOMPARE(f.races().size(), std::size_t{1});
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 1 of 1 - 1 dog"));
        QCOMPARE(f.numberField(), QStringLiteral("2"));
        QCOMPARE(f.allPosts().size(), std::size_t{3});
        // The last race deleted: the caption says so, the posts stay.
        f.click("cmdDelete");
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral("No races in file"));
        QCOMPARE(f.allPosts().size(), std::size_t{3});
        // A race with the same key shows its old posts again.
        f.click("cmdAdd");
        QCOMPARE(f.editor()->postsModel()->rowCount(), 2);
    }

    void deleteCurrentPost() {
        EditorFixture f([](const QString& file) {
            vz::test::addRace(file, kToday, 1, {{1, "Fast Lady"}});
            vz::test::addRace(file, kToday, 2);
        });
        MessageRecorder boxes;
        f.editor()->postsGrid()->setCurrentIndex(f.editor()->postsModel()->index(0, 2));
        f.click("cmdDelPost");
        QCOMPARE(boxes.lastText(), QStringLiteral("Delete Fast Lady?"));
        QCOMPARE(f.editor()->postsModel()->rowCount(), 0);
        QCOMPARE(f.allPosts().size(), std::size_t{0});
        // No posts: nothing is asked.
        f.click("cmdDelPost");
        QCOMPARE(boxes.messages().size(), std::size_t{1});
    }

    void keysMoveBetweenRacesAndFields() {
        EditorFixture f([](const QString& file) {
            for (int n = 1; n <= 4; ++n)
                vz::test::addRace(file, kToday, n);
        });
        QWidget* grid = f.editor()->postsGrid();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_PageDown);
        QCOMPARE(f.editor()->currentRace(), 1);
        QTest::keyClick(grid, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(f.editor()->currentRace(), 3);
        QTest::keyClick(grid, Qt::Key_PageDown);  // past the end: stays on the last
        QCOMPARE(f.editor()->currentRace(), 3);
        QTest::keyClick(grid, Qt::Key_PageUp);
        QCOMPARE(f.editor()->currentRace(), 2);
        QTest::keyClick(grid, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(f.editor()->currentRace(), 0);
        QTest::keyClick(grid, Qt::Key_PageUp);
        QCOMPARE(f.editor()->currentRace(), 0);

        QApplication::setActiveWindow(f.main.get());
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), f.child<QWidget>("txtFields1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), f.child<QWidget>("txtFields0"));
    }

    void invalidFieldIsRefusedAndKept() {
        EditorFixture f([](const QString& file) {
            vz::test::addRace(file, kToday, 1);
            vz::test::addRace(file, kToday, 2);
        });
        MessageRecorder boxes;
        auto* date = f.child<QLineEdit>("txtFields0");
        date->setText(QStringLiteral("13/45/2026"));
        f.editor()->nextRace();
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Vellicor Vovoziruzu"));
        QCOMPARE(boxes.lastText(),
                 QStringLiteral("Type mismatch in Date: \"13/45/2026\" is not a date - 13"));
        QCOMPARE(f.editor()->currentRace(), 0);
        QCOMPARE(date->text(), QStringLiteral("13/45/2026"));
        QVERIFY(f.races()[0].RaceDate == kToday);
        // Closing is refused too, so the typed text is not lost.
        auto* sub = qobject_cast<QMdiSubWindow*>(f.editor()->parentWidget());
        QVERIFY(!sub->close());
        QCOMPARE(f.main->openFiles().size(), std::size_t{1});

        auto* number = f.child<QLineEdit>("txtFields1");
        date->setText(QStringLiteral("12/8/2026"));
        number->setText(QStringLiteral("x7"));
        f.editor()->nextRace();
        QCOMPARE(boxes.lastText(),
                 QStringLiteral("Type mismatch in Race Number: \"x7\" is not a number - 13"));
        number->setText(QStringLiteral("5"));
        f.editor()->nextRace();
        QCOMPARE(f.editor()->currentRace(), 1);
        const auto races = f.races();
        QVERIFY(races.back().RaceDate == ymd(2026, 12, 8));
        QCOMPARE(races.back().RaceNum, std::optional<int>(5));
    }

    void pickersAndGridEditsAreSaved() {
        EditorFixture f([](const QString& file) {
            vz::test::addRace(file, kToday, 1, {{1, "Old Name"}});
        });
        MessageRecorder boxes;
        auto* distance = f.child<QComboBox>("cmbDistance");
        QVERIFY(distance->count() > 0);
        distance->setCurrentIndex(distance->count() - 1);
        const QString chosen = distance->currentText();
        // The dog picker writes whatever name it holds, listed or not.
        auto* model = f.editor()->postsModel();
        QVERIFY(model->setData(model->index(0, PostsModel::ColRegName),
                               QStringLiteral("Not Yet Listed"), Qt::EditRole));
        QCOMPARE(f.allPosts()[0].RegName, std::optional<std::string>("Not Yet Listed"));
        // A post number that is no number is refused and the cell keeps its value.
        QVERIFY(!model->setData(model->index(0, PostsModel::ColPost), QStringLiteral("two"),
                                Qt::EditRole));
        QCOMPARE(boxes.lastText(),
                 QStringLiteral("Type mismatch in Post Num: \"two\" is not a number - 13"));
        QCOMPARE(f.allPosts()[0].Post, std::optional<int>(1));
        // Closing saves the race row and does the bookkeeping.
        qobject_cast<QMdiSubWindow*>(f.editor()->parentWidget())->close();
        QCOMPARE(f.races()[0].Distance, std::optional<std::string>(gui::str(chosen)));
        QVERIFY(f.main->openFiles().empty());
    }

    void dogPickerListsTheDatabaseAndAcceptsTypedNames() {
        AppFixture app;
        {
            store::DogDatabase db(app.paths.dogDatabase());
            for (const char* n : {"Bravo", "alpha"}) {
                base::Dog d;
                d.RegName = n;
                db.addDog(d);
            }
        }
        const QString file = app.raceFile("card.rac");
        vz::test::addRace(file, kToday, 1, {{1, ""}});
        auto main = app.startMain();
        FileDialogScript dialogs;
        dialogs.choose(file);
        vz::test::action(*main, "mnuOpen")->trigger();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        RaceEditor* editor = main->raceEditorFor(file);
        PostsGrid* grid = editor->postsGrid();
        const QModelIndex cell = editor->postsModel()->index(0, PostsModel::ColRegName);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* picker = grid->findChild<QComboBox*>(QStringLiteral("cmbDogs"));
        QVERIFY(picker);
        QCOMPARE(picker->count(), 2);
        QCOMPARE(picker->itemText(0), QStringLiteral("alpha"));
        // The picker lies over the cell.
        QCOMPARE(picker->geometry(), grid->visualRect(cell));
        picker->setEditText(QStringLiteral("Charlie Typed"));
        grid->commitPendingEdit();
        QVERIFY(!grid->findChild<QComboBox*>(QStringLiteral("cmbDogs")) ||
                !grid->findChild<QComboBox*>(QStringLiteral("cmbDogs"))->isVisible());
        {
            store::RaceFile rf(fspath(file), store::OpenMode::ReadOnly);
            QCOMPARE(rf.allPosts()[0].RegName, std::optional<std::string>("Charlie Typed"));
        }
        // Typing into the cell opens the picker with that key; leaving the
        // grid for another field saves the cell.
        QApplication::setActiveWindow(main.get());
        grid->setFocus();
        grid->setCurrentIndex(cell);
        QTest::keyClick(grid, 'D');
        QTRY_VERIFY(grid->isEditing());
        // The rest goes where the keyboard now is: the picker.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("elta"));
        editor->findChild<QLineEdit*>(QStringLiteral("txtFields0"))->setFocus();
        QTRY_VERIFY(!grid->isEditing());
        store::RaceFile rf(fspath(file), store::OpenMode::ReadOnly);
        QCOMPARE(QString::fromStdString(rf.allPosts()[0].RegName.value_or("<none>")),
                 QStringLiteral("Delta"));
    }

    void resortRacesPutsChangedRacesInOrder() {
        EditorFixture f([](const QString& file) {
            vz::test::addRace(file, kToday, 1);
            vz::test::addRace(file, kToday, 2);
        });
        f.child<QLineEdit>("txtFields1")->setText(QStringLiteral("9"));
        f.click("cmdRefresh");
        QCOMPARE(f.editor()->currentRace(), 0);
        QCOMPARE(f.numberField(), QStringLiteral("2"));
        f.editor()->lastRace();
        QCOMPARE(f.numberField(), QStringLiteral("9"));
    }

    // Typing "Sw" completes to the first dog of that start; opening the list
    // and pressing Enter keeps that dog, not the list's first.
    void enterInTheOpenDogListKeepsTheTypedMatch() {
        EditorFixture f(
            [](const QString& file) {
                vz::test::addRace(file, kToday, 1, {{1, "Old Dog"}});
            },
            {"Alpha Dog", "Bravo", "Swift Bandit", "Zulu"});
        PostsGrid* grid = f.editor()->postsGrid();
        QApplication::setActiveWindow(f.main.get());
        grid->setFocus();
        grid->setCurrentIndex(f.editor()->postsModel()->index(0, PostsModel::ColRegName));
        QTest::keyClick(grid, 'S');
        QTRY_VERIFY(grid->isEditing());
        auto* picker = grid->findChild<QComboBox*>(QStringLiteral("cmbDogs"));
        QVERIFY(picker);
        QTest::keyClick(QApplication::focusWidget(), 'w');
        QCOMPARE(picker->currentText(), QStringLiteral("Swift Bandit"));
        QTest::keyClick(picker, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(picker->view()->isVisible());
        QTest::keyClick(picker->view(), Qt::Key_Return);
        QTRY_VERIFY(!picker->view()->isVisible());
        QCOMPARE(picker->currentText(), QStringLiteral("Swift Bandit"));
        grid->commitPendingEdit();
        QCOMPARE(f.allPosts()[0].RegName, std::optional<std::string>("Swift Bandit"));
    }

    // A race's posts follow its date and number; another race's key is refused.
    void changingARacesNumberOrDateMovesItsPosts() {
        const auto tomorrow = ymd(2026, 12, 8);
        EditorFixture f([](const QString& file) {
            vz::test::addRace(
                file, kToday, 1,
                {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}, {6, "F"}, {7, "G"}, {8, "H"}});
            vz::test::addRace(file, kToday, 2, {{1, "Other"}});
        });
        MessageRecorder boxes;
        auto* number = f.child<QLineEdit>("txtFields1");
        number->setText(QStringLiteral("14"));
        f.editor()->nextRace();
        f.editor()->previousRace();
        QCOMPARE(f.numberField(), QStringLiteral("14"));
        QCOMPARE(f.editor()->postsModel()->rowCount(), 8);
        int moved = 0;
        for (const auto& p : f.allPosts())
            moved += p.RaceNum == 14 ? 1 : 0;
        QCOMPARE(moved, 8);
        // The date moves them too.
        f.child<QLineEdit>("txtFields0")->setText(QStringLiteral("12/8/2026"));
        f.editor()->resortPosts();
        QCOMPARE(f.editor()->postsModel()->rowCount(), 8);
        QVERIFY(f.allPosts().back().RaceDate == tomorrow);
        QVERIFY(boxes.messages().empty());

        // Onto race 2 of today: refused, the old values come back.
        f.child<QLineEdit>("txtFields0")->setText(QStringLiteral("12/7/2026"));
        number->setText(QStringLiteral("2"));
        QVERIFY(!f.editor()->moveToRace(1));
        QCOMPARE(boxes.messages().size(), std::size_t{1});
        QCOMPARE(boxes.lastText(), QStringLiteral("This file already has a race 2 on 12/7/2026. "
                                                  "The race keeps its date and number."));
        QCOMPARE(f.dateField(), QStringLiteral("12/8/2026"));
        QCOMPARE(f.numberField(), QStringLiteral("14"));
        QCOMPARE(f.editor()->postsModel()->rowCount(), 8);
        const auto races = f.races();
        QVERIFY(races[0].RaceDate == kToday && races[0].RaceNum == 2);
        QVERIFY(races[1].RaceDate == tomorrow && races[1].RaceNum == 14);
        QCOMPARE(store::RaceFile(fspath(f.file)).posts(kToday, 2).size(), std::size_t{1});
    }

    // The same text means the same value in every field: 3.5 is race 4.
    void numbersAreConvertedAsInTheOtherEditors() {
        EditorFixture f([](const QString& file) { vz::test::addRace(file, kToday, 1); });
        MessageRecorder boxes;
        f.child<QLineEdit>("txtFields1")->setText(QStringLiteral("3.5"));
        QVERIFY(f.editor()->saveCurrentRace());
        QCOMPARE(f.races()[0].RaceNum, std::optional<int>(4));
        f.child<QLineEdit>("txtFields1")->setText(QStringLiteral("x7"));
        QVERIFY(!f.editor()->saveCurrentRace());
        QCOMPARE(boxes.lastText(),
                 QStringLiteral("Type mismatch in Race Number: \"x7\" is not a number - 13"));
    }

    // The grade and distance pickers offer the lookup codes only; a race's
    // own code outside them is shown and kept, and offered to no other race.
    void aStoredCodeOutsideTheListIsKeptNotOffered() {
        EditorFixture f([](const QString& file) {
            vz::test::addRace(file, kToday, 1);
            vz::test::addRace(file, kToday, 2);
            store::RaceFile rf(fspath(file));
            base::Race odd = rf.races()[0];
            odd.Grade = "Z9";
            rf.updateRace(odd);
        });
        MessageRecorder boxes;
        auto* grade = f.child<QComboBox>("cmbGrade");
        QCOMPARE(grade->currentText(), QStringLiteral("Z9"));
        f.child<QLineEdit>("txtFields1")->setText(QStringLiteral("5"));
        f.editor()->nextRace();
        QCOMPARE(grade->findText(QStringLiteral("Z9")), -1);
        QCOMPARE(f.races()[1].Grade, std::optional<std::string>("Z9"));
        QVERIFY(boxes.messages().empty());
    }

    // A typed grade or distance is taken only as listed (letter case aside),
    // never as the next code that starts with it; other text is refused with
    // the message and the stored code stays.
    void typedGradesAndDistancesMatchAListedCodeExactly() {
        const struct {
            const char* picker;
            std::optional<std::string> before;
            const char* typed;  // replaces the text; "\b" deletes its last letter
            std::optional<std::string> saved;
            bool refused;
        } cases[] = {
            {"cmbGrade", std::nullopt, "A", "A", false},  // not "AA", the first listed
            {"cmbGrade", "C", "A", "A", false},           // not "AAT", the next after "C"
            {"cmbGrade", "C", "aat", "AAT", false},       // as the list spells it
            {"cmbDistance", "R", "L", "L", false},
            {"cmbDistance", std::nullopt, "S", "S", false},
            {"cmbGrade", "Z9", "\b", "Z9", true},  // "Z" is no code
        };
        for (const auto& c : cases) {
            const bool grade = std::string(c.picker) == "cmbGrade";
            EditorFixture f([&](const QString& file) {
                vz::test::addRace(file, kToday, 1);
                vz::test::addRace(file, kToday, 2);
                store::RaceFile rf(fspath(file));
                base::Race first = rf.races()[0];
                (grade ? first.Grade : first.Distance) = c.before;
                rf.updateRace(first);
            });
            MessageRecorder boxes;
            auto* picker = f.child<QComboBox>(c.picker);
            picker->setFocus();
            QLineEdit* text = picker->lineEdit();  // none in a list that cannot be typed in
            if (std::string(c.typed) == "\b") {
                if (text)
                    text->end(false);
                QTest::keyClick(picker, Qt::Key_Backspace);
            } else {
                if (text)
                    text->selectAll();
                QTest::keyClicks(picker, QString::fromLatin1(c.typed));
            }
            QTest::keyClick(picker, Qt::Key_PageDown);
            const base::Race stored = f.races()[0];
            QCOMPARE(grade ? stored.Grade : stored.Distance, c.saved);
            QCOMPARE(f.editor()->currentRace(), c.refused ? 0 : 1);
            QCOMPARE(boxes.messages().size(), std::size_t{c.refused ? 1u : 0u});
        }
    }

    // Dogs not in the dog database show red, a dog twice on the day and a
    // post twice in a race are marked, and the race line counts the dogs.
    void theCardIsCheckedAsItIsEdited() {
        EditorFixture f(
            [](const QString& file) {
                vz::test::addRace(file, kToday, 1, {{1, "Alpha"}, {2, "Bravo"}, {2, "Nobody"}});
                vz::test::addRace(file, kToday, 2, {{1, "alpha"}});
            },
            {"Alpha", "Bravo"});
        auto* model = f.editor()->postsModel();
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 1 of 2 - 3 dogs"));
        auto cell = [&](int row, int column, int role) {
            return model->index(row, column).data(role);
        };
        // Rows by post: Alpha (1), Bravo (2), Nobody (2).
        QCOMPARE(cell(2, PostsModel::ColRegName, Qt::ForegroundRole).value<QBrush>().color(),
                 QColor(Qt::red));
        QVERIFY(!cell(1, PostsModel::ColRegName, Qt::ForegroundRole).isValid());
        QVERIFY(cell(2, PostsModel::ColRegName, Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("Nobody is not in the dog database")));
        QVERIFY(cell(1, PostsModel::ColPost, Qt::BackgroundRole).isValid());
        QVERIFY(!cell(0, PostsModel::ColPost, Qt::BackgroundRole).isValid());
        QVERIFY(cell(0, PostsModel::ColRegName, Qt::BackgroundRole).isValid());
        QCOMPARE(cell(0, PostsModel::ColRegName, Qt::ToolTipRole).toString(),
                 QStringLiteral("Alpha also runs in race 2"));
        // A typed fix clears the marks at once.
        QVERIFY(model->setData(model->index(2, PostsModel::ColPost), QStringLiteral("3"),
                               Qt::EditRole));
        QVERIFY(!cell(1, PostsModel::ColPost, Qt::BackgroundRole).isValid());
        QVERIFY(model->setData(model->index(2, PostsModel::ColRegName), QStringLiteral("Bravo"),
                               Qt::EditRole));
        QVERIFY(!cell(2, PostsModel::ColRegName, Qt::ForegroundRole).isValid());
        QVERIFY(cell(2, PostsModel::ColRegName, Qt::BackgroundRole).isValid());  // Bravo twice
        f.editor()->nextRace();
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 2 of 2 - 1 dog"));
    }

    // Closing one editor hands the keyboard to the next; Ctrl+F4 closes the
    // active one, saving what was typed as Close does.
    void closingAnEditorActivatesTheNextAndCtrlF4ClosesIt() {
        AppFixture app;
        const QString first = app.raceFile("first.rac");
        const QString second = app.raceFile("second.rac");
        for (const QString& file : {first, second}) {
            vz::test::addRace(file, kToday, 1);
            vz::test::addRace(file, kToday, 2);
        }
        auto main = app.startMain();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QApplication::setActiveWindow(main.get());
        FileDialogScript dialogs;
        dialogs.choose(first);
        dialogs.choose(second);
        vz::test::action(*main, "mnuOpen")->trigger();
        vz::test::action(*main, "mnuOpen")->trigger();
        RaceEditor* kept = main->raceEditorFor(first);
        main->raceEditorFor(second)->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        QTRY_COMPARE(main->raceEditors().size(), std::size_t{1});
        QTRY_VERIFY(kept->isAncestorOf(QApplication::focusWidget()));
        // Keys reach it through the main window, as typed keys do.
        QTest::keyClick(main->windowHandle(), Qt::Key_PageDown);
        QCOMPARE(kept->currentRace(), 1);

        // Ctrl+F4 closes it whatever the desktop's own keys are (here: a
        // desktop whose window menu has no Ctrl+F4).
        auto* sub = qobject_cast<QMdiSubWindow*>(kept->parentWidget());
        for (QAction* a : sub->systemMenu()->actions()) {
            QList<QKeySequence> keys = a->shortcuts();
            keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_F4));
            a->setShortcuts(keys);
        }
        kept->findChild<QLineEdit*>(QStringLiteral("txtFields1"))->setText(QStringLiteral("7"));
        QTest::keyClick(main->windowHandle(), Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(main->raceEditors().empty());
        QCOMPARE(store::RaceFile(fspath(first)).races().back().RaceNum, std::optional<int>(7));
        QCOMPARE(main->state().recentFiles[0].Title, std::string("first.rac"));
    }

    void windowKeepsItsMinimumSize() {
        EditorFixture f;
        auto* sub = qobject_cast<QMdiSubWindow*>(f.editor()->parentWidget());
        QVERIFY(sub);
        QCOMPARE(sub->minimumWidth(), twipsToPixelsX(6000));
        QCOMPARE(sub->minimumHeight(), twipsToPixelsY(5000));
        sub->resize(10, 10);
        QVERIFY(sub->width() >= twipsToPixelsX(6000));
        // Maximised in a main window whose inner area is too small: restored.
        sub->showMaximized();
        f.main->resize(twipsToPixelsX(5000), twipsToPixelsY(4000));
        QTRY_VERIFY(!sub->isMaximized());
    }
};

QTEST_MAIN(RaceEditorTest)
#include "test_race_editor.moc"
