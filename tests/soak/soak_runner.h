#pragma once

#include "soak/soak_session.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace vxl::soak {

struct Failure
{
    Violation violation;
    int stepIndex = 0;
    StepList steps; // from the session's start up to the failing step
};

// Runs a list in a fresh session.
[[nodiscard]] std::optional<Failure> Replay(const StepList &steps, Figures &figures);

// Random sessions, a fresh one every `sessionSteps`, until the budget is spent or one fails.
// Each step is written to `trail` before it runs, so that a crash leaves its list behind.
struct RandomRun
{
    std::uint32_t seed = 1;
    std::chrono::milliseconds budget{20000};
    int sessionSteps = 300;
    QString trail;
};
[[nodiscard]] std::optional<Failure> RunRandom(const RandomRun &run, Figures &figures);

// Drops steps while the same invariant still breaks, within the budget; the shortest list
// found.
[[nodiscard]] StepList Shrink(const Failure &failure,
                              std::chrono::milliseconds budget,
                              Figures &figures);

// The failure message: the invariant's name, the step, what was wrong and the replay.
[[nodiscard]] QString Describe(const Failure &failure, const StepList &replay);

} // namespace vxl::soak
