// The external flash programmer under Wine, with a recording fake `wine` on the PATH.

#include "core/operations/connection.h"
#include "core/operations/flash_magic.h"
#include "core/operations/operations.h"
#include "ops_fixture.h"
#include "scripted_operator.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

// A fake wine that records every call, one line per call, and answers `reg query` from files.
void writeFakeWine(const QString &dir, bool commandKey, bool settingsKey)
{
    QFile script(dir + "/wine");
    QVERIFY(script.open(QIODevice::WriteOnly));
    QString text = "#!/bin/sh\n"
                   "echo \"$*\" >> \""
                   + dir
                   + "/calls.log\"\n"
                     "if [ \"$1\" = reg ] && [ \"$2\" = query ]; then\n"
                     "  case \"$3\" in\n";
    if (commandKey)
        text += "    HKLM*) printf "
                "'\\r\\nHKEY_LOCAL_MACHINE\\\\Software\\\\Classes\\\\FlashMagicSettings"
                "\\\\Shell\\\\Open\\\\Command\\r\\n    (Default)    REG_SZ    "
                "\"C:\\\\FM\\\\FlashMagic.exe\" "
                "\"%%1\"\\r\\n\\r\\n'; exit 0;;\n";
    if (settingsKey)
        text += "    HKCU*) exit 0;;\n";
    text += "  esac\n  exit 1\nfi\nexit 0\n";
    script.write(text.toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

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
    QVERIFY(!ops.Flash().Find());
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
    QVERIFY(ops.Flash().Find());
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

QTEST_GUILESS_MAIN(TestFlashMagic)
#include "tst_flash_magic.moc"
