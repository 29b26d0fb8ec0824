#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace vxl {

// Hints a command sets on parameter edits when it is chosen: (edit index, hint).
using ParameterHints = std::vector<std::pair<int, QString>>;
[[nodiscard]] ParameterHints CommandHints(int group, int mode, int command);

// "Data Byte [07]".
[[nodiscard]] QString DataByteHint(int index);

} // namespace vxl
