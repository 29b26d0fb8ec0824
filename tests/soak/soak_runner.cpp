#include "soak/soak_runner.h"

#include "soak/soak_actions.h"

#include <QElapsedTimer>
#include <QFile>

namespace vxl::soak {

namespace {

std::optional<Failure> failureAt(const StepList &steps, int index, const Violation &violation)
{
    return Failure{violation, index, StepList(steps.begin(), steps.begin() + index + 1)};
}

void writeTrail(const QString &path, const StepList &steps)
{
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(ListText(steps).toUtf8() + '\n');
}

bool stillFails(const StepList &candidate, const QString &invariant, Figures &figures, Failure *out)
{
    const auto failure = Replay(candidate, figures);
    if (!failure || failure->violation.invariant != invariant)
        return false;
    *out = *failure;
    return true;
}

} // namespace

std::optional<Failure> Replay(const StepList &steps, Figures &figures)
{
    Session session(figures);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (auto violation = session.run(steps[i]))
            return failureAt(steps, int(i), *violation);
    }
    if (auto violation = session.finish())
        return failureAt(steps, int(steps.size()) - 1, *violation);
    return std::nullopt;
}

std::optional<Failure> RunRandom(const RandomRun &run, Figures &figures)
{
    std::mt19937 random(run.seed);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < run.budget.count()) {
        Session session(figures);
        StepList steps;
        while (int(steps.size()) < run.sessionSteps && clock.elapsed() < run.budget.count()) {
            steps.push_back(RandomStep(random, steps.empty() ? nullptr : &steps.back()));
            writeTrail(run.trail, steps);
            if (auto violation = session.run(steps.back()))
                return failureAt(steps, int(steps.size()) - 1, *violation);
        }
        if (auto violation = session.finish())
            return failureAt(steps, int(steps.size()) - 1, *violation);
    }
    return std::nullopt;
}

StepList Shrink(const Failure &failure, std::chrono::milliseconds budget, Figures &figures)
{
    QElapsedTimer clock;
    clock.start();
    const QString invariant = failure.violation.invariant;
    StepList best = failure.steps;
    for (std::size_t chunk = std::max<std::size_t>(best.size() / 2, 1); chunk >= 1; chunk /= 2) {
        std::size_t start = 0;
        while (start < best.size()) {
            if (clock.elapsed() >= budget.count())
                return best;
            StepList candidate = best;
            const auto end = std::min(best.size(), start + chunk);
            candidate.erase(candidate.begin() + std::ptrdiff_t(start),
                            candidate.begin() + std::ptrdiff_t(end));
            Failure found;
            if (!candidate.empty() && stillFails(candidate, invariant, figures, &found))
                best = found.steps;
            else
                start += chunk;
        }
        if (chunk == 1)
            break;
    }
    return best;
}

QString Describe(const Failure &failure, const StepList &replay)
{
    const Step &step = failure.steps[std::size_t(failure.stepIndex)];
    return QStringLiteral("invariant \"%1\" broken at step %2 (%3): %4\nreplay (%5 steps):\n%6\n")
        .arg(failure.violation.invariant)
        .arg(failure.stepIndex + 1)
        .arg(step.text(), failure.violation.detail)
        .arg(replay.size())
        .arg(ListText(replay));
}

} // namespace vxl::soak
