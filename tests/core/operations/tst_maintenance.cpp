// Maintenance against the emulator: Defaults from the menu followed by the current view's
// activation, the reset question after a flash save, and programming mode with every text the
// user sees on its way.

#include "core/link/lin_port.h"
#include "core/operations/console_logic.h"
#include "core/operations/maintenance.h"
#include "core/operations/operations.h"
#include "core/operations/profile_send.h"
#include "ops_fixture.h"

#include <QRegularExpression>
#include <QTest>

using namespace vxl;
using namespace vxl::test;

using Action = std::function<void(Operations &)>;
Q_DECLARE_METATYPE(Action)

namespace {

const QString kFlashQuestion = QStringLiteral(
    "The current module configuration will be copied in its flash memory.  Proceed?");
const QString kResetQuestion = QStringLiteral(
    "The profile was saved in the flash memory of the module. A module's reset must be issued "
    "in order to use the new configuration. Do you want to this now?");

const QString kPrepare = QStringLiteral(
    "The module will be prepared to be programmed. Do you want to continue?");

// The requests that followed the first one equal to `marker`.
QStringList requestsAfter(OpsRig &rig, const QString &marker)
{
    const QStringList all = rig.requestTexts();
    const qsizetype at = all.indexOf(marker);
    return at < 0 ? QStringList{QStringLiteral("<no %1>").arg(marker)} : all.mid(at + 1);
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void defaultsFromTheMenuRerunTheViewsActivation_data();
    void defaultsFromTheMenuRerunTheViewsActivation();
    void resetQuestionOnlyAfterAFlashSave_data();
    void resetQuestionOnlyAfterAFlashSave();
    void programmingModeDisconnects();
    void programmingModeDeclinedSendsNothing();
    void programmingModeRefusedWhenNotConnectedOrBusy();
    void strayAnswerToProgrammingRequestIsReported();
};

void TestMaintenance::defaultsFromTheMenuRerunTheViewsActivation_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<QStringList>("after"); // the requests that follow the defaults request
    QTest::newRow("module data view, menu: the module is read again")
        << int(View::ModuleData) << true << QStringList{"3/0/0", "3/1/1"};
    QTest::newRow("module data view, button: nothing follows")
        << int(View::ModuleData) << false << QStringList{};
    QTest::newRow("profiles view, menu: the module is identified")
        << int(View::Profiles) << true << QStringList{"3/0/0", "3/1/1"};
    QTest::newRow("messages view, menu: the master status is read")
        << int(View::Messages) << true << QStringList{"2/16/0"};
    QTest::newRow("advanced view, menu: nothing to read")
        << int(View::Advanced) << true << QStringList{};
}

void TestMaintenance::defaultsFromTheMenuRerunTheViewsActivation()
{
    QFETCH(int, view);
    QFETCH(bool, fromMenu);
    QFETCH(QStringList, after);
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().view = View(view);
    rig.host().clearTranscript();
    rig.ops().Maint().SetDefaultsAction(fromMenu);
    QVERIFY(rig.waitIdle());
    QTest::qWait(200); // nothing else is on its way
    QVERIFY(rig.waitIdle());
    QStringList got = requestsAfter(rig, "3/2/3");
    // A read goes on beyond its identification; only its start matters here.
    got = got.mid(0, after.size() + (after.isEmpty() ? 1 : 0));
    QCOMPARE(got, after);
    QVERIFY2(rig.op().boxes.empty(), qPrintable(rig.op().boxTexts().join(" | ")));
    QCOMPARE(rig.ops().Console().Lines(3, false).size(), 1);
}

void TestMaintenance::resetQuestionOnlyAfterAFlashSave_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("asked");       // the reset question after the flash save
    QTest::addColumn<bool>("tickedAfter"); // "Put in Flash Memory"
    QTest::addColumn<bool>("reset");       // the module was reset
    const Action menuDefaults = [](Operations &o) { o.Maint().SetDefaultsAction(true); };
    const Action buttonDefaults = [](Operations &o) { o.Maint().SetDefaultsAction(false); };
    const Action flashSave = [](Operations &o) { o.Maint().FlashSaveAction(); };
    const Action send = [](Operations &o) { o.Sender().SendProfile(); };
    QTest::newRow("defaults from the menu, profiles view: nothing about flash")
        << int(View::Profiles) << menuDefaults << false << true << false;
    QTest::newRow("defaults from the button, profiles view: nothing about flash")
        << int(View::Profiles) << buttonDefaults << false << true << false;
    QTest::newRow("flash save, profiles view: the question, answered NO")
        << int(View::Profiles) << flashSave << true << false << false;
    QTest::newRow("flash save, advanced view: reset without a question")
        << int(View::Advanced) << flashSave << false << false << true;
    QTest::newRow("profile send with flash save: the question, answered NO")
        << int(View::Profiles) << send << true << false << false;
}

void TestMaintenance::resetQuestionOnlyAfterAFlashSave()
{
    QFETCH(int, view);
    QFETCH(Action, action);
    QFETCH(bool, asked);
    QFETCH(bool, tickedAfter);
    QFETCH(bool, reset);
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().view = View(view);
    rig.op().profile = ModuleConfig::NewProfile();
    // Pointing at the profile's "Send" ticked the box.
    rig.ops().SetFlashWriteTicked(true);
    rig.op().answers = {BoxResult::Yes, BoxResult::No}; // copy to flash: yes; reset: no
    rig.host().clearTranscript();
    action(rig.ops());
    QVERIFY(rig.waitIdle(15000));
    QTest::qWait(200); // nothing else is on its way
    QVERIFY(rig.waitIdle(15000));
    QCOMPARE(rig.op().boxTexts().count(kResetQuestion), asked ? 1 : 0);
    QCOMPARE(rig.ops().FlashWriteTicked(), tickedAfter);
    QCOMPARE(rig.requestTexts().contains("3/4/3"), reset);
    QVERIFY(rig.ops().IsConnected());
}

void TestMaintenance::programmingModeDisconnects()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QVERIFY(rig.ops().Enabled(Command::ProgrammingMode));
    rig.host().clearTranscript();
    rig.ops().Maint().ProgrammingModeCommand();
    QTRY_VERIFY(!rig.ops().IsConnected());
    const QStringList requests = rig.requestTexts();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests.mid(0, 2), (QStringList{"3/0/0", "3/1/1"}));
    QVERIFY2(requests[2].startsWith("3/63/2 "), qPrintable(requests[2]));
    QCOMPARE(rig.op().boxTexts(),
             (QStringList{kPrepare,
                          "The module is ready to receive the new Hex file. Disconnection made"}));
    QCOMPARE(rig.op().boxes[1].kind, BoxKind::Information);
    QCOMPARE(rig.op().boxes[1].statusLine, QStringLiteral(" Not connected. "));
    QVERIFY(rig.host().withModel([](sim::ModuleModel &m) { return m.InProgrammingMode(); }));
    QVERIFY(!rig.ops().Link().IsOpen());
}

void TestMaintenance::programmingModeDeclinedSendsNothing()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.host().clearTranscript();
    rig.op().answers.push_back(BoxResult::No);
    rig.ops().Maint().ProgrammingModeCommand();
    QTest::qWait(200);
    QCOMPARE(rig.op().boxTexts(), QStringList{kPrepare});
    QVERIFY(rig.requestTexts().isEmpty());
    QVERIFY(rig.ops().IsConnected());
}

void TestMaintenance::programmingModeRefusedWhenNotConnectedOrBusy()
{
    OpsRig rig;
    rig.ops().Maint().IdentifyModule(2);
    QCOMPARE(rig.op().boxTexts(BoxKind::Error), QStringList{"There is not an active connection"});
    QVERIFY(rig.requestTexts().isEmpty());

    QVERIFY(rig.connect()); // the module read starts
    QVERIFY(!rig.ops().IsIdle());
    rig.ops().Maint().ProgrammingModeCommand();
    QCOMPARE(rig.op().boxTexts().last(), kPrepare);
    QCOMPARE(rig.op().notices.last(), QStringLiteral("Action in progress. Please wait..."));
    QVERIFY(rig.waitIdle());
    QVERIFY(rig.requestTexts().filter(QRegularExpression("^3/63/")).isEmpty());
    QVERIFY(rig.ops().IsConnected());
}

void TestMaintenance::strayAnswerToProgrammingRequestIsReported()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.host().setSilent(true);
    rig.host().clearTranscript();
    rig.ops().Maint().ProgrammingModeCommand();
    QVERIFY(rig.waitRequests(1));
    QCOMPARE(rig.requestTexts(), QStringList{"3/0/0"});
    // An answer carrying the programming request's sequence number, which the module never
    // sends in reply to the identification.
    LIN_Msg stray;
    stray.start = kStartByte;
    stray.header = MakeHeader(2, 1);
    stray.data[0] = 0;
    stray.count = 1;
    stray.checksum = stray.header;
    rig.host().sendOwnMessage(stray);
    QTRY_COMPARE(rig.op().boxTexts(BoxKind::Error),
                 QStringList{"Error: Answer to an ISP request was received"});
    QVERIFY(rig.ops().IsIdle());
    QVERIFY(rig.ops().IsConnected());
}

QTEST_GUILESS_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
