#include "core/settings/preferences_mapping.h"

#include <algorithm>
#include <array>

namespace vxl {

namespace {

constexpr std::array<std::int32_t, 6> kRates{4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kDefaultRateIndex = 3;

} // namespace

QStringList BaudrateItems()
{
    QStringList items;
    for (std::int32_t rate : kRates)
        items << QStringLiteral("%1 bit/s").arg(rate);
    return items;
}

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

int BaudrateToIndex(std::int32_t baudrate)
{
    const auto it = std::find(kRates.begin(), kRates.end(), baudrate);
    return it == kRates.end() ? kDefaultRateIndex : int(it - kRates.begin());
}

std::int32_t IndexToBaudrate(int index)
{
    if (index < 0 || index >= int(kRates.size()))
        return kRates[kDefaultRateIndex];
    return kRates[std::size_t(index)];
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
