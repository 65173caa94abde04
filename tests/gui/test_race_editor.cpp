#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
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
using vz::test::day;
using vz::test::kToday;

namespace {

// A main window with one race editor open on `file`.
struct EditorFixture {
    AppFixture app;
    std::unique_ptr<MainWindow> main;
    QString file;

    explicit EditorFixture(const std::function<void(const QString&)>& fill = {}) {
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
    std::vector<store::Race> races() const {
        return store::RaceFile(fspath(file), store::OpenMode::ReadOnly).races();
    }
    std::vector<store::Post> allPosts() const {
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
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 1 of 1"));
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
        const auto date = day(2026, 11, 30);
        EditorFixture f([&](const QString& file) {
            vz::test::addRace(file, date, 7);
            vz::test::addRace(file, day(2026, 11, 29), 9);
        });
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 1 of 2"));
        f.click("cmdAdd");
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 3 of 3"));
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
        QCOMPARE(f.editor()->raceCaption(), QStringLiteral(" Race Number: 1 of 1"));
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
        QCOMPARE(boxes.lastText(), QStringLiteral("Invalid date: 13/45/2026 - 13"));
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
        QCOMPARE(boxes.lastText(), QStringLiteral("Invalid race number: x7 - 13"));
        number->setText(QStringLiteral("5"));
        f.editor()->nextRace();
        QCOMPARE(f.editor()->currentRace(), 1);
        const auto races = f.races();
        QVERIFY(races.back().RaceDate == day(2026, 12, 8));
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
        QCOMPARE(boxes.lastText(), QStringLiteral("Invalid post number: two - 13"));
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
                store::Dog d;
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
