// Rules behind the frame table: ranges, lengths beyond the data bytes and the defaults read
// from the default profile document.

#include "core/editing/frame_rules.h"

#include <QtTest>

using namespace vxl;

class TestFrameRules : public QObject
{
    Q_OBJECT

private slots:
    void ranges_data();
    void ranges();
    void dataCellNeverShowsMoreThanEightBytes();
    void defaultsComeFromTheDefaultProfile();
    void editOfRowStartsFromTheShownLength();
    void editedLengthIsHeldToTheDataBytes_data();
    void editedLengthIsHeldToTheDataBytes();
    void defaultDataFieldsRestoreEveryByte();
};

void TestFrameRules::ranges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from"); // -1: not a range
    QTest::addColumn<int>("to");
    QTest::newRow("0-59") << "0-59" << 0 << 59;
    QTest::newRow("32-47") << "32-47" << 32 << 47;
    QTest::newRow("48-63") << "48-63" << 48 << 63;
    QTest::newRow("one id") << "7-7" << 7 << 7;
    QTest::newRow("beyond 63") << "48-64" << -1 << -1;
    QTest::newRow("descending") << "47-32" << -1 << -1;
    QTest::newRow("no dash") << "3247" << -1 << -1;
    QTest::newRow("menu text with accelerator") << "&32-47" << -1 << -1;
}

void TestFrameRules::ranges()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    const auto range = ParseIdRange(text);
    QCOMPARE(range.has_value(), from >= 0);
    if (range)
        QCOMPARE(*range, std::pair(from, to));
}

void TestFrameRules::dataCellNeverShowsMoreThanEightBytes()
{
    // A refused length read leaves its return code in the table.
    LIN_Group lin = ModuleConfig::NewProfile().LIN;
    lin.Frames[3].Active = 1;
    lin.Frames[3].Data = {1, 2, 3, 4, 5, 6, 7, 8};
    SetNibble(lin.FrameLengths, 3, 0x0F);
    QCOMPARE(DataCellText(lin, 3), QStringLiteral("01  02  03  04  05  06  07  08  "));
    QCOMPARE(FrameEditOf(lin, 3).length, 8);
}

void TestFrameRules::defaultsComeFromTheDefaultProfile()
{
    const LIN_Group defaults = DefaultFrameConfig();
    for (int n = 0; n < kFrameCount; ++n) {
        const LIN_FrameEntry &entry = defaults.Frames[std::size_t(n)];
        QCOMPARE(int(entry.Active), 0);
        QCOMPARE(int(entry.ID), n);
        QCOMPARE(int(entry.Length), DefaultFrameLength(n));
        QCOMPARE(GetNibble(defaults.FrameLengths, n), DefaultFrameLength(n));
        QCOMPARE(TestBit(defaults.FrameFormats, n), 0);
        QCOMPARE(int(entry.Data[0]), 0xFF);
    }
    QCOMPARE(int(defaults.SlaveIdData.ID), 63);
}

void TestFrameRules::editOfRowStartsFromTheShownLength()
{
    LIN_Group lin = ModuleConfig::NewProfile().LIN;
    SetNibble(lin.FrameLengths, 50, 5); // read from a module whose frame entries were not read
    QCOMPARE(LengthCellText(lin, 50), QStringLiteral("5"));
    QCOMPARE(FrameEditOf(lin, 50).length, 5);
}

void TestFrameRules::editedLengthIsHeldToTheDataBytes_data()
{
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("held");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("7") << 7 << 7;
    QTest::newRow("8, every data byte") << 8 << 8;
    QTest::newRow("9") << 9 << 8;
    QTest::newRow("15, the highest a length entry holds") << 15 << 8;
}

void TestFrameRules::editedLengthIsHeldToTheDataBytes()
{
    QFETCH(int, typed);
    QFETCH(int, held);
    constexpr int kId = 20; // two bytes by default
    LIN_Group lin = ModuleConfig::NewProfile().LIN;
    lin.Frames[kId].Data.fill(0xEE);
    FrameEdit edit = FrameEditOf(lin, kId);
    edit.length = typed;
    edit.publisher = true;
    edit.data = {1, 2, 3, 4, 5, 6, 7, 8};
    ApplyFrameEdit(lin, kId, edit);

    QCOMPARE(GetNibble(lin.FrameLengths, kId), held);
    QCOMPARE(int(lin.Frames[kId].Length), held);
    QCOMPARE(LengthCellText(lin, kId), QString::number(held));
    QCOMPARE(FrameEditOf(lin, kId).length, held);
    for (int j = 0; j < kFrameDataBytes; ++j)
        QCOMPARE(int(lin.Frames[kId].Data[std::size_t(j)]), j < held ? j + 1 : 0xEE);
    QCOMPARE(DataCellText(lin, kId).count(QStringLiteral("  ")), held);
}

void TestFrameRules::defaultDataFieldsRestoreEveryByte()
{
    const LIN_Group defaults = DefaultFrameConfig();
    LIN_Group lin = defaults;
    constexpr int kId = 50; // eight bytes by default
    lin.Frames[kId].Data.fill(0x11);
    ApplyColumnDefault(lin, defaults, kId, FrameColumn::DataFields);
    QCOMPARE(lin.Frames[kId].Data, defaults.Frames[kId].Data);
}

QTEST_GUILESS_MAIN(TestFrameRules)
#include "tst_frame_rules.moc"
