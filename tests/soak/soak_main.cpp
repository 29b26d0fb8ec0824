// The long run: random sessions for SOAK_MINUTES (default 30) from SOAK_SEED, each failure shrunk
// and printed with its replay, then the figures of the run.
#include "soak/soak_invariants.h"
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

// SOAK_REPLAY=<file>: runs one stored list and prints what breaks; the invariants of open faults
// are checked only when SOAK_ONLY names them.
int replay(const QString &path)
{
    QFile file(path);
    const auto steps = file.open(QIODevice::ReadOnly) ? ParseList(QString::fromUtf8(file.readAll()))
                                                      : std::nullopt;
    if (!steps) {
        print(QStringLiteral("%1: no action list\n").arg(path));
        return 2;
    }
    Figures figures;
    figures.only = qEnvironmentVariable("SOAK_ONLY");
    figures.skipped = OpenFaults();
    const auto failure = Replay(*steps, figures);
    print(failure ? Describe(*failure, failure->steps) : QStringLiteral("%1: passes\n").arg(path));
    return failure ? 1 : 0;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("SOAK_REPLAY"))
        return replay(qEnvironmentVariable("SOAK_REPLAY"));
    const int minutes = qEnvironmentVariableIsSet("SOAK_MINUTES")
                            ? qEnvironmentVariableIntValue("SOAK_MINUTES")
                            : 30;
    auto seed = std::uint32_t(qEnvironmentVariableIntValue("SOAK_SEED"));
    const bool stopAtFirst = qEnvironmentVariableIntValue("SOAK_STOP_AT_FIRST") != 0;
    Figures figures;
    // Hunting one fault: only the invariants whose name holds this text are checked.
    figures.only = qEnvironmentVariable("SOAK_ONLY");
    figures.skipped = OpenFaults();
    const qint64 budgetMs = qint64(minutes) * 60000;
    print(QStringLiteral("soak: %1 min from seed %2\n").arg(minutes).arg(seed));
    Figures shrinking; // replays while shrinking are not the soak's own steps
    shrinking.only = figures.only;
    shrinking.skipped = figures.skipped;
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
