// The link over a real pseudo-terminal: requests on the wire, replies assembled and notified,
// module confirmation, the start-up text after a reset, and a request the sender held across a
// reconnection.

#include "core/link/command_builders.h"
#include "core/link/lin_port.h"
#include "pty_pair.h"

#include <QtTest>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace vxl;
using namespace std::chrono_literals;

namespace {

struct Notice
{
    unsigned message;
    int wparam;
    int lparam;
};

class Recorder
{
public:
    LinNotify callback()
    {
        return [this](unsigned message, int wparam, int lparam) {
            std::lock_guard lock(m_mutex);
            m_notices.push_back({message, wparam, lparam});
        };
    }
    std::vector<Notice> of(unsigned message) const
    {
        std::lock_guard lock(m_mutex);
        std::vector<Notice> result;
        for (const Notice &n : m_notices)
            if (n.message == message)
                result.push_back(n);
        return result;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Notice> m_notices;
};

ComPortMap mapFor(const test::PtyPair &pty)
{
    return ComPortMap(ComPortRoots{pty.dosDevices(), QString(), QStringLiteral("/nonexistent")});
}

// Holds the sender on the first request it takes off the queue, between the queue and the line,
// until released. Released at the latest when it goes, so a link destroyed after it can stop its
// sender.
class SenderGate
{
public:
    SenderGate() = default;
    ~SenderGate() { release(); }
    SenderGate(const SenderGate &) = delete;
    SenderGate &operator=(const SenderGate &) = delete;

    [[nodiscard]] clsLinPort::SenderHold hold() const
    {
        // The state outlives the gate: the sender may call the hold for later requests.
        return [state = m_state](const LIN_Msg &) {
            std::unique_lock lock(state->mutex);
            if (state->taken++ > 0)
                return;
            state->held = true;
            state->changed.notify_all();
            state->changed.wait(lock, [&state] { return state->released; });
        };
    }
    [[nodiscard]] bool waitHeld() const
    {
        std::unique_lock lock(m_state->mutex);
        return m_state->changed.wait_for(lock, 5s, [this] { return m_state->held; });
    }
    void release()
    {
        {
            std::lock_guard lock(m_state->mutex);
            m_state->released = true;
        }
        m_state->changed.notify_all();
    }

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable changed;
        int taken = 0;
        bool held = false;
        bool released = false;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// A link handed blocks exactly as the reader thread hands over what one read returned.
class BlockFedLink : public clsLinPort
{
public:
    using clsLinPort::clsLinPort;
    void feed(const QByteArray &block)
    {
        ReceiveBlock(reinterpret_cast<const std::uint8_t *>(block.constData()),
                     std::size_t(block.size()));
    }
    // The received messages as header:data in hex, emptying the queue.
    QStringList takeAll()
    {
        QStringList texts;
        for (LIN_Msg msg; GetMessage(&msg) == LinCode::Ok;) {
            texts << QString::number(msg.header, 16) + QLatin1Char(':')
                         + QByteArray(reinterpret_cast<const char *>(msg.data.data()), msg.count)
                               .toHex();
        }
        return texts;
    }
};

} // namespace

class TestLinPort : public QObject
{
    Q_OBJECT

private slots:
    void fixedCommandsOnTheWire_data();
    void fixedCommandsOnTheWire();
    void fixedCommandsRefuse();
    void repliesAreQueuedAndNotified();
    void badChecksumThenGoodReplyInOneBurst();
    void requestsArePaced();
    void confirmSilentModule();
    void confirmAnsweringModule();
    void startupText_data();
    void startupText();
    void connectFailsOnMissingPort();
    void reconnectAfterInterruptedResetIsBinary();
    void leftoverBytesDoNotSwallowRepliesAfterReconnect_data();
    void leftoverBytesDoNotSwallowRepliesAfterReconnect();
    void queuedRequestsAreNotSentOnTheNextConnection();
    void requestHeldAcrossReconnectionIsDropped_data();
    void requestHeldAcrossReconnectionIsDropped();
    void endlessTextIsBoundedAndNotifiedPerBlock_data();
    void endlessTextIsBoundedAndNotifiedPerBlock();
    void messagesAcrossBlocks_data();
    void messagesAcrossBlocks();
    void startupTextAndFrameInOneBlock();
    void startupTextAnsweredAtOnceIsKept();
};

void TestLinPort::fixedCommandsOnTheWire_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("hardware version, seq 3") << 0 << 3 << QByteArray::fromHex("0230C0F0");
    QTest::newRow("firmware version, seq 1") << 1 << 1 << QByteArray::fromHex("0210C1D1");
    QTest::newRow("defaults, seq 3") << 2 << 3 << QByteArray::fromHex("0230C2F2");
    QTest::newRow("flash, seq 3") << 3 << 3 << QByteArray::fromHex("0230C3F3");
    QTest::newRow("reset, seq 3") << 4 << 3 << QByteArray::fromHex("0230C4F4");
}

void TestLinPort::fixedCommandsOnTheWire()
{
    QFETCH(int, command);
    QFETCH(int, sequence);
    QFETCH(QByteArray, bytes);
    test::PtyPair pty(4);
    QVERIFY(pty.isValid());
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.Connect(4, 38400), 0);
    QCOMPARE(link.ConnectedPort(), 4);
    int result = -1;
    switch (command) {
    case 0:
        result = link.ReadHardwareVersion(sequence);
        break;
    case 1:
        result = link.ReadFirmwareVersion(sequence);
        break;
    case 2:
        result = link.SetDefaultValues(sequence);
        break;
    case 3:
        result = link.CopyToFlash(sequence);
        break;
    case 4:
        result = link.ResetModule(sequence);
        break;
    }
    QCOMPARE(result, 0);
    QCOMPARE(pty.read(bytes.size()), bytes);
}

void TestLinPort::fixedCommandsRefuse()
{
    test::PtyPair pty(2);
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.ReadHardwareVersion(0), 64);
    QCOMPARE(link.ResetModule(1), 64);
    QCOMPARE(link.Disconnect(), 64);
    QCOMPARE(link.Connect(2, 38400), 0);
    QCOMPARE(link.ReadHardwareVersion(8), 72);
    QCOMPARE(link.OutgoingCount(), std::size_t(0));
    QTest::qWait(60);
    QCOMPARE(pty.readAvailable(), QByteArray());
    LIN_Msg msg;
    QCOMPARE(link.GetMessage(nullptr), 68);
    QCOMPARE(link.GetMessage(&msg), 69);
    QCOMPARE(link.Disconnect(), 0);
    QCOMPARE(link.ConnectedPort(), 0);
}

void TestLinPort::repliesAreQueuedAndNotified()
{
    test::PtyPair pty(3);
    Recorder recorder;
    clsLinPort link(recorder.callback(), mapFor(pty));
    QCOMPARE(link.Connect(3, 38400), 0);
    QVERIFY(pty.write(QByteArray::fromHex("02010504"
                                          "02520A0B53")));
    QTRY_COMPARE(link.ReceivedCount(), std::size_t(2));
    LIN_Msg first;
    QCOMPARE(link.GetMessage(&first), 0);
    QCOMPARE(first.header, 0x01);
    QCOMPARE(first.code, 0);
    QCOMPARE(first.data[0], 0x05);
    QCOMPARE(first.count, 1);
    QCOMPARE(first.checksum, 0x04);
    LIN_Msg second;
    QCOMPARE(link.GetMessage(&second), 0);
    QCOMPARE(second.count, 2);
    QCOMPARE(FormatFrame(second), QStringLiteral("02h 52h 00h 0Ah 0Bh 53h"));
    const auto notices = recorder.of(WM_LIN_MESSAGE);
    QCOMPARE(notices.size(), std::size_t(2));
    QCOMPARE(notices[0].wparam, 0);
    QCOMPARE(notices[0].lparam, 1);
    QCOMPARE(notices[1].wparam, 5);
    QCOMPARE(notices[1].lparam, 2);
}

void TestLinPort::badChecksumThenGoodReplyInOneBurst()
{
    // A corrupted reply must not hold back the good one that arrived with it.
    test::PtyPair pty(3);
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.Connect(3, 38400), 0);
    QVERIFY(pty.write(QByteArray::fromHex("02010577"
                                          "02110617")));
    QTRY_COMPARE(link.ReceivedCount(), std::size_t(1));
    LIN_Msg msg;
    QCOMPARE(link.GetMessage(&msg), 0);
    QCOMPARE(msg.header, 0x11);
    QCOMPARE(msg.data[0], 0x06);
}

void TestLinPort::requestsArePaced()
{
    test::PtyPair pty(6);
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.Connect(6, 115200), 0);
    SendCommand(link, 2, 16, 7);
    QCOMPARE(pty.read(4, 5000).size(), 4);
    QVERIFY(link.Writes().empty()); // nothing is kept unless asked for

    link.RecordWrites(true);
    constexpr int kRequests = 6;
    for (int i = 0; i < kRequests; ++i)
        SendCommand(link, 2, 16, i);
    QCOMPARE(pty.read(4 * kRequests, 5000).size(), 4 * kRequests);
    QTRY_COMPARE_WITH_TIMEOUT(link.Writes().size(), std::size_t(kRequests), 5000);
    const auto writes = link.Writes();
    for (int i = 0; i < kRequests; ++i) {
        const SentRequest &write = writes[std::size_t(i)];
        QVERIFY(write.ok);
        QCOMPARE(HeaderField(write.msg.header, 1), i); // in the order queued
        QVERIFY(write.finished >= write.started);
        if (i == 0)
            continue;
        // The sender may be late under load but never early: the gap is measured from the end
        // of one write to the start of the next, on the sender's own clock.
        const auto gap = write.started - writes[std::size_t(i - 1)].finished;
        QVERIFY2(gap >= 20ms,
                 qPrintable(
                     QString("%1 us before request %2")
                         .arg(std::chrono::duration_cast<std::chrono::microseconds>(gap).count())
                         .arg(i)));
    }

    link.RecordWrites(false);
    SendCommand(link, 2, 16, 0);
    QCOMPARE(pty.read(4, 5000).size(), 4);
    QCOMPARE(link.Writes().size(), std::size_t(kRequests));
    link.RecordWrites(true); // starts afresh
    QVERIFY(link.Writes().empty());
}

void TestLinPort::confirmSilentModule()
{
    test::PtyPair pty(9);
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.Connect(9, 38400), 0);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(link.ConfirmModule(), 69);
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= 195 && elapsed < 2000, qPrintable(QString::number(elapsed)));
    QVERIFY(!link.IsConnected());
    QVERIFY(!link.IsOpen());
}

void TestLinPort::confirmAnsweringModule()
{
    test::PtyPair pty(9);
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.Connect(9, 38400), 0);
    std::thread module([&pty] {
        const QByteArray request = pty.read(4, 1000);
        if (request == QByteArray::fromHex("0270C1B1"))
            pty.write(QByteArray::fromHex("0272"
                                          "4142"
                                          "71"));
    });
    const int result = link.ConfirmModule();
    module.join();
    QCOMPARE(result, 0);
    QVERIFY(link.IsConnected());
    QCOMPARE(link.ReceivedCount(), std::size_t(1)); // the reply stays for the engine
}

void TestLinPort::startupText_data()
{
    QTest::addColumn<QByteArray>("noise");
    QTest::addColumn<QByteArray>("text");

    const QByteArray crStyle = "PVXL-LIN2.1 ready\r";
    QByteArray fixedStyle = "PVXL-LIN-X";
    fixedStyle += QByteArray(66 - fixedStyle.size(), '.');
    QTest::newRow("carriage-return style") << QByteArray() << crStyle;
    QTest::newRow("carriage-return style after noise") << QByteArray("\x00xyz", 4) << crStyle;
    QTest::newRow("66-character style after noise") << QByteArray("?!") << fixedStyle;
}

void TestLinPort::startupText()
{
    QFETCH(QByteArray, noise);
    QFETCH(QByteArray, text);
    QCOMPARE(text.at(8) == '2', text.endsWith('\r'));
    test::PtyPair pty(5);
    Recorder recorder;
    clsLinPort link(recorder.callback(), mapFor(pty));
    QCOMPARE(link.Connect(5, 38400), 0);
    QCOMPARE(link.ResetModule(3), 0);
    QVERIFY(!link.BinaryMode());
    QCOMPARE(pty.read(4), QByteArray::fromHex("0230C4F4"));
    // Sent in pieces, with a stray frame behind it that binary mode must pick up afterwards.
    QVERIFY(pty.write(noise + text.left(5)));
    QTest::qWait(20);
    QVERIFY(pty.write(text.mid(5)));
    QTRY_VERIFY(link.BinaryMode());
    QCOMPARE(link.TakeStartupText(), QString::fromLatin1(text));
    QCOMPARE(link.TakeStartupText(), QString());
    QCOMPARE(recorder.of(WM_LIN_TEXT).size(), std::size_t(1));
    // Once per received block, not once per character.
    QVERIFY(!recorder.of(WM_LIN_CHAR).empty());
    QVERIFY(recorder.of(WM_LIN_CHAR).size() < std::size_t(text.size()));
    QVERIFY(pty.write(QByteArray::fromHex("02010504")));
    QTRY_COMPARE(link.ReceivedCount(), std::size_t(1));
}

void TestLinPort::connectFailsOnMissingPort()
{
    test::PtyPair pty(1);
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.Connect(2, 38400), 39);
    QCOMPARE(link.ConnectedPort(), 0);
    QCOMPARE(link.LastError(), std::uint32_t(ENOENT));
}

void TestLinPort::reconnectAfterInterruptedResetIsBinary()
{
    test::PtyPair pty(5);
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.Connect(5, 38400), 0);
    QCOMPARE(link.ResetModule(3), 0);
    QVERIFY(link.StartupTextAwaited());
    QCOMPARE(link.Disconnect(), 0); // unplugged while the module restarts
    QVERIFY(link.BinaryMode());
    QVERIFY(!link.StartupTextAwaited());

    QCOMPARE(link.Connect(5, 38400), 0);
    pty.readAvailable();
    std::thread module([&pty] {
        if (pty.read(4, 1000).endsWith(QByteArray::fromHex("0270C1B1")))
            pty.write(QByteArray::fromHex("0272"
                                          "4142"
                                          "71"));
    });
    const int confirmed = link.ConfirmModule();
    module.join();
    QCOMPARE(confirmed, 0);
    QCOMPARE(link.ReceivedCount(), std::size_t(1));
    QCOMPARE(link.TextByteCount(), std::size_t(0));
}

void TestLinPort::leftoverBytesDoNotSwallowRepliesAfterReconnect_data()
{
    QTest::addColumn<QByteArray>("leftover");
    QTest::newRow("start of a frame still queued") << QByteArray::fromHex("0201");
    QTest::newRow("frame half assembled") << QByteArray::fromHex("02030102");
}

void TestLinPort::leftoverBytesDoNotSwallowRepliesAfterReconnect()
{
    QFETCH(QByteArray, leftover);
    test::PtyPair pty(3);
    Recorder recorder;
    clsLinPort link(recorder.callback(), mapFor(pty));
    QCOMPARE(link.Connect(3, 38400), 0);
    QVERIFY(pty.write(leftover));
    QTest::qWait(100); // taken in by the reader
    QCOMPARE(link.ReceivedCount(), std::size_t(0));
    QCOMPARE(link.Disconnect(), 0);
    QCOMPARE(link.Connect(3, 38400), 0);
    QVERIFY(pty.write(QByteArray::fromHex("02010504")));
    QTRY_COMPARE(link.ReceivedCount(), std::size_t(1));
    LIN_Msg msg;
    QCOMPARE(link.GetMessage(&msg), 0);
    QCOMPARE(msg.header, 0x01);
    QCOMPARE(msg.data[0], 0x05);
    // The reader queues the message before it posts the notification.
    QTRY_COMPARE(recorder.of(WM_LIN_MESSAGE).size(), std::size_t(1));
}

void TestLinPort::queuedRequestsAreNotSentOnTheNextConnection()
{
    test::PtyPair pty(6);
    clsLinPort link({}, mapFor(pty));
    QCOMPARE(link.Connect(6, 38400), 0);
    constexpr int kRequests = 20;
    for (int i = 0; i < kRequests; ++i)
        SendCommand(link, 2, 16, i % 8);
    QCOMPARE(link.Disconnect(), 0);
    QCOMPARE(link.OutgoingCount(), std::size_t(0));
    pty.readAvailable();
    QCOMPARE(link.Connect(6, 38400), 0);
    QCOMPARE(link.OutgoingCount(), std::size_t(0));
    QCOMPARE(pty.readAvailable(200), QByteArray());
    QCOMPARE(link.ReadFirmwareVersion(2), 0);
    QCOMPARE(pty.read(4), QByteArray::fromHex("0220C1E1"));
}

void TestLinPort::requestHeldAcrossReconnectionIsDropped_data()
{
    QTest::addColumn<bool>("disconnectFirst");
    QTest::addColumn<int>("nextPort");
    QTest::newRow("disconnected, connected to the same port") << true << 6;
    QTest::newRow("disconnected, connected to another port") << true << 7;
    QTest::newRow("connected again to the same port") << false << 6;
    QTest::newRow("connected straight to another port") << false << 7;
}

void TestLinPort::requestHeldAcrossReconnectionIsDropped()
{
    QFETCH(bool, disconnectFirst);
    QFETCH(int, nextPort);
    test::PtyPair first(6);
    test::PtyPair second(7);
    QVERIFY(first.isValid() && second.isValid());
    clsLinPort link({},
                    ComPortMap(ComPortRoots{first.dosDevices(),
                                            second.dosDevices(),
                                            QStringLiteral("/nonexistent")}));
    // Declared after the link, so released before the link waits for its sender.
    SenderGate gate;
    link.SetSenderHold(gate.hold());
    link.RecordWrites(true);
    QCOMPARE(link.Connect(6, 38400), 0);
    QCOMPARE(link.ReadHardwareVersion(3), 0);
    QVERIFY(gate.waitHeld()); // taken off the queue, not written yet
    if (disconnectFirst)
        QCOMPARE(link.Disconnect(), 0);
    QCOMPARE(link.Connect(nextPort, 38400), 0);
    gate.release();

    QCOMPARE(link.ReadFirmwareVersion(2), 0);
    test::PtyPair &next = nextPort == 6 ? first : second;
    // Requests leave in order: a held request written after all would arrive first.
    QCOMPARE(next.read(4, 5000), QByteArray::fromHex("0220C1E1"));
    QCOMPARE(next.readAvailable(), QByteArray());
    test::PtyPair &other = nextPort == 6 ? second : first;
    QCOMPARE(other.readAvailable(), QByteArray());
    QTRY_COMPARE(link.Writes().size(), std::size_t(1));
    QCOMPARE(link.Writes().front().msg.code, std::uint8_t(0xC1));
    QVERIFY(link.Writes().front().ok);
}

void TestLinPort::endlessTextIsBoundedAndNotifiedPerBlock_data()
{
    QTest::addColumn<bool>("afterReset");
    QTest::newRow("start-up text awaited, no carriage return") << true;
    QTest::newRow("text mode, nothing awaited") << false;
}

void TestLinPort::endlessTextIsBoundedAndNotifiedPerBlock()
{
    QFETCH(bool, afterReset);
    test::PtyPair pty(5);
    Recorder recorder;
    clsLinPort link(recorder.callback(), mapFor(pty));
    QCOMPARE(link.Connect(5, 38400), 0);
    if (afterReset)
        QCOMPARE(link.ResetModule(3), 0);
    else
        link.SetBinaryMode(false);
    QByteArray text = "PVXL-LIN2";
    text += QByteArray(10000 - text.size(), 'x');
    constexpr int kPieces = 4;
    const int piece = int(text.size()) / kPieces;
    for (int i = 0; i < kPieces; ++i) {
        QVERIFY(pty.write(text.mid(i * piece, piece)));
        QTest::qWait(30);
    }
    QTRY_COMPARE(link.TextByteCount(), std::size_t(clsLinPort::kMaxTextBytes));
    QTest::qWait(100);
    QCOMPARE(link.TextByteCount(), std::size_t(clsLinPort::kMaxTextBytes));
    QCOMPARE(link.StartupTextAwaited(), afterReset);
    QVERIFY(recorder.of(WM_LIN_TEXT).empty());
    const std::size_t chars = recorder.of(WM_LIN_CHAR).size();
    QVERIFY(chars >= std::size_t(kPieces) / 2);
    QVERIFY2(chars <= 40, qPrintable(QString::number(chars))); // a few blocks, not 10000 bytes
}

void TestLinPort::messagesAcrossBlocks_data()
{
    QTest::addColumn<QStringList>("blocks"); // hex
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("waiting"); // received bytes left for the next block

    QTest::newRow("one block") << QStringList{"02010504"} << QStringList{"1:05"} << 0;
    QTest::newRow("a byte a block")
        << QStringList{"02", "01", "05", "04"} << QStringList{"1:05"} << 0;
    QTest::newRow("two bytes wait for a third") << QStringList{"0201"} << QStringList{} << 2;
    QTest::newRow("a message and the start of the next")
        << QStringList{"020105040211"} << QStringList{"1:05"} << 2;
    QTest::newRow("the rest of the next in the following block")
        << QStringList{"020105040211", "0617"} << QStringList{"1:05", "11:06"} << 0;
    QTest::newRow("a bad checksum does not hold back what follows")
        << QStringList{"0201057702110617"} << QStringList{"11:06"} << 0;
    QTest::newRow("a stray byte purges the block")
        << QStringList{"5502010504"} << QStringList{} << 0;
    QTest::newRow("after a purge the next block is read")
        << QStringList{"5502010504", "02A20506A1"} << QStringList{"a2:0506"} << 0;
}

void TestLinPort::messagesAcrossBlocks()
{
    QFETCH(QStringList, blocks);
    QFETCH(QStringList, messages);
    QFETCH(int, waiting);
    test::PtyPair pty(3);
    BlockFedLink link({}, mapFor(pty));
    QCOMPARE(link.Connect(3, 38400), 0);
    for (const QString &block : blocks)
        link.feed(QByteArray::fromHex(block.toLatin1()));
    QCOMPARE(link.takeAll(), messages);
    QCOMPARE(link.RxCount(), std::size_t(waiting));
}

void TestLinPort::startupTextAndFrameInOneBlock()
{
    // The text ends inside a block: what follows it in that block is a frame of binary mode.
    test::PtyPair pty(4);
    BlockFedLink link({}, mapFor(pty));
    QCOMPARE(link.Connect(4, 38400), 0);
    QCOMPARE(link.ResetModule(1), 0);
    QCOMPARE(pty.read(4), QByteArray::fromHex("0210C4D4"));
    link.feed(QByteArray("xPVXL-LIN2.1 ready\r") + QByteArray::fromHex("02010504"));
    QVERIFY(link.BinaryMode());
    QCOMPARE(link.TakeStartupText(), QStringLiteral("PVXL-LIN2.1 ready\r"));
    QCOMPARE(link.takeAll(), QStringList{"1:05"});
    link.feed(QByteArray::fromHex("0211"));
    link.feed(QByteArray::fromHex("0617"));
    QCOMPARE(link.takeAll(), QStringList{"11:06"});
}

// A module may restart and send its text before the tool has finished asking for the restart:
// what it sends must not be taken for leftovers of the time before.
void TestLinPort::startupTextAnsweredAtOnceIsKept()
{
    test::PtyPair pty(5);
    clsLinPort link({}, mapFor(pty));
    link.SetSendInterval(0us);
    QCOMPARE(link.Connect(5, 38400), 0);
    const QByteArray text = "PVXL-LIN2 HW 1 FW 01.02.15 ready\r";
    constexpr int kResets = 1000;
    std::thread module([&pty, &text] {
        for (int i = 0; i < kResets; ++i) {
            if (pty.read(4, 5000).size() != 4)
                return;
            pty.write(text);
        }
    });
    int kept = 0;
    for (int i = 0; i < kResets; ++i) {
        QCOMPARE(link.ResetModule(i % 8), 0);
        QElapsedTimer waited;
        waited.start();
        while (link.StartupTextAwaited() && waited.elapsed() < 2000)
            QThread::usleep(200);
        if (link.TakeStartupText() == QString::fromLatin1(text))
            ++kept;
        else
            link.SetBinaryMode(true);
    }
    module.join();
    QCOMPARE(kept, kResets);
}

QTEST_GUILESS_MAIN(TestLinPort)
#include "tst_lin_port.moc"
