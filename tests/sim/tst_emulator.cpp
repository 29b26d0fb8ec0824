// The emulated module driven through the real link over a pseudo-terminal.

#include "core/link/command_builders.h"
#include "pacing_check.h"
#include "sim_fixture.h"

#include <QProcess>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Whether this build runs under ThreadSanitizer (g++ and clang tell it differently).
#if defined(__SANITIZE_THREAD__)
constexpr bool kThreadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool kThreadSanitizer = true;
#else
constexpr bool kThreadSanitizer = false;
#endif
#else
constexpr bool kThreadSanitizer = false;
#endif

using namespace vxl;
using namespace vxl::sim;

namespace {

EmulatorOptions options(const QString &firmware = "01.02.15",
                        const QString &hardware = "VXL-LIN-G 1.0  ",
                        std::uint32_t rate = 38400)
{
    EmulatorOptions o;
    o.identity.firmware = firmware;
    o.identity.hardware = hardware;
    o.rate = rate;
    o.pacing = false;
    return o;
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The data of a reply, or a text that says it never came: a module that stays silent fails the
// comparison with a message instead of ending the program.
QByteArray replyData(const std::optional<LIN_Msg> &msg)
{
    return msg ? test::SimLink::dataOf(*msg) : QByteArray("(no reply)");
}

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void replyShapes_data();
    void replyShapes();
    void badChecksumAnswersOne();
    void configurationRead_data();
    void configurationRead();
    void schedulerRoundTrip();
    void defaultsSwitchTheRate();
    void resetRestoresFlash_data();
    void resetRestoresFlash();
    void programmingModeIsSilent();
    void ownMessagesFollowTheLayouts();
    void masterSchedulerForwardsFrames();
    void faults();
    void requestsArePacedBySender();
    void exclusivityOfADeadToolIsLifted();
    void standaloneProgramOnAComNumber();
};

void TestEmulator::initTestCase()
{
    // Every test below talks to the module through the link: when not even this answer comes
    // back, each of them would only wait for replies in vain.
    test::SimLink sim(options());
    QVERIFY2(sim.connect(), "the link does not open the emulator's port");
    const QByteArray firmware = replyData(sim.request(3, 1, 1, {}, 5000));
    QVERIFY2(firmware == "01.02.15",
             qPrintable(QStringLiteral("the firmware text does not come back through the link; "
                                       "came: %1 (hex %2)")
                            .arg(QString::fromLatin1(firmware),
                                 QString::fromLatin1(firmware.toHex(' ')))));
}

void TestEmulator::replyShapes_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("reply");

    const QString std = "VXL-LIN-G 1.0  ";
    const QString slave = "SXL-LIN-G 1.0  ";
    QTest::newRow("rs-232 rate lowest byte first")
        << "01.02.15" << std << 0 << 11 << QByteArray() << hex("0096");
    QTest::newRow("rs-232 rate out of range")
        << "01.02.15" << std << 0 << 31 << hex("3412") << hex("05");
    QTest::newRow("rs-232 rate 19200") << "01.02.15" << std << 0 << 31 << hex("004B") << hex("00");
    QTest::newRow("rs-232 counters")
        << "01.02.15" << std << 0 << 24 << QByteArray() << hex("000000000000");
    QTest::newRow("can filter mask")
        << "01.02.15" << std << 1 << 13 << QByteArray() << hex("FFFFFFFF");
    QTest::newRow("can rate") << "01.02.15" << std << 1 << 11 << QByteArray() << hex("1C00");
    QTest::newRow("can activation") << "01.02.15" << std << 1 << 30 << hex("02") << hex("05");
    QTest::newRow("can delete is not a command")
        << "01.02.15" << std << 1 << 50 << QByteArray() << hex("04");
    QTest::newRow("can error id below 01.01.07")
        << "01.01.06" << std << 1 << 16 << QByteArray() << hex("09");
    QTest::newRow("can error id write below 01.01.07")
        << "01.01.06" << std << 1 << 36 << hex("01000000") << hex("09");
    QTest::newRow("can error id 01.01.07")
        << "01.01.07" << std << 1 << 16 << QByteArray() << hex("00000000");
    QTest::newRow("frame length below 01.01.06")
        << "01.01.05" << std << 2 << 27 << hex("0000") << hex("09");
    QTest::newRow("frame length write below 01.01.06")
        << "01.01.05" << std << 2 << 43 << hex("040508") << hex("09");
    QTest::newRow("frame format below 01.01.06")
        << "01.01.05" << std << 2 << 28 << hex("0000") << hex("09");
    QTest::newRow("frame format write below 01.01.06")
        << "01.01.05" << std << 2 << 44 << hex("010501") << hex("09");
    QTest::newRow("frame lengths 0x00-0x0F")
        << "01.01.06" << std << 2 << 27 << hex("0000") << hex("2222222222222222");
    QTest::newRow("frame lengths 0x30-0x3F")
        << "01.01.06" << std << 2 << 27 << hex("0300") << hex("8888888888888888");
    QTest::newRow("frame length one id")
        << "01.01.06" << std << 2 << 27 << hex("0428") << hex("04");
    QTest::newRow("frame length 9 refused")
        << "01.01.06" << std << 2 << 43 << hex("040509") << hex("05");
    QTest::newRow("slave activation standard")
        << "01.02.15" << std << 2 << 29 << QByteArray() << hex("09");
    QTest::newRow("slave activation slave sim")
        << "01.01.07" << slave << 2 << 29 << QByteArray() << hex("00000000");
    QTest::newRow("slave activation slave sim too old")
        << "01.01.06" << slave << 2 << 45 << hex("00000000") << hex("09");
    QTest::newRow("slave mask write standard")
        << "01.02.15" << std << 2 << 46 << hex("010501") << hex("09");
    QTest::newRow("slave mask write slave sim")
        << "01.02.15" << slave << 2 << 46 << hex("010501") << hex("00");
    QTest::newRow("slave mask read always")
        << "01.01.05" << std << 2 << 15 << hex("0000") << hex("0000000000000000");
    QTest::newRow("slave entry without index")
        << "01.01.05" << std << 2 << 25 << QByteArray() << hex("003FFFFFFFFFFFFFFFFF");
    QTest::newRow("slave entry by index below 01.02.15")
        << "01.02.14" << std << 2 << 25 << hex("05") << hex("09");
    QTest::newRow("slave entry by index")
        << "01.02.15" << std << 2 << 25 << hex("21") << hex("0021FFFFFFFF");
    QTest::newRow("empty scheduler count")
        << "01.02.15" << std << 2 << 20 << QByteArray() << hex("06");
    QTest::newRow("scheduler time 0") << "01.02.15" << std << 2 << 40 << hex("000005") << hex("0C");
    QTest::newRow("scheduler id 64") << "01.02.15" << std << 2 << 40 << hex("0A0040") << hex("05");
    QTest::newRow("lin rate 500") << "01.02.15" << std << 2 << 31 << hex("F401") << hex("05");
    QTest::newRow("lin rate 19200") << "01.02.15" << std << 2 << 11 << QByteArray() << hex("004B");
    QTest::newRow("lin forward mask bad bit")
        << "01.02.15" << std << 2 << 32 << hex("02") << hex("03");
    QTest::newRow("lin write id 0x40") << "01.02.15" << std << 2 << 1 << hex("40") << hex("05");
    QTest::newRow("message time-outs")
        << "01.02.15" << std << 2 << 18 << QByteArray() << hex("0000000000000000");
    QTest::newRow("hardware text") << "01.02.15" << std << 3 << 0 << QByteArray() << std.toLatin1();
    QTest::newRow("firmware text")
        << "01.01.07" << std << 3 << 1 << QByteArray() << QByteArray("01.01.07");
    QTest::newRow("flash save") << "01.02.15" << std << 3 << 3 << QByteArray() << hex("00");
}

void TestEmulator::replyShapes()
{
    QFETCH(QString, firmware);
    QFETCH(QString, hardware);
    QFETCH(int, group);
    QFETCH(int, command);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, reply);
    test::SimLink sim(options(firmware, hardware));
    QVERIFY(sim.connect());
    const auto msg = sim.request(group, command, 5, data);
    QVERIFY(msg);
    QCOMPARE(HeaderField(msg->header, 0), 0);
    QCOMPARE(HeaderField(msg->header, 1), 5);
    QCOMPARE(test::SimLink::dataOf(*msg).toHex(), reply.toHex());
}

void TestEmulator::badChecksumAnswersOne()
{
    test::SimLink sim(options());
    QVERIFY(sim.connect());
    LIN_Msg bad = BuildRequest(2, 16, 3);
    bad.checksum ^= 0x01;
    sim.link().QueueMessage(bad);
    const auto msg = sim.next();
    QVERIFY(msg);
    QCOMPARE(test::SimLink::dataOf(*msg), hex("01"));
    QCOMPARE(HeaderField(msg->header, 1), 3);
}

void TestEmulator::configurationRead_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<int>("requests");
    QTest::newRow("01.02.14") << "01.02.14" << 30;
    QTest::newRow("01.02.15") << "01.02.15" << 94;
}

void TestEmulator::configurationRead()
{
    // The read sequence the tool sends, answered in the shapes its reader stores.
    QFETCH(QString, firmware);
    QFETCH(int, requests);
    test::SimLink sim(options(firmware));
    QVERIFY(sim.connect());
    struct Step
    {
        int group, command, sequence;
        QByteArray data;
        int replyBytes;
    };
    std::vector<Step> steps{{0, 11, 0, {}, 2}, {0, 24, 1, {}, 6}};
    for (int c = 10; c <= 15; ++c)
        steps.push_back({1, c, c - 10, {}, c == 10 || c == 12 ? 1 : (c == 11 ? 2 : 4)});
    steps.push_back({1, 24, 6, {}, 8});
    steps.push_back({1, 16, 7, {}, 4});
    for (int c = 10; c <= 14; ++c)
        steps.push_back({2, c, c - 10, {}, c == 11 ? 2 : 1});
    steps.push_back({2, 15, 5, hex("0000"), 8});
    steps.push_back({2, 16, 6, {}, 1});
    steps.push_back({2, 17, 7, {}, 1});
    steps.push_back({2, 18, 0, {}, 8});
    steps.push_back({2, 19, 1, {}, 1});
    steps.push_back({2, 20, 2, {}, 1}); // empty scheduler: return code 6
    steps.push_back({2, 24, 3, {}, 14});
    steps.push_back({2, 26, 4, {}, 1});
    for (int k = 0; k < 4; ++k)
        steps.push_back({2, 27, k, QByteArray(1, char(k)) + QByteArray(1, '\0'), 8});
    steps.push_back({2, 28, 4, hex("0000"), 8});
    steps.push_back({2, 29, 5, {}, 1}); // standard build: not supported
    steps.push_back({2, 25, 6, {}, 2 + 8});
    if (requests == 94) {
        for (int i = 0; i < 64; ++i)
            steps.push_back({2, 25, i % 8, QByteArray(1, char(i)), 2 + DefaultFrameLength(i)});
    }
    QCOMPARE(int(steps.size()), requests);
    for (const Step &step : steps) {
        const auto *raw = reinterpret_cast<const std::uint8_t *>(step.data.constData());
        SendCommandData(sim.link(),
                        step.group,
                        step.command,
                        step.sequence,
                        {raw, std::size_t(step.data.size())});
    }
    for (int i = 0; i < requests; ++i) {
        const auto msg = sim.next(2000);
        QVERIFY2(msg, qPrintable(QString("reply %1").arg(i)));
        const Step &step = steps[std::size_t(i)];
        QCOMPARE(HeaderField(msg->header, 1), step.sequence);
        QVERIFY2(msg->count == step.replyBytes,
                 qPrintable(
                     QString("%1/%2: %3 bytes").arg(step.group).arg(step.command).arg(msg->count)));
    }
    const auto transcript = sim.host().requests();
    QCOMPARE(int(transcript.size()), requests);
    QCOMPARE(transcript.back().group, 2);
    QCOMPARE(transcript.back().command, 25);
}

void TestEmulator::schedulerRoundTrip()
{
    test::SimLink sim(options());
    QVERIFY(sim.connect());
    for (int i = 1; i <= 3; ++i) {
        QByteArray entry;
        entry.append(char(10 * i)).append('\1').append(char(i));
        const auto reply = sim.request(2, 40, 6, entry);
        QVERIFY(reply);
        QCOMPARE(test::SimLink::dataOf(*reply), hex("00"));
    }
    QCOMPARE(replyData(sim.request(2, 20, 3)), hex("0300"));
    QCOMPARE(replyData(sim.request(2, 21, 4, hex("02"))), hex("140102"));
    QCOMPARE(replyData(sim.request(2, 21, 4, hex("04"))), hex("05"));
    // Running master: no entries may be added.
    QCOMPARE(replyData(sim.request(2, 36, 1, hex("01"))), hex("00"));
    QCOMPARE(replyData(sim.request(2, 16, 0)), hex("01"));
    QCOMPARE(replyData(sim.request(2, 40, 6, hex("0A0005"))), hex("0B"));
    // Discarding empties the scheduler and stops the master.
    QCOMPARE(replyData(sim.request(2, 51, 2)), hex("00"));
    QCOMPARE(replyData(sim.request(2, 20, 3)), hex("06"));
    QCOMPARE(replyData(sim.request(2, 16, 0)), hex("00"));
    // Fifty entries fit, the fifty-first does not.
    sim.host().withModel([](ModuleModel &model) {
        model.Config().LIN.SchedulerCount = 49;
        return 0;
    });
    QCOMPARE(replyData(sim.request(2, 40, 6, hex("0A0005"))), hex("00"));
    QCOMPARE(replyData(sim.request(2, 40, 6, hex("0A0005"))), hex("02"));
    QCOMPARE(sim.host().config().LIN.SchedulerCount, 50);
}

void TestEmulator::defaultsSwitchTheRate()
{
    test::SimLink sim(options("01.02.15", "VXL-LIN-G 1.0  ", 57600));
    QVERIFY(sim.connect(57600));
    QCOMPARE(replyData(sim.request(0, 11, 0)), hex("00E1"));
    sim.request(2, 31, 0, hex("E803")); // LIN 1000 bit/s, undone by the defaults
    SendCommand(sim.link(), 3, 2, 3);
    QVERIFY(!sim.next(300)); // its answer went out at 38400
    QCOMPARE(sim.host().config().RS232.Baudrate, 38400u);
    QCOMPARE(sim.host().config().LIN.Baudrate, 19200);
    QVERIFY(!sim.request(0, 11, 0, {}, 300)); // deaf at the old rate
    sim.link().Disconnect();
    QVERIFY(sim.connect(38400));
    QCOMPARE(replyData(sim.request(0, 11, 0)), hex("0096"));
}

void TestEmulator::resetRestoresFlash_data()
{
    QTest::addColumn<int>("style");
    QTest::newRow("carriage return") << int(StartupStyle::CarriageReturn);
    QTest::newRow("66 characters") << int(StartupStyle::Fixed66);
}

void TestEmulator::resetRestoresFlash()
{
    QFETCH(int, style);
    EmulatorOptions o = options();
    o.startupStyle = StartupStyle(style);
    test::SimLink sim(o);
    QVERIFY(sim.connect());
    QCOMPARE(replyData(sim.request(2, 31, 0, hex("2003"))),
             hex("05"));                                                // 800: out of range
    QCOMPARE(replyData(sim.request(2, 31, 0, hex("3C28"))), hex("00")); // 10300
    QCOMPARE(replyData(sim.request(3, 3, 3)), hex("00"));
    QCOMPARE(replyData(sim.request(2, 31, 0, hex("6009"))),
             hex("00")); // 2400, not saved
    QCOMPARE(sim.link().ResetModule(3), 0);
    QTRY_VERIFY_WITH_TIMEOUT(sim.link().BinaryMode(), 10000);
    const QString text = sim.link().TakeStartupText();
    QCOMPARE(text.toLatin1(), sim.host().withModel([](ModuleModel &m) { return m.StartupText(); }));
    if (StartupStyle(style) == StartupStyle::Fixed66) {
        QCOMPARE(text.size(), 66);
        QVERIFY(text.at(8) != '2');
    } else {
        QCOMPARE(text.at(8), QChar('2'));
        QVERIFY(text.endsWith('\r'));
    }
    QCOMPARE(replyData(sim.request(2, 11, 0)), hex("3C28"));
}

void TestEmulator::programmingModeIsSilent()
{
    test::SimLink sim(options());
    QVERIFY(sim.connect());
    LIN_Msg wrong = BuildRequest(3, 63, 2, std::vector<std::uint8_t>(13, 'x'));
    sim.link().QueueMessage(wrong);
    QCOMPARE(replyData(sim.next()), hex("07"));
    SendIspRequest(sim.link(), 2);
    QVERIFY(!sim.next(300));
    QVERIFY(!sim.request(3, 1, 1, {}, 300));
    QVERIFY(sim.host().withModel([](ModuleModel &m) { return m.InProgrammingMode(); }));
}

void TestEmulator::ownMessagesFollowTheLayouts()
{
    test::SimLink sim(options());
    QVERIFY(sim.connect());
    sim.host().sendOwnMessage(MakeCanFrameMessage(0x123, false, false, {0xDE, 0xAD}));
    sim.host().sendOwnMessage(MakeCanFrameMessage(0x1ABCDEF0, true, true, {1, 2, 3}));
    sim.host().sendOwnMessage(MakeCanEventMessage(0x05, 0x12, 96, 128));
    sim.host().sendOwnMessage(MakeLinErrorMessage(10, 0x21));
    const QList<QByteArray> expected{hex("9502") + hex("2301DEAD"),
                                     hex("95C3") + hex("F0DEBC1A"),
                                     hex("9520") + hex("05126080"),
                                     hex("A24A21")};
    for (const QByteArray &want : expected) {
        const auto msg = sim.next();
        QVERIFY(msg);
        QByteArray got(1, char(msg->header));
        got += test::SimLink::dataOf(*msg);
        QCOMPARE(got.toHex(), want.toHex());
    }
}

void TestEmulator::masterSchedulerForwardsFrames()
{
    test::SimLink sim(options());
    QVERIFY(sim.connect());
    QCOMPARE(replyData(sim.request(2, 32, 1, hex("04"))), hex("00")); // LIN to RS-232
    QCOMPARE(replyData(sim.request(2,
                                   41,
                                   1,
                                   hex("01"
                                       "05"
                                       "1122"))),
             hex("00"));
    QCOMPARE(replyData(sim.request(2, 40, 6, hex("0A0005"))), hex("00"));
    QCOMPARE(replyData(sim.request(2, 40, 6, hex("0A0030"))), hex("00"));
    QCOMPARE(replyData(sim.request(2, 36, 1, hex("01"))), hex("00"));
    QList<QByteArray> frames;
    while (frames.size() < 4) {
        const auto msg = sim.next(1000);
        QVERIFY(msg);
        QCOMPARE(HeaderField(msg->header, 0), 1);
        QCOMPARE(HeaderField(msg->header, 1), 2);
        frames << test::SimLink::dataOf(*msg);
    }
    QCOMPARE(frames[0].toHex(), QByteArray("051122"));
    QCOMPARE(frames[1].toHex(), QByteArray("30ffffffffffffffff"));
    QCOMPARE(frames[2], frames[0]);
    QVERIFY(sim.host().config().LIN.ErrorCounters[1] >= 4);
}

void TestEmulator::faults()
{
    test::SimLink sim(options());
    QVERIFY(sim.connect());
    sim.host().dropReply(2);
    QVERIFY(sim.request(3, 1, 1));
    QVERIFY(!sim.request(3, 1, 1, {}, 200));
    QVERIFY(sim.request(3, 1, 1));
    sim.host().corruptReply(1);
    QVERIFY(!sim.request(3, 1, 1, {}, 200)); // dropped by the link's checksum test
    sim.host().forceReturnCode(1, 33, 5);
    QCOMPARE(replyData(sim.request(1, 33, 3, hex("FFFFFFFF"))), hex("05"));
    sim.host().setReplyDelayMs(150);
    QVERIFY(sim.request(3, 1, 1));
    // Held back on the module's own clock: the reply left 150 ms or more after the request came.
    std::vector<TranscriptEntry> transcript;
    QTRY_VERIFY_WITH_TIMEOUT((transcript = sim.host().transcript()).size() >= 2
                                 && !transcript.back().received,
                             5000);
    const TranscriptEntry &request = transcript[transcript.size() - 2];
    QVERIFY(request.received);
    QCOMPARE(request.group, 3);
    QCOMPARE(request.command, 1);
    QVERIFY2(transcript.back().ms - request.ms >= 149.9,
             qPrintable(QString("%1 ms").arg(transcript.back().ms - request.ms)));
    sim.host().setReplyDelayMs(0);
    sim.host().setSilent(true);
    QVERIFY(!sim.request(3, 1, 1, {}, 200));
}

void TestEmulator::requestsArePacedBySender()
{
    test::SimLink sim(options());
    QVERIFY(sim.connect());
    sim.link().RecordWrites(true);
    for (int i = 0; i < 12; ++i)
        SendCommand(sim.link(), 2, 16, i % 8);
    for (int i = 0; i < 12; ++i)
        QVERIFY2(sim.next(5000), qPrintable(QString("reply %1").arg(i)));
    const auto requests = sim.host().requests();
    QCOMPARE(requests.size(), std::size_t(12));
    QCOMPARE(requests[3].text, QStringLiteral("02h 30h 90h A0h"));
    // The module received them as the sender wrote them, one by one and 20 ms or more apart on
    // the sender's clock (the module's own reading of the gaps is a benchmark figure: it moves
    // with the load of the machine).
    test::CheckPacedAsReceived(sim.link().Writes(), requests);
    if (QTest::currentTestFailed())
        return;
    for (std::size_t i = 0; i < requests.size(); ++i)
        QCOMPARE(requests[i].sequence, int(i % 8));
}

void TestEmulator::exclusivityOfADeadToolIsLifted()
{
    test::SimLink sim(options());
    const QString device = sim.host().devicePath();
    {
        const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        QCOMPARE(::ioctl(fd, TIOCEXCL), 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        QTRY_VERIFY(sim.host().toolPresent());
        ::close(fd); // as a crashed tool's descriptors are closed
    }
    QTRY_VERIFY(!sim.host().toolPresent());
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    int exclusive = 1;
    QCOMPARE(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    QCOMPARE(exclusive, 0);
    ::close(fd);
    QVERIFY(sim.connect());
    QVERIFY(sim.request(3, 0, 0));
}

void TestEmulator::standaloneProgramOnAComNumber()
{
    // The sanitizer takes Qt's vfork-style start of a program for a fork of this process and
    // stops watching, or stops the test, from then on.
    if (kThreadSanitizer)
        QSKIP("ThreadSanitizer cannot follow a program started from a threaded process");
    QProcess process;
    process.start(QStringLiteral(VXL_BINARY_DIR "/vexalin-sim"),
                  {"--port", "5", "--no-pacing", "--firmware", "01.02.14"});
    QVERIFY(process.waitForStarted());
    QVERIFY(process.waitForReadyRead(3000));
    const QString line = QString::fromLocal8Bit(process.readLine());
    QVERIFY2(line.contains("COM5") && line.contains("/dev/pts/"), qPrintable(line));
    {
        clsLinPort link; // the user's own port map, as the tool resolves it
        QCOMPARE(link.Connect(5, 38400), 0);
        QThread::msleep(60);
        QCOMPARE(link.ReadFirmwareVersion(1), 0);
        LIN_Msg msg;
        QTRY_VERIFY(link.ReceivedCount() > 0);
        QCOMPARE(link.GetMessage(&msg), 0);
        QCOMPARE(test::SimLink::dataOf(msg), QByteArray("01.02.14"));
        link.Disconnect();
        // Closing and reopening the port keeps the module there.
        QCOMPARE(link.Connect(5, 38400), 0);
        QThread::msleep(60);
        QCOMPARE(link.ReadHardwareVersion(0), 0);
        QTRY_VERIFY(link.ReceivedCount() > 0);
        QCOMPARE(link.GetMessage(&msg), 0);
    }
    process.terminate();
    QVERIFY(process.waitForFinished(3000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(UserDosDevicesDir() + "/com5").isSymLink());
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
