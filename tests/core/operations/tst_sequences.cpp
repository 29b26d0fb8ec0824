// Sequences against the emulator over a pty that once wrote a value the user did not ask for or
// wedged the tool. Each test is one list of actions, written as numbered steps: a step is a user
// action, a module behaviour, or an interruption anchored to a request the module received
// (OpsRig::atRequest), never to the clock; the last steps are what must hold.

#include "core/link/lin_port.h"
#include "core/operations/connection.h"
#include "core/operations/maintenance.h"
#include "core/operations/module_read.h"
#include "core/operations/operations.h"
#include "core/operations/scheduler_control.h"
#include "module_states.h"
#include "ops_fixture.h"

#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

// Firmware 01.02.14 reads in 32 requests: the sequences are about what happens around the read.
sim::EmulatorOptions shortRead()
{
    sim::EmulatorOptions options;
    options.identity.firmware = QStringLiteral("01.02.14");
    return options;
}

void noEntries(sim::ModuleModel &m)
{
    m.Config().LIN.SchedulerCount = 0;
}

// The user's view change: the view is shown, then its activation actions run.
void showView(OpsRig &rig, View view)
{
    rig.op().view = view;
    rig.ops().ActivateView(view);
}

// "Connect" from the menu: the connection dialog, then the connection state.
void connectThroughDialog(OpsRig &rig)
{
    rig.op().connectChoices.push_back(ConnectChoice{rig.comNumber(), 38400});
    rig.ops().Conn().ShowConnectDialog();
    rig.ops().Conn().UpdateConnectionState();
}

const QString kSchedulerTimeout16 = QStringLiteral(
    "The TIME OUT for waiting an answer from the module: 1 second was reached.  Timeout reached "
    "processing the LIN group: 2 - LIN code: 16");

} // namespace

class TestSequences : public QObject
{
    Q_OBJECT

private slots:
    void timeoutLoweredDuringExchange();
    void dialogConnectionDuringExchange();
    void entriesOfLastConnectionDoNotCarryOver();
    void identificationThenMessagesView();
    void identificationThenModuleDataView();
};

// The time-out fires when the tick count reaches or passes the Timeout in force.
void TestSequences::timeoutLoweredDuringExchange()
{
    OpsRig rig(shortRead());
    // 1. connect; the module read ends
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    // 2. Preferences: Timeout 30
    rig.setTimeout(30);
    // 3. the module falls silent
    rig.host().setSilent(true);
    // 4. "Messages and Scheduler": the master status read stays unanswered
    showView(rig, View::Messages);
    QVERIFY(!rig.ops().IsIdle());
    // 5. two ticks later, Preferences: Timeout 1
    QTRY_VERIFY_WITH_TIMEOUT(rig.ops().Engine().TickCount() >= 2, 5000);
    rig.setTimeout(1);
    // 6. the next tick ends the exchange and the connection, with the exchange's own message
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 2500);
    QCOMPARE(rig.op().boxTexts(), QStringList{kSchedulerTimeout16});
    QVERIFY(rig.ops().IsIdle());
    QVERIFY(!rig.ops().Engine().TimerRunning());
}

// A connection made through the dialog while an exchange runs ends that exchange as a
// lost connection does, and is read as usual.
void TestSequences::dialogConnectionDuringExchange()
{
    OpsRig rig(shortRead());
    // 1. connect; the module read ends
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    // 2. Preferences: Timeout 2
    rig.setTimeout(2);
    // 3. the module falls silent; 4. "Messages and Scheduler": the master status read waits
    rig.host().setSilent(true);
    const std::size_t before = rig.host().requests().size();
    showView(rig, View::Messages);
    QVERIFY(rig.waitRequests(before + 1));
    // 5. the module answers again; 6. "Connect": the same port at 38400 bit/s, OK
    rig.host().setSilent(false);
    rig.op().notices.clear();
    connectThroughDialog(rig);
    // 7. the new connection is read at once, and stays up past the old exchange's time-out
    QVERIFY(rig.ops().IsConnected());
    QCOMPARE(rig.op().notices, QStringList{});
    QVERIFY(rig.waitIdle());
    QTest::qWait(2500);
    QVERIFY(rig.ops().IsConnected());
    QCOMPARE(rig.op().boxTexts(), QStringList{});
    const QStringList after = rig.requestTexts().mid(int(before) + 1);
    QVERIFY2(after.size() > 3 && after[1] == "3/0/0" && after[2] == "3/1/1",
             qPrintable(after.join(", ")));
    QCOMPARE(rig.ops().Grid()[1][2], QStringLiteral("Enabled"));
    QVERIFY(rig.ops().Enabled(Command::SaveDataAs));
}

// Scheduler entries collected on one connection never reach the next one's module.
void TestSequences::entriesOfLastConnectionDoNotCarryOver()
{
    OpsRig rig(shortRead());
    rig.op().entriesDialog = [](const std::vector<LIN_SchedulerEntry> &shown, bool) {
        return std::optional(shown); // confirmed as shown
    };
    // 1. the module holds three scheduler entries
    rig.host().withModel(threeEntries);
    // 2. at the module's request for entry 2, the module falls silent
    rig.atRequest(QStringLiteral("2/21/4 02"), {}, [](sim::EmulatorHost &module) {
        module.setSilent(true);
    });
    // 3. connect: the read goes on to the entry read; entry 1 arrives
    QVERIFY(rig.connect());
    QTRY_COMPARE_WITH_TIMEOUT(rig.ops().CollectedEntries().size(), std::size_t(1), 8000);
    // 4. Disconnect ("A process is executing right now. Finish connection?" YES)
    rig.ops().Conn().DisconnectCommand();
    QVERIFY(!rig.ops().IsConnected());
    // 5. another module: an empty scheduler, answering
    rig.host().withModel(noEntries);
    rig.host().setSilent(false);
    // 6. connect; the read finds no entries
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 0);
    // 7. "Messages and Scheduler", Adjust, the dialog confirmed as shown
    showView(rig, View::Messages);
    QVERIFY(rig.waitIdle());
    const std::size_t before = rig.host().requests().size();
    rig.ops().Scheduler().Adjust();
    QVERIFY(rig.waitIdle());
    // 8. the dialog showed no entry, and nothing was written
    QCOMPARE(rig.op().entriesShown.size(), std::size_t(1));
    QCOMPARE(rig.op().entriesShown[0], std::vector<LIN_SchedulerEntry>{});
    QCOMPARE(rig.requestTexts().mid(int(before)), QStringList{});
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(0));
}

// An exchange started while the profiles view's identification waits for its reply
// waits for it: the identification keeps its replies, the exchange gets its own.
void TestSequences::identificationThenMessagesView()
{
    OpsRig rig(shortRead());
    // 1. connect; the module read ends; Timeout 2
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.setTimeout(2);
    const auto identity = rig.ops().ModuleCopy().Module;
    const std::size_t before = rig.host().requests().size();
    // 2. "Profiles Management": the identification starts
    showView(rig, View::Profiles);
    // 3. at once "Messages and Scheduler": master status and entry count
    showView(rig, View::Messages);
    QVERIFY(rig.waitIdle());
    // 4. each exchange took its own replies; the connection stays up past the time-out
    QCOMPARE(rig.requestTexts().mid(int(before)),
             (QStringList{"3/0/0", "3/1/1", "2/16/0", "2/20/3"}));
    QTest::qWait(2500);
    QVERIFY(rig.ops().IsConnected());
    QCOMPARE(rig.op().boxTexts(), QStringList{});
    QVERIFY(!rig.ops().Engine().IsActive(TransactionKind::tkProgrammingMode));
    QVERIFY(!rig.ops().Scheduler().MasterActive());
    QCOMPARE(rig.ops().ModuleCopy().Module.HardwareText, identity.HardwareText);
    QCOMPARE(rig.ops().ModuleCopy().Module.FirmwareText, identity.FirmwareText);
}

void TestSequences::identificationThenModuleDataView()
{
    OpsRig rig(shortRead());
    // 1. connect; the module read ends
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    const ModuleConfig read = rig.ops().ModuleCopy();
    // 2. the module answers 30 ms late from now on
    rig.host().setReplyDelayMs(30);
    // 3. "Profiles Management": the identification starts; 4. when the module receives its
    //    firmware request, "Data Present in Module" (a module read)
    rig.atRequest(QStringLiteral("3/1/1"), [&rig] { showView(rig, View::ModuleData); });
    showView(rig, View::Profiles);
    QTRY_COMPARE_WITH_TIMEOUT(rig.op().view, View::ModuleData, 5000);
    QVERIFY(rig.waitIdle());
    // 5. the read stored the module's own values, not the identification's replies
    QCOMPARE(rig.op().boxTexts(), QStringList{});
    QVERIFY(rig.ops().IsConnected());
    const auto &now = rig.ops().ModuleCopy();
    QCOMPARE(now.RS232.Baudrate, read.RS232.Baudrate);
    QCOMPARE(now.RS232.ReplyStatus, read.RS232.ReplyStatus);
    QCOMPARE(now.CAN.Baudrate, read.CAN.Baudrate);
    QCOMPARE(now.CAN.ErrorId, read.CAN.ErrorId);
    QCOMPARE(now.LIN.Baudrate, read.LIN.Baudrate);
    QCOMPARE(now.LIN.FrameLengths, read.LIN.FrameLengths);
    QCOMPARE(now.Module.HardwareText, read.Module.HardwareText);
}

QTEST_GUILESS_MAIN(TestSequences)
#include "tst_sequences.moc"
