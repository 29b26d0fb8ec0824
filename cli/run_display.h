#pragma once

#include "cli/module_record.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace vxl::cli {

// The lines of a run over several modules. On a terminal one live line per module (port,
// label, phase, progress) that ends with its result; otherwise one line per module as it
// finishes. Then the summary. The details of a module that did not pass go to stderr.
class RunDisplay
{
public:
    RunDisplay(std::FILE *stream, const std::vector<std::unique_ptr<ModuleRecord>> &records);

    // Draws what changed since the last call.
    void Update();
    // The final lines and the summary.
    void Finish();

private:
    void printDetails(const ModuleRecord::Snapshot &module) const;

    std::FILE *m_stream;
    const std::vector<std::unique_ptr<ModuleRecord>> &m_records;
    bool m_live = false;
    bool m_drawn = false;
    std::vector<bool> m_reported;
};

// "COM5 rack-1: sending 40/94" while it runs, "COM5 rack-1: passed (6.2 s)" when it ended.
[[nodiscard]] QString ModuleLine(const ModuleRecord::Snapshot &module);
// "12 passed, 1 failed, 0 not reached".
[[nodiscard]] QString SummaryLine(const std::vector<ModuleRecord::Snapshot> &modules);
// The highest exit code of the modules.
[[nodiscard]] int RunExitCode(const std::vector<ModuleRecord::Snapshot> &modules);
[[nodiscard]] std::vector<ModuleRecord::Snapshot> Snapshots(
    const std::vector<std::unique_ptr<ModuleRecord>> &records);

} // namespace vxl::cli
