#include "core/settings/preferences_mapping.h"

#include <algorithm>

namespace vxl {

QStringList StartModeItems()
{
    return {QStringLiteral("Disconnected"),
            QStringLiteral("Connection dialog"),
            QStringLiteral("Default connection")};
}

QStringList HelpLanguageItems()
{
    return {QStringLiteral("English"), QStringLiteral("German")};
}

int StartModeToIndex(int startMode)
{
    return std::clamp(startMode - 1, 0, 2);
}

int IndexToStartMode(int index)
{
    return std::clamp(index, 0, 2) + 1;
}

int ClampPort(std::int64_t port)
{
    return int(std::clamp<std::int64_t>(port, kPortMin, kPortMax));
}

int ClampTimeout(std::int64_t seconds)
{
    return int(std::clamp<std::int64_t>(seconds, kTimeoutMin, kTimeoutMax));
}

int ClampScanCount(std::int64_t count)
{
    return int(std::clamp<std::int64_t>(count & 0xFF, kScanMin, kScanMax));
}

} // namespace vxl
