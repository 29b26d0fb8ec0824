#pragma once

#include "cli/profile_compare.h"
#include "core/module/module_config.h"
#include "core/module/module_grid_text.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace vxl::cli {

// Every value of the module copy, with the reply status the module gave for each.
[[nodiscard]] QJsonObject ModuleJson(const ModuleConfig &module);
// The module data grid as text columns, with the identity above it.
[[nodiscard]] QStringList GridLines(const ModuleConfig &module, const GridTexts &grid);
// The scheduler entries of a configuration, one line each.
[[nodiscard]] QStringList SchedulerLines(const LIN_Group &lin);
// The differences of a comparison on stdout; on stderr what was not compared, and the verdict.
void PrintComparison(const ProfileComparison &comparison);

} // namespace vxl::cli
