// The Import program runs once per user: a second start hands over to the
// running copy and ends at once. Runs the real executable, copied into a
// fresh application folder so that its settings files land there.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <filesystem>

#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

QProcess* startImport(const fs::path& exe, const fs::path& home, QObject* parent) {
    auto* p = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Another home folder: another user, so a copy the developer runs is not disturbed.
    env.insert(QStringLiteral("HOME"), QString::fromStdString(home.string()));
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->start(QString::fromStdString(exe.string()), {});
    return p;
}

}  // namespace

class ImportSingleInstanceTest : public QObject {
    Q_OBJECT

  private slots:
    void secondStartHandsOverAndEnds();
};

void ImportSingleInstanceTest::secondStartHandsOverAndEnds() {
    vz::test::TempDir dir;
    const auto paths = vz::test::makeAppFolder(dir.path());
    const fs::path exe = paths.appDir / "Import";
    fs::copy_file(fs::path(VZ_IMPORT_EXE), exe);
    fs::create_directories(dir / "home");

    QProcess* first = startImport(exe, dir / "home", this);
    QVERIFY(first->waitForStarted(10000));
    // The menu is up once it has written its settings files.
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(paths.importSettings("TrackInfo.ini")), 10000);
    QTest::qWait(300);
    QCOMPARE(first->state(), QProcess::Running);

    QProcess* second = startImport(exe, dir / "home", this);
    QVERIFY(second->waitForStarted(10000));
    QVERIFY2(second->waitForFinished(10000), "the second copy keeps running");
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);

    first->kill();
    QVERIFY(first->waitForFinished(10000));

    // With no copy left, the next start is the running one.
    QProcess* third = startImport(exe, dir / "home", this);
    QVERIFY(third->waitForStarted(10000));
    QVERIFY(!third->waitForFinished(1500));
    QCOMPARE(third->state(), QProcess::Running);
    third->kill();
    QVERIFY(third->waitForFinished(10000));
}

QTEST_MAIN(ImportSingleInstanceTest)
#include "test_import_single_instance.moc"
