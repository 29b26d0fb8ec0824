#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace vxl {

// The bit rates the connection dialog and the preferences offer, in list order.
inline constexpr std::array<int, 6> kBitRates{4800, 9600, 19200, 38400, 57600, 115200};
inline constexpr int kDefaultRateIndex = 3;
// A rate not in the list selects 38400.
[[nodiscard]] int BitRateIndex(int rate);
// An index outside the list reads as 38400.
[[nodiscard]] int BitRateAt(int index);
// "38400 bit/s".
[[nodiscard]] QString BitRateText(int rate);
// The list's items as the drop-down lists show them.
[[nodiscard]] QStringList BitRateItems();

} // namespace vxl
