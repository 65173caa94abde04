// The import menu: its rows and labels, the five source settings files read
// on opening and written on closing (first start, round trip through an
// importer window, faults), and the track list it opens.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <filesystem>

#include "core/import/registry.h"
#include "gui/import/import_menu.h"
#include "gui/import/importer_dialog.h"
#include "gui/import/track_info_list.h"
#include "tests/gui/test_import_hooks.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using vz::gui::ImportMenu;
using vz::test::ScriptedHooks;

namespace {

QString q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

void writeInput(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    vz::test::writeText(p, text);
}

const char* const kFiles[] = {"QAV.ini", "DPAK.ini", "ROS.ini", "DerbyLane.ini", "TrackInfo.ini"};

void writeFolders(const vz::base::AppPaths& paths) {
    vz::test::writeText(paths.importSettings("QAV.ini"), "\"/q/\"\r\n");
    vz::test::writeText(paths.importSettings("DPAK.ini"), "\"/setup/\",\"/lines/\"\r\n");
    vz::test::writeText(paths.importSettings("ROS.ini"), "\"/ros/\"\r\n");
    vz::test::writeText(paths.importSettings("DerbyLane.ini"), "\"/derby/\"\r\n");
    vz::test::writeText(paths.importSettings("TrackInfo.ini"), "\"/track/\"\r\n");
}

// Runs `action` on the next modal window once it is up.
void onNextModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        action(modal);
    });
}

}  // namespace

class ImportMenuTest : public QObject {
    Q_OBJECT

  private slots:
    void showsItsRowsAndTexts();
    void firstStartCreatesSettingsFiles();
    void readsFoldersAndWritesThemBackOnClose();
    void chosenFolderIsWrittenOnCloseNotBefore();
    void everyRowAndLabelOpensItsImporter_data();
    void everyRowAndLabelOpensItsImporter();
    void unreadableSettingsFileGivesMessageAndOthersStillRead();
    void unwritableSettingsFileGivesMessageOnClose();
    void importRunsThroughMenuAndDialog();
    void trackListOpensFromTheLink();
    void trackListTextIsRebuiltOnEachOpening();
};

void ImportMenuTest::showsItsRowsAndTexts() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    ScriptedHooks hooks;
    ImportMenu menu(paths, hooks);
    QCOMPARE(menu.windowTitle(), QStringLiteral("Vellicor Vovoziruzu Import"));
    QCOMPARE(menu.minimumSize(), menu.maximumSize());  // fixed size
    const std::pair<const char*, const char*> labels[] = {
        {"lblTrackInfo", "Import from TrackInfo"},
        {"lblROS", "Import from Rosnet"},
        {"lblDPAK", "Import from DogPak/QuickDog"},
        {"lblDerbyLane", "Import from Derby Lane"},
        {"lblQavTest", "Import from QAV TEST File"},
        {"lblTrackInfoList", "Click here for track list"},
        {"Label1", "Version 1.0.10"},
    };
    for (const auto& [name, text] : labels) {
        auto* label = menu.findChild<QLabel*>(QString::fromLatin1(name));
        QVERIFY2(label != nullptr, name);
        QCOMPARE(label->text(), QString::fromLatin1(text));
    }
    auto* link = menu.findChild<QLabel*>("lblTrackInfoList");
    QVERIFY(link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    for (const char* name : {"cmdTrackInfo", "cmdROS", "cmdDPAK", "cmdDerbyLane", "cmdQavTest"}) {
        auto* button = menu.findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(button != nullptr, name);
        QVERIFY(button->text().isEmpty());
        QCOMPARE(button->width(), button->height());
    }
    QCOMPARE(menu.findChild<QPushButton*>("cmdClose")->text(), QStringLiteral("Close"));
    QVERIFY(hooks.calls.empty());
    menu.show();
    const QPoint centre = menu.screen()->availableGeometry().center();
    QVERIFY2((menu.frameGeometry().center() - centre).manhattanLength() <= 4,
             "the menu opens centred on the screen");
    menu.close();
}

void ImportMenuTest::firstStartCreatesSettingsFiles() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    const std::string data = paths.dataDir().string();
    ScriptedHooks hooks;
    {
        ImportMenu menu(paths, hooks);
        for (const char* name : kFiles) {
            QVERIFY2(fs::exists(paths.importSettings(name)), name);
        }
        QCOMPARE(menu.folders().folder("SetupFolder"), data);
        QCOMPARE(menu.folders().folder("TrackInfoFolder"), data);
        menu.show();
        QTest::mouseClick(menu.findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
        QVERIFY(!menu.isVisible());
    }
    const std::string one = "\"" + data + "\"\r\n";
    QCOMPARE(vz::test::readText(paths.importSettings("QAV.ini")), one);
    QCOMPARE(vz::test::readText(paths.importSettings("DPAK.ini")),
             "\"" + data + "\",\"" + data + "\"\r\n");
    QCOMPARE(vz::test::readText(paths.importSettings("ROS.ini")), one);
    QCOMPARE(vz::test::readText(paths.importSettings("DerbyLane.ini")), one);
    QCOMPARE(vz::test::readText(paths.importSettings("TrackInfo.ini")), one);
    QVERIFY(hooks.calls.empty());
}

void ImportMenuTest::readsFoldersAndWritesThemBackOnClose() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    writeFolders(paths);
    ScriptedHooks hooks;
    ImportMenu menu(paths, hooks);
    QCOMPARE(menu.folders().folder("QavFolder"), std::string("/q/"));
    QCOMPARE(menu.folders().folder("SetupFolder"), std::string("/setup/"));
    QCOMPARE(menu.folders().folder("LinesFolder"), std::string("/lines/"));
    QCOMPARE(menu.folders().folder("RosnetFolder"), std::string("/ros/"));
    QCOMPARE(menu.folders().folder("DerbyLaneFolder"), std::string("/derby/"));
    QCOMPARE(menu.folders().folder("TrackInfoFolder"), std::string("/track/"));
    for (const char* name : kFiles) {
        fs::remove(paths.importSettings(name));
    }
    menu.show();
    menu.close();  // the window's own close box
    QCOMPARE(vz::test::readText(paths.importSettings("DPAK.ini")),
             std::string("\"/setup/\",\"/lines/\"\r\n"));
    QCOMPARE(vz::test::readText(paths.importSettings("TrackInfo.ini")),
             std::string("\"/track/\"\r\n"));
    QCOMPARE(vz::test::readText(paths.importSettings("QAV.ini")), std::string("\"/q/\"\r\n"));
}

void ImportMenuTest::chosenFolderIsWrittenOnCloseNotBefore() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    writeFolders(paths);
    const fs::path setup = dir / "cards" / "setup.txt";
    writeInput(setup, "x\r\n");
    ScriptedHooks hooks;
    hooks.openAnswers = {q(setup)};  // then the lines dialog is cancelled
    ImportMenu menu(paths, hooks);
    menu.show();
    QTest::mouseClick(menu.findChild<QLabel*>("lblDPAK"), Qt::LeftButton);
    QCOMPARE(hooks.kinds(), (QStringList{"open", "open"}));
    QCOMPARE(hooks.callsOf("open")[0].text, QStringLiteral("/setup/"));
    QCOMPARE(hooks.callsOf("open")[1].text, QStringLiteral("/lines/"));
    const std::string chosen = (dir / "cards").string() + "/";
    QCOMPARE(menu.folders().folder("SetupFolder"), chosen);
    QCOMPARE(vz::test::readText(paths.importSettings("DPAK.ini")),
             std::string("\"/setup/\",\"/lines/\"\r\n"));
    menu.close();
    QCOMPARE(vz::test::readText(paths.importSettings("DPAK.ini")),
             "\"" + chosen + "\",\"/lines/\"\r\n");

    // The next start offers the chosen folder.
    ScriptedHooks again;
    ImportMenu next(paths, again);
    next.show();
    QTest::mouseClick(next.findChild<QPushButton*>("cmdDPAK"), Qt::LeftButton);
    QCOMPARE(again.callsOf("open").at(0).text, QString::fromStdString(chosen));
    next.close();
}

void ImportMenuTest::everyRowAndLabelOpensItsImporter_data() {
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("format");
    const char* formats[] = {"trackinfo", "rosnet", "dogpak", "derbylane", "qav"};
    const std::pair<const char*, const char*> rows[] = {
        {"TrackInfo", "Import from TrackInfo"},  {"ROS", "Import from Rosnet"},
        {"DPAK", "Import from DogPak/QuickDog"}, {"DerbyLane", "Import from Derby Lane"},
        {"QavTest", "Import from QAV TEST"},
    };
    const char* folders[] = {"/track/", "/ros/", "/setup/", "/derby/", "/q/"};
    int i = 0;
    for (const auto& [suffix, caption] : rows) {
        for (const char* prefix : {"cmd", "lbl"}) {
            const QString name = QString::fromLatin1(prefix) + QString::fromLatin1(suffix);
            QTest::newRow(qPrintable(name))
                << name << QString::fromLatin1(caption) << QString::fromLatin1(folders[i])
                << QString::fromLatin1(formats[i]);
        }
        ++i;
    }
}

void ImportMenuTest::everyRowAndLabelOpensItsImporter() {
    QFETCH(QString, widget);
    QFETCH(QString, caption);
    QFETCH(QString, folder);
    QFETCH(QString, format);
    QVERIFY2(vz::import::findFormat(format.toStdString()) != nullptr, "format not registered");
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    writeFolders(paths);
    ScriptedHooks hooks;
    ImportMenu menu(paths, hooks);
    menu.show();
    QWidget* target = menu.findChild<QWidget*>(widget);
    QVERIFY(target != nullptr);
    QTest::mouseClick(target, Qt::LeftButton);
    // The cancelled dialog closed the importer again, silently.
    QCOMPARE(hooks.kinds(), QStringList{"open"});
    QCOMPARE(hooks.calls[0].window, caption);
    QCOMPARE(hooks.calls[0].text, folder);
    QVERIFY(menu.isVisible());
    menu.close();
}

void ImportMenuTest::unreadableSettingsFileGivesMessageAndOthersStillRead() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    writeFolders(paths);
    // A value that is no quoted string cannot be read.
    vz::test::writeText(paths.importSettings("ROS.ini"), "");
    ScriptedHooks hooks;
    ImportMenu menu(paths, hooks);
    const auto messages = hooks.callsOf("inform");
    QVERIFY(!messages.empty());
    for (const auto& m : messages) {
        QCOMPARE(m.title, QStringLiteral("Import"));
        // "number - description"
        QVERIFY2(m.text.contains(QRegularExpression(QStringLiteral("^\\d+ - \\S"))),
                 qPrintable(m.text));
    }
    QCOMPARE(menu.folders().folder("QavFolder"), std::string("/q/"));
    QCOMPARE(menu.folders().folder("DerbyLaneFolder"), std::string("/derby/"));
    QCOMPARE(menu.folders().folder("TrackInfoFolder"), std::string("/track/"));
    menu.close();
}

void ImportMenuTest::unwritableSettingsFileGivesMessageOnClose() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    writeFolders(paths);
    ScriptedHooks hooks;
    ImportMenu menu(paths, hooks);
    QVERIFY(hooks.calls.empty());
    // A folder where the file should be cannot be replaced.
    fs::remove(paths.importSettings("ROS.ini"));
    fs::create_directory(paths.importSettings("ROS.ini"));
    menu.show();
    menu.close();
    QVERIFY(!hooks.callsOf("inform").empty());
    // The files after it are still written.
    QCOMPARE(vz::test::readText(paths.importSettings("TrackInfo.ini")),
             std::string("\"/track/\"\r\n"));
}

void ImportMenuTest::importRunsThroughMenuAndDialog() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    const fs::path in = dir / "programs" / "card.txt";
    writeInput(in, "RACE 1 12/07/26 no grade label\r\n");
    const fs::path race = dir / "card.rac";
    ScriptedHooks hooks;
    hooks.openAnswers = {q(in)};
    hooks.saveAnswers = {q(race)};
    ImportMenu menu(paths, hooks);
    bool sawReady = false;
    menu.onImporterReady = [&](vz::gui::ImporterDialog& dialog) {
        sawReady = dialog.statusText() == QStringLiteral("Ready to import from TrackInfo");
        onNextModal([](QWidget* modal) {
            if (modal != nullptr) {
                QTest::mouseClick(modal->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            }
        });
    };
    menu.show();
    QTest::mouseClick(menu.findChild<QPushButton*>("cmdTrackInfo"), Qt::LeftButton);
    QVERIFY(sawReady);
    // The window ran the import (this input fails) and closed itself.
    QVERIFY(QApplication::activeModalWidget() == nullptr ||
            QApplication::activeModalWidget() == &menu);
    QCOMPARE(hooks.kinds().last(), QStringLiteral("warn"));
    QVERIFY(!fs::exists(race));  // a failed run leaves no empty card behind
    menu.close();
    QCOMPARE(vz::test::readText(paths.importSettings("TrackInfo.ini")),
             "\"" + (dir / "programs").string() + "/\"\r\n");
}

void ImportMenuTest::trackListOpensFromTheLink() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    ScriptedHooks hooks;
    ImportMenu menu(paths, hooks);
    menu.show();
    QString caption;
    QString text;
    onNextModal([&](QWidget* modal) {
        if (modal != nullptr) {
            caption = modal->windowTitle();
            text = modal->findChild<QTextEdit*>("txtList")->toPlainText();
            modal->close();
        }
    });
    QTest::mouseClick(menu.findChild<QLabel*>("lblTrackInfoList"), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("TrackInfo Track List"));
    QVERIFY(text.contains(QStringLiteral("Wonderland - ")));
    menu.close();
}

void ImportMenuTest::trackListTextIsRebuiltOnEachOpening() {
    const QString text = vz::gui::trackListText();
    const QStringList lines = text.split(QLatin1Char('\r'));
    // Three paragraphs, each followed by an empty line, then fifteen tracks.
    QCOMPARE(lines.size(), 6 + 15);
    QCOMPARE(lines[1], QString());
    QCOMPARE(lines[2], QStringLiteral("Copy the web links from the list below and paste into the "
                                      "address line of your web browser."));
    QCOMPARE(lines[3], QString());
    QCOMPARE(lines[4],
             QStringLiteral("Always use the 'Text' or 'HTML' files, never the PDF files"));
    QCOMPARE(lines[5], QString());
    const char* const tracks[] = {"Apache",
                                  "Daytona Beach",
                                  "Hinsdale",
                                  "Mardi Gras (Hollywood)",
                                  "Melbourne",
                                  "Orange Park (include Jacksonville and St. Johns)",
                                  "Palm Beach",
                                  "Phoenix",
                                  "Raynham/Taunton",
                                  "Southland",
                                  "Tri-State",
                                  "Tucson",
                                  "Twin River (Lincoln)",
                                  "Wheeling Downs",
                                  "Wonderland"};
    for (int i = 0; i < 15; ++i) {
        const QString line = lines[6 + i];
        const QString name = QString::fromLatin1(tracks[i]);
        QVERIFY2(line.startsWith(name + QStringLiteral(" - ")), qPrintable(line));
        const bool hinted =
            name.startsWith(QStringLiteral("Orange Park")) || name == QStringLiteral("Palm Beach");
        QCOMPARE(line.contains(QStringLiteral(" - use the 'R' text files - ")), hinted);
        QVERIFY2(line.section(QStringLiteral(" - "), -1).startsWith(QStringLiteral("http")),
                 qPrintable(line));
    }

    vz::gui::TrackInfoList list;
    auto* box = list.findChild<QTextEdit*>("txtList");
    QVERIFY(box->isReadOnly());
    QVERIFY(box->textInteractionFlags() & Qt::TextSelectableByMouse);
    list.show();
    QCOMPARE(list.shownText(), QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    box->setPlainText(QStringLiteral("changed"));
    list.hide();
    list.show();
    QCOMPARE(list.shownText(), QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

QTEST_MAIN(ImportMenuTest)
#include "test_import_menu.moc"
