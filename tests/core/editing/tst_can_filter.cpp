// Acceptance code and mask from identifier ranges, checked against a model of the controller.

#include "core/editing/can_filter.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace vxl;

namespace {

// Register bytes 0..3 as the dialog shows them.
QString registers(std::uint32_t value)
{
    return QString("%1 %2 %3 %4")
        .arg(value & 0xFF, 2, 16, QChar('0'))
        .arg((value >> 8) & 0xFF, 2, 16, QChar('0'))
        .arg((value >> 16) & 0xFF, 2, 16, QChar('0'))
        .arg(value >> 24, 2, 16, QChar('0'))
        .toUpper();
}

} // namespace

class TestCanFilter : public QObject
{
    Q_OBJECT

private slots:
    void workedExamples_data();
    void workedExamples();
    void rangeSpreadMatchesTheScan();
    void everyIdInARangePasses11Bit();
    void everyIdInARangePasses29Bit();
    void idLevel();
    void fieldLimits();
};

void TestCanFilter::workedExamples_data()
{
    QTest::addColumn<bool>("extended");
    QTest::addColumn<uint>("from");
    QTest::addColumn<uint>("to");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("mask");
    QTest::newRow("11-bit 100-1FF data")
        << false << 0x100u << 0x1FFu << int(FrameKind::Data) << "20 00 00 00"
        << "1F EF FF FF";
    QTest::newRow("11-bit all data")
        << false << 0x000u << 0x7FFu << int(FrameKind::Data) << "00 00 00 00"
        << "FF EF FF FF";
    QTest::newRow("11-bit 123 rtr")
        << false << 0x123u << 0x123u << int(FrameKind::Rtr) << "24 70 00 00"
        << "00 0F FF FF";
    QTest::newRow("11-bit 123 both")
        << false << 0x123u << 0x123u << int(FrameKind::Both) << "24 60 00 00"
        << "00 1F FF FF";
    QTest::newRow("29-bit 100-1FF data")
        << true << 0x100u << 0x1FFu << int(FrameKind::Data) << "00 00 08 00"
        << "00 00 07 FB";
}

void TestCanFilter::workedExamples()
{
    QFETCH(bool, extended);
    QFETCH(uint, from);
    QFETCH(uint, to);
    QFETCH(int, kind);
    QFETCH(QString, code);
    QFETCH(QString, mask);
    const CanFilter filter = extended ? FilterFor29BitRange(from, to, FrameKind(kind))
                                      : FilterFor11BitRange(from, to, FrameKind(kind));
    QCOMPARE(registers(filter.code), code);
    QCOMPARE(registers(filter.mask), mask);
}

void TestCanFilter::rangeSpreadMatchesTheScan()
{
    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i) {
        const std::uint32_t from = random.bounded(0x800u);
        const std::uint32_t to = from + random.bounded(0x800u - from);
        std::uint32_t scan = 0;
        for (std::uint32_t v = from + 1; v <= to; ++v)
            scan |= v ^ from;
        QCOMPARE(RangeSpread(from, to), scan);
    }
    QCOMPARE(RangeSpread(0, kMax29BitId), kMax29BitId);
}

void TestCanFilter::everyIdInARangePasses11Bit()
{
    QRandomGenerator random(11);
    for (int round = 0; round < 300; ++round) {
        const std::uint32_t a = random.bounded(0x800u);
        const std::uint32_t b = random.bounded(0x800u);
        const std::uint32_t from = std::min(a, b), to = std::max(a, b);
        const auto kind = FrameKind(round % 3);
        const CanFilter filter = FilterFor11BitRange(from, to, kind);
        for (std::uint32_t id = 0; id <= kMax11BitId; ++id) {
            const bool data = Accepts11Bit(filter, id, false, std::uint8_t(id), 0x5A);
            const bool remote = Accepts11Bit(filter, id, true);
            if (id >= from && id <= to) {
                QVERIFY(kind == FrameKind::Rtr || data);
                QVERIFY(kind == FrameKind::Data || remote);
            }
            if (kind == FrameKind::Data)
                QVERIFY(!remote);
            if (kind == FrameKind::Rtr)
                QVERIFY(!data);
        }
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QString("range %1-%2 kind %3").arg(from).arg(to).arg(round % 3)));
    }
}

void TestCanFilter::everyIdInARangePasses29Bit()
{
    QRandomGenerator random(29);
    for (int round = 0; round < 300; ++round) {
        const std::uint32_t a = random.bounded(kMax29BitId + 1);
        const std::uint32_t b = random.bounded(kMax29BitId + 1);
        const std::uint32_t from = std::min(a, b), to = std::max(a, b);
        const auto kind = FrameKind(round % 3);
        const CanFilter filter = FilterFor29BitRange(from, to, kind);
        for (int sample = 0; sample < 300; ++sample) {
            const std::uint32_t id = sample < 2 ? (sample == 0 ? from : to)
                                                : from + random.bounded(to - from + 1);
            QVERIFY(kind == FrameKind::Rtr || Accepts29Bit(filter, id, false));
            QVERIFY(kind == FrameKind::Data || Accepts29Bit(filter, id, true));
        }
    }
}

void TestCanFilter::idLevel()
{
    const CanFilter filter = IdLevelToRegisters({0x123, 0x00F}, false);
    QCOMPARE(registers(filter.code), QStringLiteral("24 60 00 00"));
    QCOMPARE(registers(filter.mask), QStringLiteral("01 FF FF FF"));
    QCOMPARE(RegistersToIdLevel(filter, false), (IdLevel{0x123, 0x00F}));
    // The identifier level accepts both kinds and every identifier matching code under mask.
    for (std::uint32_t id = 0; id <= kMax11BitId; ++id)
        QCOMPARE(Accepts11Bit(filter, id, id % 2 == 0), (id & ~0x00Fu) == 0x120);
    const IdLevel wide = IdLevel11To29({0x123, 0x00F});
    QCOMPARE(wide, (IdLevel{0x123u << 18, (0x00Fu << 18) | 0x3FFFF}));
    QCOMPARE(IdLevel29To11(wide), (IdLevel{0x123, 0x00F}));
    const CanFilter extended = IdLevelToRegisters({0x1ABCDEF, 0x3}, true);
    QCOMPARE(RegistersToIdLevel(extended, true), (IdLevel{0x1ABCDEF, 0x3}));
    QVERIFY(Accepts29Bit(extended, 0x1ABCDEC, true));
    QVERIFY(!Accepts29Bit(extended, 0x1ABCDE0, false));
}

void TestCanFilter::fieldLimits()
{
    QCOMPARE(LimitToDigits(0xFFF, 3), 0x7FFu);
    QCOMPARE(LimitToDigits(0xFFFFFFFF, 8), 0x1FFFFFFFu);
    QCOMPARE(LimitToDigits(0x100, 2), 0xFFu);
    QCOMPARE(LimitToDigits(0x12, 2), 0x12u);
}

QTEST_GUILESS_MAIN(TestCanFilter)
#include "tst_can_filter.moc"
