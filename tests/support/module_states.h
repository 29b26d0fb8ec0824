#pragma once

#include "sim/module_model.h"

namespace vxl::test {

// The emulated module's scheduler holds three entries: identifiers 1, 2 and 3 every 10, 20 and
// 30 ms.
void threeEntries(sim::ModuleModel &m);

} // namespace vxl::test
