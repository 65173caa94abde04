// The real dialogs behind the Import windows' hooks: the requests they make
// of the shared file dialogs and message boxes, and the filter conversion.

#include <QTest>

#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/import/ui_hooks.h"

class ImportDefaultHooksTest : public QObject {
    Q_OBJECT

  private slots:
    void convertsFilters_data();
    void convertsFilters();
    void openDialogAsksForAnExistingFile();
    void saveDialogLeavesOverwriteToTheImporter();
    void messagesShowCrAsLineBreaks();
};

void ImportDefaultHooksTest::convertsFilters_data() {
    QTest::addColumn<QString>("pipe");
    QTest::addColumn<QString>("qt");
    QTest::newRow("race files") << "Race Files (*.rac)|*.rac"
                                << "Race Files (*.rac)";
    QTest::newRow("setup") << "DogPak/QuickDog Setup Files|setup.txt|All Files|*.*"
                           << "DogPak/QuickDog Setup Files (setup.txt);;All Files (*)";
    QTest::newRow("no extension") << "QAV TEST File|TEST|All Files|*.*"
                                  << "QAV TEST File (TEST);;All Files (*)";
    QTest::newRow("several patterns") << "Text|*.txt;*.TXT"
                                      << "Text (*.txt *.TXT)";
    QTest::newRow("odd part dropped") << "Text|*.txt|Dangling"
                                      << "Text (*.txt)";
}

void ImportDefaultHooksTest::convertsFilters() {
    QFETCH(QString, pipe);
    QFETCH(QString, qt);
    QCOMPARE(vz::gui::qtFileFilter(pipe), qt);
}

void ImportDefaultHooksTest::openDialogAsksForAnExistingFile() {
    vz::gui::FileDialogScript script;
    script.choose(QStringLiteral("/cards/setup.txt"));
    vz::gui::DefaultImportUiHooks hooks;
    QCOMPARE(hooks.openFile(nullptr, QStringLiteral("Pick"), QStringLiteral("/cards/"),
                            QStringLiteral("Setup|setup.txt|All Files|*.*")),
             QStringLiteral("/cards/setup.txt"));
    // Cancelled: an empty answer.
    QCOMPARE(hooks.openFile(nullptr, QStringLiteral("Pick"), QStringLiteral("/cards/"),
                            QStringLiteral("Setup|setup.txt")),
             QString());
    QCOMPARE(script.requests().size(), std::size_t{2});
    const auto& r = script.requests()[0];
    QCOMPARE(r.mode, vz::gui::FileDialogRequest::Mode::Open);
    QCOMPARE(r.title, QStringLiteral("Pick"));
    QCOMPARE(r.folder, QStringLiteral("/cards/"));
    QCOMPARE(r.filter, QStringLiteral("Setup (setup.txt);;All Files (*)"));
}

void ImportDefaultHooksTest::saveDialogLeavesOverwriteToTheImporter() {
    vz::gui::FileDialogScript script;
    script.choose(QStringLiteral("/data/a.rac"));
    script.choose(QStringLiteral("/data/b.rac"));
    vz::gui::DefaultImportUiHooks hooks;
    const QString filter = QStringLiteral("Race Files (*.rac)|*.rac");
    QCOMPARE(hooks.saveFile(nullptr, QStringLiteral("Name"), QStringLiteral("/data/"), filter),
             QStringLiteral("/data/a.rac"));
    // Shown again on a refused name: that name is proposed in its folder.
    QCOMPARE(hooks.saveFile(nullptr, QStringLiteral("Name"), QStringLiteral("/data/a.rac"), filter),
             QStringLiteral("/data/b.rac"));
    const auto& first = script.requests().at(0);
    QCOMPARE(first.mode, vz::gui::FileDialogRequest::Mode::Save);
    QVERIFY(!first.confirmOverwrite);
    QCOMPARE(first.folder, QStringLiteral("/data/"));
    QVERIFY(first.fileName.isEmpty());
    const auto& second = script.requests().at(1);
    QCOMPARE(second.folder, QStringLiteral("/data"));
    QCOMPARE(second.fileName, QStringLiteral("a.rac"));
    QVERIFY(!second.confirmOverwrite);
}

void ImportDefaultHooksTest::messagesShowCrAsLineBreaks() {
    vz::gui::MessageRecorder recorder;
    recorder.answer(QMessageBox::No);
    vz::gui::DefaultImportUiHooks hooks;
    QVERIFY(!hooks.askYesNo(nullptr, QStringLiteral("Confirm"), QStringLiteral("a\rb\r\nc")));
    QVERIFY(hooks.askYesNo(nullptr, QStringLiteral("Confirm"), QStringLiteral("again")));
    hooks.warn(nullptr, QStringLiteral("Error"), QStringLiteral("one\rtwo"));
    hooks.inform(nullptr, QStringLiteral("Import"), QStringLiteral("done"));
    const auto& m = recorder.messages();
    QCOMPARE(m.size(), std::size_t{4});
    QCOMPARE(m[0].text, QStringLiteral("a\nb\nc"));
    QCOMPARE(m[0].title, QStringLiteral("Confirm"));
    QCOMPARE(m[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(m[2].text, QStringLiteral("one\ntwo"));
    QCOMPARE(m[2].title, QStringLiteral("Error"));
    QCOMPARE(m[2].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(m[3].title, QStringLiteral("Import"));
}

QTEST_MAIN(ImportDefaultHooksTest)
#include "test_import_hooks_default.moc"
