#pragma once

#include "core/editing/profile_tree.h"
#include "core/module/module_config.h"

namespace vxl {

// "Default" on a node of the profile editor: the node's fields take the editor's standard
// values. Nothing for a node without any.
void StoreNodeDefault(ModuleConfig &profile, EditGroup group, ParamCode code);

} // namespace vxl
