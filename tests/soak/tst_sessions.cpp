#include "soak/soak_invariants.h"
#include "soak/soak_runner.h"

#include <QDir>
#include <QTest>

using namespace vxl::soak;

// The stored action lists of faults found before, each replayed in a fresh session, then one
// short random run.
class TestSessions : public QObject
{
    Q_OBJECT

private slots:
    void storedLists_data();
    void storedLists();
    void randomRun();
};

void TestSessions::storedLists_data()
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(VXL_SOAK_REGRESSIONS));
    const auto files = dir.entryList({QStringLiteral("*.soak")}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TestSessions::storedLists()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto steps = ParseList(QString::fromUtf8(file.readAll()));
    QVERIFY2(steps && !steps->empty(), qPrintable(path));
    Figures figures;
    const auto failure = Replay(*steps, figures);
    QVERIFY2(!failure, failure ? qPrintable(Describe(*failure, failure->steps)) : "");
    QCOMPARE(figures.steps, long(steps->size()));
}

void TestSessions::randomRun()
{
    RandomRun run;
    run.seed = std::uint32_t(qEnvironmentVariableIntValue("SOAK_SEED"));
    run.budget = std::chrono::seconds(qEnvironmentVariableIsSet("SOAK_TEST_SECONDS")
                                          ? qEnvironmentVariableIntValue("SOAK_TEST_SECONDS")
                                          : 20);
    run.sessionSteps = 120;
    Figures figures;
    figures.skipped = OpenFaults();
    const auto failure = RunRandom(run, figures);
    if (failure)
        QFAIL(qPrintable(Describe(*failure, Shrink(*failure, std::chrono::seconds(60), figures))));
    // A run that did nothing would prove nothing.
    QVERIFY(figures.steps > 10);
    QVERIFY(figures.checks >= figures.steps);
}

QTEST_GUILESS_MAIN(TestSessions)
#include "tst_sessions.moc"
