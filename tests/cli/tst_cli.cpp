// vexalin-cli as a script runs it: the real executable against the emulator on a pty that is
// registered as a COM number in the run's own settings folder. What each command prints and
// its exit code, and what the module holds afterwards.

#include "core/link/lin_msg.h"
#include "core/operations/profile_send.h"
#include "core/profiles/in_place_writer.h"
#include "core/profiles/profile_document.h"
#include "sim/emulator_host.h"
#include "test_profile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace vxl;
using vxl::test::testProfile;

namespace {

constexpr int kCom = 4;
constexpr int kRunMs = 60000; // a bound for a hung run only; nothing is timed

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The emulator registered as COM4 in a settings folder of its own, and the tool run with that
// folder as its settings store.
class CliRig
{
public:
    explicit CliRig(sim::EmulatorOptions options = {})
    {
        options.comNumber = kCom;
        options.dosDevices = m_home.filePath(QStringLiteral("Norvel/VEXALIN/dosdevices"));
        QDir().mkpath(options.dosDevices);
        m_host = std::make_unique<sim::EmulatorHost>(options);
        m_host->start();
    }

    [[nodiscard]] QProcessEnvironment environment() const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        env.insert(QStringLiteral("WINEPREFIX"), m_home.filePath(QStringLiteral("wine")));
        return env;
    }

    void start(QProcess &process, const QStringList &args) const
    {
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(VXL_BINARY_DIR "/vexalin-cli"), args);
    }

    Run run(const QStringList &args) const
    {
        QProcess process;
        start(process, args);
        return finish(process);
    }

    static Run finish(QProcess &process)
    {
        Run result;
        if (!process.waitForFinished(kRunMs)) {
            process.kill();
            process.waitForFinished();
            qWarning() << "killed:" << process.readAllStandardOutput()
                       << process.readAllStandardError();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    [[nodiscard]] QString file(const QString &name) const { return m_home.filePath(name); }
    sim::EmulatorHost &host() { return *m_host; }

    // "group/command" of every request the module received.
    [[nodiscard]] QStringList requestCodes() const
    {
        QStringList codes;
        for (const auto &r : m_host->requests())
            codes << QStringLiteral("%1/%2").arg(r.group).arg(r.command);
        return codes;
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<sim::EmulatorHost> m_host;
};

sim::EmulatorOptions firmware(const QString &version, const QString &hardware = "VXL-LIN-G 1.0")
{
    sim::EmulatorOptions options;
    options.identity = {hardware, version};
    return options;
}

bool saveProfile(const ModuleConfig &p, const QString &path)
{
    clsVLINXMLProfile document;
    return document.WriteAll(p.RS232.Baudrate, p.CAN, p.LIN) && document.SaveAs(path);
}

LIN_Msg canFrame(std::uint32_t id, bool extended, bool remote, const QByteArray &data)
{
    return sim::MakeCanFrameMessage(id, extended, remote, {data.begin(), data.end()});
}

const QString kSendSuccess = QStringLiteral("The Profile was successfully sent to the module. ");

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void helpForEveryCommand_data();
    void helpForEveryCommand();
    void readJsonEqualsModule_data();
    void readJsonEqualsModule();
    void readTextAndProfile();
    void sendThenVerify_data();
    void sendThenVerify();
    void questionsNeedYes();
    void readJsonNullForRefused();
    void refusedValue_data();
    void refusedValue();
    void rawReadRefusal_data();
    void rawReadRefusal();
    void verifyListsNotCompared_data();
    void verifyListsNotCompared();
    void portsListsWhatOpens();
    void traceEndsAfterItsTime();
    void sendFlashAndReset();
    void rawCommand();
    void maintenance();
    void masterAndScheduler();
    void traceCandumpReadsBack();
    void traceTextAndLog();
    void convertThenValidate();
    void validateNamesFirstFailure_data();
    void validateNamesFirstFailure();
    void validateNamesTheRecordedBackup();
    void badInput_data();
    void badInput();
    void moduleStopsAnswering();
};

void TestCli::helpForEveryCommand_data()
{
    QTest::addColumn<QString>("command");
    for (const char *name : {"ports",
                             "read",
                             "send",
                             "verify",
                             "trace",
                             "raw",
                             "reset",
                             "defaults",
                             "flash",
                             "master",
                             "scheduler",
                             "convert",
                             "validate"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestCli::helpForEveryCommand()
{
    QFETCH(QString, command);
    CliRig rig;
    const Run run = rig.run({command, QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(QStringLiteral("Usage: vexalin-cli ") + command),
             qPrintable(run.out));
    // Nothing was sent: help never opens the port.
    QVERIFY(rig.host().requests().empty());
    const Run overview = rig.run({QStringLiteral("--help")});
    QCOMPARE(overview.exitCode, 0);
    QVERIFY(overview.out.contains(QStringLiteral("  ") + command + QLatin1Char(' ')));
}

void TestCli::readJsonEqualsModule_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("requests");
    // The confirmation, the identity, the configuration batch.
    QTest::newRow("01.02.15, per-identifier slave data") << "01.02.15" << 1 + 2 + 30 + 64;
    QTest::newRow("01.01.05") << "01.01.05" << 1 + 2 + 30;
}

void TestCli::readJsonEqualsModule()
{
    QFETCH(QString, version);
    QFETCH(int, requests);
    CliRig rig(firmware(version));
    rig.host().withModel([](sim::ModuleModel &m) {
        auto &c = m.Config();
        c.CAN.FilterMask = 0x12345678;
        c.CAN.IdOffset = 0x80000042;
        c.LIN.Baudrate = 10417;
        c.LIN.MessageTimeouts = {1000, 30, 20, 15};
        c.LIN.SchedulerCount = 2;
        c.LIN.SchedulerEntries[0] = {25, 3};
        c.LIN.SchedulerEntries[1] = {40, 9};
        c.LIN.Frames[9].Data[0] = 0x99;
    });
    const Run run = rig.run({"read", "--port", QString::number(kCom), "--json"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    const ModuleConfig m = rig.host().config();
    // The configuration batch, then the two scheduler entries.
    QCOMPARE(int(rig.host().requests().size()), requests + 2);

    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const QJsonObject mod = json["module"].toObject();
    QCOMPARE(mod["firmware"].toString(), version);
    QCOMPARE(mod["hardware"].toString(), QStringLiteral("VXL-LIN-G 1.0"));
    const QJsonObject can = json["can"].toObject();
    QCOMPARE(can["active"].toInteger(), m.CAN.Active);
    QCOMPARE(can["baudrate"].toInteger(), m.CAN.Baudrate);
    QCOMPARE(can["filterMask"].toInteger(), qint64(m.CAN.FilterMask));
    QCOMPARE(can["filterCode"].toInteger(), qint64(m.CAN.FilterCode));
    QCOMPARE(can["idOffset"].toInteger(), qint64(m.CAN.IdOffset));
    QCOMPARE(json["rs232"].toObject()["baudrate"].toInteger(), qint64(m.RS232.Baudrate));
    const QJsonObject lin = json["lin"].toObject();
    QCOMPARE(lin["baudrate"].toInteger(), m.LIN.Baudrate);
    QCOMPARE(lin["filterMask"].toInteger(), m.LIN.FilterMask);
    const QJsonArray timeouts = lin["messageTimeouts"].toArray();
    QCOMPARE(timeouts.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(timeouts[i].toInteger(), m.LIN.MessageTimeouts[std::size_t(i)]);
    QCOMPARE(lin["schedulerCount"].toInteger(), 2);
    const QJsonArray entries = lin["schedulerEntries"].toArray();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[1].toObject()["time"].toInteger(), 40);
    QCOMPARE(entries[1].toObject()["id"].toInteger(), 9);
    const QJsonArray frames = lin["frames"].toArray();
    QCOMPARE(frames.size(), kFrameCount);
    const QJsonObject frame9 = frames[9].toObject();
    QCOMPARE(frame9["id"].toInteger(), 9);
    QCOMPARE(frame9["data"].toArray().first().toInteger(),
             HasPerIdSlaveData(FirmwareNumber(version)) ? 0x99 : m.LIN.SlaveIdData.Data[0]);
    // A value the firmware does not have: its reply status is the module's return code.
    const QJsonArray status = lin["replyStatus"].toArray();
    QCOMPARE(status.size(), 17);
    QVERIFY(status[LinSlaveActivationIdStatus].toInteger() != 0);
    QCOMPARE(status[LinBaudrateStatus].toInteger(), 0);
}

void TestCli::readTextAndProfile()
{
    CliRig rig(firmware("01.02.14"));
    rig.host().withModel([](sim::ModuleModel &m) { m.Config().CAN.FilterMask = 0x12345678; });
    const Run text = rig.run({"read", "--port", QString::number(kCom)});
    QCOMPARE(text.exitCode, 0);
    QVERIFY(text.out.startsWith("Hardware: VXL-LIN-G 1.0\nFirmware: 01.02.14\n"));
    const QStringList lines = text.out.split('\n');
    const auto row = [&lines](const QString &caption) {
        for (const QString &line : lines)
            if (line.trimmed().startsWith(caption))
                return line;
        return QString();
    };
    QVERIFY2(row("Filter Mask").contains("0x12345678"), qPrintable(text.out));
    QVERIFY(row("Bit rate").contains("38400 bit/s"));

    const QString path = rig.file("saved.vxlin");
    const Run saved = rig.run({"read", "--port", QString::number(kCom), "--profile", path});
    QCOMPARE(saved.exitCode, 0);
    // Not a slave-simulation build: the module refuses its slave activation ID.
    QCOMPARE(saved.err,
             QStringLiteral("Current module data was saved as \"saved.vxlin\"\n"
                            "The module did not give these values; the profile holds their "
                            "default values:\nCAN ID For Slave Activation\n"));
    QCOMPARE(saved.out, QString());
    clsVLINXMLProfile document;
    QVERIFY(document.OpenFile(path));
    ModuleConfig p = ModuleConfig::NewProfile();
    QVERIFY(document.ReadAll(&p.RS232.Baudrate, &p.CAN, &p.LIN));
    const ModuleConfig m = rig.host().config();
    QCOMPARE(p.CAN.FilterMask, 0x12345678u);
    QCOMPARE(p.CAN.Baudrate, m.CAN.Baudrate);
    QCOMPARE(p.LIN.Baudrate, m.LIN.Baudrate);
    QCOMPARE(p.LIN.FrameLengths, m.LIN.FrameLengths);
}

// A value the module refused to report is null, and its reply status says why; a one-byte value
// is its own byte whatever it is.
void TestCli::readJsonNullForRefused()
{
    CliRig rig(firmware("01.02.15"));
    rig.host().withModel([](sim::ModuleModel &m) {
        m.Config().LIN.SchedulerCount = 2;
        m.Config().LIN.SchedulerEntries[0] = {25, 3};
        m.Config().LIN.SchedulerEntries[1] = {40, 9};
        m.ForceReturnCode(1, 13, 9);        // CAN filter mask
        m.ForceReturnCode(2, 18, 9);        // message time-outs
        m.ForceReturnCode(2, 13, 9);        // LIN filter mask: one byte
        m.ForceReturnCodeOnce(2, 25, 3, 9); // the slave data of identifier 1
        m.ForceReturnCodeOnce(2, 21, 1, 9); // the first scheduler entry
    });
    const Run run = rig.run({"read", "--port", QString::number(kCom), "--json"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const QJsonObject can = json["can"].toObject();
    QVERIFY2(can["filterMask"].isNull(), qPrintable(run.out));
    QCOMPARE(can["replyStatus"].toArray()[CanFilterMaskStatus].toInteger(), 9);
    QVERIFY(!can["filterCode"].isNull());
    const QJsonObject lin = json["lin"].toObject();
    QVERIFY(lin["messageTimeouts"].isNull());
    QVERIFY(lin["slaveActivationId"].isNull());
    QCOMPARE(lin["filterMask"].toInteger(), 9);
    const QJsonArray frames = lin["frames"].toArray();
    QCOMPARE(frames.size(), kFrameCount);
    QVERIFY(frames[1].isNull());
    QCOMPARE(frames[2].toObject()["id"].toInteger(), 2);
    const QJsonArray entries = lin["schedulerEntries"].toArray();
    QCOMPARE(entries.size(), 2);
    QVERIFY(entries[0].isNull());
    QCOMPARE(entries[1].toObject()["id"].toInteger(), 9);
    QCOMPARE(lin["replyStatus"].toArray().size(), 17);
}

void TestCli::sendThenVerify_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("hardware");
    QTest::newRow("01.02.15") << "01.02.15"
                              << "VXL-LIN-G 1.0";
    QTest::newRow("01.01.07 slave sim") << "01.01.07"
                                        << "S-VXL-LIN 1.0";
    QTest::newRow("01.01.05") << "01.01.05"
                              << "VXL-LIN-G 1.0";
}

void TestCli::sendThenVerify()
{
    QFETCH(QString, version);
    QFETCH(QString, hardware);
    CliRig rig(firmware(version, hardware));
    rig.host().withModel([](sim::ModuleModel &m) {
        m.Config().LIN.MessageTimeouts = {1000, 30, 20, 15};
        m.Config().LIN.Retries = 3;
    });
    const ModuleConfig profile = testProfile(3);
    const QString path = rig.file("bench.vxlin");
    QVERIFY(saveProfile(profile, path));
    const QString port = QString::number(kCom);

    const Run before = rig.run({"verify", path, "--port", port});
    QCOMPARE(before.exitCode, 1);
    QVERIFY(before.out.contains("CAN/Filter_Mask: profile 305419896 (0x12345678), module "));

    const Run send = rig.run({"send", path, "--port", port});
    QCOMPARE(send.exitCode, 0);
    QVERIFY2(send.err.contains(kSendSuccess), qPrintable(send.err));
    // Without --flash the flash question is answered NO.
    QVERIFY(send.err.contains("The current module configuration will be copied in its flash "
                              "memory.  Proceed? NO\n"));
    const ModuleConfig after = rig.host().config();
    QCOMPARE(after.CAN.FilterMask, profile.CAN.FilterMask);
    QCOMPARE(after.LIN.Retries, std::uint16_t(0));
    QCOMPARE(after.LIN.MessageTimeouts, (std::array<std::uint16_t, 4>{1000, 30, 20, 15}));
    QCOMPARE(after.LIN.SchedulerCount, std::uint16_t(3));

    const Run verify = rig.run({"verify", path, "--port", port});
    QCOMPARE(verify.out, QString());
    QCOMPARE(verify.exitCode, 0);

    // Values changed in the module afterwards are reported, and only those. Older firmware keeps
    // no data per identifier, so a send never writes frame 9's data there.
    rig.host().withModel([](sim::ModuleModel &m) {
        m.Config().CAN.FilterCode = 0x0ABD;
        m.Config().LIN.SchedulerEntries[1].Time = 21;
        m.Config().LIN.Frames[9].Data[1] = 0x00;
    });
    const Run changed = rig.run({"verify", path, "--port", port});
    QCOMPARE(changed.exitCode, 1);
    QString expected = "CAN/Filter_Code: profile 2748 (0xABC), module 2749 (0xABD)\n"
                       "LIN/Scheduler_Entries/Entry[1]/Time: profile 20 (0x14), module 21 (0x15)\n";
    if (HasPerIdSlaveData(FirmwareNumber(version)))
        expected += "LIN/Frame_Configuration/Frame[9]/Data: profile [49 49], module [49 00]\n";
    QCOMPARE(changed.out, expected);
}

void TestCli::questionsNeedYes()
{
    CliRig rig(firmware("01.02.14"));
    rig.host().withModel([](sim::ModuleModel &m) {
        m.Config().LIN.SchedulerCount = 1;
        m.Config().LIN.SchedulerEntries[0] = {50, 2};
    });
    const QString path = rig.file("p.vxlin");
    QVERIFY(saveProfile(testProfile(2), path));
    const QString port = QString::number(kCom);
    const QString question = QStringLiteral(
        "You have scheduler entries in the profile to be send.  The current scheduler in the "
        "module will be reset and the new entries will be charged.  Continue?");

    const Run refused = rig.run({"send", path, "--port", port});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(refused.err.contains(question + " NO\n"));
    QVERIFY(!refused.err.contains(kSendSuccess));
    QVERIFY(!rig.requestCodes().contains("1/33")); // nothing of the profile was written
    QCOMPARE(rig.host().config().LIN.SchedulerEntries[0].Time, std::uint16_t(50));

    const Run answered = rig.run({"send", path, "--port", port, "--yes"});
    QCOMPARE(answered.exitCode, 0);
    QVERIFY(answered.err.contains(question + " YES\n"));
    QVERIFY(answered.err.contains(kSendSuccess));
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(2));
    QCOMPARE(rig.host().config().LIN.SchedulerEntries[1].Time, std::uint16_t(20));
}

void TestCli::refusedValue_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("send") << QStringList{"send", "PROFILE"}
                          << "Error: Error sending the profile to the Module: The given value is "
                             "out of range.\n";
    QTest::newRow("raw") << QStringList{"raw", "CAN", "33", "01", "02", "03", "04"}
                         << "The given value is out of range.\n";
}

void TestCli::refusedValue()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    CliRig rig(firmware("01.02.14"));
    const QString path = rig.file("p.vxlin");
    QVERIFY(saveProfile(testProfile(0), path));
    rig.host().forceReturnCode(1, 33, 5);
    args.replaceInStrings("PROFILE", path);
    const Run run = rig.run(args + QStringList{"--port", QString::number(kCom)});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, error);
    // The console line shows the return code as the reply.
    if (args.first() == "raw")
        QVERIFY2(run.out.contains("\n0 - 0x05 -     |    raw-command"), qPrintable(run.out));
    QCOMPARE(rig.host().config().CAN.FilterMask, 0xFFFFFFFFu);
}

void TestCli::rawReadRefusal_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("forcedGroup"); // -1: the module answers as it is
    QTest::addColumn<int>("forcedCommand");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    const QString outOfRange = "The given value is out of range.\n";
    QTest::newRow("2-byte value refused") << QStringList{"LIN", "11"} << 2 << 11 << 1 << outOfRange;
    QTest::newRow("4-byte value refused") << QStringList{"CAN", "13"} << 1 << 13 << 1 << outOfRange;
    QTest::newRow("slave entry refused") << QStringList{"LIN", "25"} << 2 << 25 << 1 << outOfRange;
    QTest::newRow("scheduler count refused")
        << QStringList{"LIN", "20"} << 2 << 20 << 1 << outOfRange;
    // One byte 6 to the scheduler count is the answer "the scheduler is empty".
    QTest::newRow("scheduler empty") << QStringList{"LIN", "20"} << -1 << 0 << 0 << QString();
    // A one-byte value is its own byte, whatever it is; the error counts are never refused.
    QTest::newRow("1-byte value") << QStringList{"CAN", "12"} << 1 << 12 << 0 << QString();
    QTest::newRow("RCV error count") << QStringList{"LIN", "22"} << 2 << 22 << 0 << QString();
    QTest::newRow("XMT error count") << QStringList{"RS232", "23"} << 0 << 23 << 0 << QString();
}

void TestCli::rawReadRefusal()
{
    QFETCH(QStringList, command);
    QFETCH(int, forcedGroup);
    QFETCH(int, forcedCommand);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    CliRig rig(firmware("01.02.15"));
    if (forcedGroup >= 0)
        rig.host().forceReturnCode(forcedGroup, forcedCommand, 5);
    const Run run = rig.run(QStringList{"raw", "--port", QString::number(kCom)} + command);
    QCOMPARE(run.err, error);
    QCOMPARE(run.exitCode, exitCode);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    // The reply line shows the byte the module answered with.
    if (forcedGroup >= 0)
        QVERIFY2(lines[1].startsWith(QStringLiteral("0 - 0x05 -     |")), qPrintable(lines[1]));
}

void TestCli::verifyListsNotCompared_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("refusedCanRead"); // 0: none
    QTest::addColumn<bool>("changeFilterCode");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QStringList>("notCompared");
    const QString filterCode = "CAN/Filter_Code: profile 2748 (0xABC), module 2749 (0xABD)\n";
    QTest::newRow("refused, rest equal")
        << "01.02.15" << 13 << false << 0 << QString()
        << QStringList{"Not compared: CAN/Filter_Mask (refused with code 5)"};
    QTest::newRow("refused value that differs")
        << "01.02.15" << 14 << true << 0 << QString()
        << QStringList{"Not compared: CAN/Filter_Code (refused with code 5)"};
    QTest::newRow("refused, another differs")
        << "01.02.15" << 15 << true << 1 << filterCode
        << QStringList{"Not compared: CAN/ID_Offset (refused with code 5)"};
    QTest::newRow("older firmware")
        << "01.01.05" << 0 << false << 0 << QString()
        << QStringList{"Not compared: CAN/Error_ID (not supported by firmware 01.01.05)",
                       "Not compared: LIN/Frame_Configuration/Frame[*]/Length (not supported by "
                       "firmware 01.01.05)",
                       "Not compared: LIN/Slave_Mask (not supported by firmware 01.01.05)",
                       "Not compared: LIN/Frame_Configuration/Frame[*]/Data (not supported by "
                       "firmware 01.01.05)"};
    QTest::newRow("standard build")
        << "01.02.15" << 0 << true << 1 << filterCode
        << QStringList{"Not compared: LIN/Slave_Activation_ID (not supported by firmware "
                       "01.02.15)"};
}

void TestCli::verifyListsNotCompared()
{
    QFETCH(QString, version);
    QFETCH(int, refusedCanRead);
    QFETCH(bool, changeFilterCode);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QStringList, notCompared);
    CliRig rig(firmware(version));
    const QString path = rig.file("p.vxlin");
    QVERIFY(saveProfile(testProfile(2), path));
    const QString port = QString::number(kCom);
    QCOMPARE(rig.run({"send", path, "--port", port}).exitCode, 0);
    if (refusedCanRead > 0)
        rig.host().forceReturnCode(1, refusedCanRead, 5);
    if (changeFilterCode)
        rig.host().withModel([](sim::ModuleModel &m) { m.Config().CAN.FilterCode = 0x0ABD; });

    const Run verify = rig.run({"verify", path, "--port", port});
    QCOMPARE(verify.out, out);
    QCOMPARE(verify.exitCode, exitCode);
    for (const QString &line : notCompared)
        QVERIFY2(verify.err.contains(line + '\n'), qPrintable(verify.err));
    if (refusedCanRead == 0)
        QVERIFY(!verify.err.contains("refused"));
}

void TestCli::portsListsWhatOpens()
{
    CliRig rig;
    // A number mapped to a device that does not exist is not listed.
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyX"),
                        rig.file("Norvel/VEXALIN/dosdevices/com9")));
    const Run run = rig.run({"ports"});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains(QStringLiteral("COM4\t") + rig.host().linkPath()));
    QVERIFY(!run.out.contains(QStringLiteral("COM9\t")));
}

void TestCli::traceEndsAfterItsTime()
{
    CliRig rig(firmware("01.02.14"));
    const Run run = rig.run({"trace", "--port", QString::number(kCom), "--seconds", "1"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, QString());
}

void TestCli::sendFlashAndReset()
{
    CliRig rig(firmware("01.02.14"));
    const QString path = rig.file("p.vxlin");
    QVERIFY(saveProfile(testProfile(0), path));
    const Run run = rig.run({"send", path, "--port", QString::number(kCom), "--flash", "--reset"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.contains("Proceed? YES\n"));
    QVERIFY(run.err.contains("Do you want to this now? YES\n"));
    // The flash copy holds the profile, and the module was reset and read again.
    QCOMPARE(rig.host().withModel([](sim::ModuleModel &m) { return m.Flash().CAN.FilterMask; }),
             0x12345678u);
    const QStringList codes = rig.requestCodes();
    const auto flash = codes.indexOf("3/3");
    const auto reset = codes.indexOf("3/4");
    QVERIFY(flash > 0);
    QVERIFY(reset > flash);
    QCOMPARE(codes.mid(reset + 1, 2), (QStringList{"3/0", "3/1"}));
}

void TestCli::rawCommand()
{
    CliRig rig(firmware("01.02.14"));
    const QString port = QString::number(kCom);
    const Run set = rig.run({"raw", "--port", port, "CAN", "31", "14", "0x01"});
    QCOMPARE(set.exitCode, 0);
    QCOMPARE(rig.host().config().CAN.Baudrate, std::uint16_t(0x0114));
    const QStringList lines = set.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("0 - Set:- "), qPrintable(lines[0]));
    QVERIFY(lines[0].contains("    |    raw-command [02h "));
    QVERIFY2(lines[1].startsWith("0 - 0x00 -     |    raw-command [02h "), qPrintable(lines[1]));
    const auto last = rig.host().requests().back();
    QCOMPARE(last.group, 1);
    QCOMPARE(last.command, 31);
    QCOMPARE(last.data, QByteArray("\x14\x01", 2));

    const Run read = rig.run({"raw", "--port", port, "lin", "0x0B"});
    QCOMPARE(read.exitCode, 0);
    // 19200 = 0x4B00, lowest byte first.
    QVERIFY2(read.out.contains("\n0 - 0x00 - 0x4B -     |    raw-command"), qPrintable(read.out));
}

void TestCli::maintenance()
{
    CliRig rig(firmware("01.02.14"));
    const QString port = QString::number(kCom);
    rig.host().withModel([](sim::ModuleModel &m) { m.Config().CAN.FilterMask = 0x1234; });

    const Run refused = rig.run({"flash", "--port", port});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(!rig.requestCodes().contains("3/3"));

    const Run flash = rig.run({"flash", "--port", port, "--yes"});
    QCOMPARE(flash.exitCode, 0);
    QCOMPARE(rig.host().withModel([](sim::ModuleModel &m) { return m.Flash().CAN.FilterMask; }),
             0x1234u);
    // A flash save from the menu resets the module: its start-up text is the last line.
    QVERIFY2(flash.out.contains(" ready"), qPrintable(flash.out));

    const Run defaults = rig.run({"defaults", "--port", port});
    QCOMPARE(defaults.exitCode, 0);
    QCOMPARE(rig.host().config().CAN.FilterMask, 0xFFFFFFFFu);
    QVERIFY(defaults.out.startsWith("0 - 0x00 - "));

    rig.host().clearTranscript();
    const Run reset = rig.run({"reset", "--port", port});
    QCOMPARE(reset.exitCode, 0);
    QVERIFY2(reset.out.startsWith("0:- ") && reset.out.contains("FW 01.02.14"),
             qPrintable(reset.out));
    QVERIFY(rig.requestCodes().contains("3/4"));
}

void TestCli::masterAndScheduler()
{
    CliRig rig(firmware("01.02.14"));
    const QString port = QString::number(kCom);
    const QString path = rig.file("entries.vxlin");
    QVERIFY(saveProfile(testProfile(4), path));

    const Run refused = rig.run({"scheduler", "set", path, "--port", port});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(refused.err.contains("The current scheduler entries will be modified. Procced? NO\n"));
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(0));

    const Run set = rig.run({"scheduler", "set", path, "--port", port, "--yes"});
    QCOMPARE(set.exitCode, 0);
    QCOMPARE(set.out, QStringLiteral("4 entries\n"));
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(4));

    const Run get = rig.run({"scheduler", "get", "--port", port});
    QCOMPARE(get.exitCode, 0);
    const QStringList lines = get.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[3], QStringLiteral(" 4  Time    40 ms  ID  4 (0x04)"));

    const Run on = rig.run({"master", "on", "--port", port});
    QCOMPARE(on.exitCode, 0);
    QCOMPARE(on.out, QStringLiteral("Master ON\n"));
    QCOMPARE(rig.host().config().LIN.MasterStatus, std::uint16_t(1));
    const Run off = rig.run({"master", "off", "--port", port});
    QCOMPARE(off.out, QStringLiteral("Master OFF\n"));
    QCOMPARE(rig.host().config().LIN.MasterStatus, std::uint16_t(0));

    const Run clear = rig.run({"scheduler", "clear", "--port", port, "--yes"});
    QCOMPARE(clear.exitCode, 0);
    QVERIFY(clear.err.contains("The current entries will be deleted. Procced? YES\n"));
    QCOMPARE(clear.out, QStringLiteral("0 entries\n"));
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(0));
}

void TestCli::traceCandumpReadsBack()
{
    CliRig rig(firmware("01.02.14"));
    struct Sent
    {
        std::uint32_t id;
        bool extended, remote;
        QByteArray data;
    };
    const std::vector<Sent> frames = {{0x123, false, false, QByteArray("\x01\x02\x03", 3)},
                                      {0x1ABCDEF0, true, false, QByteArray("\xDE\xAD\xBE\xEF", 4)},
                                      {0x7FF, false, true, QByteArray(2, '\0')},
                                      {0x005, false, false, QByteArray()}};
    QProcess process;
    rig.start(process,
              {"trace", "--port", QString::number(kCom), "--format", "candump", "--count", "4"});
    // Once the module has been read, it sends its frames, with a LIN message in between that a
    // candump log leaves out.
    QTRY_VERIFY_WITH_TIMEOUT(rig.host().requests().size() >= 32, kRunMs);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto &f = frames[i];
        rig.host().sendOwnMessage(canFrame(f.id, f.extended, f.remote, f.data));
        if (i == 1) {
            rig.host().sendOwnMessage(sim::MakeLinFrameMessage(5, {0xAA}));
        }
    }
    const Run run = CliRig::finish(process);
    QCOMPARE(run.exitCode, 0);
    const QRegularExpression candump(QStringLiteral(
        "^\\((\\d+)\\.(\\d{6})\\) vxl0 ([0-9A-F]{3}|[0-9A-F]{8})#(R|(?:[0-9A-F]{2})*)$"));
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), int(frames.size()));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto match = candump.match(lines[qsizetype(i)]);
        QVERIFY2(match.hasMatch(), qPrintable(lines[qsizetype(i)]));
        const auto &f = frames[i];
        QCOMPARE(match.captured(3).size() == 8, f.extended);
        QCOMPARE(match.captured(3).toUInt(nullptr, 16), f.id);
        if (f.remote)
            QCOMPARE(match.captured(4), QStringLiteral("R"));
        else
            QCOMPARE(QByteArray::fromHex(match.captured(4).toLatin1()), f.data);
    }
}

void TestCli::traceTextAndLog()
{
    CliRig rig(firmware("01.02.14"));
    const QString log = rig.file("trace.log");
    QProcess process;
    rig.start(process, {"trace", "--port", QString::number(kCom), "--count", "2", "--log", log});
    QTRY_VERIFY_WITH_TIMEOUT(rig.host().requests().size() >= 32, kRunMs);
    rig.host().sendOwnMessage(canFrame(0x123, false, false, QByteArray("\x01\x02", 2)));
    rig.host().sendOwnMessage(canFrame(0x123, false, false, QByteArray("\x03\x04", 2)));
    const Run run = CliRig::finish(process);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].endsWith("  CAN  MSG-ID  123h  STD: 01 - 02"), qPrintable(lines[0]));
    QVERIFY2(lines[1].endsWith("  CAN  MSG-ID  123h  STD: 03 - 04"), qPrintable(lines[1]));
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList logLines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QVERIFY(logLines.first().startsWith("VEXA-LIN CT - LOG file"));
    QVERIFY2(logLines.last().startsWith("2\t|\tCAN\t|\t"), qPrintable(logLines.last()));
}

void TestCli::convertThenValidate()
{
    QTemporaryDir dir;
    // An unversioned legacy profile of the short layout: scrambled magic, then the values.
    QByteArray bytes(106, '\0');
    const QByteArray magic("TVQ-CON");
    for (int i = 0; i < 7; ++i)
        bytes[i] = i == 3 || i == 4 ? magic[i] : char((uchar(magic[i]) - 70) & 0xFF);
    for (int i = 7; i < 10; ++i)
        bytes[i] = char((uchar('x') - 70) & 0xFF);
    bytes[10] = char(0x00), bytes[11] = char(0xE1); // 57600
    bytes[18 + 2] = char(0x14), bytes[18 + 3] = char(0x01);
    const QString old = dir.filePath("bench.lin");
    QFile file(old);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    CliRig rig;
    const Run convert = rig.run({"convert", old});
    QCOMPARE(convert.exitCode, 0);
    QCOMPARE(convert.out, dir.filePath("bench.vxlin") + '\n');
    QCOMPARE(convert.err, QStringLiteral("The profile was sucessfully updated\n"));
    const Run named = rig.run({"convert", old, dir.filePath("other.xml")});
    QCOMPARE(named.out, dir.filePath("other.vxlin") + '\n');

    const Run valid = rig.run({"validate", dir.filePath("bench.vxlin")});
    QCOMPARE(valid.exitCode, 0);
    QCOMPARE(valid.out, QStringLiteral("bench.vxlin: valid profile\n"));
    clsVLINXMLProfile document;
    QVERIFY(document.OpenFile(dir.filePath("other.vxlin")));
    ModuleConfig p;
    QVERIFY(document.ReadAll(&p.RS232.Baudrate, &p.CAN, &p.LIN));
    QCOMPARE(p.RS232.Baudrate, 57600u);
    QCOMPARE(p.CAN.Baudrate, std::uint16_t(0x0114));

    const Run notLegacy = rig.run({"convert", dir.filePath("bench.vxlin")});
    QCOMPARE(notLegacy.exitCode, 2);
    QCOMPARE(notLegacy.err, QStringLiteral("The given profile cannot be recognized\n"));
}

void TestCli::validateNamesFirstFailure_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("problem");
    QTest::newRow("text in a CAN value")
        << "<Filter_Code>0</Filter_Code>"
        << "<Filter_Code>abc</Filter_Code>"
        << "CAN/Filter_Code: \"abc\" is not a number from 0 to 4294967295";
    QTest::newRow("byte out of range") << "<Forward_Mask>0</Forward_Mask>\n    <Filter_Mask>255"
                                       << "<Forward_Mask>256</Forward_Mask>\n    <Filter_Mask>255"
                                       << "LIN/Forward_Mask: \"256\" is above 255";
    QTest::newRow("missing element") << "<Error_ID>0</Error_ID>"
                                     << ""
                                     << "CAN/Error_ID: missing";
    QTest::newRow("too few entries")
        << "<Scheduler_Entries Count=\"0\" />"
        << "<Scheduler_Entries Count=\"2\"><Entry Time=\"5\">1</Entry></Scheduler_Entries>"
        << "LIN/Scheduler_Entries/Entry[1]: missing (Count is 2)";
    QTest::newRow("frame length") << "<Length>8</Length>\n        <Format>"
                                  << "<Length>9</Length>\n        <Format>"
                                  << "LIN/Frame_Configuration/Frame[48]/Length: \"9\" is above 8";
    QTest::newRow("not XML") << "<VXLIN_PROFILE"
                             << "<<VXLIN_PROFILE"
                             << "not a well-formed XML file";
}

void TestCli::validateNamesFirstFailure()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QString path = dir.filePath("p.vxlin");
    QVERIFY(saveProfile(ModuleConfig::NewProfile(), path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf16(
        reinterpret_cast<const char16_t *>(file.readAll().constData() + 2));
    file.close();
    QVERIFY2(text.contains(from), qPrintable(text.left(2000)));
    text.replace(text.indexOf(from), from.size(), to);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("\xFF\xFE", 2);
    file.write(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    file.close();

    CliRig rig;
    const Run run = rig.run({"validate", path});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.startsWith("p.vxlin: " + problem), qPrintable(run.err));
    // The tool's own reader refuses the file as well, and says why in the same words.
    const Run send = rig.run({"send", path, "--port", QString::number(kCom)});
    QCOMPARE(send.exitCode, 2);
    QVERIFY2(send.err.contains("\n" + problem), qPrintable(send.err));
}

// A save killed after cutting the file short: validate names the backup that holds the old one.
void TestCli::validateNamesTheRecordedBackup()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.vxlin");
    QVERIFY(saveProfile(ModuleConfig::NewProfile(), path));
    const pid_t child = ::fork();
    if (child == 0) {
        SafeWriteOptions options;
        options.afterStep = [](WriteStep step) {
            if (step == WriteStep::TargetTruncated)
                ::kill(::getpid(), SIGKILL);
            return StepAction::Continue;
        };
        (void) WriteFileSafely(path, "cut short", options);
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));

    CliRig rig;
    const Run run = rig.run({"validate", path});
    QCOMPARE(run.exitCode, 2);
    const QString backup = QFileInfo(BackupPathFor(path)).canonicalFilePath();
    QVERIFY2(run.err.endsWith("The profile \"p.vxlin\" was not saved completely. Its previous "
                              "content was kept in \""
                              + backup + "\"\n"),
             qPrintable(run.err));
}

void TestCli::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString port = QString::number(kCom);
    QTest::newRow("unknown command")
        << QStringList{"frobnicate"} << 2 << "vexalin-cli: unknown command \"frobnicate\"";
    QTest::newRow("unknown port") << QStringList{"read", "--port", "9"} << 2
                                  << "COM9 is not mapped to any device";
    QTest::newRow("port out of range") << QStringList{"read", "--port", "300"} << 2
                                       << "vexalin-cli: --port takes a COM number from 1 to 255";
    QTest::newRow("bad rate") << QStringList{"read", "--port", port, "--baud", "12345"} << 2
                              << "vexalin-cli: --baud takes 4800";
    QTest::newRow("bad hex") << QStringList{"raw", "--port", port, "LIN", "11", "ZZ"} << 2
                             << "vexalin-cli: \"ZZ\" is not a hexadecimal byte";
    QTest::newRow("not in the catalogue") << QStringList{"raw", "--port", port, "LIN", "63"} << 2
                                          << "vexalin-cli: \"63\" is not a command of group 2";
    QTest::newRow("missing file")
        << QStringList{"send", "/nonexistent/p.vxlin", "--port", port} << 2
        << "vexalin-cli: the file \"/nonexistent/p.vxlin\" does not exist";
    QTest::newRow("not a profile")
        << QStringList{"verify", VXL_TEST_DATA_DIR "/profiles/not_a_profile.xml", "--port", port}
        << 2 << "vexalin-cli: \"not_a_profile.xml\" is not a VEXA-LIN profile";
    QTest::newRow("broken profile")
        << QStringList{"send", VXL_TEST_DATA_DIR "/profiles/no_can.vxlin", "--port", port} << 2
        << "Error: Reading from file \"no_can.vxlin\" failed";
    QTest::newRow("reset without flash")
        << QStringList{"send", "x.vxlin", "--reset"} << 2 << "vexalin-cli: --reset needs --flash";
    QTest::newRow("json and profile") << QStringList{"read", "--json", "--profile", "x"} << 2
                                      << "vexalin-cli: --json and --profile exclude each other";
    QTest::newRow("missing argument")
        << QStringList{"verify"} << 2 << "vexalin-cli: missing argument\nUsage: vexalin-cli verify";
    QTest::newRow("bad master state")
        << QStringList{"master", "maybe"} << 2 << "vexalin-cli: the state is \"on\" or \"off\"";
}

void TestCli::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    CliRig rig;
    const Run run = rig.run(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QVERIFY(rig.host().requests().empty());
}

void TestCli::moduleStopsAnswering()
{
    CliRig rig(firmware("01.02.14"));
    const QString port = QString::number(kCom);
    rig.host().setSilent(true);
    const Run silent = rig.run({"read", "--port", port});
    QCOMPARE(silent.exitCode, 3);
    QCOMPARE(silent.err,
             QStringLiteral("Error: Try to connect to port/module: 4 failed with message \"A "
                            "VEXA-LIN module could not be confirmed.\".\n"));

    // It answers the confirmation and the hardware text, then no longer the firmware text.
    rig.host().setSilent(false);
    rig.host().dropReply(3);
    const Run dropped = rig.run({"read", "--port", port, "--json"});
    QCOMPARE(dropped.exitCode, 3);
    QCOMPARE(dropped.out, QString());
    QVERIFY2(dropped.err.contains("Error: Error retreiving information from the module."),
             qPrintable(dropped.err));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
