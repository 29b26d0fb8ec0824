// Scheduler and master control against the emulator: status and count on activation,
// ON/OFF, Discard, Adjust with its rewrite, and the count reply of an empty scheduler.

#include "core/operations/connection.h"
#include "core/operations/operations.h"
#include "core/operations/scheduler_control.h"
#include "module_states.h"
#include "ops_fixture.h"

#include <QElapsedTimer>
#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

// Connected, read, and the "Messages and Scheduler" view shown with its status and count read.
bool onMessagesView(OpsRig &rig)
{
    if (!rig.connect() || !rig.waitIdle())
        return false;
    rig.op().view = View::Messages;
    rig.ops().ActivateView(View::Messages);
    return rig.waitIdle();
}

} // namespace

class TestScheduler : public QObject
{
    Q_OBJECT

private slots:
    void activationReadsStatusThenCount();
    void emptyCountReplyIsSilent();
    void onOffToggles();
    void discardAsksFirst_data();
    void discardAsksFirst();
    void adjustRewritesInDialogOrder();
    void adjustWithEmptyListDiscards();
    void refusedEntryIsReportedAndOthersCounted_data();
    void refusedEntryIsReportedAndOthersCounted();
    void moduleEntriesShownViewOnly();
    void masterButtonsKeepTheirRuleOnRecompute_data();
    void masterButtonsKeepTheirRuleOnRecompute();
    void rewritePauseEndsWithTheConnection_data();
    void rewritePauseEndsWithTheConnection();
};

void TestScheduler::activationReadsStatusThenCount()
{
    OpsRig rig;
    rig.host().withModel(threeEntries);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    const auto before = rig.host().requests().size();
    rig.op().view = View::Messages;
    rig.ops().ActivateView(View::Messages);
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.requestTexts().mid(int(before)), (QStringList{"2/16/0", "2/20/3"}));
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 3);
    QVERIFY(rig.ops().Scheduler().Editable());
    // Master off, entries present: only ON is usable.
    QVERIFY(rig.ops().Enabled(Command::MasterOn));
    QVERIFY(!rig.ops().Enabled(Command::MasterOff));
    QVERIFY(rig.ops().Enabled(Command::DiscardScheduler));
}

void TestScheduler::emptyCountReplyIsSilent()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.ops().Scheduler().SetEntryCount(7);
    rig.op().view = View::Messages;
    rig.ops().ActivateView(View::Messages);
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 7); // one byte 0x06: unchanged
    QVERIFY(rig.op().boxes.empty());
    QVERIFY(rig.op().notices.isEmpty());
}

void TestScheduler::onOffToggles()
{
    OpsRig rig;
    rig.host().withModel(threeEntries);
    QVERIFY(onMessagesView(rig));
    const auto before = rig.host().requests().size();
    rig.ops().Scheduler().SwitchMaster();
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.requestTexts().mid(int(before)), QStringList{"2/36/1 01"});
    QVERIFY(rig.ops().Scheduler().MasterActive());
    QVERIFY(rig.ops().Enabled(Command::MasterOff));
    QVERIFY(!rig.ops().Enabled(Command::MasterOn));
    QVERIFY(rig.host().withModel([](sim::ModuleModel &m) { return m.MasterRunning(); }));

    rig.ops().Scheduler().SwitchMaster();
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.requestTexts().last(), QStringLiteral("2/36/1 00"));
    QVERIFY(!rig.ops().Scheduler().MasterActive());
    QVERIFY(rig.ops().Enabled(Command::MasterOn));
    QVERIFY(!rig.ops().Enabled(Command::MasterOff));
}

void TestScheduler::discardAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("yes") << int(BoxResult::Yes) << true;
    QTest::newRow("no") << int(BoxResult::No) << false;
}

void TestScheduler::discardAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(bool, emptied);
    OpsRig rig;
    rig.host().withModel(threeEntries);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().answers = {BoxResult(answer)};
    const auto before = rig.host().requests().size();
    rig.ops().Scheduler().Discard();
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.op().boxTexts(), QStringList{"The current entries will be deleted. Procced?"});
    QCOMPARE(rig.requestTexts().mid(int(before)), emptied ? QStringList{"2/51/2"} : QStringList{});
    QCOMPARE(rig.ops().Scheduler().EntryCount(), emptied ? 0 : 3);
    QCOMPARE(rig.ops().Enabled(Command::DiscardScheduler), !emptied);
    QCOMPARE(int(rig.host().config().LIN.SchedulerCount), emptied ? 0 : 3);
}

void TestScheduler::adjustRewritesInDialogOrder()
{
    OpsRig rig;
    rig.host().withModel(threeEntries);
    QVERIFY(onMessagesView(rig));
    rig.ops().Scheduler().SwitchMaster(); // the master runs
    QVERIFY(rig.waitIdle());
    QVERIFY(rig.ops().Scheduler().MasterActive());

    const std::vector<LIN_SchedulerEntry> edited{{50, 0x3C}, {10, 0x01}, {25, 0x10}};
    rig.op().entriesDialog = [&](const std::vector<LIN_SchedulerEntry> &, bool) {
        return std::optional(edited);
    };
    const auto before = rig.host().requests().size();
    rig.ops().Scheduler().Adjust();
    QVERIFY(rig.waitIdle(10000));
    QCOMPARE(rig.op().entriesShown.size(), std::size_t(1));
    QCOMPARE(rig.op().entriesShown[0],
             (std::vector<LIN_SchedulerEntry>{{10, 0x01}, {20, 0x02}, {30, 0x03}}));
    QVERIFY(rig.op().entriesEditable[0]);
    QCOMPARE(rig.op().boxTexts(),
             QStringList{"The current scheduler entries will be modified. Procced?"});
    const QStringList sent = rig.requestTexts().mid(int(before));
    QCOMPARE(sent,
             (QStringList{"2/21/4 01",
                          "2/21/4 02",
                          "2/21/4 03",
                          "2/51/5",
                          "2/40/6 32003C",
                          "2/40/6 0A0001",
                          "2/40/6 190010",
                          "2/36/1 01"}));
    // A second's pause between the delete's reply and the first add.
    const auto requests = rig.host().requests();
    const auto &del = requests[before + 3];
    const auto &add = requests[before + 4];
    QVERIFY2(add.ms - del.ms >= 1000.0, qPrintable(QString::number(add.ms - del.ms)));
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 3);
    QVERIFY(rig.ops().Scheduler().MasterActive());
    const auto lin = rig.host().config().LIN;
    QCOMPARE(lin.SchedulerEntries[0], (LIN_SchedulerEntry{50, 0x3C}));
    QCOMPARE(lin.MasterStatus, std::uint16_t(1));
}

void TestScheduler::adjustWithEmptyListDiscards()
{
    OpsRig rig;
    rig.host().withModel(threeEntries);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().entriesDialog = [](const std::vector<LIN_SchedulerEntry> &, bool) {
        return std::optional(std::vector<LIN_SchedulerEntry>{});
    };
    rig.ops().Scheduler().SetEditable(true);
    rig.ops().Scheduler().Adjust();
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.op().boxTexts(), QStringList{"The current entries will be deleted. Procced?"});
    QCOMPARE(rig.requestTexts().last(), QStringLiteral("2/51/2"));
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(0));
}

void TestScheduler::refusedEntryIsReportedAndOthersCounted_data()
{
    QTest::addColumn<bool>("masterWasOn");
    QTest::newRow("master on: switched on again") << true;
    QTest::newRow("master off: left off") << false;
}

void TestScheduler::refusedEntryIsReportedAndOthersCounted()
{
    QFETCH(bool, masterWasOn);
    OpsRig rig;
    rig.host().withModel(threeEntries);
    QVERIFY(onMessagesView(rig));
    if (masterWasOn) {
        rig.ops().Scheduler().SwitchMaster();
        QVERIFY(rig.waitIdle());
        QVERIFY(rig.ops().Scheduler().MasterActive());
    }
    rig.op().entriesDialog = [](const std::vector<LIN_SchedulerEntry> &, bool) {
        return std::optional(std::vector<LIN_SchedulerEntry>{{50, 0x3C}, {10, 0x01}, {25, 0x10}});
    };
    rig.host().withModel([](sim::ModuleModel &m) { m.ForceReturnCodeOnce(2, 40, 2, 12); });
    const auto before = rig.host().requests().size();
    rig.ops().Scheduler().Adjust();
    QVERIFY(rig.waitIdle(10000));

    QCOMPARE(rig.op().notices, QStringList{"Error adding entry: The given timestamp is invalid."});
    QCOMPARE(rig.op().boxTexts(),
             QStringList{"The current scheduler entries will be modified. Procced?"});
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 2);
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(2));
    QVERIFY(rig.ops().Enabled(Command::DiscardScheduler));
    const QStringList sent = rig.requestTexts().mid(int(before));
    QCOMPARE(sent.count(QStringLiteral("2/36/1 01")), masterWasOn ? 1 : 0);
    QCOMPARE(sent.last(),
             masterWasOn ? QStringLiteral("2/36/1 01") : QStringLiteral("2/40/6 190010"));
    QCOMPARE(rig.ops().Scheduler().MasterActive(), masterWasOn);
    QCOMPARE(rig.ops().Enabled(Command::MasterOff), masterWasOn);
    QCOMPARE(rig.ops().Enabled(Command::MasterOn), !masterWasOn);
}

void TestScheduler::moduleEntriesShownViewOnly()
{
    OpsRig rig;
    rig.host().withModel(threeEntries);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.ops().Scheduler().SetEditable(true);
    rig.ops().Scheduler().ShowModuleEntries();
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.op().entriesEditable, std::vector<bool>{false});
    QCOMPARE(rig.op().entriesShown[0].size(), std::size_t(3));
    QCOMPARE(rig.op().colors.back(), rig.ops().Settings().ColorOn);
}

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"

// Between emptying the scheduler and adding the new entries the rewrite waits a second; what
// happens meanwhile must neither free the exchange nor leave the deferred step to run later.
void TestScheduler::rewritePauseEndsWithTheConnection_data()
{
    QTest::addColumn<bool>("disconnect");
    QTest::newRow("disconnect") << true;
    QTest::newRow("stray reply") << false;
}

void TestScheduler::rewritePauseEndsWithTheConnection()
{
    QFETCH(bool, disconnect);
    OpsRig rig;
    rig.host().withModel(threeEntries);
    QVERIFY(onMessagesView(rig));
    rig.op().entriesDialog = [](const std::vector<LIN_SchedulerEntry> &, bool) {
        return std::optional(std::vector<LIN_SchedulerEntry>{{50, 0x3C}});
    };
    rig.ops().Scheduler().Adjust();
    // The delete's reply has been taken: the exchange is marked, its timer stopped.
    QTRY_VERIFY_WITH_TIMEOUT(rig.requestTexts().contains("2/51/5") && !rig.ops().IsIdle()
                                 && !rig.ops().Engine().TimerRunning(),
                             8000);
    const auto before = rig.host().requests().size();
    if (disconnect) {
        rig.ops().Conn().DropConnection();
        QVERIFY(rig.ops().IsIdle());
    } else {
        // An entry reply nobody asked for.
        LIN_Msg stray;
        stray.start = 0x02;
        stray.header = MakeHeader(4, 3);
        stray.data[0] = 0x10;
        stray.data[2] = 0x3F;
        stray.count = 3;
        stray.checksum = std::uint8_t(stray.header ^ 0x10 ^ 0x3F);
        rig.host().sendOwnMessage(stray);
    }
    QTest::qWait(1500); // longer than the pause
    if (disconnect) {
        QVERIFY(rig.op().boxTexts(BoxKind::Error).isEmpty());
        QCOMPARE(rig.host().requests().size(), before);
        QVERIFY(rig.ops().IsIdle());
        return;
    }
    QVERIFY(rig.waitIdle(8000));
    QCOMPARE(rig.requestTexts().mid(int(before)), (QStringList{"2/40/6 32003C"}));
    QCOMPARE(rig.op().entriesShown.size(), std::size_t(1));
    QCOMPARE(rig.ops().Scheduler().EntryCount(), 1);
}

// Starting the log or opening a profile recomputes every command state; ON, OFF and Discard
// keep the scheduler's rule through that (ON and OFF share one handler: an enabled "OFF" with
// the master off would switch it on).
void TestScheduler::masterButtonsKeepTheirRuleOnRecompute_data()
{
    QTest::addColumn<bool>("entries");
    QTest::addColumn<bool>("masterOn");
    QTest::newRow("entries, master off") << true << false;
    QTest::newRow("entries, master on") << true << true;
    QTest::newRow("no entries") << false << false;
}

void TestScheduler::masterButtonsKeepTheirRuleOnRecompute()
{
    QFETCH(bool, entries);
    QFETCH(bool, masterOn);
    OpsRig rig;
    if (entries)
        rig.host().withModel(threeEntries);
    QVERIFY(onMessagesView(rig));
    if (masterOn) {
        rig.ops().Scheduler().SwitchMaster();
        QVERIFY(rig.waitIdle());
    }
    QCOMPARE(rig.ops().Scheduler().MasterActive(), masterOn);
    for (int round = 0; round < 2; ++round) {
        QCOMPARE(rig.ops().Enabled(Command::DiscardScheduler), entries);
        QCOMPARE(rig.ops().Enabled(Command::MasterOff), entries && masterOn);
        QCOMPARE(rig.ops().Enabled(Command::MasterOn), entries && !masterOn);
        rig.ops().UpdateCommandStates();
    }
    QVERIFY(rig.ops().Enabled(Command::ModifyScheduler));
}
