#include "soak/soak_actions.h"

#include "soak/soak_action_steps.h"

#include <algorithm>
#include <array>

namespace vxl::soak {

namespace {
constexpr int kArgRange = 1000;
constexpr int kAnchoredPercent = 30;
// A module read is the longest exchange and holds the most state (identity, grid, collected
// scheduler entries): the step after one that starts a read interrupts it more often.
constexpr int kAnchoredAfterReadPercent = 70;
// Of those, the share anchored anywhere in the read; the others wait for its early requests and
// ticks as any interruption does (a read that waits on a silent module counts ticks).
constexpr int kWholeReadPercent = 50;
// Requests of a whole read of the first module, its scheduler entries included.
constexpr int kReadRequests = 60;
constexpr std::array kReadStarters{"connect",
                                   "start-mode",
                                   "check-connection",
                                   "refresh",
                                   "new-from-module"};
// A Timeout changed mid-exchange matters against the ticks the exchange has counted: these
// interrupt at a tick.
constexpr std::array kTickAnchored{"timeout", "lower-timeout"};

bool named(const Step *step, const auto &names)
{
    return step && std::any_of(names.begin(), names.end(), [step](const char *name) {
               return step->action == QLatin1String(name);
           });
}
} // namespace

const std::vector<Action> &Actions()
{
    using W = Writes;
    static const std::vector<Action> table{
        {"connect", 6, 4, 2, W::Never, ConnectThroughDialog},
        {"start-mode", 2, 0, 3, W::Never, ConnectByStartMode},
        {"disconnect", 3, 6, 0, W::Never, Disconnect},
        {"check-connection", 2, 1, 0, W::Never, CheckConnection},
        {"refresh", 5, 1, 0, W::Never, Refresh},
        {"view", 8, 3, 2, W::Never, SwitchView},
        {"new-from-module", 2, 1, 0, W::Never, NewFromModule},
        {"save-module-data", 1, 0, 0, W::Never, SaveModuleData},
        {"module-scheduler", 1, 0, 0, W::Never, ModuleScheduler},
        {"module-frames", 1, 0, 0, W::Never, ModuleFrames},
        {"profile-new", 2, 0, 0, W::Never, ProfileNew},
        {"profile-open", 2, 0, 1, W::Never, ProfileOpen},
        {"profile-edit", 8, 1, 3, W::Never, ProfileEdit},
        {"profile-save", 3, 0, 1, W::Never, ProfileSave},
        {"send", 5, 1, 0, W::Directly, SendProfile},
        {"adjust", 4, 1, 3, W::AfterYes, Adjust},
        {"discard", 2, 0, 0, W::AfterYes, Discard},
        {"master", 3, 1, 0, W::Directly, SwitchMaster},
        {"reset", 2, 1, 0, W::Directly, Reset},
        {"defaults", 1, 1, 1, W::Directly, Defaults},
        {"save-configuration", 2, 0, 0, W::AfterYes, SaveConfiguration},
        {"programming-mode", 1, 0, 0, W::AfterYes, ProgrammingMode},
        {"console", 4, 1, 4, W::Directly, ConsoleCommand},
        {"timeout", 4, 2, 1, W::Never, PreferTimeout},
        {"lower-timeout", 2, 12, 1, W::Never, LowerTimeout},
        {"rate", 1, 0, 1, W::Never, PreferRate},
        {"trace-log", 2, 1, 0, W::Never, TraceLog},
        {"silence", 3, 3, 1, W::Never, FaultSilence},
        {"drop-reply", 2, 1, 2, W::Never, FaultDrop},
        {"corrupt-reply", 2, 1, 2, W::Never, FaultCorrupt},
        {"delay-replies", 1, 0, 2, W::Never, FaultDelay},
        {"garbage", 1, 1, 2, W::Never, FaultGarbage},
        {"return-code", 2, 0, 3, W::Never, FaultReturnCode},
        {"flood", 1, 0, 1, W::Never, FaultFlood},
        {"drop-off", 2, 3, 2, W::Never, FaultDropOff},
        {"endless-startup", 1, 0, 1, W::Never, FaultEndlessStartup},
        {"switch-firmware", 1, 1, 3, W::Never, FaultSwitchFirmware},
        {"clear-faults", 6, 0, 0, W::Never, FaultsCleared},
    };
    return table;
}

const Action *FindAction(const QString &name)
{
    for (const Action &action : Actions()) {
        if (name == QLatin1String(action.name))
            return &action;
    }
    return nullptr;
}

namespace {

const Action &drawAction(std::mt19937 &random, int Action::*weight)
{
    int total = 0;
    for (const Action &action : Actions())
        total += action.*weight;
    int pick = std::uniform_int_distribution<int>(0, total - 1)(random);
    for (const Action &action : Actions()) {
        if (pick < action.*weight)
            return action;
        pick -= action.*weight;
    }
    return Actions().front();
}

} // namespace

Step RandomStep(std::mt19937 &random, const Step *previous)
{
    std::uniform_int_distribution<int> arg(0, kArgRange - 1);
    const bool afterRead = named(previous, kReadStarters);
    const bool anchored = arg(random) % 100
                          < (afterRead ? kAnchoredAfterReadPercent : kAnchoredPercent);
    const Action &chosen = drawAction(random, anchored ? &Action::interruptWeight : &Action::weight);
    Step step;
    step.action = QLatin1String(chosen.name);
    for (int i = 0; i <= chosen.argCount; ++i)
        step.args.push_back(arg(random));
    if (!anchored)
        return step;
    if (afterRead && !named(&step, kTickAnchored) && arg(random) % 100 < kWholeReadPercent) {
        step.afterRequest = 1 + arg(random) % kReadRequests;
        return step;
    }
    // A Timeout is at least 3 s: a change matters from the third tick on.
    if (named(&step, kTickAnchored)) {
        step.afterTick = kLowestTimeout + arg(random) % 3;
        return step;
    }
    // Early requests and ticks of an exchange, or anywhere in a whole module read.
    if (arg(random) % 2 == 0)
        step.afterTick = 1 + arg(random) % 5;
    else
        step.afterRequest = 1 + arg(random) % (arg(random) % 2 == 0 ? 4 : kReadRequests);
    return step;
}

} // namespace vxl::soak
