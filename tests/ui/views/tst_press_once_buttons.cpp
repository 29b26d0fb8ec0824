// The "Messages and Scheduler" view offscreen, bound to the operations of the tool talking to the
// emulated module over a pty: what its master and scheduler buttons are left in after a click
// whose action asked the user something.

#include "core/operations/connection.h"
#include "core/operations/operations.h"
#include "support/ops_fixture.h"
#include "support/test_support.h"
#include "ui/views/command_controls.h"
#include "ui/views/messages_view.h"

#include <QPushButton>
#include <QtTest>

using namespace vxl;
using namespace vxl::test;

namespace {

void twoEntries(sim::ModuleModel &m)
{
    auto &lin = m.Config().LIN;
    lin.SchedulerCount = 2;
    lin.SchedulerEntries[0] = {10, 0x01};
    lin.SchedulerEntries[1] = {20, 0x02};
}

} // namespace

class TestPressOnceButtons : public QObject
{
    Q_OBJECT

private slots:
    void pressedButtonEndsInOperationsState_data();
    void pressedButtonEndsInOperationsState();
};

void TestPressOnceButtons::pressedButtonEndsInOperationsState_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("withEntries");
    QTest::addColumn<bool>("dropWhileAsking");
    QTest::addColumn<bool>("enabledAfter");

    // "Discard" asks first; "Adjust" on an empty scheduler opens the entries dialog at once.
    QTest::newRow("Discard answered NO") << "btbDiscardScheduler" << true << false << true;
    QTest::newRow("Discard, connection lost while asking")
        << "btbDiscardScheduler" << true << true << false;
    QTest::newRow("Adjust dialog cancelled") << "btbModifyScheduler" << false << false << true;
    QTest::newRow("Adjust, connection lost in its dialog")
        << "btbModifyScheduler" << false << true << false;
}

void TestPressOnceButtons::pressedButtonEndsInOperationsState()
{
    QFETCH(QString, button);
    QFETCH(bool, withEntries);
    QFETCH(bool, dropWhileAsking);
    QFETCH(bool, enabledAfter);

    OpsRig rig;
    if (withEntries)
        rig.host().withModel(twoEntries);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().view = View::Messages;
    MessagesView view(rig.ops());
    view.resize(900, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    rig.ops().ActivateView(View::Messages);
    QVERIFY(rig.waitIdle());
    auto *pressed = child<QPushButton>(&view, qPrintable(button));
    QVERIFY(pressed->isEnabled());

    QList<bool> enabledWhileAsked;
    const auto meanwhile = [&] {
        enabledWhileAsked << pressed->isEnabled();
        if (dropWhileAsking)
            rig.ops().Conn().DropConnection();
    };
    rig.op().answers = {BoxResult::No};
    rig.op().whileOpen = [&](BoxKind, const QString &) { meanwhile(); };
    rig.op().entriesDialog = [&](const std::vector<LIN_SchedulerEntry> &, bool) {
        meanwhile();
        return std::optional<std::vector<LIN_SchedulerEntry>>();
    };
    const auto before = rig.host().requests().size();
    QTest::mouseClick(pressed, Qt::LeftButton);

    QCOMPARE(enabledWhileAsked, QList<bool>{false});
    QCOMPARE(rig.ops().IsConnected(), !dropWhileAsking);
    QCOMPARE(ControlEnabled(rig.ops().Commands(), button), enabledAfter);
    QCOMPARE(pressed->isEnabled(), enabledAfter);
    // Nothing was asked of the module after the user's answer.
    QTest::qWait(100);
    QCOMPARE(rig.host().requests().size(), before);
    saveScreenshot(&view,
                   QStringLiteral("press_once_")
                       + QString(QTest::currentDataTag()).replace(' ', '_').remove(','));
}

QTEST_MAIN(TestPressOnceButtons)
#include "tst_press_once_buttons.moc"
