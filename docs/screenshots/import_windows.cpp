// Renders the Import program's windows offscreen. With VZ_SCREENSHOT_DIR set
// the pictures are written there as PNG files (docs/screenshots holds them).

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "docs/screenshots/screenshot.h"
#include "gui/import/import_bridge.h"
#include "gui/import/import_menu.h"
#include "gui/import/importer_dialog.h"
#include "gui/import/track_info_list.h"
#include "tests/gui/test_import_hooks.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

using vz::test::shoot;

class ImportScreenshots : public QObject {
    Q_OBJECT

  private slots:
    void menu();
    void importerStates();
    void trackList();
};

void ImportScreenshots::menu() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    vz::test::ScriptedHooks hooks;
    vz::gui::ImportMenu menu(paths, hooks);
    QVERIFY(shoot(menu, "import_menu"));
    menu.close();
}

void ImportScreenshots::importerStates() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    vz::gui::RememberedFolders folders;
    vz::gui::loadRememberedFolders(paths, folders);
    const fs::path in = dir / "card.txt";
    vz::test::writeText(in, "x\r\n");
    vz::test::ScriptedHooks hooks;
    hooks.openAnswers = {QString::fromStdString(in.string())};
    hooks.saveAnswers = {QString::fromStdString((dir / "card.rac").string())};

    vz::gui::ImporterDialog dialog(vz::gui::importerDescriptions(folders).at(0), paths,
                                   vz::base::today(), hooks);
    // Opening: before its dialogs have been answered.
    QVERIFY(shoot(dialog, "import_dialog_opening"));
    dialog.hide();
    QVERIFY(dialog.prepare());
    QVERIFY(shoot(dialog, "import_dialog_ready"));
    QSignalSpy finished(&dialog, &vz::gui::ImporterDialog::importFinished);
    QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QVERIFY(finished.isEmpty());
    QVERIFY(shoot(dialog, "import_dialog_importing"));
    QVERIFY(finished.wait(60000) || !finished.isEmpty());
}

void ImportScreenshots::trackList() {
    vz::gui::TrackInfoList list;
    QVERIFY(shoot(list, "import_track_list"));
}

QTEST_MAIN(ImportScreenshots)
#include "import_windows.moc"
