// Sending a profile against the emulator, for every firmware gate: what the module holds
// afterwards, the texts the user sees, a refused scheduler entry, a refused CAN value, the
// scheduler emptied first, the flash save and reset that follow, and the time-out.

#include "core/editing/frame_rules.h"
#include "core/editing/profile_editor_model.h"
#include "core/link/lin_port.h"
#include "core/link/status_text.h"
#include "core/operations/operations.h"
#include "core/operations/profile_send.h"
#include "core/operations/scheduler_control.h"
#include "ops_fixture.h"
#include "test_profile.h"

#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

// Values the module holds before the send, so that what a gate leaves out can be seen.
void earlierValues(ModuleConfig &c)
{
    c.CAN.ErrorId = 0x00000111;
    c.LIN.SlaveActivationId = 0x00000222;
    c.LIN.SlaveMask = {0x0F, 0, 0, 0, 0, 0, 0, 0};
    c.LIN.MessageTimeouts = {1000, 30, 20, 15};
    c.LIN.Retries = 3;
}

const QString kSuccess = QStringLiteral("The Profile was successfully sent to the module. ");
const QString kFlashQuestion = QStringLiteral(
    "The current module configuration will be copied in its flash memory.  Proceed?");
const QString kResetQuestion = QStringLiteral(
    "The profile was saved in the flash memory of the module. A module's reset must be issued "
    "in order to use the new configuration. Do you want to this now?");

// Sends the profile from the profiles view, declining the flash save; the first box's text.
QString sendWithoutFlash(OpsRig &rig, const ModuleConfig &profile)
{
    rig.op().profile = profile;
    rig.op().view = View::Profiles;
    rig.op().answers = {BoxResult::No};
    rig.ops().Sender().SendProfile();
    if (!rig.waitIdle(15000))
        return QStringLiteral("the send did not end");
    return rig.op().boxTexts().value(0);
}

} // namespace

class TestProfileSend : public QObject
{
    Q_OBJECT

private slots:
    void requestCounts_data();
    void requestCounts();
    void moduleHoldsWhatTheGateSends_data();
    void moduleHoldsWhatTheGateSends();
    void refusedEntryIsLeftOut();
    void refusedFilterMaskEndsInCanPhase();
    void schedulerEmptiedFirst_data();
    void schedulerEmptiedFirst();
    void secondSendReplacesTheEntriesOfTheFirst();
    void declinedFlashSaveRefreshesView();
    void silentModuleTimesOut();
    void busyRefusesAndSendsNothing();
    void editedFrameLengthsReachTheModule();
    void modulePublishesWhatTheFramesShow_data();
    void modulePublishesWhatTheFramesShow();
};

void TestProfileSend::requestCounts_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<bool>("slaveSim");
    QTest::addColumn<int>("count");
    // 18 + 5 scheduler entries for the oldest firmware.
    QTest::newRow("01.01.05") << 10105 << false << 18 + 5;
    QTest::newRow("01.01.06") << 10106 << false << 23 + 5;
    QTest::newRow("01.01.07") << 10107 << false << 24 + 5;
    QTest::newRow("01.01.07 slave sim") << 10107 << true << 26 + 5;
    QTest::newRow("01.02.15") << 10215 << false << 24 + 64 + 5;
}

void TestProfileSend::requestCounts()
{
    QFETCH(int, firmware);
    QFETCH(bool, slaveSim);
    QFETCH(int, count);
    const auto requests = ProfileSendRequests(testProfile(5), firmware, slaveSim);
    QCOMPARE(int(requests.size()), count);
    // The last three steps: entries, master, termination.
    QCOMPARE(requests.back().command, 37);
    QCOMPARE(requests[requests.size() - 2].command, 36);
    if (HasPerIdSlaveData(firmware)) {
        // The slave ID's entry is the 64th frame request, with sequence number 7.
        int first = 0;
        while (requests[std::size_t(first)].command != 41
               || requests[std::size_t(first)].sequence == 4)
            ++first;
        const auto &last = requests[std::size_t(first + 63)];
        QCOMPARE(last.sequence, 7);
        QCOMPARE(int(std::uint8_t(last.data[1])), 7);
        QCOMPARE(int(std::uint8_t(requests[std::size_t(first + 7)].data[1])), 8); // 7 skipped
    }
}

void TestProfileSend::moduleHoldsWhatTheGateSends_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QString>("gate");
    const QString head = "\r\n The following data was not sent to the module.\r\nReasons: Firmware "
                         "does not support these features.\r\n";
    QTest::newRow("01.01.05")
        << "01.01.05"
        << "VXL-LIN-G 1.0"
        << head
               + "* CAN: CAN Error ID\r\n* LIN: Frame Configuration\r\n* LIN: "
                 "Slave Mask\r\n* LIN: CAN ID For Slave Activation.";
    QTest::newRow("01.01.06")
        << "01.01.06"
        << "VXL-LIN-G 1.0"
        << head
               + "* CAN: CAN Error ID\r\n* LIN: Slave Mask\r\n* LIN: CAN ID For "
                 "Slave Activation.";
    QTest::newRow("01.02.14") << "01.02.14"
                              << "VXL-LIN-G 1.0"
                              << head + "* LIN: Slave Mask\r\n* LIN: CAN ID For Slave Activation.";
    QTest::newRow("01.02.20") << "01.02.20"
                              << "VXL-LIN-G 1.0"
                              << head + "* LIN: Slave Mask\r\n* LIN: CAN ID For Slave Activation.";
    QTest::newRow("01.02.20 slave sim") << "01.02.20"
                                        << "S-VXL-LIN 1.0" << QString();
}

void TestProfileSend::moduleHoldsWhatTheGateSends()
{
    QFETCH(QString, firmware);
    QFETCH(QString, hardware);
    QFETCH(QString, gate);
    sim::EmulatorOptions options;
    options.identity = {hardware, firmware};
    OpsRig rig(options);
    rig.host().withModel([](sim::ModuleModel &m) { earlierValues(m.Config()); });
    const ModuleConfig before = rig.host().config();
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    const ModuleConfig profile = testProfile(5);
    rig.op().profile = profile;
    rig.op().view = View::Profiles;
    rig.op().answers = {BoxResult::Yes, BoxResult::No}; // flash save yes, reset no
    rig.ops().Sender().SendProfile();
    QVERIFY(rig.waitIdle(15000));

    QCOMPARE(rig.op().boxTexts(), (QStringList{kSuccess + gate, kFlashQuestion, kResetQuestion}));
    const ModuleConfig after = rig.host().config();
    const int n = FirmwareNumber(firmware);
    const bool sim = hardware.startsWith('S');
    QCOMPARE(after.CAN.Baudrate, profile.CAN.Baudrate);
    QCOMPARE(after.CAN.ForwardMask, profile.CAN.ForwardMask);
    QCOMPARE(after.CAN.FilterMask, profile.CAN.FilterMask);
    QCOMPARE(after.CAN.FilterCode, profile.CAN.FilterCode);
    QCOMPARE(after.CAN.IdOffset, profile.CAN.IdOffset);
    QCOMPARE(after.CAN.ErrorId, n >= 10107 ? profile.CAN.ErrorId : before.CAN.ErrorId);
    QCOMPARE(after.LIN.Baudrate, profile.LIN.Baudrate);
    QCOMPARE(after.LIN.ForwardMask, profile.LIN.ForwardMask);
    QCOMPARE(after.LIN.FilterMask, profile.LIN.FilterMask);
    QCOMPARE(after.LIN.FilterCode, profile.LIN.FilterCode);
    QCOMPARE(after.LIN.MessageTimeouts, before.LIN.MessageTimeouts);
    QCOMPARE(after.LIN.Retries, std::uint16_t(0));
    QCOMPARE(after.LIN.BitRecognitionStatus, std::uint8_t(1));
    QCOMPARE(after.LIN.BusTermination, std::uint16_t(1));
    QCOMPARE(after.LIN.SchedulerCount, std::uint16_t(5));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(after.LIN.SchedulerEntries[std::size_t(i)],
                 profile.LIN.SchedulerEntries[std::size_t(i)]);
    if (n >= 10106) {
        QCOMPARE(after.LIN.FrameLengths, profile.LIN.FrameLengths);
        QCOMPARE(after.LIN.FrameFormats, profile.LIN.FrameFormats);
    } else {
        QCOMPARE(after.LIN.FrameLengths, before.LIN.FrameLengths);
        // The old slave entry takes the length of the identifier's class.
        QCOMPARE(after.LIN.SlaveIdData.ID, std::uint8_t(7));
        QCOMPARE(after.LIN.SlaveIdData.Data[0], std::uint8_t(0xA1));
        QCOMPARE(after.LIN.SlaveIdData.Data[1], std::uint8_t(0xA2));
        QCOMPARE(after.LIN.SlaveIdData.Data[2], before.LIN.SlaveIdData.Data[2]);
    }
    // The module keeps its slave mask in step with the slave entries it is given, so the
    // mask's own request tells whether the gate let it through. It carries the frames' activity,
    // not the profile's mask (0xAA, 0, ..., 0x55).
    if (sim && n >= 10107) {
        QCOMPARE(after.LIN.SlaveActivationId, profile.LIN.SlaveActivationId);
        QVERIFY(rig.requestTexts().contains("2/46/1 00AAAAAAAAAAAAAAAA"));
    } else {
        QCOMPARE(after.LIN.SlaveActivationId, before.LIN.SlaveActivationId);
        for (const auto &text : rig.requestTexts())
            QVERIFY(!text.startsWith("2/46/") && !text.startsWith("2/45/"));
    }

    if (n >= 10215) {
        for (int i = 0; i < kFrameCount; ++i) {
            const auto &frame = after.LIN.Frames[std::size_t(i)];
            QCOMPARE(int(frame.Active), i % 2);
            for (int j = 0; j < FrameByteCount(profile.LIN, i); ++j)
                QCOMPARE(frame.Data[std::size_t(j)], std::uint8_t(0x40 + i));
        }
    }
    // The flash copy holds what was sent; the module was not reset (answer NO).
    QCOMPARE(rig.host().withModel([](sim::ModuleModel &m) { return m.Flash().CAN.FilterMask; }),
             profile.CAN.FilterMask);
    QVERIFY(!rig.requestTexts().contains("3/4/3"));
    QVERIFY(rig.ops().IsConnected());
    QVERIFY(!rig.ops().FlashWriteTicked());
}

void TestProfileSend::refusedEntryIsLeftOut()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().profile = testProfile(5);
    rig.op().view = View::Profiles;
    rig.op().answers = {BoxResult::No}; // no flash save
    rig.host().withModel([](sim::ModuleModel &m) { m.ForceReturnCodeOnce(2, 40, 3, 2); });
    rig.ops().Sender().SendProfile();
    QVERIFY(rig.waitIdle(15000));
    QCOMPARE(rig.op().boxTexts().first(),
             SendGateText(10215, false)
                 + " Only 4 from 5 entries could be included in the scheduler");
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(4));
}

void TestProfileSend::refusedFilterMaskEndsInCanPhase()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().profile = testProfile(0);
    rig.op().view = View::Profiles;
    rig.host().forceReturnCode(1, 33, 5);
    rig.ops().Sender().SendProfile();
    QVERIFY(rig.waitIdle(15000));
    QCOMPARE(rig.op().boxTexts(BoxKind::Error),
             QStringList{
                 "Error sending the profile to the Module: The given value is out of range."});
    QCOMPARE(rig.op().boxes.size(), std::size_t(1)); // no flash save question
    QVERIFY(rig.ops().IsConnected());
    QCOMPARE(rig.ops().Engine().Phase(), 2);
    // Values before the refusal were written; nothing is rolled back.
    QCOMPARE(rig.host().config().CAN.ForwardMask, std::uint16_t(0x06));
    // Requests queued before the failure still reach the module.
    QCOMPARE(rig.host().config().CAN.FilterCode, 0x00000ABCu);
}

void TestProfileSend::schedulerEmptiedFirst_data()
{
    QTest::addColumn<int>("profileEntries");
    QTest::addColumn<bool>("asked");
    QTest::newRow("profile with entries asks") << 2 << true;
    QTest::newRow("profile without entries does not ask") << 0 << false;
}

void TestProfileSend::schedulerEmptiedFirst()
{
    QFETCH(int, profileEntries);
    QFETCH(bool, asked);
    OpsRig rig;
    rig.host().withModel([](sim::ModuleModel &m) {
        auto &lin = m.Config().LIN;
        lin.SchedulerCount = 3;
        lin.SchedulerEntries[0] = {5, 1};
        lin.SchedulerEntries[1] = {5, 2};
        lin.SchedulerEntries[2] = {5, 3};
    });
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 3);
    rig.op().profile = testProfile(profileEntries);
    rig.op().view = View::Profiles;
    const auto before = rig.host().requests().size();
    rig.op().answers = {BoxResult::Yes, BoxResult::No}; // (replace scheduler), flash save no
    if (!asked)
        rig.op().answers = {BoxResult::No};
    rig.ops().Sender().SendProfile();
    QVERIFY(rig.waitIdle(15000));
    const QStringList sent = rig.requestTexts().mid(int(before));
    QCOMPARE(sent.first(), QStringLiteral("2/51/2"));
    QCOMPARE(sent.at(1), QStringLiteral("0/31/0 0096"));
    const QStringList texts = rig.op().boxTexts();
    QCOMPARE(texts.contains(OperatorMessage(10)), asked);
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(profileEntries));

    // Declining the question sends nothing and leaves the send waiting.
    if (!asked)
        return;
    rig.host().withModel([](sim::ModuleModel &m) { m.Config().LIN.SchedulerCount = 2; });
    rig.ops().Scheduler().SetEntryCount(2);
    rig.op().answers = {BoxResult::No};
    const auto count = rig.host().requests().size();
    rig.ops().Sender().SendProfile();
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.host().requests().size(), count);
    QCOMPARE(rig.ops().Sender().SchedulerStep(), 1);
}

// The entries a send adds are in the module's scheduler afterwards, so the next send empties
// them first instead of adding its own behind them.
void TestProfileSend::secondSendReplacesTheEntriesOfTheFirst()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 0);
    rig.op().profile = testProfile(3);
    rig.op().view = View::Profiles;
    for (int send = 1; send <= 2; ++send) {
        rig.op().answers = {BoxResult::Yes, BoxResult::No}; // (replace scheduler), flash save no
        rig.ops().Sender().SendProfile();
        QVERIFY(rig.waitIdle(15000));
        QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(3));
        QCOMPARE(rig.ops().Scheduler().EntryCount(), 3);
    }
    QVERIFY(rig.requestTexts().contains(QStringLiteral("2/51/2")));
}

void TestProfileSend::declinedFlashSaveRefreshesView()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().profile = testProfile(0);
    rig.op().view = View::Profiles;
    rig.op().answers = {BoxResult::No};
    const auto before = rig.host().requests().size();
    rig.ops().Sender().SendProfile();
    QVERIFY(rig.waitIdle(15000));
    // After the send, the profiles view's activation identifies the module again.
    const QStringList sent = rig.requestTexts().mid(int(before));
    QCOMPARE(sent.mid(sent.size() - 2), (QStringList{"3/0/0", "3/1/1"}));
    QVERIFY(!sent.contains("3/3/3"));
}

void TestProfileSend::silentModuleTimesOut()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.setTimeout(1);
    rig.op().profile = testProfile(0);
    rig.host().setSilent(true);
    rig.ops().Sender().SetSchedulerStep(2);
    rig.ops().Sender().SendProfile();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 10000);
    QCOMPARE(rig.op().boxTexts(),
             QStringList{"Error sending the profile to the module. Timeout reached waiting an "
                         "acknowledge message  for RS-232 group settings."});
    QVERIFY(rig.ops().IsIdle());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Not connected. "));
}

void TestProfileSend::busyRefusesAndSendsNothing()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    // The module read is running.
    QVERIFY(!rig.ops().IsIdle());
    rig.op().profile = testProfile(0);
    rig.host().setSilent(true);
    const auto before = rig.host().requests().size();
    rig.ops().Sender().SendProfile();
    QCOMPARE(rig.op().notices, QStringList{"Action in progress. Please wait..."});
    QTest::qWait(100);
    QVERIFY(rig.host().requests().size() <= before + 40); // only the read's own requests
    for (const auto &text : rig.requestTexts())
        QVERIFY(!text.startsWith("0/31/"));
}

void TestProfileSend::editedFrameLengthsReachTheModule()
{
    // Frame lengths typed into the frame editor, from 7 to beyond the data bytes, and what the
    // module must hold once the profile is sent.
    const std::pair<int, int> typedAndHeld[] = {{7, 7}, {8, 8}, {9, 8}, {15, 8}};
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    ModuleConfig profile = testProfile(0);
    int id = 10;
    for (const auto &[typed, held] : typedAndHeld) {
        FrameEdit edit = FrameEditOf(profile.LIN, id);
        edit.length = typed;
        edit.publisher = true;
        for (int j = 0; j < kFrameDataBytes; ++j)
            edit.data[std::size_t(j)] = std::uint8_t(0x10 * j + typed);
        ApplyFrameEdit(profile.LIN, id++, edit);
    }
    const QString firstBox = sendWithoutFlash(rig, profile);
    QVERIFY2(firstBox.startsWith(kSuccess), qPrintable(firstBox));

    const LIN_Group module = rig.host().config().LIN;
    id = 10;
    for (const auto &[typed, held] : typedAndHeld) {
        const QByteArray row = QByteArray::number(typed);
        QVERIFY2(GetNibble(module.FrameLengths, id) == held, row.constData());
        const LIN_FrameEntry &frame = module.Frames[std::size_t(id++)];
        QVERIFY2(frame.Active == 1, row.constData());
        for (int j = 0; j < held; ++j)
            QVERIFY2(frame.Data[std::size_t(j)] == std::uint8_t(0x10 * j + typed), row.constData());
    }
}

void TestProfileSend::modulePublishesWhatTheFramesShow_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("edit");
    for (const char *firmware : {"01.02.14", "01.02.20"}) {
        for (const char *edit : {"slave ID enabled", "frame table defaults"})
            QTest::addRow("%s %s", firmware, edit) << firmware << edit;
    }
}

// Editing the slave ID data and the frame table's defaults change which frames are published
// but leave the profile's slave mask as it was; the module must end publishing what the frame
// table shows, and hold what the send prepared, whichever of mask and entries it takes last.
void TestProfileSend::modulePublishesWhatTheFramesShow()
{
    QFETCH(QString, firmware);
    QFETCH(QString, edit);
    sim::EmulatorOptions options;
    options.identity = {QStringLiteral("S-VXL-LIN 1.0"), firmware};
    OpsRig rig(options);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());

    ModuleConfig profile = testProfile(0);
    for (int n = 0; n < kFrameCount; ++n)
        SetBit(profile.LIN.SlaveMask, n, profile.LIN.Frames[std::size_t(n)].Active != 0);
    if (edit == "slave ID enabled") {
        ProfileEditorModel editor;
        editor.Load(profile);
        editor.SetSlaveIdData(QStringLiteral("4"), true, QStringLiteral("0102030405060708"));
        editor.CopySlaveIdIntoFrames();
        profile = editor.Profile();
        QCOMPARE(DirectionCellText(profile.LIN, 4), QStringLiteral("Publisher"));
    } else {
        ApplyDefaultTables(profile.LIN, DefaultFrameConfig());
        QCOMPARE(DirectionCellText(profile.LIN, 1), QStringLiteral("Subscriber"));
    }
    const QString firstBox = sendWithoutFlash(rig, profile);
    QVERIFY2(firstBox.startsWith(kSuccess), qPrintable(firstBox));

    const LIN_Group module = rig.host().config().LIN;
    for (int n = 0; n < kFrameCount; ++n) {
        const bool shown = DirectionCellText(profile.LIN, n) == QStringLiteral("Publisher");
        QVERIFY2(TestBit(module.SlaveMask, n) == int(shown), qPrintable(QString::number(n)));
    }
    ModuleConfig prepared = profile;
    PrepareProfileForSend(prepared, rig.ops().ModuleCopy());
    QCOMPARE(module.SlaveMask, prepared.LIN.SlaveMask);
}

QTEST_GUILESS_MAIN(TestProfileSend)
#include "tst_profile_send.moc"
