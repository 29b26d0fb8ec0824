// The Wireshark capture of the trace: known CAN and LIN messages written as pcapng and read back
// by tshark, the controller events and LIN errors as the link types carry them, and the file's
// blocks as the pcapng format lays them out.

#include "core/trace/capture_layout.h"
#include "core/trace/pcapng_blocks.h"
#include "core/trace/trace_capture.h"
#include "sim/module_model.h"
#include "support/tshark_reader.h"
#include "test_files.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using namespace vxl;
using std::chrono::microseconds;
using vxl::test::readFile;

Q_DECLARE_METATYPE(vxl::LIN_Msg)

namespace {

constexpr microseconds kStart{1700000000000000};
constexpr microseconds kStep{1500};

LIN_Msg ownMessage(int source, const QByteArray &data)
{
    LIN_Msg msg;
    msg.start = kStartByte;
    msg.header = std::uint8_t(0x80 | (source << 4) | data.size());
    msg.count = int(data.size());
    for (int i = 0; i < data.size(); ++i)
        msg.data[std::size_t(i)] = std::uint8_t(data.at(i));
    return msg;
}

// A packet as tshark should show it: protocol, interface, fields, data bytes, comment.
struct Expected
{
    QString protocol;
    QString interfaceName;
    QMap<QString, QString> fields;
    QString data; // tshark's "data.data", empty when the packet carries none
    QString comment;
};

QByteArray packetBytes(const LIN_Msg &msg)
{
    const auto packet = LayOutCapturePacket(msg);
    return packet ? packet->bytes : QByteArray();
}

// The blocks of a pcapng file: type and body, after checking both length fields of each.
struct Block
{
    std::uint32_t type = 0;
    QByteArray body;
};

std::uint32_t u32(const QByteArray &bytes, qsizetype at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.constData() + at, 4);
    return value;
}

std::optional<std::vector<Block>> splitBlocks(const QByteArray &file)
{
    std::vector<Block> blocks;
    qsizetype at = 0;
    while (at + 12 <= file.size()) {
        const std::uint32_t length = u32(file, at + 4);
        if (length < 12 || length % 4 != 0 || at + length > file.size()
            || u32(file, at + length - 4) != length)
            return std::nullopt;
        blocks.push_back({u32(file, at), file.mid(at + 8, length - 12)});
        at += length;
    }
    if (at != file.size())
        return std::nullopt;
    return blocks;
}

// The text of the first option with that code in the options starting at `at`.
QString optionText(const QByteArray &body, qsizetype at, std::uint16_t code)
{
    while (at + 4 <= body.size()) {
        std::uint16_t optionCode = 0;
        std::uint16_t length = 0;
        std::memcpy(&optionCode, body.constData() + at, 2);
        std::memcpy(&length, body.constData() + at + 2, 2);
        if (optionCode == 0)
            break;
        if (optionCode == code)
            return QString::fromUtf8(body.mid(at + 4, length));
        at += 4 + (length + 3) / 4 * 4;
    }
    return {};
}

} // namespace

class TestTraceCapture : public QObject
{
    Q_OBJECT

private slots:
    void knownFramesReadBackInTshark();
    void malformedPacketIsNoticed();
    void readableWhileWritten();
    void blocksAndStatistics();
    void unwritableFile();
    void controllerEvents_data();
    void controllerEvents();
    void linErrors_data();
    void linErrors();
    void protectedIdentifiers_data();
    void protectedIdentifiers();
    void canLengths_data();
    void canLengths();
};

void TestTraceCapture::knownFramesReadBackInTshark()
{
    using M = QMap<QString, QString>;
    const std::vector<std::pair<LIN_Msg, Expected>> sent = {
        {sim::MakeCanFrameMessage(0x123, false, false, {1, 2, 3}),
         {"can",
          "CAN",
          M{{"can.id", "291"},
            {"can.flags.xtd", "0"},
            {"can.flags.rtr", "0"},
            {"can.flags.err", "0"},
            {"can.len", "3"}},
          "01:02:03",
          {}}},
        {sim::MakeCanFrameMessage(0x1ABCDEF0, true, false, {0xDE, 0xAD, 0xBE, 0xEF, 5, 6, 7, 8}),
         {"can",
          "CAN",
          M{{"can.id", "448585456"}, {"can.flags.xtd", "1"}, {"can.flags.rtr", "0"}, {"can.len", "8"}},
          "de:ad:be:ef:05:06:07:08",
          {}}},
        // A remote frame: its length, and zeros where tshark looks for data.
        {sim::MakeCanFrameMessage(0x7FF, false, true, {0, 0}),
         {"can",
          "CAN",
          M{{"can.id", "2047"}, {"can.flags.xtd", "0"}, {"can.flags.rtr", "1"}, {"can.len", "2"}},
          QStringLiteral("00:00"),
          {}}},
        // A module's LIN frame longer than the link type's eight bytes is skipped...
        {ownMessage(2, QByteArray::fromHex("06010203040506070809")), {}},
        {sim::MakeCanEventMessage(0x03, 0x8A, 5, 130),
         {"can",
          "CAN",
          M{{"can.flags.err", "1"},
            {"can.err.busoff", "1"},
            {"can.err.ctrl", "1"},
            {"can.err.ctrl.tx_passive", "1"},
            {"can.err.ctrl.rx_passive", "0"},
            {"can.len", "8"}},
          {},
          "CAN controller went to bus-passive status. | Error Capture Code (SJA1000): 0x008Ah | "
          "Rx Error Counter (SJA1000): 5 | Tx Error Counter (SJA1000): 130"}},
        {sim::MakeLinFrameMessage(5, {0x11, 0x22}),
         {"lin",
          "LIN",
          M{{"lin.frame_id", "0x05"},
            {"lin.protected_id", "0x85"},
            {"lin.length", "2"},
            {"lin.message_format", "1"},
            {"lin.message_type", "0"},
            {"lin.checksum_type", "0"},
            {"lin.checksum", "0x00"},
            {"lin.errors", "0x00"}},
          "11:22",
          {}}},
        // ...as is a message from outside the two buses.
        {ownMessage(3, QByteArray::fromHex("0102")), {}},
        {sim::MakeLinErrorMessage(10, 0x21),
         {"lin",
          "LIN",
          M{{"lin.frame_id", "0x21"},
            {"lin.protected_id", "0x61"},
            {"lin.length", "0"},
            {"lin.errors.no_slave_response", "1"},
            {"lin.errors.framing_error", "0"}},
          {},
          "Slave not responding. ID: 0x21"}},
        {sim::MakeLinErrorMessage(10),
         {"lin",
          "LIN",
          M{{"lin.protected_id", "0x00"}, {"lin.errors", "0x01"}},
          {},
          "Slave not responding. ID not available."}},
        {sim::MakeLinErrorMessage(13),
         {"lin",
          "LIN",
          M{{"lin.protected_id", "0x00"}, {"lin.errors", "0x00"}},
          {},
          "LIN line possibly shorted to power."}},
        {sim::MakeLinErrorMessage(8, 0x3C),
         {"lin",
          "LIN",
          M{{"lin.frame_id", "0x3c"},
            {"lin.protected_id", "0x3c"},
            {"lin.errors.checksum_error", "1"}},
          {},
          "Invalid frame checksum received. Possibly wrong checksum-model defined. ID: 0x3C"}},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("known.pcapng");
    TraceCapture capture;
    QVERIFY2(capture.Open(path, "test"), qPrintable(capture.ErrorString()));
    std::vector<std::pair<Expected, microseconds>> written;
    microseconds time = kStart;
    for (const auto &[msg, expected] : sent) {
        const auto outcome = capture.Append(msg, time);
        QCOMPARE(outcome == TraceCapture::Outcome::Written, !expected.protocol.isEmpty());
        if (outcome == TraceCapture::Outcome::Written)
            written.emplace_back(expected, time);
        time += kStep;
    }
    QVERIFY(capture.Close(time));
    QCOMPARE(capture.Skipped(), std::uint64_t(2));

    const test::TsharkRead read = test::ReadWithTshark(path);
    QVERIFY2(read.ran, qPrintable(read.failure));
    QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems.join('\n')));
    QCOMPARE(read.packets.size(), qsizetype(written.size()));
    for (qsizetype i = 0; i < read.packets.size(); ++i) {
        const QJsonObject packet = read.packets.at(i).toObject();
        const auto &[expected, at] = written[std::size_t(i)];
        const QString where = QStringLiteral("packet %1").arg(i + 1);
        QCOMPARE(test::TsharkField(packet, "frame", "frame.protocols").section(':', 0, 0),
                 expected.protocol);
        QCOMPARE(test::TsharkField(packet, "frame", "frame.interface_name"), expected.interfaceName);
        const double seconds = double(at.count()) / 1e6;
        QCOMPARE(test::TsharkField(packet, "frame", "frame.time_epoch").left(17),
                 QString::number(seconds, 'f', 6));
        for (auto it = expected.fields.begin(); it != expected.fields.end(); ++it)
            QVERIFY2(test::TsharkField(packet, expected.protocol, it.key()) == it.value(),
                     qPrintable(where + " " + it.key() + " = "
                                + test::TsharkField(packet, expected.protocol, it.key())));
        QCOMPARE(test::TsharkField(packet, "data", "data.data"), expected.data);
        QCOMPARE(test::TsharkField(packet, "pkt_comment", "frame.comment"), expected.comment);
    }
    // The remote frame carries its length and no data.
    QCOMPARE(test::TsharkBytes(read.packets.at(2).toObject()).toHex(),
             QByteArray("400007ff020000000000000000000000"));
    // The counters: transmit in data[6], receive in data[7].
    QCOMPARE(test::TsharkBytes(read.packets.at(3).toObject()).right(2).toHex(), QByteArray("8205"));
}

void TestTraceCapture::malformedPacketIsNoticed()
{
    // The check itself: a SocketCAN packet cut short is what a malformed packet looks like.
    QTemporaryDir dir;
    const QString path = dir.filePath("short.pcapng");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(pcapng::SectionHeader("test"));
    file.write(pcapng::InterfaceDescription(pcapng::kLinkTypeCanSocketCan, "CAN"));
    file.write(pcapng::EnhancedPacket(0, kStart, QByteArray::fromHex("0000012308")));
    file.close();
    const test::TsharkRead read = test::ReadWithTshark(path);
    QVERIFY2(read.ran, qPrintable(read.failure));
    QCOMPARE(read.packets.size(), 1);
    QVERIFY(!read.problems.isEmpty());
}

void TestTraceCapture::readableWhileWritten()
{
    // Every block is on disk as soon as it is written, and the open-ended section reads as it is.
    QTemporaryDir dir;
    const QString path = dir.filePath("live.pcapng");
    TraceCapture capture;
    QVERIFY(capture.Open(path, "test"));
    QCOMPARE(capture.Append(sim::MakeLinFrameMessage(1, {0xAA}), kStart),
             TraceCapture::Outcome::Written);
    QCOMPARE(capture.Append(sim::MakeCanFrameMessage(0x10, false, false, {}), kStart + kStep),
             TraceCapture::Outcome::Written);
    const test::TsharkRead read = test::ReadWithTshark(path);
    QVERIFY2(read.ran, qPrintable(read.failure));
    QCOMPARE(read.packets.size(), 2);
    QCOMPARE(test::TsharkField(read.packets.at(0).toObject(), "lin", "lin.frame_id"),
             QStringLiteral("0x01"));
    QVERIFY(capture.Close(kStart + 2 * kStep));
}

void TestTraceCapture::blocksAndStatistics()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("blocks.pcapng");
    {
        TraceCapture capture;
        QVERIFY(capture.Open(path, "vexalin test"));
        capture.Append(sim::MakeCanFrameMessage(0x1, false, false, {1}), kStart);
        capture.Append(ownMessage(2, QByteArray::fromHex("0701020304050607080900")), kStart);
        capture.Append(ownMessage(2, QByteArray::fromHex("07010203040506070809")), kStart);
        capture.Append(sim::MakeLinFrameMessage(7, {1, 2, 3, 4, 5, 6, 7, 8}), kStart);
        capture.Append(ownMessage(0, QByteArray::fromHex("01")), kStart);
        QCOMPARE(capture.Written(), std::uint64_t(2));
        QCOMPARE(capture.Skipped(), std::uint64_t(3));
    } // closed by its end, statistics included
    const auto blocks = splitBlocks(readFile(path));
    QVERIFY(blocks);
    QCOMPARE(blocks->size(), std::size_t(7));
    const Block &section = blocks->at(0);
    QCOMPARE(section.type, 0x0A0D0D0Au);
    QCOMPARE(u32(section.body, 0), 0x1A2B3C4Du);
    QCOMPARE(section.body.mid(8, 8), QByteArray(8, char(0xFF))); // length unknown
    QCOMPARE(optionText(section.body, 16, 4), QStringLiteral("vexalin test"));
    const std::uint16_t linkTypes[] = {227, 212};
    const QString names[] = {"CAN", "LIN"};
    for (int i = 0; i < 2; ++i) {
        const Block &interface = blocks->at(std::size_t(1 + i));
        QCOMPARE(interface.type, 1u);
        QCOMPARE(std::uint16_t(u32(interface.body, 0) & 0xFFFF), linkTypes[i]);
        QCOMPARE(optionText(interface.body, 8, 2), names[i]);
    }
    QCOMPARE(blocks->at(3).type, 6u);
    QCOMPARE(blocks->at(4).type, 6u);
    QCOMPARE(u32(blocks->at(4).body, 0), 1u); // the LIN interface
    const Block &canStatistics = blocks->at(5);
    const Block &linStatistics = blocks->at(6);
    QCOMPARE(canStatistics.type, 5u);
    QCOMPARE(u32(canStatistics.body, 0), 0u);
    QCOMPARE(optionText(canStatistics.body, 12, 1),
             QStringLiteral("1 messages from outside the CAN and LIN buses skipped"));
    QCOMPARE(linStatistics.type, 5u);
    QCOMPARE(u32(linStatistics.body, 0), 1u);
    QCOMPARE(optionText(linStatistics.body, 12, 1),
             QStringLiteral("2 LIN messages skipped: more than 8 data bytes"));
    const test::TsharkRead read = test::ReadWithTshark(path);
    QVERIFY2(read.ran, qPrintable(read.failure));
    QCOMPARE(read.packets.size(), 2);
    QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems.join('\n')));
}

void TestTraceCapture::unwritableFile()
{
    TraceCapture full;
    QVERIFY(!full.Open(QStringLiteral("/dev/full"), "test"));
    QVERIFY(!full.ErrorString().isEmpty());
    QCOMPARE(full.Append(sim::MakeLinFrameMessage(1, {}), kStart), TraceCapture::Outcome::Failed);
    QTemporaryDir dir;
    TraceCapture missing;
    QVERIFY(!missing.Open(dir.filePath("no/such/folder.pcapng"), "test"));
}

void TestTraceCapture::controllerEvents_data()
{
    // Linux's can/error.h: CAN_ERR_FLAG | CAN_ERR_CNT always, CAN_ERR_CRTL 0x04, CAN_ERR_BUSOFF
    // 0x40; data[1] CAN_ERR_CRTL_RX_OVERFLOW 0x01, _RX_WARNING 0x04, _TX_WARNING 0x08,
    // _RX_PASSIVE 0x10, _TX_PASSIVE 0x20, _ACTIVE 0x40.
    QTest::addColumn<int>("events");
    QTest::addColumn<int>("rx");
    QTest::addColumn<int>("tx");
    QTest::addColumn<QByteArray>("idAndFlags");
    QTest::addColumn<int>("controller");
    QTest::addColumn<QString>("commentPart");
    QTest::newRow("bus-off") << 0x01 << 0 << 255 << QByteArray("20000240") << 0x00
                             << "CAN controller went to bus-off status.";
    QTest::newRow("error-passive sending")
        << 0x02 << 5 << 130 << QByteArray("20000204") << 0x20 << "bus-passive";
    QTest::newRow("error-passive receiving")
        << 0x02 << 140 << 10 << QByteArray("20000204") << 0x10 << "bus-passive";
    QTest::newRow("error-active again")
        << 0x04 << 0 << 0 << QByteArray("20000204") << 0x40 << "again in bus-active";
    QTest::newRow("receive overflow")
        << 0x08 << 0 << 0 << QByteArray("20000204") << 0x01 << "Overflow in the receive buffer";
    QTest::newRow("counter at limit")
        << 0x10 << 96 << 0 << QByteArray("20000204") << 0x04 << "reached a pre-defined limit";
    QTest::newRow("warning exceeded") << 0x20 << 0 << 100 << QByteArray("20000204") << 0x08
                                      << "warning limit of SJA1000 was exceeded";
    QTest::newRow("no class") << 0x40 << 1 << 2 << QByteArray("20000200") << 0x00
                              << "CAN Error: 40h";
    QTest::newRow("nothing set") << 0x00 << 1 << 2 << QByteArray("20000200") << 0x00
                                 << "None error.  All okay";
    QTest::newRow("bus-off and overflow")
        << 0x09 << 0 << 0 << QByteArray("20000244") << 0x01 << "Overflow in the receive buffer";
}

void TestTraceCapture::controllerEvents()
{
    QFETCH(int, events);
    QFETCH(int, rx);
    QFETCH(int, tx);
    QFETCH(QByteArray, idAndFlags);
    QFETCH(int, controller);
    QFETCH(QString, commentPart);
    const LIN_Msg msg = sim::MakeCanEventMessage(std::uint8_t(events),
                                                 0x8A,
                                                 std::uint8_t(rx),
                                                 std::uint8_t(tx));
    const auto packet = LayOutCapturePacket(msg);
    QVERIFY(packet);
    QCOMPARE(packet->bus, CaptureBus::Can);
    QCOMPARE(packet->bytes.size(), 16);
    QCOMPARE(packet->bytes.left(4).toHex(), idAndFlags);
    QCOMPARE(packet->bytes.at(4), char(8));
    QCOMPARE(std::uint8_t(packet->bytes.at(9)), std::uint8_t(controller));
    QCOMPARE(std::uint8_t(packet->bytes.at(14)), std::uint8_t(tx));
    QCOMPARE(std::uint8_t(packet->bytes.at(15)), std::uint8_t(rx));
    QVERIFY2(packet->comment.contains(commentPart), qPrintable(packet->comment));
}

void TestTraceCapture::linErrors_data()
{
    QTest::addColumn<LIN_Msg>("msg");
    QTest::addColumn<int>("protectedId");
    QTest::addColumn<int>("errors");
    QTest::addColumn<QString>("comment");
    QTest::newRow("buffer overrun")
        << sim::MakeLinErrorMessage(1) << 0 << 0x20 << "Buffer overrun.";
    QTest::newRow("stop bit") << sim::MakeLinErrorMessage(2) << 0 << 0x02
                              << "Invalid stop bit discovered.";
    QTest::newRow("parity bit 1") << sim::MakeLinErrorMessage(6) << 0 << 0x04
                                  << "Error in LIN-ID parity bit 1.";
    QTest::newRow("checksum with identifier")
        << sim::MakeLinErrorMessage(8, 0x01) << 0xC1 << 0x08
        << "Invalid frame checksum received. Possibly wrong checksum-model defined. ID: 0x01";
    QTest::newRow("frame timeout") << sim::MakeLinErrorMessage(9, 0x3D) << 0x7D << 0x01
                                   << "Frame timeout (possibly inter-byte space + response "
                                      "space too long). ID: 0x3D";
    QTest::newRow("corrupted by header") << sim::MakeLinErrorMessage(14, 0x3F) << 0xBF << 0x02
                                         << "LIN frame corrupted by a new header. ID: 0x3F";
    QTest::newRow("wakeup, identifier byte ignored")
        << sim::MakeLinErrorMessage(12, 0x05) << 0 << 0 << "Wakeup detected.";
    QTest::newRow("unknown code") << sim::MakeLinErrorMessage(19) << 0 << 0 << "LIN Error: 0x13h";
}

void TestTraceCapture::linErrors()
{
    QFETCH(LIN_Msg, msg);
    QFETCH(int, protectedId);
    QFETCH(int, errors);
    QFETCH(QString, comment);
    const auto packet = LayOutCapturePacket(msg);
    QVERIFY(packet);
    QCOMPARE(packet->bus, CaptureBus::Lin);
    // Revision 1, no payload, a frame with an unknown checksum model, checksum byte 0.
    QCOMPARE(packet->bytes.toHex().left(10), QByteArray("0100000000"));
    QCOMPARE(packet->bytes.size(), 8);
    QCOMPARE(std::uint8_t(packet->bytes.at(5)), std::uint8_t(protectedId));
    QCOMPARE(packet->bytes.at(6), char(0));
    QCOMPARE(std::uint8_t(packet->bytes.at(7)), std::uint8_t(errors));
    QCOMPARE(packet->comment, comment);
}

void TestTraceCapture::protectedIdentifiers_data()
{
    // From the LIN standard's table of protected identifiers.
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("protectedId");
    QTest::newRow("0x00") << 0x00 << 0x80;
    QTest::newRow("0x01") << 0x01 << 0xC1;
    QTest::newRow("0x05") << 0x05 << 0x85;
    QTest::newRow("0x21") << 0x21 << 0x61;
    QTest::newRow("0x3C master request") << 0x3C << 0x3C;
    QTest::newRow("0x3D slave response") << 0x3D << 0x7D;
    QTest::newRow("0x3F") << 0x3F << 0xBF;
}

void TestTraceCapture::protectedIdentifiers()
{
    QFETCH(int, id);
    QFETCH(int, protectedId);
    QCOMPARE(int(LinProtectedId(std::uint8_t(id))), protectedId);
    const QByteArray bytes = packetBytes(sim::MakeLinFrameMessage(std::uint8_t(id), {0x42}));
    QCOMPARE(int(std::uint8_t(bytes.at(5))), protectedId);
    QCOMPARE(bytes.at(4), char(0x10)); // one byte, a frame, unknown checksum model
}

void TestTraceCapture::canLengths_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("packet");
    QTest::newRow("no data") << QByteArray("002301")
                             << QByteArray("00000123000000000000000000000000");
    QTest::newRow("DLC 12 written as 8") << QByteArray("8c78563412a1a2a3a4a5a6a7a8")
                                         << QByteArray("9234567808000000a1a2a3a4a5a6a7a8");
    QTest::newRow("remote DLC 15")
        << QByteArray("4fff07") << QByteArray("400007ff080000000000000000000000");
    QTest::newRow("identifier bits above 11 dropped")
        << QByteArray("01fffff0") << QByteArray("000007ff01000000f000000000000000");
}

void TestTraceCapture::canLengths()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, packet);
    QCOMPARE(packetBytes(ownMessage(1, QByteArray::fromHex(message))).toHex(), packet);
}

QTEST_GUILESS_MAIN(TestTraceCapture)
#include "tst_trace_capture.moc"
