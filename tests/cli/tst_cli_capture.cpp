// `vexalin-cli trace --capture` as Wireshark users run it: the real executable against the
// emulator, its capture read back by Debian's tshark from a file and, live, through a pipe.

#include "sim/emulator_host.h"
#include "support/pty_pair.h"
#include "support/tshark_reader.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vxl;

namespace {

constexpr int kCom = 6;
constexpr int kRunMs = 120000; // a bound for a hung run only; nothing is timed
constexpr int kFloodIds = 64;
constexpr int kFloodMs = 10000;

// The emulator registered as a COM number in a settings folder of its own.
class CaptureRig
{
public:
    CaptureRig()
    {
        sim::EmulatorOptions options;
        options.comNumber = kCom;
        options.dosDevices = m_home.filePath(QStringLiteral("Norvel/VEXALIN/dosdevices"));
        QDir().mkpath(options.dosDevices);
        m_host = std::make_unique<sim::EmulatorHost>(options);
        m_host->start();
    }

    void start(QProcess &cli, const QStringList &args) const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        env.insert(QStringLiteral("WINEPREFIX"), m_home.filePath(QStringLiteral("wine")));
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(VXL_BINARY_DIR "/vexalin-cli"),
                  QStringList{QStringLiteral("trace"),
                              QStringLiteral("--port"),
                              QString::number(kCom)}
                      + args);
    }

    // Once the connection's read of the module is done, what the module sends is traced.
    [[nodiscard]] bool waitForConnection() const
    {
        return QTest::qWaitFor([this] { return m_host->requests().size() >= 32; }, kRunMs);
    }

    [[nodiscard]] QString file(const QString &name) const { return m_home.filePath(name); }
    sim::EmulatorHost &host() { return *m_host; }

private:
    QTemporaryDir m_home;
    std::unique_ptr<sim::EmulatorHost> m_host;
};

bool finished(QProcess &process)
{
    if (process.waitForFinished(kRunMs))
        return process.exitStatus() == QProcess::NormalExit;
    process.kill();
    process.waitForFinished();
    return false;
}

LIN_Msg ownMessage(int source, const QByteArray &data)
{
    LIN_Msg msg;
    msg.start = kStartByte;
    msg.header = std::uint8_t(0x80 | (source << 4) | data.size());
    msg.count = int(data.size());
    msg.checksum = msg.header;
    for (int i = 0; i < data.size(); ++i) {
        msg.data[std::size_t(i)] = std::uint8_t(data.at(i));
        msg.checksum ^= msg.data[std::size_t(i)];
    }
    return msg;
}

} // namespace

class TestCliCapture : public QObject
{
    Q_OBJECT

private slots:
    void captureFileBesideTextLines();
    void refusedCaptures_data();
    void refusedCaptures();
    void liveFloodThroughPipe();
};

void TestCliCapture::captureFileBesideTextLines()
{
    CaptureRig rig;
    const QString path = rig.file(QStringLiteral("bus.pcapng"));
    QProcess cli;
    rig.start(cli, {"--capture", path, "--count", "3"});
    QVERIFY(rig.waitForConnection());
    rig.host().sendOwnMessage(sim::MakeCanFrameMessage(0x1ABCDEF0, true, false, {0xDE, 0xAD}));
    // Printed but not captured, so not counted: a message from outside the two buses and a LIN
    // frame longer than the link type holds.
    rig.host().sendOwnMessage(ownMessage(3, QByteArray::fromHex("01")));
    rig.host().sendOwnMessage(ownMessage(2, QByteArray::fromHex("05010203040506070809")));
    rig.host().sendOwnMessage(sim::MakeLinFrameMessage(5, {0x11, 0x22}));
    rig.host().sendOwnMessage(sim::MakeLinErrorMessage(10, 0x21));
    QVERIFY(finished(cli));
    QCOMPARE(cli.exitCode(), 0);
    const QStringList lines = QString::fromLocal8Bit(cli.readAllStandardOutput())
                                  .split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines[0].endsWith("  CAN  MSG-ID  1ABCDEF0h  EXT: DE - AD"), qPrintable(lines[0]));
    QVERIFY2(lines[4].endsWith("  LIN  WARNING  0Ah  Slave not responding. ID: 0x21"),
             qPrintable(lines[4]));

    const test::TsharkRead read = test::ReadWithTshark(path);
    QVERIFY2(read.ran, qPrintable(read.failure));
    QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems.join('\n')));
    QCOMPARE(read.packets.size(), 3);
    const QJsonObject can = read.packets.at(0).toObject();
    QCOMPARE(test::TsharkField(can, "can", "can.id"), QStringLiteral("448585456"));
    QCOMPARE(test::TsharkField(can, "can", "can.flags.xtd"), QStringLiteral("1"));
    QCOMPARE(test::TsharkField(can, "data", "data.data"), QStringLiteral("de:ad"));
    const QJsonObject lin = read.packets.at(1).toObject();
    QCOMPARE(test::TsharkField(lin, "lin", "lin.frame_id"), QStringLiteral("0x05"));
    QCOMPARE(test::TsharkField(lin, "data", "data.data"), QStringLiteral("11:22"));
    const QJsonObject error = read.packets.at(2).toObject();
    QCOMPARE(test::TsharkField(error, "lin", "lin.errors.no_slave_response"), QStringLiteral("1"));
    QCOMPARE(test::TsharkField(error, "pkt_comment", "frame.comment"),
             QStringLiteral("Slave not responding. ID: 0x21"));
    // A capture dates its packets by the wall clock.
    const double epoch = test::TsharkField(can, "frame", "frame.time_epoch").toDouble();
    QVERIFY2(epoch > 1.6e9, qPrintable(QString::number(epoch, 'f')));
}

void TestCliCapture::refusedCaptures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QString>("message");
    QTest::newRow("standard output is a terminal")
        << QStringList{"--capture", "-"} << true << "not to the terminal";
    QTest::newRow("with --format") << QStringList{"--capture", "-", "--format", "text"} << false
                                   << "--capture - leaves no standard output for --format";
    QTest::newRow("with --format candump")
        << QStringList{"--format", "candump", "--capture", "-"} << false << "--format";
    QTest::newRow("unwritable file")
        << QStringList{"--capture", "/nonexistent-folder/bus.pcapng"} << false
        << "the capture could not be written to \"/nonexistent-folder/bus.pcapng\"";
}

void TestCliCapture::refusedCaptures()
{
    QFETCH(QStringList, args);
    QFETCH(bool, terminal);
    QFETCH(QString, message);
    // Refused before any connection: no module is needed.
    test::PtyPair terminalOut;
    QProcess cli;
    if (terminal)
        cli.setStandardOutputFile(terminalOut.slavePath());
    cli.start(QStringLiteral(VXL_BINARY_DIR "/vexalin-cli"),
              QStringList{"trace", "--port", QString::number(kCom)} + args);
    QVERIFY(finished(cli));
    QCOMPARE(cli.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
    const QByteArray out = terminal ? terminalOut.readAvailable() : cli.readAllStandardOutput();
    QVERIFY2(out.isEmpty(), out.constData());
}

void TestCliCapture::liveFloodThroughPipe()
{
    CaptureRig rig;
    QProcess cli;
    QProcess tshark;
    cli.setStandardOutputProcess(&tshark);
    // AUTOSAR network management would claim identifier 0's bytes as its own.
    tshark.start(QStringLiteral("tshark"),
                 {"-r",
                  "-",
                  "--disable-protocol",
                  "autosar-nm",
                  "-T",
                  "fields",
                  "-E",
                  "separator=,",
                  "-e",
                  "frame.interface_id",
                  "-e",
                  "can.id",
                  "-e",
                  "data.data"});
    QVERIFY2(tshark.waitForStarted(kRunMs), "tshark could not be started; make deps installs it");
    // The lines --verbose writes to stderr tell how far the trace has come.
    int linesSeen = 0;
    QByteArray lastLine;
    QObject::connect(&cli, &QProcess::readyReadStandardError, [&] {
        const QByteArray text = cli.readAllStandardError();
        linesSeen += int(text.count('\n'));
        lastLine = text.trimmed().split('\n').last();
    });
    rig.start(cli, {"--capture", "-", "--verbose"});
    QVERIFY(rig.waitForConnection());
    const auto before = int(rig.host().ownMessagesSent());
    rig.host().setFlood(kFloodIds);
    QTest::qWait(kFloodMs);
    rig.host().setFlood(0);
    // A last message after the flood: once it is traced, so is everything the module sent.
    rig.host().sendOwnMessage(sim::MakeLinFrameMessage(0x3F, {0xEE}));
    QVERIFY(QTest::qWaitFor([&] { return lastLine.endsWith("LIN  MSG-ID  3Fh  EE"); }, kRunMs));
    QTRY_COMPARE_WITH_TIMEOUT(int(rig.host().ownMessagesSent()), linesSeen, kRunMs);
    const int sent = linesSeen;
    QVERIFY2(sent - before > 100, qPrintable(QString::number(sent - before)));
    cli.terminate(); // Ctrl+C's way: the capture gets its statistics and ends
    QVERIFY(finished(cli));
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(finished(tshark));
    QCOMPARE(tshark.exitCode(), 0);
    const QStringList frames = QString::fromLatin1(tshark.readAllStandardOutput())
                                   .split('\n', Qt::SkipEmptyParts);
    QCOMPARE(frames.size(), sent);
    QCOMPARE(frames.last(), QStringLiteral("1,,ee"));
    // Each flood frame: extended identifier n, data n, n >> 8, AA, 55, in the order sent.
    for (int i = before; i < sent - 1; ++i) {
        const int id = (i - before) % kFloodIds;
        const QString data = QStringLiteral("%1%2aa55")
                                 .arg(id & 0xFF, 2, 16, QLatin1Char('0'))
                                 .arg(id >> 8, 2, 16, QLatin1Char('0'));
        QCOMPARE(frames.at(i).split(','), (QStringList{"0", QString::number(id), data}));
    }
}

QTEST_GUILESS_MAIN(TestCliCapture)
#include "tst_cli_capture.moc"
