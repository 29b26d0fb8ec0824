// The module read against the emulator: the exact request sequence per firmware, the values
// taken into the module copy, the rebuilt frame table of older firmware, pacing, and the
// scheduler entry read that follows.

#include "core/link/command_builders.h"
#include "core/link/lin_port.h"
#include "core/operations/connection.h"
#include "core/operations/module_read.h"
#include "core/operations/operations.h"
#include "core/operations/scheduler_control.h"
#include "core/profiles/profile_document.h"
#include "ops_fixture.h"
#include "pacing_check.h"

#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

QStringList expectedRead(int firmware)
{
    QStringList out{QStringLiteral("3/0/0"),
                    QStringLiteral("3/1/1"),
                    QStringLiteral("0/11/0"),
                    QStringLiteral("0/24/1")};
    for (int k = 0; k < 6; ++k)
        out << QStringLiteral("1/%1/%2").arg(10 + k).arg(k);
    out << QStringLiteral("1/24/6") << QStringLiteral("1/16/7");
    for (int k = 0; k < 5; ++k)
        out << QStringLiteral("2/%1/%2").arg(10 + k).arg(k);
    out << QStringLiteral("2/15/5 0000") << QStringLiteral("2/16/6") << QStringLiteral("2/17/7")
        << QStringLiteral("2/18/0") << QStringLiteral("2/19/1") << QStringLiteral("2/20/2")
        << QStringLiteral("2/24/3") << QStringLiteral("2/26/4");
    for (int k = 0; k < 4; ++k)
        out << QStringLiteral("2/27/%1 0%1").arg(k) + QStringLiteral("00");
    out << QStringLiteral("2/28/4 0000") << QStringLiteral("2/29/5") << QStringLiteral("2/25/6");
    if (firmware >= 10215) {
        for (int i = 0; i < 64; ++i)
            out << QStringLiteral("2/25/%1 %2").arg(i % 8).arg(i, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// A configuration that differs from the defaults almost everywhere.
void customise(ModuleConfig &config)
{
    auto &can = config.CAN;
    can.ForwardMask = 0x86;
    can.FilterMask = 0x1ABBCCDD;
    can.FilterCode = 0x00112233;
    can.IdOffset = 0x80000123;
    can.ErrorCounters = {1, 2, 3, 4};
    config.RS232.ErrorCounters = {7, 8, 9};
    auto &lin = config.LIN;
    lin.Baudrate = 9600;
    lin.ForwardMask = 0x05;
    lin.FilterMask = 0x3C;
    lin.FilterCode = 0x11;
    lin.BusTermination = 1;
    lin.MessageTimeouts = {100, 200, 300, 400};
    lin.Retries = 2;
    lin.ErrorCounters = {1, 2, 3, 4, 5, 6, 7};
    lin.SlaveMask = {0x01, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x40};
    SetNibble(lin.FrameLengths, 40, 3);
    SetNibble(lin.FrameLengths, 5, 8);
    lin.FrameFormats = {0xFF, 0, 0, 0, 0, 0, 0, 0x01};
    lin.SlaveIdData = {1, 5, 8, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}};
    for (int i = 0; i < kFrameCount; ++i) {
        auto &frame = lin.Frames[std::size_t(i)];
        frame.ID = std::uint8_t(i);
        frame.Active = i % 3 == 0;
        frame.Data.fill(std::uint8_t(i));
    }
    lin.SlaveActivationId = 0xC00001A0;
    lin.SchedulerCount = 3;
    lin.SchedulerEntries[0] = {10, 0x01};
    lin.SchedulerEntries[1] = {20, 0x22};
    lin.SchedulerEntries[2] = {300, 0x3D};
}

} // namespace

class TestModuleRead : public QObject
{
    Q_OBJECT

private slots:
    void readsEverythingTheFirmwareHas_data();
    void readsEverythingTheFirmwareHas();
    void programmingModeOfferedByFirmware_data();
    void programmingModeOfferedByFirmware();
    void schedulerCountZeroSkipsEntryRead();
    void timeoutClearsGridAndDrops();
    void newFromModuleOnDataViewSendsNothing();
    void newFromModuleElsewhereReadsFirst();
    void newFromModuleIsForgottenWhenItsReadFails_data();
    void newFromModuleIsForgottenWhenItsReadFails();
    void saveModuleDataRefusesProfileBeingEdited();
    void slaveIdAbove63IsSavedAsAnOpenableProfile_data();
    void slaveIdAbove63IsSavedAsAnOpenableProfile();
};

void TestModuleRead::readsEverythingTheFirmwareHas_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("hardware");
    QTest::newRow("01.01.05") << "01.01.05"
                              << "VXL-LIN-G 1.0";
    QTest::newRow("01.01.06") << "01.01.06"
                              << "VXL-LIN-G 1.0";
    QTest::newRow("01.02.14") << "01.02.14"
                              << "VXL-LIN-G 1.0";
    QTest::newRow("01.02.15") << "01.02.15"
                              << "VXL-LIN-G 1.0";
    QTest::newRow("slave sim") << "01.02.15"
                               << "S-VXL-LIN 1.0";
}

void TestModuleRead::readsEverythingTheFirmwareHas()
{
    QFETCH(QString, firmware);
    QFETCH(QString, hardware);
    sim::EmulatorOptions options;
    options.identity = {hardware, firmware};
    OpsRig rig(options);
    rig.host().withModel([](sim::ModuleModel &m) { customise(m.Config()); });
    const ModuleConfig want = rig.host().config();
    const int number = FirmwareNumber(firmware);

    rig.ops().Link().RecordWrites(true);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QVERIFY2(rig.op().boxes.empty(), qPrintable(rig.op().boxTexts().join(" | ")));

    // The read, then the three scheduler entries.
    QStringList expected = expectedRead(number);
    expected << "2/21/4 01"
             << "2/21/4 02"
             << "2/21/4 03";
    QStringList got = rig.requestTexts();
    got.removeFirst(); // the confirmation of the connection
    QCOMPARE(got, expected);

    const auto &copy = rig.ops().ModuleCopy();
    QCOMPARE(copy.Module.HardwareText, hardware);
    QCOMPARE(copy.Module.FirmwareText, firmware);
    QCOMPARE(copy.RS232.Baudrate, want.RS232.Baudrate);
    QCOMPARE(copy.RS232.ErrorCounters, want.RS232.ErrorCounters);
    QCOMPARE(copy.CAN.ForwardMask, want.CAN.ForwardMask);
    QCOMPARE(copy.CAN.FilterMask, want.CAN.FilterMask);
    QCOMPARE(copy.CAN.FilterCode, want.CAN.FilterCode);
    QCOMPARE(copy.CAN.IdOffset, want.CAN.IdOffset);
    QCOMPARE(copy.CAN.ErrorCounters, want.CAN.ErrorCounters);
    QCOMPARE(copy.LIN.Baudrate, want.LIN.Baudrate);
    QCOMPARE(copy.LIN.ForwardMask, want.LIN.ForwardMask);
    QCOMPARE(copy.LIN.FilterMask, want.LIN.FilterMask);
    QCOMPARE(copy.LIN.FilterCode, want.LIN.FilterCode);
    QCOMPARE(copy.LIN.SlaveMask, want.LIN.SlaveMask);
    QCOMPARE(copy.LIN.BusTermination, want.LIN.BusTermination);
    QCOMPARE(copy.LIN.MessageTimeouts, want.LIN.MessageTimeouts);
    QCOMPARE(copy.LIN.Retries, want.LIN.Retries);
    QCOMPARE(copy.LIN.ErrorCounters, want.LIN.ErrorCounters);
    QCOMPARE(copy.LIN.SchedulerCount, std::uint16_t(3));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(copy.LIN.SchedulerEntries[std::size_t(i)],
                 want.LIN.SchedulerEntries[std::size_t(i)]);
    if (HasFrameTables(number)) {
        QCOMPARE(copy.LIN.FrameLengths, want.LIN.FrameLengths);
        QCOMPARE(copy.LIN.FrameFormats, want.LIN.FrameFormats);
    }
    QCOMPARE(copy.LIN.SlaveIdData.ID, want.LIN.SlaveIdData.ID);
    QCOMPARE(copy.LIN.SlaveIdData.Length, std::uint8_t(SlaveDataLength(copy, 5)));
    if (HasSlaveActivation(number, copy.Module.BuildMode))
        QCOMPARE(copy.LIN.SlaveActivationId, want.LIN.SlaveActivationId);

    if (HasPerIdSlaveData(number)) {
        for (int i = 0; i < kFrameCount; ++i) {
            const auto &frame = copy.LIN.Frames[std::size_t(i)];
            QCOMPARE(int(frame.ID), i);
            QCOMPARE(frame.Active, want.LIN.Frames[std::size_t(i)].Active);
            QCOMPARE(int(frame.Length), SlaveDataLength(copy, i));
            for (int j = 0; j < frame.Length; ++j)
                QCOMPARE(frame.Data[std::size_t(j)], std::uint8_t(i));
        }
    } else {
        // One slave entry stands for every identifier.
        for (int i = 0; i < kFrameCount; ++i) {
            const auto &frame = copy.LIN.Frames[std::size_t(i)];
            QCOMPARE(int(frame.ID), i);
            QCOMPARE(int(frame.Active), TestBit(copy.LIN.SlaveMask, i));
            QCOMPARE(int(frame.Length), FrameByteCount(copy.LIN, i));
            QCOMPARE(frame.Data, copy.LIN.SlaveIdData.Data);
        }
    }

    // The identity, the grid, and the scheduler buttons.
    QCOMPARE(rig.ops().Identity().firmware, firmware);
    QCOMPARE(rig.ops().Grid()[2][2], QStringLiteral("500.0 kbit/s (0x001C)"));
    QCOMPARE(rig.ops().Grid()[10][3], QStringLiteral(" 3"));
    QVERIFY(rig.ops().Enabled(Command::DiscardScheduler));
    QVERIFY(rig.ops().Enabled(Command::SaveDataAs));
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 3);

    // Pacing where the sender decides it: every request written 20 ms or more after the end of
    // the one before, in the order the module received them.
    CheckPacedAsReceived(rig.ops().Link().Writes(), rig.host().requests());
}

void TestModuleRead::programmingModeOfferedByFirmware_data()
{
    QTest::addColumn<QString>("update");
    QTest::addColumn<bool>("offered");
    // The emulated module has 01.02.15.
    QTest::newRow("update version older") << "01.02.14" << true;
    QTest::newRow("update version equal") << "01.02.15" << true;
    QTest::newRow("update version newer") << "01.02.16" << false;
    QTest::newRow("no update version") << "" << false;
}

void TestModuleRead::programmingModeOfferedByFirmware()
{
    QFETCH(QString, update);
    QFETCH(bool, offered);
    VXLIN_Values settings = OpsRig::fastSettings();
    settings.FirmwareVerUpdate = update;
    OpsRig rig({}, settings);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.ops().ModuleCopy().Module.FirmwareText, QStringLiteral("01.02.15"));
    QCOMPARE(rig.ops().Enabled(Command::ProgrammingMode), offered);
    // The same when the commands are brought up to date later (a view change, the end of an
    // action).
    rig.ops().UpdateCommandStates();
    QCOMPARE(rig.ops().Enabled(Command::ProgrammingMode), offered);
}

void TestModuleRead::schedulerCountZeroSkipsEntryRead()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    for (const auto &text : rig.requestTexts())
        QVERIFY(!text.startsWith("2/21/"));
    QVERIFY(!rig.ops().Enabled(Command::DiscardScheduler));
    QVERIFY(!rig.ops().Enabled(Command::MasterOn));
    QVERIFY(!rig.ops().Enabled(Command::MasterOff));
    QCOMPARE(rig.ops().Grid()[3][2], QStringLiteral("No Forwarding"));
    QCOMPARE(rig.ops().Grid()[7][3], QStringLiteral("Scheduler not Active"));
    QCOMPARE(rig.ops().Grid()[8][3], QStringLiteral("LIN Slave Termination"));
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Connected to COM5 at 38400 bit/s"));
}

void TestModuleRead::timeoutClearsGridAndDrops()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.ops().Grid()[1][2], QStringLiteral("Enabled"));
    rig.setTimeout(1);
    rig.host().setSilent(true);
    rig.ops().Reader().StartModuleRead();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 10000);
    QCOMPARE(rig.op().boxTexts(BoxKind::Error),
             QStringList{"Error retreiving information from the module.  Check the RS-232 "
                         "connection, the program connection and try again. "});
    QVERIFY(rig.ops().IsIdle());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Not connected. "));
    const auto &grid = rig.ops().Grid();
    for (int row = 1; row < kGridRows; ++row) {
        QVERIFY(!grid[std::size_t(row)][0].isEmpty());
        for (int column = 1; column < kGridColumns; ++column)
            QVERIFY(grid[std::size_t(row)][std::size_t(column)].isEmpty());
    }
    QVERIFY(!rig.ops().Enabled(Command::SaveDataAs));
    QVERIFY(!rig.ops().Link().IsConnected());
    // The next action finds no connection.
    rig.ops().Reader().StartModuleRead();
    QCOMPARE(rig.op().boxTexts().last(), QStringLiteral("There is not an active connection"));
}

void TestModuleRead::newFromModuleOnDataViewSendsNothing()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    const auto before = rig.host().requests().size();
    rig.ops().Reader().NewFromModule();
    QVERIFY(rig.waitIdle());
    // No read: only the identification the profiles view asks for when it is shown.
    const QStringList after = rig.requestTexts().mid(int(before));
    QCOMPARE(after, (QStringList{"3/0/0", "3/1/1"}));
    QCOMPARE(rig.op().newProfiles.size(), std::size_t(1));
    QCOMPARE(rig.op().view, View::Profiles);
}

void TestModuleRead::newFromModuleElsewhereReadsFirst()
{
    OpsRig rig;
    rig.host().withModel([](sim::ModuleModel &m) { customise(m.Config()); });
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().view = View::Advanced;
    rig.host().withModel([](sim::ModuleModel &m) { m.Config().CAN.FilterCode = 0x777; });
    rig.ops().Reader().NewFromModule();
    QVERIFY(rig.op().newProfiles.empty());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.op().view, View::Profiles);
    QCOMPARE(rig.op().newProfiles.size(), std::size_t(1));
    // Made after the new read and its scheduler entries.
    QCOMPARE(rig.op().newProfiles[0].CAN.FilterCode, 0x777u);
    QCOMPARE(rig.op().newProfiles[0].LIN.SchedulerEntries[2].Time, std::uint16_t(300));
    // Not a slave-simulation build: it has no slave activation ID to give.
    QCOMPARE(rig.op().boxTexts(),
             QStringList{"The module did not give these values; the profile holds their default "
                         "values:\nCAN ID For Slave Activation"});
}

void TestModuleRead::newFromModuleIsForgottenWhenItsReadFails_data()
{
    QTest::addColumn<bool>("connectedFirst");
    QTest::newRow("read times out") << true;
    QTest::newRow("not connected") << false;
}

void TestModuleRead::newFromModuleIsForgottenWhenItsReadFails()
{
    QFETCH(bool, connectedFirst);
    OpsRig rig;
    if (connectedFirst) {
        QVERIFY(rig.connect());
        QVERIFY(rig.waitIdle());
        rig.setTimeout(1);
        rig.host().setSilent(true);
    }
    rig.op().view = View::Advanced;
    rig.ops().Reader().NewFromModule();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected() && rig.ops().IsIdle(), 4000);
    QCOMPARE(rig.op().boxTexts(BoxKind::Error).size(), 1);
    QVERIFY(!rig.ops().Reader().NewProfilePending());
    // The next successful read, on a new connection, makes no profile nobody asked for.
    rig.host().setSilent(false);
    rig.setTimeout(OpsRig::fastSettings().Timeout);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QVERIFY(!rig.ops().Grid()[1][2].isEmpty());
    QVERIFY(rig.op().newProfiles.empty());
}

void TestModuleRead::saveModuleDataRefusesProfileBeingEdited()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QTemporaryDir dir;
    const QString path = dir.filePath("edited.vxlin");
    rig.op().profileFile = path;
    rig.op().profileModified = true;
    rig.op().saveFileAnswer = path;
    rig.ops().Reader().SaveModuleDataAsProfile();
    // A save dialog proposing the module data's own name.
    QCOMPARE(rig.op().filePrompts.size(), std::size_t(1));
    const FilePrompt prompt = rig.op().filePrompts.front();
    QVERIFY(prompt.save);
    QCOMPARE(prompt.title, QStringLiteral("Save As"));
    QCOMPARE(prompt.filter, QStringLiteral("VEXA-LIN profiles (*.vxlin)"));
    QCOMPARE(prompt.initialName, QStringLiteral("CurrentValues.vxlin"));
    QCOMPARE(rig.op().boxTexts().last(),
             QStringLiteral("Error on \"edited.vxlin\". The file is being modified on \"Profiles "
                            "Management\"."));
    QVERIFY(!QFile::exists(path));

    rig.op().profileModified = false;
    rig.ops().Reader().SaveModuleDataAsProfile();
    // Then the box naming the values the module refused (its slave activation ID).
    QCOMPARE(rig.op().boxTexts(BoxKind::Information).first(),
             QStringLiteral("Current module data was saved as \"edited.vxlin\""));
    clsVLINXMLProfile saved;
    QVERIFY(saved.OpenFile(path));
    CAN_Group can;
    QVERIFY(saved.ReadCAN(&can));
    QCOMPARE(can.Baudrate, rig.ops().ModuleCopy().CAN.Baudrate);
}

QTEST_GUILESS_MAIN(TestModuleRead)
#include "tst_module_read.moc"

void TestModuleRead::slaveIdAbove63IsSavedAsAnOpenableProfile_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::newRow("one slave entry") << "01.01.05";
    QTest::newRow("entry per ID") << "01.02.15";
}

void TestModuleRead::slaveIdAbove63IsSavedAsAnOpenableProfile()
{
    QFETCH(QString, firmware);
    sim::EmulatorOptions options;
    options.identity.firmware = firmware;
    OpsRig rig(options);
    rig.host().withModel([](sim::ModuleModel &m) { m.Config().LIN.SlaveIdData.ID = 200; });
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.ops().ModuleCopy().LIN.SlaveIdData.ID, std::uint8_t(200));
    QTemporaryDir dir;
    const QString path = dir.filePath("module.vxlin");
    rig.op().saveFileAnswer = path;
    rig.ops().Reader().SaveModuleDataAsProfile();
    QCOMPARE(rig.op().boxTexts(BoxKind::Information).first(),
             QStringLiteral("Current module data was saved as \"module.vxlin\""));
    clsVLINXMLProfile saved;
    QVERIFY(saved.OpenFile(path));
    ModuleConfig read = ModuleConfig::NewProfile();
    QVERIFY(saved.ReadLIN(&read.LIN));
    QCOMPARE(read.LIN.SlaveIdData.ID, std::uint8_t(200));
}
