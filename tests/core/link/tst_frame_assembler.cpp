// Assembling module messages from the byte stream, block by block.

#include "core/link/frame_assembler.h"

#include <QtTest>

#include <deque>

using namespace vxl;

namespace {

class FakeSource : public FrameAssembler::Source
{
public:
    std::deque<std::uint8_t> bytes;
    int purges = 0;

    std::size_t Waiting() const override { return bytes.size(); }
    bool Take(std::uint8_t &byte) override
    {
        if (bytes.empty())
            return false;
        byte = bytes.front();
        bytes.pop_front();
        return true;
    }
    void Purge() override
    {
        ++purges;
        bytes.clear();
    }
};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

Q_DECLARE_METATYPE(QList<QByteArray>)

class TestFrameAssembler : public QObject
{
    Q_OBJECT

private slots:
    void assemble_data();
    void assemble();
    void partialMessageKeepsStateAcrossBlocks();
    void neverReadsPastFifteenDataBytes();
};

void TestFrameAssembler::assemble_data()
{
    QTest::addColumn<QList<QByteArray>>("blocks");
    QTest::addColumn<QList<QByteArray>>("expected"); // header + data of each delivered message
    QTest::addColumn<int>("purges");
    QTest::addColumn<int>("leftWaiting");

    QTest::newRow("one reply") << QList<QByteArray>{hex("02010504")}
                               << QList<QByteArray>{hex("0105")} << 0 << 0;
    QTest::newRow("one byte per block")
        << QList<QByteArray>{hex("02"), hex("01"), hex("05"), hex("04")}
        << QList<QByteArray>{hex("0105")} << 0 << 0;
    QTest::newRow("two messages in one block")
        << QList<QByteArray>{hex("02010504"
                                 "0212AABB03")}
        << QList<QByteArray>{hex("0105"), hex("12AABB")} << 0 << 0;
    QTest::newRow("bad checksum then good message in the same block")
        << QList<QByteArray>{hex("02010599"
                                 "02010504")}
        << QList<QByteArray>{hex("0105")} << 0 << 0;
    QTest::newRow("bad start byte purges everything waiting") << QList<QByteArray>{hex("55020105"
                                                                                       "04")}
                                                              << QList<QByteArray>{} << 1 << 0;
    QTest::newRow("two bytes waiting are not consumed")
        << QList<QByteArray>{hex("0201")} << QList<QByteArray>{} << 0 << 2;
    QTest::newRow("two bytes then the rest")
        << QList<QByteArray>{hex("0201"), hex("0504")} << QList<QByteArray>{hex("0105")} << 0 << 0;
    QTest::newRow("length 0 never completes; its checksum is the next start byte")
        << QList<QByteArray>{hex("020000"), hex("02010504")} << QList<QByteArray>{} << 1 << 0;
    QTest::newRow("module's own message with fifteen data bytes")
        << QList<QByteArray>{hex("029F"
                                 "0102030405060708090A0B0C0D0E0F"
                                 "9F")}
        << QList<QByteArray>{hex("9F"
                                 "0102030405060708090A0B0C0D0E0F")}
        << 0 << 0;
    QTest::newRow("module's own message, valid checksum")
        << QList<QByteArray>{hex("0291"
                                 "07"
                                 "96")}
        << QList<QByteArray>{hex("9107")} << 0 << 0;
}

void TestFrameAssembler::assemble()
{
    QFETCH(QList<QByteArray>, blocks);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(int, purges);
    QFETCH(int, leftWaiting);

    FrameAssembler assembler;
    FakeSource source;
    QList<QByteArray> got;
    for (const QByteArray &block : blocks) {
        for (char c : block)
            source.bytes.push_back(static_cast<std::uint8_t>(c));
        assembler.OnBlock(source, [&got](const LIN_Msg &msg) {
            QCOMPARE(msg.start, kStartByte);
            QCOMPARE(msg.code, 0);
            QCOMPARE(msg.count, HeaderField(msg.header, 2));
            QByteArray bytes(1, static_cast<char>(msg.header));
            for (int i = 0; i < msg.count; ++i)
                bytes.append(static_cast<char>(msg.data[static_cast<std::size_t>(i)]));
            std::uint8_t sum = msg.header;
            for (int i = 0; i < msg.count; ++i)
                sum ^= msg.data[static_cast<std::size_t>(i)];
            QCOMPARE(msg.checksum, sum);
            got << bytes;
        });
    }
    QCOMPARE(got, expected);
    QCOMPARE(source.purges, purges);
    QCOMPARE(int(source.Waiting()), leftWaiting);
}

void TestFrameAssembler::partialMessageKeepsStateAcrossBlocks()
{
    FrameAssembler assembler;
    FakeSource source;
    int delivered = 0;
    const auto count = [&delivered](const LIN_Msg &) { ++delivered; };
    for (std::uint8_t b : {0x02, 0x03, 0x10})
        source.bytes.push_back(b);
    assembler.OnBlock(source, count);
    QVERIFY(!assembler.IsIdle());
    source.bytes.push_back(0x20);
    assembler.OnBlock(source, count);
    QCOMPARE(delivered, 0);
    source.bytes.push_back(0x30);
    source.bytes.push_back(0x03 ^ 0x10 ^ 0x20 ^ 0x30);
    assembler.OnBlock(source, count);
    QCOMPARE(delivered, 1);
    QVERIFY(assembler.IsIdle());
}

void TestFrameAssembler::neverReadsPastFifteenDataBytes()
{
    // A header claiming 15 bytes followed by a flood: exactly 15 data bytes and one checksum
    // are taken for the message, the rest is a new start byte.
    FrameAssembler assembler;
    FakeSource source;
    source.bytes.push_back(0x02);
    source.bytes.push_back(0x0F);
    std::uint8_t sum = 0x0F;
    for (int i = 0; i < 15; ++i) {
        source.bytes.push_back(0xEE);
        sum ^= 0xEE;
    }
    source.bytes.push_back(sum);
    LIN_Msg last;
    int delivered = 0;
    assembler.OnBlock(source, [&](const LIN_Msg &msg) {
        last = msg;
        ++delivered;
    });
    QCOMPARE(delivered, 1);
    QCOMPARE(last.count, 15);
    QCOMPARE(last.data[14], 0xEE);
}

QTEST_GUILESS_MAIN(TestFrameAssembler)
#include "tst_frame_assembler.moc"
