#include "core/settings/version_info.h"

namespace vxl {

QString ToolVersion()
{
#ifdef VXL_VERSION_TEXT
    return QStringLiteral(VXL_VERSION_TEXT);
#else
    return QStringLiteral("N/A");
#endif
}

} // namespace vxl
