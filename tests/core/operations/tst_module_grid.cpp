// The module data grid as a read of the emulator fills it: texts of non-default values, values
// the module refuses, each error counter in its row, and the programming-mode gate.

#include "core/operations/operations.h"
#include "ops_fixture.h"

#include <QTest>

#include <functional>

using namespace vxl;
using namespace vxl::test;

namespace {

using Setup = std::function<void(sim::EmulatorHost &)>;

// Rows of the grid and its columns: 1 RS-232, 2 CAN, 3 LIN.
enum Row {
    Activation = 1,
    BitRate = 2,
    ForwardMask = 3,
    FilterMask = 4,
    FilterCode = 5,
    IdOffset = 6,
    MasterStatus = 7,
    Termination = 8,
    Timeouts = 9,
    SchedulerEntries = 10,
    ErrorId = 11,
    SlaveData = 12,
    SlaveActivation = 13,
    Rcv = 15,
    Xmt = 16,
    Checksum = 17,
    Passive = 18,
    BusOff = 19,
    Bit = 20,
    IdParity = 21,
    SlaveSilent = 22,
    Sync = 23,
};
enum Column { Rs232 = 1, Can = 2, Lin = 3 };

struct Cell
{
    int row;
    int column;
    QString text;
};

void configure(sim::EmulatorHost &host, const std::function<void(ModuleConfig &)> &change)
{
    host.withModel([&](sim::ModuleModel &m) { change(m.Config()); });
}

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(std::vector<Cell>)

class TestModuleGrid : public QObject
{
    Q_OBJECT

private slots:
    void gridShowsWhatTheModuleHolds_data();
    void gridShowsWhatTheModuleHolds();
    void programmingModeFollowsFirmwareThreshold_data();
    void programmingModeFollowsFirmwareThreshold();
};

void TestModuleGrid::gridShowsWhatTheModuleHolds_data()
{
    QTest::addColumn<QString>("hardware"); // "S…": the build that knows the activation ID
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<std::vector<Cell>>("cells");
    const QString slaveBuild = QStringLiteral("S-VXL-LIN 1.0");

    QTest::newRow("every mask bit, 29-bit identifiers, slave enabled") << slaveBuild << Setup([](sim::EmulatorHost &host) {
        configure(host, [](ModuleConfig &c) {
            c.CAN.Active = 0;
            c.CAN.ForwardMask = 0xC6;
            c.CAN.FilterMask = 0x1ABBCCDD;
            c.CAN.FilterCode = 0x00112233;
            c.CAN.IdOffset = 0x80000123;
            c.CAN.ErrorId = 0x80001ABC;
            c.CAN.ErrorCounters = {21, 22, 23, 24};
            c.RS232.ErrorCounters = {7, 8, 9};
            c.LIN.Baudrate = 9600;
            c.LIN.ForwardMask = 0xC5;
            c.LIN.FilterMask = 0x3C;
            c.LIN.FilterCode = 0x05;
            c.LIN.BusTermination = 1;
            c.LIN.MessageTimeouts = {100, 200, 300, 400};
            // RCV, XMT, bit, checksum, ID parity, slave not responding, sync.
            c.LIN.ErrorCounters = {11, 12, 13, 14, 15, 16, 17};
            c.LIN.SlaveIdData = {1, 0x3C, 8, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}};
            c.LIN.SlaveActivationId = 0xC00001A0;
        });
    })
                                                                       << std::vector<Cell>{
                                                                              {Activation,
                                                                               Can,
                                                                               "Disabled"},
                                                                              {Activation,
                                                                               Lin,
                                                                               "Enabled"},
                                                                              {BitRate,
                                                                               Rs232,
                                                                               "38400 bit/s"},
                                                                              {BitRate,
                                                                               Lin,
                                                                               "9600 bit/s"},
                                                                              {ForwardMask,
                                                                               Can,
                                                                               " LIN / RS-232 / "
                                                                               "Errors Via CAN / "
                                                                               "Errors Via "
                                                                               "RS-232 "},
                                                                              {ForwardMask,
                                                                               Lin,
                                                                               " CAN / RS-232 / "
                                                                               "Errors Via CAN / "
                                                                               "Errors Via "
                                                                               "RS-232 "},
                                                                              {FilterMask,
                                                                               Can,
                                                                               "0x1ABBCCDD"},
                                                                              {FilterCode,
                                                                               Can,
                                                                               "0x00112233"},
                                                                              {FilterMask,
                                                                               Lin,
                                                                               "0x3C"},
                                                                              {FilterCode,
                                                                               Lin,
                                                                               "0x05"},
                                                                              {IdOffset,
                                                                               Can,
                                                                               "0x00000123 (29 "
                                                                               "bits)"},
                                                                              {MasterStatus,
                                                                               Lin,
                                                                               "Scheduler not "
                                                                               "Active"},
                                                                              {Termination,
                                                                               Lin,
                                                                               "LIN Master "
                                                                               "Termination"},
                                                                              {Timeouts,
                                                                               Lin,
                                                                               "100 - 200 - 300 - "
                                                                               "400"},
                                                                              {SchedulerEntries,
                                                                               Lin,
                                                                               " 0"},
                                                                              {ErrorId,
                                                                               Can,
                                                                               "0x00001ABC (29 "
                                                                               "bits)"},
                                                                              {SlaveData,
                                                                               Lin,
                                                                               "Enabled: 3C - 11 "
                                                                               "22 33 44 55 66 77 "
                                                                               "88"},
                                                                              {SlaveActivation,
                                                                               Lin,
                                                                               "Enabled:  "
                                                                               "0x000001A0 (29 "
                                                                               "bits)"},
                                                                              {Rcv, Rs232, " 7"},
                                                                              {Xmt, Rs232, " 8"},
                                                                              {Checksum,
                                                                               Rs232,
                                                                               " 9"},
                                                                              {Passive, Rs232, ""},
                                                                              {Rcv, Can, " 21"},
                                                                              {Xmt, Can, " 22"},
                                                                              {Checksum, Can, " "},
                                                                              {Passive, Can, " 23"},
                                                                              {BusOff, Can, " 24"},
                                                                              {Bit, Can, " "},
                                                                              {Rcv, Lin, " 11"},
                                                                              {Xmt, Lin, " 12"},
                                                                              {Checksum, Lin, " 14"},
                                                                              {Passive, Lin, " "},
                                                                              {BusOff, Lin, " "},
                                                                              {Bit, Lin, " 13"},
                                                                              {IdParity, Lin, " 15"},
                                                                              {SlaveSilent,
                                                                               Lin,
                                                                               " 16"},
                                                                              {Sync, Lin, " 17"},
                                                                          };

    QTest::newRow("11-bit identifiers, slave disabled without data, no forwarding")
        << slaveBuild << Setup([](sim::EmulatorHost &host) {
               configure(host, [](ModuleConfig &c) {
                   c.CAN.ForwardMask = 0x39; // only 0x01 has a name
                   c.CAN.IdOffset = 0x1234;
                   c.CAN.ErrorId = 0x7FF;
                   c.LIN.ForwardMask = 0;
                   SetNibble(c.LIN.FrameLengths, 0x05, 0);
                   c.LIN.SlaveIdData = {0, 0x05, 0, {}};
                   c.LIN.SlaveActivationId = 0x40000123;
               });
           })
        << std::vector<Cell>{
               {Activation, Can, "Enabled"},
               {ForwardMask, Can, " CAN "},
               {ForwardMask, Lin, "No Forwarding"},
               {IdOffset, Can, "0x1234 (11 bits)"},
               {ErrorId, Can, "0x7FF (11 bits)"},
               {Termination, Lin, "LIN Slave Termination"},
               {Timeouts, Lin, "0 - 0 - 0 - 0"},
               {SlaveData, Lin, "Disabled: 05 - "},
               {SlaveActivation, Lin, "Enabled:  0x123 (11 bits)"},
           };

    QTest::newRow("activation identifier disabled")
        << slaveBuild << Setup([](sim::EmulatorHost &host) {
               configure(host, [](ModuleConfig &c) { c.LIN.SlaveActivationId = 0x000001A0; });
           })
        << std::vector<Cell>{{SlaveActivation, Lin, "Disabled:  0x1A0 (11 bits)"}};

    QTest::newRow("activation identifier unknown to the standard build")
        << QStringLiteral("VXL-LIN-G 1.0") << Setup([](sim::EmulatorHost &) {})
        << std::vector<Cell>{{SlaveActivation, Lin, "Not Available. Error: 9"}};

    QTest::newRow("values the module refuses")
        << slaveBuild << Setup([](sim::EmulatorHost &host) {
               host.forceReturnCode(1, 16, 5); // CAN Error ID
               host.forceReturnCode(2, 29, 6); // CAN ID for Slave Activation
           })
        << std::vector<Cell>{
               {ErrorId, Can, "Not Available. Error: 5"},
               {SlaveActivation, Lin, "Not Available. Error: 6"},
               {ErrorId, Lin, " "},
               {Activation, Can, "Enabled"},
           };
}

void TestModuleGrid::gridShowsWhatTheModuleHolds()
{
    QFETCH(QString, hardware);
    QFETCH(Setup, setup);
    QFETCH(std::vector<Cell>, cells);
    sim::EmulatorOptions options;
    options.identity.hardware = hardware;
    OpsRig rig(options);
    setup(rig.host());
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QVERIFY2(rig.op().boxes.empty(), qPrintable(rig.op().boxTexts().join(" | ")));
    const auto &grid = rig.ops().Grid();
    for (const Cell &cell : cells)
        QVERIFY2(grid[std::size_t(cell.row)][std::size_t(cell.column)] == cell.text,
                 qPrintable(QStringLiteral("row %1, column %2: \"%3\"")
                                .arg(cell.row)
                                .arg(cell.column)
                                .arg(grid[std::size_t(cell.row)][std::size_t(cell.column)])));
    QCOMPARE(grid[14][1], QString(377, QLatin1Char('-')));
}

void TestModuleGrid::programmingModeFollowsFirmwareThreshold_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("below the default threshold") << "01.01.02"
                                                 << "01.01.03" << false;
    QTest::newRow("at the default threshold") << "01.01.03"
                                              << "01.01.03" << true;
    QTest::newRow("above it") << "01.02.15"
                              << "01.01.03" << true;
    QTest::newRow("below a raised threshold") << "01.02.15"
                                              << "01.03.00" << false;
}

void TestModuleGrid::programmingModeFollowsFirmwareThreshold()
{
    QFETCH(QString, firmware);
    QFETCH(QString, threshold);
    QFETCH(bool, enabled);
    sim::EmulatorOptions options;
    options.identity.firmware = firmware;
    VXLIN_Values settings = OpsRig::fastSettings();
    settings.FirmwareVerUpdate = threshold;
    OpsRig rig(options, settings);
    QVERIFY(!rig.ops().Enabled(Command::ProgrammingMode));
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.ops().ModuleCopy().Module.FirmwareText, firmware);
    QCOMPARE(rig.ops().Enabled(Command::ProgrammingMode), enabled);
}

QTEST_GUILESS_MAIN(TestModuleGrid)
#include "tst_module_grid.moc"
