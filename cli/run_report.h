#pragma once

#include "cli/module_record.h"

#include <vector>

namespace vxl::cli {

// The report of a run over several modules for the records of a production line: per module its
// port, device, identity, result, differing and not compared values, messages and time taken.
// Written as JSON or as JUnit XML (one test case per module). False when the file cannot be
// written.
[[nodiscard]] bool WriteJsonReport(const QString &path,
                                   const QString &command,
                                   const std::vector<ModuleRecord::Snapshot> &modules);
[[nodiscard]] bool WriteJUnitReport(const QString &path,
                                    const QString &command,
                                    const std::vector<ModuleRecord::Snapshot> &modules);

} // namespace vxl::cli
