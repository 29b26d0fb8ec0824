// The transaction engine's one-second timer on its own: when a time-out fires relative to the
// arming, told by the order in which it and reference timers of the same event loop fire, never
// by a clock reading (a busy machine delays them all, but in the order they were due).

#include "core/operations/transaction_engine.h"

#include <QTest>
#include <QTimer>

using namespace vxl;

namespace {

constexpr auto kKind = TransactionKind::tkScheduler;

// An engine whose time-out is one tick, recording what happens in order.
struct TimerRig
{
    clsTransactionEngine engine;
    QStringList events;

    TimerRig()
    {
        clsTransactionEngine::Hooks hooks;
        hooks.timeoutSeconds = [] { return 1; };
        engine.SetHooks(std::move(hooks));
        engine.SetHandlers(kKind, {{}, [this] { events << QStringLiteral("time-out"); }, {}});
    }
    // Notes `name` when `ms` have passed, on the engine's event loop.
    void mark(int ms, const QString &name)
    {
        QTimer::singleShot(ms, Qt::PreciseTimer, &engine, [this, name] { events << name; });
    }
};

} // namespace

class TestTransactionTimer : public QObject
{
    Q_OBJECT

private slots:
    void firstTickOnePeriodAfterArming();
    void armingAgain_data();
    void armingAgain();
};

void TestTransactionTimer::firstTickOnePeriodAfterArming()
{
    TimerRig rig;
    rig.mark(900, "0.9 s");
    rig.engine.BeginTransaction(kKind);
    rig.mark(1100, "1.1 s");
    QTRY_COMPARE_WITH_TIMEOUT(rig.events.size(), 3, 10000);
    QCOMPARE(rig.events, (QStringList{"0.9 s", "time-out", "1.1 s"}));
    QVERIFY(!rig.engine.IsActive(kKind));
    QVERIFY(!rig.engine.TimerRunning());
}

void TestTransactionTimer::armingAgain_data()
{
    QTest::addColumn<bool>("stoppedFirst");
    QTest::addColumn<int>("againAtMs");
    QTest::addColumn<QStringList>("order");
    // A running period is not restarted: the tick still comes one period after the first
    // arming, and with the count set back to 0 it is the one that fires.
    QTest::newRow("while running")
        << false << 500 << QStringList{"armed again", "time-out", "1.25 s"};
    // A step that ended (timer stopped) and armed again gets a full period from then on.
    QTest::newRow("after a stop") << true << 900
                                  << QStringList{"armed again", "1.25 s", "time-out"};
}

void TestTransactionTimer::armingAgain()
{
    QFETCH(bool, stoppedFirst);
    QFETCH(int, againAtMs);
    QFETCH(QStringList, order);
    TimerRig rig;
    QTimer::singleShot(againAtMs, Qt::PreciseTimer, &rig.engine, [&rig, stoppedFirst] {
        rig.events << QStringLiteral("armed again");
        QCOMPARE(rig.engine.TickCount(), 0); // no tick yet
        if (stoppedFirst)
            rig.engine.EndTransaction(kKind);
        rig.engine.Rearm(kKind);
    });
    rig.engine.BeginTransaction(kKind);
    rig.mark(1250, "1.25 s");
    QTRY_COMPARE_WITH_TIMEOUT(rig.events.size(), 3, 10000);
    QCOMPARE(rig.events, order);
}

QTEST_GUILESS_MAIN(TestTransactionTimer)
#include "tst_transaction_timer.moc"
