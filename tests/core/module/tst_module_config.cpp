// The configuration record's helpers: firmware numbers, build modes, frame tables.

#include "core/module/module_config.h"

#include <QtTest>

using namespace vxl;

class TestModuleConfig : public QObject
{
    Q_OBJECT

private slots:
    void firmwareNumber_data();
    void firmwareNumber();
    void buildMode_data();
    void buildMode();
    void frameTables();
    void nibblesAndBits();
    void gates_data();
    void gates();
    void slaveDataLength();
    void programmingModeGate_data();
    void programmingModeGate();
    void rates();
};

void TestModuleConfig::firmwareNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("01.02.14") << "01.02.14" << 10214;
    QTest::newRow("01.02.15") << "01.02.15" << 10215;
    QTest::newRow("01.01.06") << "01.01.06" << 10106;
    QTest::newRow("separators not examined") << "01x01y07" << 10107;
    QTest::newRow("eight blanks") << "        " << -1;
    QTest::newRow("1.2.3") << "1.2.3" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("letter") << "01.0A.01" << -1;
}

void TestModuleConfig::firmwareNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(FirmwareNumber(text), number);
}

void TestModuleConfig::buildMode_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("S") << "SVXL-LIN" << 83 << "SLAVE SIM";
    QTest::newRow("s") << "sVXL-LIN" << 0 << "STANDARD";
    QTest::newRow("P") << "P" << 80 << "PROTOTYPE";
    QTest::newRow("V") << "V1" << 86 << "VDO";
    QTest::newRow("empty") << "" << 0 << "STANDARD";
}

void TestModuleConfig::buildMode()
{
    QFETCH(QString, hardware);
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(int(BuildModeFromHardware(hardware)), code);
    QCOMPARE(BuildModeText(code), text);
}

void TestModuleConfig::frameTables()
{
    LIN_Group lin;
    lin.FrameFormats.fill(0xAA);
    DefaultFrameTables(lin);
    QCOMPARE(GetNibble(lin.FrameLengths, 15), 2);
    QCOMPARE(GetNibble(lin.FrameLengths, 31), 2);
    QCOMPARE(GetNibble(lin.FrameLengths, 32), 4);
    QCOMPARE(GetNibble(lin.FrameLengths, 63), 8);
    QCOMPARE(lin.FrameLengths[31], 0x88);
    QCOMPARE(lin.FrameLengths[0], 0x22);
    QCOMPARE(lin.FrameFormats, (std::array<std::uint8_t, 8>{}));
    const ModuleConfig fresh = ModuleConfig::NewProfile();
    QCOMPARE(fresh.LIN.Frames[40].ID, 40);
    QCOMPARE(fresh.LIN.Frames[40].Length, 4);
    QCOMPARE(fresh.LIN.Frames[40].Data[7], 0xFF);
    QCOMPARE(fresh.LIN.SlaveIdData.ID, 63);
    QCOMPARE(fresh.LIN.SlaveIdData.Length, 8);
    QCOMPARE(fresh.LIN.BusTermination, 0);
    QCOMPARE(fresh.CAN.FilterMask, 0xFFFFFFFFu);
}

void TestModuleConfig::nibblesAndBits()
{
    LIN_Group lin;
    DefaultFrameTables(lin);
    SetNibble(lin.FrameLengths, 5, 8);
    QCOMPARE(lin.FrameLengths[2], 0x82);
    QCOMPARE(GetNibble(lin.FrameLengths, 4), 2);
    SetNibble(lin.FrameLengths, 4, 0);
    QCOMPARE(lin.FrameLengths[2], 0x80);
    // A refused read can leave a return code above 8 in the table: as a byte count it is 8.
    SetNibble(lin.FrameLengths, 9, 13);
    QCOMPARE(GetNibble(lin.FrameLengths, 9), 13);
    QCOMPARE(FrameByteCount(lin, 9), 8);
    std::array<std::uint8_t, 8> set{};
    SetBit(set, 63, true);
    SetBit(set, 9, true);
    QCOMPARE(set[7], 0x80);
    QCOMPARE(set[1], 0x02);
    QCOMPARE(TestBit(set, 9), 1);
    SetBit(set, 9, false);
    QCOMPARE(TestBit(set, 9), 0);
    QCOMPARE(TestBit(set, 64), 0); // out of range reads nothing
}

void TestModuleConfig::gates_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<int>("build");
    QTest::addColumn<bool>("tables");
    QTest::addColumn<bool>("errorId");
    QTest::addColumn<bool>("activation");
    QTest::addColumn<bool>("perId");
    QTest::newRow("01.01.05") << "01.01.05" << 0 << false << false << false << false;
    QTest::newRow("01.01.06") << "01.01.06" << 0 << true << false << false << false;
    QTest::newRow("01.01.07 standard") << "01.01.07" << 0 << true << true << false << false;
    QTest::newRow("01.01.07 slave sim") << "01.01.07" << 83 << true << true << true << false;
    QTest::newRow("01.02.14") << "01.02.14" << 0 << true << true << false << false;
    QTest::newRow("01.02.15 slave sim") << "01.02.15" << 83 << true << true << true << true;
    QTest::newRow("unknown") << "        " << 83 << false << false << false << false;
}

void TestModuleConfig::gates()
{
    QFETCH(QString, firmware);
    QFETCH(int, build);
    QFETCH(bool, tables);
    QFETCH(bool, errorId);
    QFETCH(bool, activation);
    QFETCH(bool, perId);
    const int n = FirmwareNumber(firmware);
    QCOMPARE(HasFrameTables(n), tables);
    QCOMPARE(UsesDefaultSlaveDataLength(n), !tables);
    QCOMPARE(HasErrorId(n), errorId);
    QCOMPARE(HasSlaveActivation(n, std::uint8_t(build)), activation);
    QCOMPARE(HasPerIdSlaveData(n), perId);
}

void TestModuleConfig::slaveDataLength()
{
    ModuleConfig module = ModuleConfig::NewProfile();
    SetNibble(module.LIN.FrameLengths, 3, 7);
    module.Module.FirmwareText = "01.01.05";
    QCOMPARE(SlaveDataLength(module, 3), 2);
    module.Module.FirmwareText = "01.01.06";
    QCOMPARE(SlaveDataLength(module, 3), 7);
}

void TestModuleConfig::programmingModeGate_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("update");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("newer than the update version") << "01.02.15"
                                                   << "01.02.14" << true;
    QTest::newRow("equal to the update version") << "01.02.15"
                                                 << "01.02.15" << true;
    QTest::newRow("older than the update version") << "01.02.13"
                                                   << "01.02.14" << false;
    QTest::newRow("default update version") << "01.01.03"
                                            << "01.01.03" << true;
    QTest::newRow("no update version") << "01.02.15"
                                       << "" << false;
    QTest::newRow("unreadable firmware") << "1.2.15"
                                         << "01.01.03" << false;
    QTest::newRow("neither readable") << ""
                                      << "" << false;
}

void TestModuleConfig::programmingModeGate()
{
    QFETCH(QString, firmware);
    QFETCH(QString, update);
    QFETCH(bool, allowed);
    QCOMPARE(ProgrammingModeAllowed(FirmwareNumber(firmware), FirmwareNumber(update)), allowed);
}

void TestModuleConfig::rates()
{
    QCOMPARE(Rs232RateFromWire(0x9600), 38400u);
    QCOMPARE(Rs232RateFromWire(0xC200), 115200u);
    QCOMPARE(Rs232RateToWire(115200), 0xC200);
    QCOMPARE(CanRateKbit(0x001C), 500.0);
}

QTEST_GUILESS_MAIN(TestModuleConfig)
#include "tst_module_config.moc"
