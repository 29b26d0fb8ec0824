#include "core/link/bit_rates.h"

#include <algorithm>

namespace vxl {

int BitRateIndex(int rate)
{
    const auto found = std::find(kBitRates.begin(), kBitRates.end(), rate);
    return found == kBitRates.end() ? kDefaultRateIndex : int(found - kBitRates.begin());
}

int BitRateAt(int index)
{
    if (index < 0 || index >= int(kBitRates.size()))
        return kBitRates[kDefaultRateIndex];
    return kBitRates[std::size_t(index)];
}

QString BitRateText(int rate)
{
    return QString::number(rate) + QStringLiteral(" bit/s");
}

QStringList BitRateItems()
{
    QStringList items;
    for (const int rate : kBitRates)
        items << BitRateText(rate);
    return items;
}

} // namespace vxl
