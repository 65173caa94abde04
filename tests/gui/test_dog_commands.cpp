// The dog windows behind the main window's Dogs and Races menus: one dog
// editor, the work windows opened modal, the editor closed (and its edits
// saved) before the commands that rewrite the dog database.

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/store/dog_database.h"
#include "gui/common/messages.h"
#include "gui/vovoziruzu/edit_dogs.h"
#include "gui/vovoziruzu/work_window.h"
#include "gui_test_support.h"

using namespace vz;
using namespace vz::gui;
using vz::test::action;
using vz::test::AppFixture;

namespace {

// Runs `act` on the work window as soon as it shows (it is modal, so the
// test's own code waits in its event loop).
void whenWorkWindowShows(const std::function<void(WorkWindow&)>& act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* w = qobject_cast<WorkWindow*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*w);
        }
    });
    timer->start();
}

// Runs `trigger`, which opens a modal window; records the modal window's
// object name and caption and closes it with Cancel.
struct ModalSeen {
    QString name;
    QString title;
};

ModalSeen openAndCancel(const std::function<void()>& trigger) {
    ModalSeen seen;
    whenWorkWindowShows([&seen](WorkWindow& w) {
        seen.name = w.objectName();
        seen.title = w.windowTitle();
        w.cancelButton()->click();
    });
    trigger();
    return seen;
}

// The same, clicking Start; returns when the window has closed itself.
void openAndStart(const std::function<void()>& trigger) {
    whenWorkWindowShows([](WorkWindow& w) { w.startButton()->click(); });
    trigger();
}

void setComments(EditDogs& ed, const QString& text) {
    QWidget* box = ed.findChild<QWidget*>(QStringLiteral("txtFields6"));
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        plain->setPlainText(text);
    }
}

QList<EditDogs*> editors(MainWindow& w) {
    QList<EditDogs*> out;
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        if (auto* e = qobject_cast<EditDogs*>(sub->widget())) {
            out << e;
        }
    }
    return out;
}

}  // namespace

class DogCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { vz::test::deleteTopLevelWidgets(); }

    void editDogsOpensOneDogEditor() {
        AppFixture app;
        MessageRecorder boxes;
        auto w = app.startMain();
        action(*w, "mnuEditDogs")->trigger();
        w->findChild<QAbstractButton*>("cmdEditDogs")->click();
        QCOMPARE(editors(*w).size(), 1);
        QCOMPARE(w->mdiArea()->subWindowList().front()->windowTitle(), QStringLiteral("Dogs"));
        QVERIFY(boxes.messages().empty());
    }

    void eachCommandOpensItsWindow() {
        AppFixture app;
        MessageRecorder boxes;
        auto w = app.startMain();
        const struct {
            const char* action;
            const char* name;
            const char* title;
        } cases[] = {
            {"mnuUpdateRunningStyle", "RunningStyle", "Update Running Style"},
            {"mnuZero", "Zero", "Zero Starts, 1st, 2nd, 3rd"},
            {"mnuDelRaceDat", "DeleteRaceData", "Delete Old Race Data"},
            {"mnuDelDogs", "DeleteDogs", "Delete Old Dogs"},
            {"mnuDeleteResults", "DeleteRacesResults", "Delete Old Results and Race Files"},
        };
        for (const auto& c : cases) {
            const ModalSeen seen = openAndCancel([&] { action(*w, c.action)->trigger(); });
            QCOMPARE(seen.name, QString::fromLatin1(c.name));
            QCOMPARE(seen.title, QString::fromLatin1(c.title));
        }
        const ModalSeen button = openAndCancel(
            [&] { w->findChild<QAbstractButton*>("cmdUpdateRunningStyle")->click(); });
        QCOMPARE(button.name, QStringLiteral("RunningStyle"));
        QVERIFY(boxes.messages().empty());
    }

    // The commands that rewrite the dog database close the editor when their
    // Start is pressed, its edits saved on the way; opening and cancelling
    // leaves it open.
    void rewritingCommandsCloseTheEditorAtStart() {
        AppFixture app;
        {
            store::DogDatabase db(app.paths.dogDatabase());
            base::Dog d;
            d.RegName = "Alpha";
            db.addDog(d);
            // A line of today: the deletions keep the dog.
            base::RaceLine l;
            l.RegName = "Alpha";
            l.RaceDate = vz::test::kToday;
            db.addRaceLine(l);
        }
        MessageRecorder boxes;
        auto w = app.startMain();
        for (const char* command :
             {"mnuDelRaceDat", "mnuDelDogs", "mnuZero", "mnuUpdateRunningStyle"}) {
            w->editDogs();
            QCOMPARE(editors(*w).size(), 1);
            EditDogs* ed = editors(*w).front();
            setComments(*ed, QString::fromLatin1(command));
            openAndCancel([&] { action(*w, command)->trigger(); });
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY2(editors(*w).size() == 1, command);
            openAndStart([&] { action(*w, command)->trigger(); });
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY2(editors(*w).isEmpty(), command);
            store::DogDatabase db(app.paths.dogDatabase());
            QCOMPARE(db.findDog("Alpha")->Comments.value(), std::string(command));
        }
        // The results deletion leaves the editor open.
        w->editDogs();
        openAndStart([&] { action(*w, "mnuDeleteResults")->trigger(); });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(editors(*w).size(), 1);
    }

    void theReminderYesOpensTheRunningStyleWindow() {
        AppFixture app;
        app.writeSettingsDaysAgo(31);
        MessageRecorder boxes;
        auto w = app.startMain();
        const ModalSeen seen = openAndCancel([&] { w->offerStyleReminder(); });
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Alert"));
        QCOMPARE(seen.name, QStringLiteral("RunningStyle"));
    }

    // A completed update changes the program's settings, so that the exit
    // writes the new factors too.
    void aCompletedUpdateReachesTheProgramsSettings() {
        AppFixture app;
        app.writeSettingsDaysAgo(45);
        MessageRecorder boxes;
        boxes.answer(QMessageBox::No);  // the reminder
        auto w = app.startMain();
        w->offerStyleReminder();
        openAndStart([&] { w->updateRunningStyle(); });
        QCOMPARE(boxes.lastText(), QStringLiteral("Update Running Style complete."));
        QVERIFY(w->state().settings.LastStyleUpdate == test::kToday);
        w->writeExitSettings();
        QVERIFY(base::readSettings(app.paths.settingsFile()).settings.LastStyleUpdate ==
                test::kToday);
    }
};

QTEST_MAIN(DogCommandsTest)
#include "test_dog_commands.moc"
