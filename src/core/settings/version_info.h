#pragma once

#include <QString>

namespace vxl {

// The tool's own version, compiled in from the build; "N/A" when the build set none.
[[nodiscard]] QString ToolVersion();

} // namespace vxl
