#pragma once

#include "core/module/module_config.h"

namespace vxl::test {

// A profile unlike a new one in every value a send writes, with that many scheduler entries:
// what a send leaves in the module shows which values went and which a firmware gate held back.
[[nodiscard]] ModuleConfig testProfile(int schedulerEntries);

} // namespace vxl::test
