#pragma once

#include <QStringList>

#include <cstdint>

namespace vxl {

// How the Preferences dialog shows and takes back the settings (its bit rates are the link's
// list, core/link/bit_rates.h).
[[nodiscard]] QStringList StartModeItems(); // "Disconnected", "Connection dialog", "Default connection"
[[nodiscard]] QStringList HelpLanguageItems();
[[nodiscard]] int StartModeToIndex(int startMode);
[[nodiscard]] int IndexToStartMode(int index);

inline constexpr int kPortMin = 1, kPortMax = 255;
inline constexpr int kTimeoutMin = 1, kTimeoutMax = 300;
inline constexpr int kScanMin = 1, kScanMax = 255;

[[nodiscard]] int ClampPort(std::int64_t port);
[[nodiscard]] int ClampTimeout(std::int64_t seconds);
// The scan count is taken as its low 8 bits first.
[[nodiscard]] int ClampScanCount(std::int64_t count);

} // namespace vxl
