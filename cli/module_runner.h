#pragma once

#include "cli/module_record.h"

#include <functional>
#include <memory>
#include <vector>

namespace vxl::cli {

class CliOperator;
class CliSession;

// What a command does with one connected module.
struct ModuleContext
{
    CliSession &session;
    CliOperator &op;
    const ModuleJob &job;
    ModuleRecord &record;
};

struct ModuleTask
{
    bool yes = false; // --yes: questions are answered YES
    // Sets the operator's answers before the connection (may be empty).
    std::function<void(CliOperator &, const ModuleJob &)> prepare;
    // Runs once the module is connected and read; returns the module's exit code.
    std::function<int(ModuleContext &)> body;
};

// One module, printing as vexalin-cli always has.
[[nodiscard]] int RunOnOneModule(const ModuleJob &job, int rate, const ModuleTask &task);

// Every module at once, each on a thread of its own with its own link and operations; what each
// would print goes into its record. `tick` runs on the calling thread every 100 ms until all
// have finished, and once more after.
void RunOnModules(const std::vector<ModuleJob> &jobs,
                  int rate,
                  const ModuleTask &task,
                  const std::vector<std::unique_ptr<ModuleRecord>> &records,
                  const std::function<void()> &tick);

} // namespace vxl::cli
