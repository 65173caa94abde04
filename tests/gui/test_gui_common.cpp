#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocalSocket>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>

#include "core/base/error.h"
#include "core/store/dog_database.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/single_instance.h"
#include "gui/common/text_viewer.h"
#include "gui/common/waiting.h"
#include "gui/common/worker.h"
#include "tests/support/test_support.h"

using namespace vz::gui;

class GuiCommonTest : public QObject {
    Q_OBJECT
  private slots:
    // A job on the worker thread: its progress reaches the bar in whole
    // percents, Cancel is seen by the job, and its end (with the error it
    // threw) comes back on the window's thread.
    void workerRunsAJobAndReportsItsEnd() {
        const struct {
            const char* name;
            bool cancel;
            bool fails;
            int barAtEnd;  // 3 of 4 done: 75%
        } cases[] = {
            {"completes", false, false, 75},
            {"cancelled", true, false, 0},
            {"fails", false, true, 75},
        };
        for (const auto& c : cases) {
            QWidget window;
            QProgressBar bar;
            bar.setValue(0);
            Worker worker(&window);
            worker.showProgressIn(&bar);
            std::atomic<bool> asked{false};
            std::atomic<bool> sawCancel{false};
            std::optional<vz::Error> error;
            bool ended = false;
            bool endedOnWindowThread = false;
            QVERIFY(worker.start(
                [&](const vz::base::Progress& progress, const std::function<bool()>& cancelled) {
                    while (c.cancel && !asked) {
                        std::this_thread::yield();
                    }
                    if (cancelled()) {
                        sawCancel = true;
                        return;
                    }
                    progress(3, 4);
                    if (c.fails) {
                        throw vz::Error("Disk full", 61);
                    }
                },
                [&](const std::optional<vz::Error>& e) {
                    error = e;
                    ended = true;
                    endedOnWindowThread = QThread::currentThread() == window.thread();
                }));
            QVERIFY(worker.running());
            QVERIFY2(!worker.start([](auto&, auto&) {}, [](auto&) {}), c.name);  // one at a time
            if (c.cancel) {
                worker.cancel();
                asked = true;
            }
            QTRY_VERIFY2(ended, c.name);
            QVERIFY(endedOnWindowThread && !worker.running());
            QCOMPARE(sawCancel.load(), c.cancel);
            QCOMPARE(error.has_value(), c.fails);
            if (c.fails) {
                QCOMPARE(error->number(), 61);
            }
            QCOMPARE(bar.value(), c.barAtEnd);
        }
    }

    // A job that returns what it made: the end gets it, or nothing and the
    // error; Cancel says so in the status line.
    void workerHandsBackWhatTheJobMade() {
        const struct {
            const char* name;
            bool cancel;
            bool fails;
            const char* status;
        } cases[] = {
            {"made", false, false, "Working"},
            {"cancelled", true, false, "Cancelling..."},
            {"fails", false, true, "Working"},
        };
        for (const auto& c : cases) {
            QWidget window;
            QLabel status(QStringLiteral("Working"));
            Worker worker(&window);
            worker.showCancellingIn(&status);
            worker.cancel();  // nothing runs: nothing to say
            QCOMPARE(status.text(), QStringLiteral("Working"));
            std::atomic<bool> go{false};
            std::optional<int> made;
            std::optional<vz::Error> error;
            bool ended = false;
            QVERIFY(worker.run(
                [&](const vz::base::Progress&, const std::function<bool()>& cancelled) {
                    while (!go) {
                        std::this_thread::yield();
                    }
                    if (c.fails) {
                        throw vz::Error("Disk full", 61);
                    }
                    return cancelled() ? -1 : 42;
                },
                [&](std::optional<int> m, const std::optional<vz::Error>& e) {
                    made = m;
                    error = e;
                    ended = true;
                }));
            if (c.cancel) {
                worker.cancel();
            }
            go = true;
            QTRY_VERIFY2(ended, c.name);
            QCOMPARE(status.text(), QString::fromLatin1(c.status));
            QCOMPARE(error.has_value(), c.fails);
            QCOMPARE(made.has_value(), !c.fails);
            if (made) {
                QCOMPARE(*made, c.cancel ? -1 : 42);
            }
        }
    }

    void commonErrorTextJoinsDescriptionAndNumber() {
        QCOMPARE(commonErrorText(vz::Error("File not found", 53)),
                 QStringLiteral("File not found - 53"));
        MessageRecorder recorder;
        showCommonError(nullptr, std::runtime_error("boom"));
        QCOMPARE(recorder.messages().size(), std::size_t{1});
        QCOMPARE(recorder.lastTitle(), QStringLiteral("Vellicor Vovoziruzu"));
        QCOMPARE(recorder.lastText(), QStringLiteral("boom - 0"));
        QCOMPARE(recorder.messages()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void recorderAnswersInOrder() {
        MessageRecorder recorder;
        recorder.answer(QMessageBox::No);
        QVERIFY(!askYesNo(nullptr, QStringLiteral("Confirm"), QStringLiteral("a?")));
        QVERIFY(askYesNo(nullptr, QStringLiteral("Confirm"), QStringLiteral("b?")));
        QCOMPARE(recorder.messages().size(), std::size_t{2});
    }

    void fileDialogScriptAnswersAndCancels() {
        FileDialogScript script;
        script.choose(QStringLiteral("/tmp/a.rac"));
        auto first =
            chooseFile(nullptr, {.title = QStringLiteral("T"), .folder = QStringLiteral("/tmp")});
        QVERIFY(first.has_value());
        QCOMPARE(*first, QStringLiteral("/tmp/a.rac"));
        QVERIFY(!chooseFile(nullptr, {}).has_value());
        QCOMPARE(script.requests().size(), std::size_t{2});
        QCOMPARE(script.requests()[0].title, QStringLiteral("T"));
    }

    void twipsRoundTrip() {
        // 1440 twips are one inch at the screen's logical DPI.
        const int inch = twipsToPixelsX(1440);
        QVERIFY(inch > 0);
        QCOMPARE(pixelsToTwipsX(inch), 1440L);
        QCOMPARE(twipsToPixelsY(0), 0);
    }

    void dateConversionRoundTrip() {
        const vz::base::Date d{std::chrono::year{2026}, std::chrono::month{12},
                               std::chrono::day{7}};
        QCOMPARE(toQDate(d), QDate(2026, 12, 7));
        QVERIFY(fromQDate(QDate(2026, 12, 7)) == d);
        QVERIFY(!fromQDate(QDate()).has_value());
    }

    void secondInstanceIsRefusedAndNotifies() {
        const QString name =
            QStringLiteral("vz-test-single-") + QString::number(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QVERIFY(first.listen());
        SingleInstance second(name);
        QVERIFY(!second.listen());
        QVERIFY(SingleInstance::notifyRunning(name, 200));

        QWidget window;
        first.setWindow(&window);
        bool activated = false;
        QObject::connect(&first, &SingleInstance::activated, [&] { activated = true; });
        // A socket from the running loop, as a second process would send it.
        QLocalSocket socket;
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(500));
        socket.write("activate\n");
        socket.flush();
        QTRY_VERIFY_WITH_TIMEOUT(activated, 3000);
        QVERIFY(window.isVisible());
    }

    void nobodyRunningMeansNoNotify() {
        QVERIFY(!SingleInstance::notifyRunning(QStringLiteral("vz-test-nobody-here"), 100));
    }

    void viewerShowsFormFeedsAsPageBreaks() {
        vz::test::TempDir dir;
        const auto file = dir / "Card - Results.txt";
        vz::test::writeText(file, "race 1\r\n\r\n\r\nrace 2\r\n\r\n\f\r\nrace 3\r\nend\r\n");
        TextViewer viewer;
        viewer.loadFile(file);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Card - Results.txt"));
        QCOMPARE(viewer.pageBreakCount(), 1);
        QCOMPARE(viewer.plainText(), QStringLiteral("race 1\n\n\nrace 2\n\n\f\nrace 3\nend\n"));
        QVERIFY(!viewer.plainText().contains(QStringLiteral("\f\f")));
    }

    void viewerFindsAndWraps() {
        TextViewer viewer;
        viewer.setText(QStringLiteral("alpha\r\nbeta\r\nalpha\r\n"), QStringLiteral("t"));
        QVERIFY(viewer.findNext(QStringLiteral("alpha")));
        QVERIFY(viewer.findNext(QStringLiteral("alpha")));
        QVERIFY(viewer.findNext(QStringLiteral("alpha")));  // wraps to the top
        QVERIFY(!viewer.findNext(QStringLiteral("gamma")));
        QVERIFY(!viewer.findNext(QString()));
    }

    void viewerSavesPdf() {
        vz::test::TempDir dir;
        TextViewer viewer;
        viewer.setText(QStringLiteral("page one\r\n\f\r\npage two\r\n"), QStringLiteral("t"));
        const QString pdf = qpath(dir / "out.pdf");
        viewer.saveAsPdf(pdf);
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        // Two pages: the form feed started a new one.
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                     bytes.count("/Type /Page "),
                 2);

        // A save that cannot be made says so and replaces nothing.
        QVERIFY_THROWS_EXCEPTION(vz::Error, viewer.saveAsPdf(qpath(dir / "missing" / "out.pdf")));
        viewer.setText(QStringLiteral("other\r\n"), QStringLiteral("t"));
        QVERIFY(QDir().mkdir(qpath(dir / "folder.pdf")));
        QVERIFY_THROWS_EXCEPTION(vz::Error, viewer.saveAsPdf(qpath(dir / "folder.pdf")));
        QVERIFY(QFileInfo(qpath(dir / "folder.pdf")).isDir());
    }

    // A save made on the window thread (the dog editor's) that waits for
    // another program shows it in the window's title, which comes back after.
    void windowThreadWaitsShowInTheTitleUntilTheWaitIsOver() {
        vz::test::TempDir dir;
        const vz::base::AppPaths paths = vz::test::makeAppFolder(dir.path());
        const vz::store::BusyWait saved = vz::store::busyWait();
        vz::store::setBusyWait({std::chrono::seconds(30), std::chrono::milliseconds(50)});
        const auto restore = qScopeGuard([&] { vz::store::setBusyWait(saved); });
        QWidget window;
        window.setWindowTitle(QStringLiteral("Dogs"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList titles;
        connect(&window, &QWidget::windowTitleChanged,
                [&](const QString& title) { titles << title; });
        const WindowThreadWaits waits;

        std::atomic<bool> holding{false};
        std::thread other([&] {
            vz::store::DogDatabase db(paths.dogDatabase());
            vz::store::DogDatabase::Transaction tx(db);
            db.addDog(vz::base::Dog{0, "Imported", "M", 0, 0, 0, 0, std::nullopt});
            holding = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            tx.commit();
        });
        while (!holding) {
            std::this_thread::yield();
        }
        vz::store::DogDatabase db(paths.dogDatabase());
        db.addDog(vz::base::Dog{0, "Edited", "M", 0, 0, 0, 0, std::nullopt});
        other.join();

        QVERIFY(!titles.isEmpty());
        QCOMPARE(titles.first(),
                 QStringLiteral("Dogs - Waiting for another program to finish writing the dog "
                                "database... 0 s"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Dogs"));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(db.dogCount(), 2);
    }

    void viewerRefusesMissingFile() {
        vz::test::TempDir dir;
        bool threw = false;
        try {
            TextViewer::showFile(dir / "missing.txt");
        } catch (const vz::Error&) {
            threw = true;
        }
        QVERIFY(threw);
    }
};

QTEST_MAIN(GuiCommonTest)
#include "test_gui_common.moc"
