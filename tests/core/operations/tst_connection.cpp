// Connecting, the start modes, Check connection, Disconnect, and programming mode, against the
// emulator on a pty.

#include "core/link/lin_port.h"
#include "core/link/status_text.h"
#include "core/operations/connection.h"
#include "core/operations/maintenance.h"
#include "core/operations/operations.h"
#include "core/operations/scheduler_control.h"
#include "ops_fixture.h"

#include <QElapsedTimer>
#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

VXLIN_Values startMode(int mode, int port)
{
    VXLIN_Values settings = OpsRig::fastSettings();
    settings.StartMode = std::uint8_t(mode);
    settings.Port = port;
    return settings;
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void bitRateList_data();
    void bitRateList();
    void startModeOneTouchesNothing();
    void startModeThreeConnectsAndReads();
    void startModeThreeSilentOpensDialog();
    void dialogRetryOnPortWithoutModule();
    void checkConnectionWhileBusy();
    void checkConnectionFindsSilence();
    void checkReconnectsAfterTimeout();
    void disconnectWhileBusyAsks();
    void programmingModeDisconnects();
    void identificationOnlyEndsAfterFirmware();
};

void TestConnection::bitRateList_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("index");
    QTest::newRow("4800") << 4800 << 0;
    QTest::newRow("115200") << 115200 << 5;
    QTest::newRow("14400 not listed") << 14400 << 3;
    QTest::newRow("0") << 0 << 3;
}

void TestConnection::bitRateList()
{
    QFETCH(int, rate);
    QFETCH(int, index);
    QCOMPARE(BitRateIndex(rate), index);
    QCOMPARE(BitRateAt(-1), 38400);
    QCOMPARE(BitRateAt(6), 38400);
    QCOMPARE(BitRateText(BitRateAt(index)), QString::number(BitRateAt(index)) + " bit/s");
}

void TestConnection::startModeOneTouchesNothing()
{
    OpsRig rig({}, startMode(1, 5));
    rig.ops().Conn().ApplyStartMode();
    QTest::qWait(300);
    QVERIFY(!rig.host().toolPresent());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Not connected. "));
    QCOMPARE(rig.op().colors.back(), rig.ops().Settings().ColorOff);
    QCOMPARE(rig.op().connectDialogsOpened, 0);
    QVERIFY(!rig.ops().Enabled(Command::CheckConnection));
    QVERIFY(!rig.ops().Enabled(Command::Reset));
}

void TestConnection::startModeThreeConnectsAndReads()
{
    OpsRig rig({}, startMode(3, 5));
    rig.ops().Conn().ApplyStartMode();
    QVERIFY(rig.ops().IsConnected());
    rig.ops().Conn().UpdateConnectionState();
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Connected to COM5 at 38400 bit/s"));
    QCOMPARE(rig.ops().Grid()[9][3], QStringLiteral("0 - 0 - 0 - 0"));
    QVERIFY(rig.ops().Enabled(Command::CheckConnection));
    QVERIFY(rig.ops().Enabled(Command::Reset));
    QCOMPARE(rig.op().connectDialogsOpened, 0);
}

void TestConnection::startModeThreeSilentOpensDialog()
{
    OpsRig rig({}, startMode(3, 5));
    rig.host().setSilent(true);
    QElapsedTimer timer;
    timer.start();
    rig.ops().Conn().ApplyStartMode();
    QVERIFY(!rig.ops().IsConnected());
    QCOMPARE(rig.op().connectDialogsOpened, 1);
    QVERIFY2(timer.elapsed() >= 200, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!rig.ops().Link().IsConnected());
}

void TestConnection::dialogRetryOnPortWithoutModule()
{
    OpsRig rig({}, startMode(2, 5));
    rig.host().setSilent(true);
    rig.op().connectChoices = {ConnectChoice{5, 38400}, ConnectChoice{5, 38400}};
    rig.op().answers = {BoxResult::Yes, BoxResult::No};
    rig.ops().Conn().ApplyStartMode();
    QCOMPARE(rig.op().connectDialogsOpened, 1); // no new scan
    QCOMPARE(rig.op().connectDialogExecs, 2);
    const QString question = OperatorMessage(0, 5, 64);
    QCOMPARE(rig.op().boxTexts(), (QStringList{question, question}));
    QVERIFY(question.startsWith("Try to connect to port/module: 5 failed"));
    QCOMPARE(rig.op().boxes[0].kind, BoxKind::Question);
    QVERIFY(!rig.ops().IsConnected());
}

void TestConnection::checkConnectionWhileBusy()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(!rig.ops().IsIdle());
    rig.host().setSilent(true);
    const auto before = rig.host().requests().size();
    rig.ops().Conn().CheckConnection();
    QCOMPARE(rig.op().notices, QStringList{"The connection is alive"});
    QTest::qWait(100);
    QVERIFY(rig.host().requests().size() <= before + 3); // only what the read had queued
    for (const auto &text : rig.requestTexts().mid(int(before)))
        QVERIFY(text != "3/1/7");
}

void TestConnection::checkConnectionFindsSilence()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.ops().Conn().CheckConnection();
    QCOMPARE(rig.op().notices, QStringList{"The connection is alive"});
    // A confirmed connection is read again.
    QVERIFY(!rig.ops().IsIdle());
    QVERIFY(rig.waitIdle());
    rig.host().setSilent(true);
    rig.ops().Conn().CheckConnection();
    QCOMPARE(rig.op().boxTexts(), QStringList{"There is no longer an active connection"});
    QCOMPARE(rig.op().boxes[0].kind, BoxKind::Information);
    QVERIFY(!rig.ops().IsConnected());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Not connected. "));
    // Reconnecting fails while the module stays silent.
    rig.ops().Conn().CheckConnection();
    QCOMPARE(rig.op().boxTexts().last(),
             QStringLiteral("Try to connect/reconnect with the port 5 with 38400 kbs.Check the "
                            "configuration and hardware."));
}

void TestConnection::checkReconnectsAfterTimeout()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.setTimeout(1);
    rig.host().setSilent(true);
    rig.ops().Scheduler().ReadMasterStatus();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 10000);
    rig.host().setSilent(false);
    rig.setTimeout(10); // room for the read that follows on a busy machine
    rig.ops().Conn().CheckConnection();
    QVERIFY(rig.ops().IsConnected());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Connected to COM5 at 38400 bit/s"));
}

void TestConnection::disconnectWhileBusyAsks()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(!rig.ops().IsIdle());
    rig.op().answers = {BoxResult::No};
    rig.ops().Conn().DisconnectCommand();
    QVERIFY(rig.ops().IsConnected());
    QCOMPARE(rig.op().boxTexts(),
             QStringList{"A process is executing right now. Finish connection?"});
    rig.op().answers = {BoxResult::Yes};
    rig.ops().Conn().DisconnectCommand();
    QVERIFY(!rig.ops().IsConnected());
    QVERIFY(rig.ops().IsIdle());
    for (int k = 0; k < kTransactionKinds; ++k)
        QVERIFY(!rig.ops().Engine().IsActive(TransactionKind(k)));
    QVERIFY(!rig.ops().Link().IsConnected());
    QCOMPARE(rig.op().statusLine, QStringLiteral(" Not connected. "));
    QTRY_VERIFY(!rig.host().toolPresent());
}

void TestConnection::programmingModeDisconnects()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QVERIFY(rig.ops().Enabled(Command::ProgrammingMode));
    rig.op().answers = {BoxResult::Yes};
    const auto before = rig.host().requests().size();
    rig.ops().Maint().ProgrammingModeCommand();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 10000);
    QCOMPARE(rig.op().boxTexts(),
             (QStringList{"The module will be prepared to be programmed. Do you want to continue?",
                          "The module is ready to receive the new Hex file. Disconnection made"}));
    const QStringList sent = rig.requestTexts().mid(int(before));
    QCOMPARE(sent.mid(0, 2), (QStringList{"3/0/0", "3/1/1"}));
    QVERIFY(sent.at(2).startsWith("3/63/2 "));
    QVERIFY(rig.host().withModel([](sim::ModuleModel &m) { return m.InProgrammingMode(); }));
}

void TestConnection::identificationOnlyEndsAfterFirmware()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.host().withModel([](sim::ModuleModel &) {});
    const auto before = rig.host().requests().size();
    rig.ops().Maint().IdentifyModule(1);
    // The identification does not count as busy: wait for its own end, not for idleness.
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().Engine().IsActive(TransactionKind::tkProgrammingMode),
                             10000);
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.requestTexts().mid(int(before)), (QStringList{"3/0/0", "3/1/1"}));
    QVERIFY(rig.ops().IsConnected());
    QVERIFY(rig.op().boxes.empty());
}

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
