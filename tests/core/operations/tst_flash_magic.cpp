// The external flash programmer under Wine, with a recording fake `wine` on the PATH.

#include "core/operations/connection.h"
#include "core/operations/flash_magic.h"
#include "core/operations/operations.h"
#include "ops_fixture.h"
#include "scripted_operator.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

struct FakeWine
{
    bool commandKey = true;  // the open command is registered
    bool settingsKey = true; // the programmer's own key exists
    int queryExit = 1;       // exit code of a `reg query` on a key that is not there
    int addExit = 0;         // exit code of every `reg add`
    QString delay = "0";     // seconds each call takes
};

// A fake wine that records every call, one line per call, and answers `reg query` from files.
void writeFakeWine(const QString &dir, const FakeWine &fake)
{
    QFile script(dir + "/wine");
    QVERIFY(script.open(QIODevice::WriteOnly));
    QString text = "#!/bin/sh\n"
                   "sleep "
                   + fake.delay + "\necho \"$*\" >> \"" + dir
                   + "/calls.log\"\n"
                     "if [ \"$1\" = reg ] && [ \"$2\" = add ]; then exit "
                   + QString::number(fake.addExit)
                   + "; fi\n"
                     "if [ \"$1\" = reg ] && [ \"$2\" = query ]; then\n"
                     "  case \"$3\" in\n";
    if (fake.commandKey)
        text += "    HKLM*) printf "
                "'\\r\\nHKEY_LOCAL_MACHINE\\\\Software\\\\Classes\\\\FlashMagicSettings"
                "\\\\Shell\\\\Open\\\\Command\\r\\n    (Default)    REG_SZ    "
                "\"C:\\\\FM\\\\FlashMagic.exe\" "
                "\"%%1\"\\r\\n\\r\\n'; exit 0;;\n";
    if (fake.settingsKey)
        text += "    HKCU*) exit 0;;\n";
    text += "  esac\n  exit " + QString::number(fake.queryExit) + "\nfi\nexit 0\n";
    script.write(text.toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void writeFakeWine(const QString &dir, bool commandKey, bool settingsKey)
{
    FakeWine fake;
    fake.commandKey = commandKey;
    fake.settingsKey = settingsKey;
    writeFakeWine(dir, fake);
}

const QString kNotInstalled = "Program: Flash Magic is not installed or it is incompatible";

QStringList calls(const QString &dir)
{
    QFile log(dir + "/calls.log");
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestFlashMagic : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openText_data();
    void openText();
    void noWineMeansNotInstalled();
    void foundAndLaunched_data();
    void foundAndLaunched();
    void searchRunsInTheBackground();
    void launchKeepsTheWindowResponsive();
    void storeFailuresArePlainMessages_data();
    void storeFailuresArePlainMessages();

private:
    QByteArray m_path;
};

void TestFlashMagic::init()
{
    m_path = qgetenv("PATH");
}

void TestFlashMagic::cleanup()
{
    qputenv("PATH", m_path);
}

void TestFlashMagic::openText_data()
{
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("command");
    QTest::newRow("quoted") << R"("C:\FM\FlashMagic.exe" "%1")"
                            << R"("C:\FM\FlashMagic.exe")";
    QTest::newRow("no percent") << R"("C:\FM\FlashMagic.exe")"
                                << "";
    QTest::newRow("percent first") << "%1"
                                   << "";
}

void TestFlashMagic::openText()
{
    QFETCH(QString, open);
    QFETCH(QString, command);
    QCOMPARE(FlashMagic::CommandFromOpenText(open), command);
    QCOMPARE(FlashMagic::DefaultValueOf("\r\nKEY\r\n    (Default)    REG_SZ    " + open + "\r\n"),
             open);
}

void TestFlashMagic::noWineMeansNotInstalled()
{
    QTemporaryDir empty;
    qputenv("PATH", empty.path().toUtf8());
    ScriptedOperator op;
    Operations ops(op, OpsRig::fastSettings());
    ops.Flash().Find();
    QVERIFY(!ops.Flash().Found());
    QVERIFY(op.plainMessages.isEmpty());
    ops.UpdateCommandStates();
    QVERIFY(!ops.Enabled(Command::FlashMagic));
    ops.Flash().Launch();
    QCOMPARE(op.boxTexts(), QStringList{"Please install Flash Magic first!"});
}

void TestFlashMagic::foundAndLaunched_data()
{
    QTest::addColumn<bool>("settingsKey");
    QTest::newRow("settings key exists") << true;
    QTest::newRow("no settings key") << false;
}

void TestFlashMagic::foundAndLaunched()
{
    QFETCH(bool, settingsKey);
    QTemporaryDir dir;
    writeFakeWine(dir.path(), true, settingsKey);
    qputenv("PATH", dir.path().toUtf8() + ":" + m_path);
    ScriptedOperator op;
    VXLIN_Values settings = OpsRig::fastSettings();
    settings.Port = 7;
    Operations ops(op, settings);
    ops.Flash().Find();
    QTRY_VERIFY(ops.Flash().Found());
    QCOMPARE(ops.Flash().Command(), QStringLiteral("\"C:\\FM\\FlashMagic.exe\""));
    ops.UpdateCommandStates();
    QVERIFY(ops.Enabled(Command::FlashMagic));

    ops.Flash().Launch();
    QVERIFY(op.boxes.empty());
    // The launch is detached: wait for its line.
    QTRY_VERIFY(calls(dir.path()).contains("C:\\FM\\FlashMagic.exe"));
    const QStringList log = calls(dir.path());
    const QStringList adds = log.filter(QRegularExpression("^reg add "));
    if (!settingsKey) {
        QVERIFY(adds.isEmpty());
        return;
    }
    QCOMPARE(adds.size(), 25);
    QVERIFY(adds.contains("reg add HKCU\\Software\\Embedded Systems Academy\\FlashMagic /v comport "
                          "/t REG_SZ /d COM 7 /f"));
    QVERIFY(adds.contains("reg add HKCU\\Software\\Embedded Systems Academy\\FlashMagic /v "
                          "securitybit2 /t REG_DWORD /d 1 /f"));
    QVERIFY(adds.contains("reg add HKCU\\Software\\Embedded Systems Academy\\FlashMagic /v hexfile "
                          "/t REG_SZ /d  /f"));
    // Settings before the launch.
    QVERIFY(log.indexOf("C:\\FM\\FlashMagic.exe") > log.indexOf(adds.last()));
}

void TestFlashMagic::searchRunsInTheBackground()
{
    QTemporaryDir dir;
    FakeWine fake;
    fake.delay = "0.5";
    writeFakeWine(dir.path(), fake);
    qputenv("PATH", dir.path().toUtf8() + ":" + m_path);
    ScriptedOperator op;
    Operations ops(op, OpsRig::fastSettings());
    ops.UpdateCommandStates();
    ops.Flash().Find();
    // Back at once, before Wine has answered; the menu item follows the answer.
    QVERIFY(!ops.Flash().Found());
    QVERIFY(!ops.Enabled(Command::FlashMagic));
    QTRY_VERIFY_WITH_TIMEOUT(ops.Flash().Found(), 20000);
    QVERIFY(ops.Enabled(Command::FlashMagic));
    QVERIFY(op.notices.isEmpty());
    QVERIFY(op.boxes.empty());
    QVERIFY(op.plainMessages.isEmpty());
}

void TestFlashMagic::launchKeepsTheWindowResponsive()
{
    QTemporaryDir dir;
    FakeWine fake;
    fake.delay = "0.05";
    writeFakeWine(dir.path(), fake);
    qputenv("PATH", dir.path().toUtf8() + ":" + m_path);
    ScriptedOperator op;
    Operations ops(op, OpsRig::fastSettings());
    ops.Flash().Find();
    QTRY_VERIFY_WITH_TIMEOUT(ops.Flash().Found(), 20000);
    ops.Flash().Launch();
    // Back before Wine has done its work, with the busy notice up.
    QVERIFY(calls(dir.path()).filter(QRegularExpression("^reg add ")).size() < 25);
    QCOMPARE(op.notices, QStringList{"Action in progress. Please wait..."});
    // A second click meanwhile starts nothing more.
    ops.Flash().Launch();
    QTRY_VERIFY_WITH_TIMEOUT(calls(dir.path()).contains("C:\\FM\\FlashMagic.exe"), 60000);
    QTest::qWait(300);
    const QStringList log = calls(dir.path());
    QCOMPARE(log.filter(QRegularExpression("^reg add ")).size(), 25);
    QCOMPARE(log.count("C:\\FM\\FlashMagic.exe"), 1);
    QVERIFY(op.boxes.empty());
}

void TestFlashMagic::storeFailuresArePlainMessages_data()
{
    QTest::addColumn<int>("queryExit");
    QTest::addColumn<int>("addExit");
    QTest::addColumn<bool>("found");
    QTest::newRow("reading the store fails") << 3 << 0 << false;
    QTest::newRow("writing the settings fails") << 1 << 1 << true;
}

void TestFlashMagic::storeFailuresArePlainMessages()
{
    QFETCH(int, queryExit);
    QFETCH(int, addExit);
    QFETCH(bool, found);
    QTemporaryDir dir;
    FakeWine fake;
    fake.commandKey = found;
    fake.queryExit = queryExit;
    fake.addExit = addExit;
    writeFakeWine(dir.path(), fake);
    qputenv("PATH", dir.path().toUtf8() + ":" + m_path);
    ScriptedOperator op;
    Operations ops(op, OpsRig::fastSettings());
    QSignalSpy searched(&ops.Flash(), &FlashMagic::searchFinished);
    ops.Flash().Find();
    QTRY_COMPARE_WITH_TIMEOUT(searched.size(), 1, 20000);
    QCOMPARE(ops.Flash().Found(), found);
    if (!found) {
        QCOMPARE(op.plainMessages, QStringList{kNotInstalled});
        QVERIFY(op.boxes.empty());
        return;
    }
    QVERIFY(op.plainMessages.isEmpty());
    QSignalSpy launched(&ops.Flash(), &FlashMagic::launchFinished);
    ops.Flash().Launch();
    QTRY_COMPARE_WITH_TIMEOUT(launched.size(), 1, 20000);
    QCOMPARE(op.plainMessages, QStringList{kNotInstalled});
    QVERIFY(op.boxes.empty());
    // The launch still follows, after the first refused value.
    QTRY_VERIFY(calls(dir.path()).contains("C:\\FM\\FlashMagic.exe"));
    QCOMPARE(calls(dir.path()).filter(QRegularExpression("^reg add ")).size(), 1);
}

QTEST_GUILESS_MAIN(TestFlashMagic)
#include "tst_flash_magic.moc"
