// Silence and busy: every kind of exchange timing out against a silent emulator shows its own
// texts in order and drops the connection; every starter refuses while another exchange runs.

#include "core/link/lin_port.h"
#include "core/operations/connection.h"
#include "core/operations/console_logic.h"
#include "core/operations/frame_info_read.h"
#include "core/operations/maintenance.h"
#include "core/operations/module_read.h"
#include "core/operations/operations.h"
#include "core/operations/profile_send.h"
#include "core/operations/scheduler_control.h"
#include "core/trace/trace_list.h"
#include "ops_fixture.h"

#include <QTest>
#include <QTimer>

#include <functional>

using namespace vxl;
using namespace vxl::test;

using Action = std::function<void(Operations &)>;
Q_DECLARE_METATYPE(Action)

namespace {

const QString kLostAtRate = QStringLiteral("Connection lost because Bit rate change.  Please "
                                           "connect again with a Bit rate of 38400 bit/s");

// Connected and idle, then the module goes silent and the time-out is 1 s.
bool silence(OpsRig &rig)
{
    if (!rig.connect() || !rig.waitIdle())
        return false;
    rig.setTimeout(1);
    rig.host().setSilent(true);
    return true;
}

} // namespace

class TestTimeouts : public QObject
{
    Q_OBJECT

private slots:
    void silentModule_data();
    void silentModule();
    void rawCommandNotesTheTree();
    void firstTickAfterArming();
    void defaultsAtOtherRateLosesConnection();
    void busyStartersRefuse_data();
    void busyStartersRefuse();
    void ownMessagesGoToTraceDuringTransaction();
    void lateReplyWhileBoxIsOpenIsDropped();
    void pendingIdentificationKeepsToItsOwnReplies();
};

void TestTimeouts::silentModule_data()
{
    QTest::addColumn<Action>("start");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("droppedBeforeBox");
    QTest::newRow("scheduler step")
        << Action([](Operations &o) { o.Scheduler().ReadMasterStatus(); })
        << "The TIME OUT for waiting an answer from the module: 1 second was reached.  Timeout "
           "reached processing the LIN group: 2 - LIN code: 16"
        << false;
    QTest::newRow("raw command") << Action([](Operations &o) {
        auto &console = o.Console();
        console.SetGroup(2);
        console.SetMode(1);
        console.SelectEntry(1);
        console.Send();
    }) << "The connection to the module was broken."
                                 << false;
    QTest::newRow("programming mode")
        << Action([](Operations &o) { o.Maint().IdentifyModule(2); })
        << "Error entering in programming mode. Timeout reached waiting acknowledge message"
        << false;
    QTest::newRow("frame information")
        << Action([](Operations &o) { o.FrameInfo().ReadFrameInfo(); })
        << "A timeout was reached while waiting for frame configuration information. Waiting an "
           "acknowledge message from Group 2 code 27"
        << false;
    QTest::newRow("module read")
        << Action([](Operations &o) { o.Reader().StartModuleRead(); })
        << "Error retreiving information from the module.  Check the RS-232 connection, the "
           "program connection and try again. "
        << true;
}

void TestTimeouts::silentModule()
{
    QFETCH(Action, start);
    QFETCH(QString, text);
    QFETCH(bool, droppedBeforeBox);
    OpsRig rig;
    QVERIFY(silence(rig));
    start(rig.ops());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.op().boxes.size(), std::size_t(1), 5000);
    QCOMPARE(rig.op().boxes[0].text, text);
    QCOMPARE(rig.op().boxes[0].kind, BoxKind::Error);
    // The module read drops the connection before it tells; the others tell first.
    QCOMPARE(rig.op().boxes[0].statusLine == " Not connected. ", droppedBeforeBox);
    QVERIFY(rig.ops().IsIdle());
    QVERIFY(!rig.ops().Engine().IsActive(TransactionKind::tkProgrammingMode));
    QVERIFY(!rig.ops().Engine().TimerRunning());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Not connected. "));
    QCOMPARE(rig.op().colors.back(), rig.ops().Settings().ColorOff);
    QVERIFY(!rig.ops().Link().IsConnected());
}

void TestTimeouts::rawCommandNotesTheTree()
{
    OpsRig rig;
    QVERIFY(silence(rig));
    auto &console = rig.ops().Console();
    console.SetGroup(1);
    console.SetMode(1);
    console.SelectEntry(1);
    console.Send();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 10000);
    QCOMPARE(console.Lines(1, true),
             QStringList{"0 - The TIME OUT for waiting an answer from the module: 1 second was "
                         "reached.  Timeout reached processing the LIN group: 1 - LIN code: 10"});
}

void TestTimeouts::firstTickAfterArming()
{
    OpsRig rig;
    QVERIFY(silence(rig));
    // Timers of one event loop fire in the order they were due, however late: the box comes
    // between a mark due just before one second after the request and one due just after.
    std::vector<std::size_t> boxesAt;
    QObject marks; // the marks go with the test
    const auto mark = [&rig, &boxesAt, &marks](int ms) {
        QTimer::singleShot(ms, Qt::PreciseTimer, &marks, [&rig, &boxesAt] {
            boxesAt.push_back(rig.op().boxes.size());
        });
    };
    mark(900);
    rig.ops().Scheduler().ReadMasterStatus();
    mark(1100);
    QTRY_COMPARE_WITH_TIMEOUT(boxesAt.size(), std::size_t(2), 10000);
    QCOMPARE(boxesAt, (std::vector<std::size_t>{0, 1}));
}

void TestTimeouts::defaultsAtOtherRateLosesConnection()
{
    sim::EmulatorOptions options;
    options.rate = 57600;
    OpsRig rig(options);
    QVERIFY(rig.connect(57600));
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Connected to COM5 at 57600 bit/s"));
    rig.setTimeout(1);
    rig.op().view = View::Advanced;
    rig.ops().Maint().SetDefaultsAction();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.op().boxTexts(), QStringList{kLostAtRate}, 5000);
    QVERIFY(!rig.ops().Engine().DefaultsRateWarning());
    QCOMPARE(rig.host().withModel([](sim::ModuleModel &m) { return m.LineRate(); }), 38400u);
    QCOMPARE(rig.ops().Console().Lines(3, false), QStringList{"0 - Set Default Values"});
}

void TestTimeouts::busyStartersRefuse_data()
{
    QTest::addColumn<Action>("start");
    QTest::addColumn<QString>("notice");
    const QString lower = "Action in progress. Please wait...";
    const QString upper = "Action in Progress. Please Wait...";
    QTest::newRow("module read") << Action([](Operations &o) { o.Reader().StartModuleRead(); })
                                 << lower;
    QTest::newRow("new from module")
        << Action([](Operations &o) { o.Reader().NewFromModule(); }) << lower;
    QTest::newRow("save module data")
        << Action([](Operations &o) { o.Reader().SaveModuleDataAsProfile(); }) << lower;
    QTest::newRow("frames") << Action([](Operations &o) { o.ShowModuleFrames(); }) << lower;
    QTest::newRow("master status")
        << Action([](Operations &o) { o.Scheduler().ReadMasterStatus(); }) << lower;
    QTest::newRow("on/off") << Action([](Operations &o) { o.Scheduler().SwitchMaster(); }) << lower;
    QTest::newRow("discard") << Action([](Operations &o) { o.Scheduler().Discard(); }) << lower;
    QTest::newRow("adjust") << Action([](Operations &o) { o.Scheduler().Adjust(); }) << lower;
    QTest::newRow("send") << Action([](Operations &o) { o.Sender().SendProfile(); }) << lower;
    QTest::newRow("identify") << Action([](Operations &o) { o.Maint().IdentifyModule(1); })
                              << lower;
    QTest::newRow("frame info") << Action([](Operations &o) { o.FrameInfo().ReadFrameInfo(); })
                                << lower;
    QTest::newRow("reset") << Action([](Operations &o) { o.Maint().ResetModuleAction(); }) << upper;
    QTest::newRow("defaults") << Action([](Operations &o) { o.Maint().SetDefaultsAction(); })
                              << upper;
    QTest::newRow("flash save") << Action([](Operations &o) { o.Maint().FlashSaveAction(); })
                                << upper;
    QTest::newRow("console send") << Action([](Operations &o) {
        o.Console().SetMode(1);
        o.Console().SelectEntry(1);
        o.Console().Send();
    }) << QString();
}

void TestTimeouts::busyStartersRefuse()
{
    QFETCH(Action, start);
    QFETCH(QString, notice);
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().profile = ModuleConfig::NewProfile();
    rig.host().setSilent(true);
    const auto before = rig.host().requests().size() + 1;
    rig.ops().Scheduler().ReadMasterStatus(); // stays unanswered
    QVERIFY(rig.waitRequests(before));
    start(rig.ops());
    QTest::qWait(100);
    QCOMPARE(rig.host().requests().size(), before);
    QCOMPARE(rig.ops().Link().OutgoingCount(), std::size_t(0));
    QCOMPARE(rig.op().notices, notice.isEmpty() ? QStringList{} : QStringList{notice});
    QVERIFY(rig.op().boxes.empty());
}

void TestTimeouts::ownMessagesGoToTraceDuringTransaction()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    // During the module read the module forwards a LIN frame of its own.
    rig.host().sendOwnMessage(sim::MakeLinFrameMessage(0x21, {1, 2, 3, 4}));
    QVERIFY(rig.waitIdle());
    QVERIFY(rig.op().boxes.empty());
    QCOMPARE(rig.ops().Grid()[1][2], QStringLiteral("Enabled"));
    QTRY_COMPARE(rig.ops().Trace().Count(), 1);
}

void TestTimeouts::lateReplyWhileBoxIsOpenIsDropped()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.setTimeout(1);
    // The reply comes 2.5 s late, while the time-out's box (from 1 s to 3.5 s) is still open; the
    // wide margins keep that order on a busy machine.
    rig.host().setReplyDelayMs(2500);
    rig.op().boxOpenMs = 2500;
    rig.ops().Scheduler().SwitchMaster();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.op().boxes.empty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 10000);
    QVERIFY(rig.ops().IsIdle());
    QCOMPARE(rig.op().boxes.size(), std::size_t(1));
    // The master state believed is unchanged: the reply was not taken.
    QVERIFY(!rig.ops().Scheduler().MasterActive());
}

// The identification a profiles-view activation starts does not block other actions; an
// exchange started meanwhile must get its own replies, and the identification must still end.
void TestTimeouts::pendingIdentificationKeepsToItsOwnReplies()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    const QString hardware = rig.ops().ModuleCopy().Module.HardwareText;
    const QString firmware = rig.ops().ModuleCopy().Module.FirmwareText;
    const auto lengths = rig.host().config().LIN.FrameLengths;
    rig.op().view = View::Profiles;
    rig.ops().ActivateView(View::Profiles);
    auto &engine = rig.ops().Engine();
    QVERIFY(engine.IsActive(TransactionKind::tkProgrammingMode));
    rig.ops().FrameInfo().ReadFrameInfo();
    QVERIFY(engine.IsActive(TransactionKind::tkFrameInfo));
    QTRY_VERIFY_WITH_TIMEOUT(!engine.IsActive(TransactionKind::tkProgrammingMode)
                                 && !engine.IsActive(TransactionKind::tkFrameInfo),
                             8000);
    QCOMPARE(rig.ops().ModuleCopy().Module.HardwareText, hardware);
    QCOMPARE(rig.ops().ModuleCopy().Module.FirmwareText, firmware);
    QCOMPARE(rig.ops().ModuleCopy().LIN.FrameLengths, lengths);
    QVERIFY(rig.ops().IsConnected());
    QVERIFY(rig.op().boxes.empty());
}

QTEST_GUILESS_MAIN(TestTimeouts)
#include "tst_timeouts.moc"
