// The long run: random sessions for SOAK_MINUTES (default 30) from SOAK_SEED, each failure shrunk
// and printed with its replay, then the figures of the run.
#include "soak/soak_runner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

using namespace vxl::soak;

namespace {

void print(const QString &text)
{
    std::fputs(qPrintable(text), stdout);
    std::fflush(stdout);
}

void printFigures(const Figures &figures, double seconds, const std::map<QString, int> &failures)
{
    print(QStringLiteral("steps %1 in %2 s: %3 steps per second; invariants checked %4\n")
              .arg(figures.steps)
              .arg(seconds, 0, 'f', 0)
              .arg(seconds > 0 ? double(figures.steps) / seconds : 0.0, 0, 'f', 1)
              .arg(figures.checks));
    for (const auto &[kind, count] : figures.faults)
        print(QStringLiteral("  faults injected, %1: %2\n").arg(kind).arg(count));
    int total = 0;
    for (const auto &[invariant, count] : failures) {
        print(QStringLiteral("  failures, %1: %2\n").arg(invariant).arg(count));
        total += count;
    }
    print(QStringLiteral("failures %1\n").arg(total));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int minutes = qEnvironmentVariableIsSet("SOAK_MINUTES")
                            ? qEnvironmentVariableIntValue("SOAK_MINUTES")
                            : 30;
    auto seed = std::uint32_t(qEnvironmentVariableIntValue("SOAK_SEED"));
    const bool stopAtFirst = qEnvironmentVariableIntValue("SOAK_STOP_AT_FIRST") != 0;
    // Looking for one fault: failures of other invariants are counted, not shrunk.
    const QString only = qEnvironmentVariable("SOAK_ONLY");
    const qint64 budgetMs = qint64(minutes) * 60000;
    print(QStringLiteral("soak: %1 min from seed %2\n").arg(minutes).arg(seed));
    Figures figures;
    Figures shrinking; // replays while shrinking are not the soak's own steps
    std::map<QString, int> failures;
    QElapsedTimer clock;
    clock.start();
    qint64 searching = 0;
    while (clock.elapsed() < budgetMs) {
        RandomRun run;
        run.seed = seed++;
        run.budget = std::chrono::milliseconds(budgetMs - clock.elapsed());
        run.trail = QStringLiteral("soak-trail.soak");
        const qint64 started = clock.elapsed();
        const auto failure = RunRandom(run, figures);
        searching += clock.elapsed() - started;
        if (!failure)
            break;
        ++failures[failure->violation.invariant];
        if (!only.isEmpty() && !failure->violation.invariant.contains(only)) {
            print(QStringLiteral("(%1)\n").arg(failure->violation.invariant));
            continue;
        }
        print(QStringLiteral("found after %1 min of running\n")
                  .arg(double(searching) / 60000.0, 0, 'f', 1));
        const StepList shrunk = Shrink(*failure, std::chrono::minutes(5), shrinking);
        print(Describe(*failure, shrunk));
        QFile out(QStringLiteral("soak-failure-%1.soak").arg(run.seed));
        if (out.open(QIODevice::WriteOnly))
            out.write(QStringLiteral("# %1\n").arg(failure->violation.invariant).toUtf8()
                      + ListText(shrunk).toUtf8() + '\n');
        if (stopAtFirst)
            break;
    }
    printFigures(figures, double(searching) / 1000.0, failures);
    return failures.empty() ? 0 : 1;
}
