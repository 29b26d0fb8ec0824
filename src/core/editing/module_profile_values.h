#pragma once

#include "core/module/module_config.h"

#include <QString>
#include <QStringList>

namespace vxl {

// What a profile made from the module copy holds ("New from Module", the module data view's
// "Save"): the module's values, except that each value whose read the module refused takes the
// default document's value, and a refused scheduler entry is left out.
struct ModuleProfileValues
{
    ModuleConfig values;
    QStringList refused; // the values that took their default, one line each, in tree order
};

[[nodiscard]] ModuleProfileValues ProfileValuesFromModule(const ModuleConfig &module);

inline constexpr char kRefusedValuesIntro[]
    = "The module did not give these values; the profile holds their default values:";

// The Information box telling the user which values the profile holds by default; empty when
// there are none.
[[nodiscard]] QString RefusedValuesText(const QStringList &refused);

} // namespace vxl
