#pragma once

#include "soak/soak_rules.h"
#include "soak/soak_step.h"

#include <random>
#include <vector>

namespace vxl::soak {

class Session;

// One row of the action table. Every step carries the user's answer to any question as its
// first argument (a quarter of the values: NO), then `argCount` of the action's own. An anchored
// step, one that interrupts a running exchange, is drawn by `interruptWeight` instead.
struct Action
{
    const char *name;
    int weight;
    int interruptWeight;
    int argCount;
    Writes writes;
    void (*run)(Session &session, const Step &step);
};

[[nodiscard]] const std::vector<Action> &Actions();
[[nodiscard]] const Action *FindAction(const QString &name);
// A step drawn from the table by weight, sometimes anchored to the exchange `previous` started.
[[nodiscard]] Step RandomStep(std::mt19937 &random, const Step *previous);

} // namespace vxl::soak
