#pragma once

#include "core/module/module_config.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// What the tool is expected to do, kept apart from the harness that checks it: which requests
// change the module, which values the module may refuse to give, and how writing actions are
// allowed to write.
namespace vxl::soak {

// Requests that change the module: everything but the reads of groups 0 to 2 and the
// identification texts of group 3.
[[nodiscard]] bool IsWriteRequest(int group, int command);

// How an action may write to the module.
enum class Writes {
    Never,    // only reads
    Directly, // writes without asking (Defaults, Reset, ON/OFF, console, Send)
    AfterYes, // writes only once the user said YES (Adjust, Discard, Save configuration…)
};

// A value longer than one byte whose read the module may refuse with a one-byte return code.
struct RefusableValue
{
    const char *name;
    int group;
    int readCommand;
    std::function<std::uint32_t(const ModuleConfig &)> value;
};
[[nodiscard]] const std::vector<RefusableValue> &RefusableValues();
// The profile a "New" starts from: what a refused value must fall back to.
[[nodiscard]] ModuleConfig DefaultProfileValues();

// The firmwares and builds a module may turn out to be on the next connection; the first is the
// one sessions mostly use (its read is the short one).
[[nodiscard]] const std::vector<QString> &Firmwares();
[[nodiscard]] const std::vector<QString> &Hardwares();

// The bit rates the connection dialog offers in a session.
[[nodiscard]] const std::vector<int> &SessionRates();

} // namespace vxl::soak
