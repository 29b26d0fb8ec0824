#pragma once

#include "core/module/module_config.h"

#include <QString>
#include <QStringList>

namespace vxl::cli {

// Every value a send of `profile` writes into this module that the module does not hold, as
// "Element: profile X, module Y" lines named after the profile's elements. The profile must be
// prepared as a send prepares it; values the firmware keeps from a send are not compared, and
// values sent as one byte are compared as that byte. The RS-232 bit rate is not compared: the
// module keeps using its rate until its RS-232 group is initialised and reports the rate in use.
[[nodiscard]] QStringList ProfileDifferences(const ModuleConfig &profile,
                                             const ModuleConfig &module);

} // namespace vxl::cli
