// The importer window: its open sequence (input dialogs, the race file's
// name with the overwrite loop and the refusal of a file that is not a race
// file), Cancel, and an import run through the window for each format, with
// its completion and failure messages.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <optional>

#include "core/import/import.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "gui/common/file_dialogs.h"
#include "gui/import/import_bridge.h"
#include "gui/import/importer_dialog.h"
#include "gui/import/ui_hooks.h"
#include "tests/gui/test_import_hooks.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using vz::gui::ImporterDescription;
using vz::gui::ImporterDialog;
using vz::test::ScriptedHooks;

// The description of a format, failing the test when it is not registered.
#define DESCRIBE(var, fixture, index)                                          \
    std::optional<ImporterDescription> var##Found = (fixture).describe(index); \
    QVERIFY2(var##Found.has_value(), "format not registered");                 \
    ImporterDescription var = *var##Found

namespace {

constexpr int kTrackInfo = 0;
constexpr int kRosnet = 1;
constexpr int kDogPak = 2;
constexpr int kDerbyLane = 3;
constexpr int kQav = 4;

QString q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

const QString kAdvice =
    QStringLiteral("You should run 'Update Running Style' before processing a race.");
const QString kFailure =
    QStringLiteral("Error importing file.\rPerhaps you selected the wrong import type?");

// An application folder with its remembered folders, as the menu holds them.
struct Fixture {
    vz::test::TempDir dir;
    vz::base::AppPaths paths = vz::test::makeAppFolder(dir.path());
    vz::gui::RememberedFolders folders;
    ScriptedHooks hooks;

    Fixture() { vz::gui::loadRememberedFolders(paths, folders); }

    std::optional<ImporterDescription> describe(int index) {
        static const char* const keys[] = {"trackinfo", "rosnet", "dogpak", "derbylane", "qav"};
        for (ImporterDescription& d : vz::gui::importerDescriptions(folders)) {
            if (d.formatKey == keys[index]) {
                return d;
            }
        }
        return std::nullopt;
    }
    fs::path input(const std::string& name, const std::string& text) {
        const fs::path p = dir / "inputs" / name;
        fs::create_directories(p.parent_path());
        vz::test::writeText(p, text);
        return p;
    }
};

// Small inputs of each format kept beside these tests (DogPak/QuickDog
// writes all eight posts of a race, empty slots too).
fs::path sampleFile(const std::string& name) {
    const fs::path own = vz::test::sourceDir() / "tests/gui/data/import" / name;
    return own;
}

// Starts the import and waits for the window to close itself.
bool runThroughWindow(ImporterDialog& dialog) {
    QSignalSpy finished(&dialog, &ImporterDialog::importFinished);
    dialog.show();
    QPushButton* ok = dialog.findChild<QPushButton*>("cmdOK");
    QTest::mouseClick(ok, Qt::LeftButton);
    if (!dialog.importing() && finished.isEmpty()) {
        return false;
    }
    // While the run goes, the buttons are hidden and the status says so.
    if (finished.isEmpty()) {
        if (ok->isVisible() || dialog.findChild<QPushButton*>("cmdCancel")->isVisible()) {
            return false;
        }
        if (dialog.statusText() != QStringLiteral("Importing, please wait...")) {
            return false;
        }
        dialog.close();  // cannot be closed during the run
        if (!dialog.isVisible()) {
            return false;
        }
    }
    return finished.wait(60000) || !finished.isEmpty();
}

}  // namespace

class ImporterDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void showsItsCaptionAndReadyText_data();
    void showsItsCaptionAndReadyText();
    void cancelledInputDialogClosesSilently();
    void remembersTheFolderOfTheChosenFile_data();
    void remembersTheFolderOfTheChosenFile();
    void folderOfNameAlsoInItsPath();
    void cancellingSecondDogPakDialogKeepsFirstFolder();
    void overwriteLoopAsksAgainOnNo();
    void overwriteAnsweredYesKeepsTheOldFileUntilTheImport();
    void aFileThatIsNotARaceFileIsRefusedAndAskedAgain();
    void cancelledSaveDialogCreatesNothing();
    void cancelLeavesTheNamedFileAsItWas();
    void failedTemplateCopyIsReported();
    void overwriteQuestionStandsOverTheWindow();
    void wrongFileShowsImportFailure();
    void databaseFaultNamesItsCause();
    void importsThroughTheWindow_data();
    void importsThroughTheWindow();
    void importsProjectSamplesLikeTheCore_data();
    void importsProjectSamplesLikeTheCore();
};

void ImporterDialogTest::showsItsCaptionAndReadyText_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QString>("ready");
    QTest::addColumn<bool>("asksRaceFile");
    QTest::newRow("TrackInfo") << kTrackInfo << "Import from TrackInfo"
                               << QStringList{"Select TrackInfo file to import from..."}
                               << QStringList{"TrackInfo Files|*.txt|All Files|*.*"}
                               << "Ready to import from TrackInfo" << true;
    QTest::newRow("Rosnet") << kRosnet << "Import from Rosnet"
                            << QStringList{"Select Rosnet file to import from..."}
                            << QStringList{"Rosnet Files|*.txt|All Files|*.*"}
                            << "Ready to import from Rosnet" << true;
    QTest::newRow("DogPak") << kDogPak << "Import from DogPak/QuickDog"
                            << QStringList{"Select DogPak/QuickDog SETUP file to import from...",
                                           "Select DogPak/QuickDog LINES file to import from..."}
                            << QStringList{"DogPak/QuickDog Setup Files|setup.txt|All Files|*.*",
                                           "DogPak/QuickDog Lines Files|lines.txt|All Files|*.*"}
                            << "Ready to import from DogPak/QuickDog" << true;
    QTest::newRow("Derby Lane") << kDerbyLane << "Import from Derby Lane"
                                << QStringList{"Select Derby Lane file to import from..."}
                                << QStringList{"Derby Lane Files|*.txt|All Files|*.*"}
                                << "Ready to import from Derby Lane" << true;
    QTest::newRow("QAV TEST") << kQav << "Import from QAV TEST"
                              << QStringList{"Select QAV TEST file to import from..."}
                              << QStringList{"QAV TEST File|TEST|All Files|*.*"}
                              << "Ready to import from QAV TEST" << false;
}

void ImporterDialogTest::showsItsCaptionAndReadyText() {
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, filters);
    QFETCH(QString, ready);
    QFETCH(bool, asksRaceFile);

    Fixture f;
    const fs::path in = f.input("one.txt", "x\r\n");
    for (int i = 0; i < titles.size(); ++i) {
        f.hooks.openAnswers.push_back(q(in));
    }
    const fs::path race = f.dir / "card.rac";
    f.hooks.saveAnswers.push_back(q(race));

    DESCRIBE(description, f, index);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QCOMPARE(dialog.windowTitle(), caption);
    QCOMPARE(dialog.statusText(), QStringLiteral("Ready to import"));
    QVERIFY(dialog.prepare());
    QCOMPARE(dialog.statusText(), ready);

    const auto opens = f.hooks.callsOf("open");
    QCOMPARE(static_cast<int>(opens.size()), titles.size());
    for (int i = 0; i < titles.size(); ++i) {
        QCOMPARE(opens[static_cast<std::size_t>(i)].title, titles[i]);
        QCOMPARE(opens[static_cast<std::size_t>(i)].filter, filters[i]);
        QCOMPARE(opens[static_cast<std::size_t>(i)].window, caption);
        // A first start offers the data folder, without trailing separator.
        QCOMPARE(opens[static_cast<std::size_t>(i)].text, q(f.paths.dataDir()));
    }
    const auto saves = f.hooks.callsOf("save");
    if (asksRaceFile) {
        QCOMPARE(saves.size(), std::size_t{1});
        QCOMPARE(saves[0].title, QStringLiteral("Name new race file..."));
        QCOMPARE(saves[0].filter, QStringLiteral("Race Files (*.rac)|*.rac"));
        QCOMPARE(saves[0].text, q(f.paths.dataDir()) + QLatin1Char('/'));
        QCOMPARE(dialog.raceFile().value(), race);
        QVERIFY(!fs::exists(race));  // made by the run
    } else {
        QVERIFY(saves.empty());
        QVERIFY(!dialog.raceFile().has_value());
        QVERIFY(!fs::exists(race));
    }
    QCOMPARE(dialog.inputFiles().size(), static_cast<std::size_t>(titles.size()));
    QCOMPARE(dialog.inputFiles().front(), in);
    // The ready window names what it will read and write.
    auto* files = dialog.findChild<QLabel*>(QStringLiteral("lblFiles"));
    QVERIFY(files);
    const QString from = titles.size() == 2 ? QStringLiteral("From: one.txt, one.txt")
                                            : QStringLiteral("From: one.txt");
    QCOMPARE(files->text(), asksRaceFile ? from + QStringLiteral("\nInto: card.rac") : from);
    QVERIFY(files->toolTip().contains(q(in)));
}

void ImporterDialogTest::cancelledInputDialogClosesSilently() {
    Fixture f;
    const std::string before = f.folders.folder("TrackInfoFolder");
    DESCRIBE(description, f, kTrackInfo);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(!dialog.prepare());
    QCOMPARE(f.hooks.kinds(), QStringList{"open"});  // no save dialog, no message
    QCOMPARE(f.folders.folder("TrackInfoFolder"), before);
    QVERIFY(!dialog.raceFile().has_value());
}

void ImporterDialogTest::remembersTheFolderOfTheChosenFile_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << "/cards/setup.txt"
                           << "/cards/";
    QTest::newRow("name also in a folder") << "/TEST/cards/TEST"
                                           << "/TEST/cards/";
    QTest::newRow("one letter") << "/data/a"
                                << "/data/";
    QTest::newRow("backslashes") << "C:\\TEST\\TEST"
                                 << "C:\\TEST\\";
    QTest::newRow("root") << "/TEST"
                          << "/";
}

void ImporterDialogTest::remembersTheFolderOfTheChosenFile() {
    QFETCH(QString, chosen);
    QFETCH(QString, folder);
    QCOMPARE(QString::fromStdString(vz::gui::rememberedFolderOf(chosen)), folder);
}

void ImporterDialogTest::folderOfNameAlsoInItsPath() {
    Fixture f;
    const fs::path qav = f.input("TEST/TEST", "x");
    f.hooks.openAnswers = {q(qav)};
    DESCRIBE(description, f, kQav);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(dialog.prepare());
    QCOMPARE(f.folders.folder("QavFolder"), qav.parent_path().string() + "/");
}

void ImporterDialogTest::cancellingSecondDogPakDialogKeepsFirstFolder() {
    Fixture f;
    const fs::path setup = f.input("setupdir/setup.txt", "s\r\n");
    f.hooks.openAnswers.push_back(q(setup));  // the lines dialog is then cancelled
    const std::string lines = f.folders.folder("LinesFolder");
    DESCRIBE(description, f, kDogPak);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(!dialog.prepare());
    QCOMPARE(f.hooks.kinds(), (QStringList{"open", "open"}));
    // The folder of the chosen file, with its trailing separator.
    QCOMPARE(f.folders.folder("SetupFolder"), setup.parent_path().string() + "/");
    QCOMPARE(f.folders.folder("LinesFolder"), lines);
    // The lines dialog starts in its own remembered folder.
    QCOMPARE(f.hooks.callsOf("open")[1].text, QString::fromStdString(lines));
}

void ImporterDialogTest::overwriteLoopAsksAgainOnNo() {
    Fixture f;
    const fs::path in = f.input("card.txt", "x\r\n");
    const fs::path existing = f.dir / "old.rac";
    const fs::path fresh = f.dir / "new card";  // the race file extension is added
    vz::test::makeRaceFile(existing);
    const std::string before = vz::test::readText(existing);
    f.hooks.openAnswers = {q(in)};
    f.hooks.saveAnswers = {q(existing), q(fresh)};
    f.hooks.askAnswers = {false};

    DESCRIBE(description, f, kRosnet);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(dialog.prepare());
    QCOMPARE(f.hooks.kinds(), (QStringList{"open", "save", "ask", "save"}));
    const auto ask = f.hooks.callsOf("ask").at(0);
    QCOMPARE(ask.title, QStringLiteral("Confirm"));
    QCOMPARE(ask.text, QStringLiteral("This file\r") + q(existing) +
                           QStringLiteral("\ralready exists.  Overwrite?"));
    // The dialog comes back on the name just refused.
    QCOMPARE(f.hooks.callsOf("save").at(1).text, q(existing));
    QCOMPARE(vz::test::readText(existing), before);
    QCOMPARE(dialog.raceFile().value(), f.dir / "new card.rac");
    // The run makes the file.
    QVERIFY(!fs::exists(f.dir / "new card.rac"));
    QVERIFY(!fs::exists(fresh));
}

void ImporterDialogTest::overwriteAnsweredYesKeepsTheOldFileUntilTheImport() {
    Fixture f;
    const fs::path in = sampleFile("derbylane.txt");
    const fs::path existing = f.dir / "old.rac";
    vz::test::makeRaceFile(existing);
    vz::base::Race old;
    old.RaceNum = 14;
    vz::store::RaceFile(existing).addRace(old);
    const std::string before = vz::test::readText(existing);
    f.hooks.openAnswers = {q(in)};
    f.hooks.saveAnswers = {q(existing), q(existing)};
    f.hooks.askAnswers = {false, true};

    DESCRIBE(description, f, kDerbyLane);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(dialog.prepare());
    QCOMPARE(f.hooks.kinds(), (QStringList{"open", "save", "ask", "save", "ask"}));
    QCOMPARE(dialog.statusText(), QStringLiteral("Ready to import from Derby Lane"));
    QCOMPARE(vz::test::readText(existing), before);
    // The import replaces it with the new card alone (two races, none of them 14).
    QVERIFY(runThroughWindow(dialog));
    QVERIFY(f.hooks.callsOf("warn").empty());
    const auto races = vz::store::RaceFile(existing).races();
    QCOMPARE(races.size(), std::size_t{2});
    for (const vz::base::Race& r : races) {
        QVERIFY(r.RaceNum != 14);
    }
}

// Only a race file is ever replaced: naming any other file that exists (or
// one of the system's own) says why and shows the dialog again.
void ImporterDialogTest::aFileThatIsNotARaceFileIsRefusedAndAskedAgain() {
    Fixture f;
    const fs::path in = f.input("card.txt", "x\r\n");
    const fs::path notes = f.dir / "notes.rac";
    vz::test::writeText(notes, "my notes");
    const fs::path wal = f.paths.dogDatabase().string() + "-wal";
    f.hooks.openAnswers = {q(in)};
    f.hooks.saveAnswers = {q(notes), q(wal), q(f.dir / "fresh.rac")};

    DESCRIBE(description, f, kTrackInfo);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(dialog.prepare());
    QCOMPARE(f.hooks.kinds(), (QStringList{"open", "save", "warn", "save", "warn", "save"}));
    const auto warns = f.hooks.callsOf("warn");
    QCOMPARE(warns[0].title, QStringLiteral("Import"));
    QCOMPARE(warns[0].text, QStringLiteral("The file ") + q(notes) +
                                QStringLiteral(" is not a race file: only a race file is replaced "
                                               "by a new one. Choose another name."));
    QCOMPARE(warns[1].text, QStringLiteral("The file ") + q(wal) +
                                QStringLiteral(" is one of the system's own files: a race file "
                                               "cannot take its name. Choose another name."));
    // Asked again on the name refused.
    QCOMPARE(f.hooks.callsOf("save").at(1).text, q(notes));
    QCOMPARE(vz::test::readText(notes), std::string("my notes"));
    QVERIFY(!fs::exists(wal));
    QCOMPARE(dialog.raceFile().value(), f.dir / "fresh.rac");
}

// The real question box, answered by a timer: it stands centred over the
// importer window, where the window shows once the dialogs are done.
void ImporterDialogTest::overwriteQuestionStandsOverTheWindow() {
    Fixture f;
    const fs::path in = f.input("card.txt", "x\r\n");
    const fs::path existing = f.dir / "old.rac";
    vz::test::makeRaceFile(existing);
    vz::gui::FileDialogScript dialogs;
    dialogs.choose(q(in));
    dialogs.choose(q(existing));
    vz::gui::DefaultImportUiHooks realBoxes;
    QPoint boxCentre;
    QTimer::singleShot(0, [&boxCentre] {
        std::function<void()> look;
        look = [&boxCentre, &look] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxCentre = box->frameGeometry().center();
                box->button(QMessageBox::Yes)->click();
                return;
            }
            QTimer::singleShot(10, look);
        };
        look();
    });
    DESCRIBE(description, f, kRosnet);
    ImporterDialog dialog(description, f.paths, vz::base::today(), realBoxes);
    QVERIFY(dialog.prepare());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint windowCentre = dialog.frameGeometry().center();
    QVERIFY2((boxCentre - windowCentre).manhattanLength() <= 40,
             qPrintable(QStringLiteral("box at %1,%2, window at %3,%4")
                            .arg(boxCentre.x())
                            .arg(boxCentre.y())
                            .arg(windowCentre.x())
                            .arg(windowCentre.y())));
}

void ImporterDialogTest::cancelledSaveDialogCreatesNothing() {
    Fixture f;
    const fs::path in = f.input("card.txt", "x\r\n");
    f.hooks.openAnswers = {q(in)};
    DESCRIBE(description, f, kTrackInfo);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(!dialog.prepare());
    QCOMPARE(f.hooks.kinds(), (QStringList{"open", "save"}));
    QVERIFY(!dialog.raceFile().has_value());
    // The input's folder was remembered before the cancel.
    QCOMPARE(f.folders.folder("TrackInfoFolder"), in.parent_path().string() + "/");
    for (const auto& entry : fs::directory_iterator(f.paths.dataDir())) {
        QVERIFY(entry.path().extension() != ".rac");
    }
}

void ImporterDialogTest::cancelLeavesTheNamedFileAsItWas() {
    Fixture f;
    const fs::path in = f.input("card.txt", "x\r\n");
    const fs::path fresh = f.dir / "empty.rac";
    const fs::path existing = f.dir / "old.rac";
    vz::test::makeRaceFile(existing);
    vz::base::Race old;
    old.RaceNum = 3;
    vz::store::RaceFile(existing).addRace(old);
    const std::string before = vz::test::readText(existing);
    for (const fs::path& race : {fresh, existing}) {
        f.hooks.openAnswers = {q(in)};
        f.hooks.saveAnswers = {q(race)};
        f.hooks.askAnswers = {true};
        DESCRIBE(description, f, kTrackInfo);
        ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
        QVERIFY(dialog.prepare());
        auto* cancel = dialog.findChild<QPushButton*>("cmdCancel");
        QVERIFY(cancel != nullptr);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.findChild<QPushButton*>("cmdOK")->text(), QStringLiteral("Start Import"));
        dialog.show();
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(dialog.result(), static_cast<int>(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }
    // No empty card is left under the new name, and the old card is kept.
    QVERIFY(!fs::exists(fresh));
    QCOMPARE(vz::test::readText(existing), before);
    QVERIFY(f.hooks.callsOf("inform").empty());
    QVERIFY(f.hooks.callsOf("warn").empty());
}

void ImporterDialogTest::failedTemplateCopyIsReported() {
    Fixture f;
    const fs::path in = f.input("card.txt", "x\r\n");
    fs::remove(f.paths.raceTemplate());
    f.hooks.openAnswers = {q(in)};
    f.hooks.saveAnswers = {q(f.dir / "x.rac")};
    DESCRIBE(description, f, kTrackInfo);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(!dialog.prepare());
    const auto warns = f.hooks.callsOf("warn");
    QCOMPARE(warns.size(), std::size_t{1});
    QCOMPARE(warns[0].title, QStringLiteral("Import"));
    QVERIFY2(warns[0].text.startsWith(QStringLiteral("53 - ")), qPrintable(warns[0].text));
    QVERIFY(!fs::exists(f.dir / "x.rac"));
}

void ImporterDialogTest::wrongFileShowsImportFailure() {
    Fixture f;
    // A TrackInfo race header without "Grade:" cannot be cut: the run fails.
    const fs::path in = f.input("wrong.txt",
                                "RACE 1 12/07/26 Distance: 5/16\r\n"
                                "1 Some Dog\r\nx\r\ny\r\n");
    f.hooks.openAnswers = {q(in)};
    f.hooks.saveAnswers = {q(f.dir / "w.rac")};
    DESCRIBE(description, f, kTrackInfo);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(dialog.prepare());
    QVERIFY(runThroughWindow(dialog));
    const auto warns = f.hooks.callsOf("warn");
    QCOMPARE(warns.size(), std::size_t{1});
    QCOMPARE(warns[0].title, QStringLiteral("Error"));
    QCOMPARE(warns[0].text, kFailure);
    QVERIFY(f.hooks.callsOf("inform").empty());
    QVERIFY(!dialog.isVisible());
    // No empty card is left under the name given.
    QVERIFY(!fs::exists(f.dir / "w.rac"));
}

void ImporterDialogTest::databaseFaultNamesItsCause() {
    Fixture f;
    const fs::path in = vz::test::sourceDir() / "tests/gui/data/import/trackinfo.txt";
    f.hooks.openAnswers = {q(in)};
    f.hooks.saveAnswers = {q(f.dir / "d.rac")};
    DESCRIBE(description, f, kTrackInfo);
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(dialog.prepare());
    fs::remove(f.paths.dogDatabase());  // gone between opening and the run
    QVERIFY(runThroughWindow(dialog));
    const auto warns = f.hooks.callsOf("warn");
    QCOMPARE(warns.size(), std::size_t{1});
    QCOMPARE(warns[0].title, QStringLiteral("Error"));
    // Not the input's fault: the user reads the cause, not "wrong import type".
    QVERIFY2(warns[0].text.startsWith(QStringLiteral("Error importing file.\r")),
             qPrintable(warns[0].text));
    QVERIFY2(warns[0].text != kFailure, qPrintable(warns[0].text));
    QVERIFY2(warns[0].text.contains(QRegularExpression(QStringLiteral(" - \\d+$"))),
             qPrintable(warns[0].text));
    QVERIFY(!fs::exists(f.paths.dogDatabase()));  // never created behind the user's back
}

void ImporterDialogTest::importsThroughTheWindow_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("completion");
    // What the inputs hold: dogs, race lines, races and posts.
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("TrackInfo") << kTrackInfo << QStringList{"trackinfo.txt"}
                               << "Import from TrackInfo is complete.\r" + kAdvice
                               << QList<int>{5, 10, 2, 5};
    QTest::newRow("Rosnet") << kRosnet << QStringList{"rosnet.txt"}
                            << "Import from Rosnet is complete.\r" + kAdvice
                            << QList<int>{5, 10, 2, 5};
    QTest::newRow("DogPak") << kDogPak << QStringList{"setup.txt", "lines.txt"}
                            << "Import from DogPak/QuickDog is complete.\r" + kAdvice
                            << QList<int>{5, 10, 2, 16};
    QTest::newRow("Derby Lane") << kDerbyLane << QStringList{"derbylane.txt"}
                                << "Import from Derby Lane is complete.\r" + kAdvice
                                << QList<int>{5, 10, 2, 5};
    QTest::newRow("QAV TEST") << kQav << QStringList{"TEST"}
                              << QStringLiteral("Import from QAV TEST is complete.")
                              << QList<int>{3, 6, 0, 0};
}

void ImporterDialogTest::importsThroughTheWindow() {
    QFETCH(int, index);
    QFETCH(QStringList, files);
    QFETCH(QString, completion);
    QFETCH(QList<int>, counts);

    Fixture f;
    DESCRIBE(description, f, index);
    for (const QString& name : files) {
        const fs::path p = sampleFile(name.toStdString());
        QVERIFY2(fs::exists(p), p.string().c_str());
        f.hooks.openAnswers.push_back(q(p));
    }
    const fs::path race = f.dir / "card.rac";
    f.hooks.saveAnswers = {q(race)};
    ImporterDialog dialog(description, f.paths, vz::base::today(), f.hooks);
    QVERIFY(dialog.prepare());
    QVERIFY(runThroughWindow(dialog));

    QVERIFY(f.hooks.callsOf("warn").empty());
    const auto informs = f.hooks.callsOf("inform");
    QCOMPARE(informs.size(), std::size_t{1});
    QCOMPARE(informs[0].title, QStringLiteral("Import"));
    // The counts follow, as the terminal prints them: a fresh database adds
    // every dog and line of the input and skips none.
    QString expected = completion + QStringLiteral(
                                        "\r\rDogs added: %1\rLines added: %2\r"
                                        "Duplicates skipped: 0")
                                        .arg(counts[0])
                                        .arg(counts[1]);
    if (index != kQav) {
        expected +=
            QStringLiteral("\rRaces written: %1\rPosts written: %2").arg(counts[2]).arg(counts[3]);
    }
    QCOMPARE(informs[0].text, expected);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));

    vz::store::DogDatabase dogs(f.paths.dogDatabase());
    QCOMPARE(dogs.dogCount(), counts[0]);
    QCOMPARE(dogs.raceLineCount(), counts[1]);
    if (index != kQav) {
        vz::store::RaceFile card(race);
        QCOMPARE(static_cast<int>(card.races().size()), counts[2]);
        QCOMPARE(static_cast<int>(card.allPosts().size()), counts[3]);
    } else {
        QVERIFY(!fs::exists(race));
    }
}

void ImporterDialogTest::importsProjectSamplesLikeTheCore_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("TrackInfo") << kTrackInfo << QStringList{"trackinfo_sample.txt"};
    QTest::newRow("Rosnet") << kRosnet << QStringList{"rosnet_sample.txt"};
    QTest::newRow("DogPak") << kDogPak << QStringList{"dogpak_setup.txt", "dogpak_lines.txt"};
    QTest::newRow("Derby Lane") << kDerbyLane << QStringList{"derbylane_sample.txt"};
    QTest::newRow("QAV TEST") << kQav << QStringList{"qav_TEST"};
}

// The window adds nothing of its own: the same files give the same rows as a
// run of the core on its own.
void ImporterDialogTest::importsProjectSamplesLikeTheCore() {
    QFETCH(int, index);
    QFETCH(QStringList, files);

    Fixture f;
    DESCRIBE(description, f, index);
    std::vector<fs::path> inputs;
    for (const QString& name : files) {
        inputs.push_back(vz::test::sourceDir() / "tests/e2e/data/samples" / name.toStdString());
        QVERIFY2(fs::exists(inputs.back()), inputs.back().string().c_str());
        f.hooks.openAnswers.push_back(q(inputs.back()));
    }
    const fs::path race = f.dir / "card.rac";
    f.hooks.saveAnswers = {q(race)};
    const vz::base::Date today = vz::base::today();
    ImporterDialog dialog(description, f.paths, today, f.hooks);
    QVERIFY(dialog.prepare());
    QVERIFY(runThroughWindow(dialog));
    QVERIFY(f.hooks.callsOf("warn").empty());
    QCOMPARE(f.hooks.callsOf("inform").size(), std::size_t{1});

    vz::test::TempDir other;
    vz::import::ImportRequest request;
    request.format = description.formatKey;
    request.inputs = inputs;
    request.paths = vz::test::makeAppFolder(other.path());
    if (description.makesRaceFile) {
        request.raceFile = other / "card.rac";
    }
    request.today = today;
    vz::import::runImport(request);

    vz::store::DogDatabase viaWindow(f.paths.dogDatabase());
    vz::store::DogDatabase viaCore(request.paths.dogDatabase());
    QVERIFY(viaWindow.dogCount() > 0);
    QCOMPARE(viaWindow.dogs().size(), viaCore.dogs().size());
    const auto windowDogs = viaWindow.dogs();
    const auto coreDogs = viaCore.dogs();
    for (std::size_t i = 0; i < windowDogs.size(); ++i) {
        QCOMPARE(windowDogs[i].RegName, coreDogs[i].RegName);
        QCOMPARE(windowDogs[i].NumStarts, coreDogs[i].NumStarts);
        QCOMPARE(viaWindow.raceLines(windowDogs[i].RegName).size(),
                 viaCore.raceLines(coreDogs[i].RegName).size());
    }
    QCOMPARE(viaWindow.raceLineCount(), viaCore.raceLineCount());
    if (description.makesRaceFile) {
        vz::store::RaceFile windowCard(race);
        vz::store::RaceFile coreCard(*request.raceFile);
        QVERIFY(!windowCard.races().empty());
        QCOMPARE(windowCard.races().size(), coreCard.races().size());
        QCOMPARE(windowCard.allPosts().size(), coreCard.allPosts().size());
    }
}

QTEST_MAIN(ImporterDialogTest)
#include "test_import_dialog.moc"
