#pragma once

#include "core/module/module_config.h"

#include <QString>

#include <array>

namespace vxl {

// The module data grid: 24 rows, 4 columns (row 0 and column 0 are the fixed captions).
inline constexpr int kGridRows = 24;
inline constexpr int kGridColumns = 4;
using GridTexts = std::array<std::array<QString, kGridColumns>, kGridRows>;

// Widths and heights of the module data grid.
inline constexpr int kGridColumnWidths[kGridColumns] = {180, 137, 198, 1038};
inline constexpr int kGridRowHeight = 24;
inline constexpr int kGridShortRow = 6;
inline constexpr int kGridShortRowHeight = 20;

// The captions of row 0 and column 0; every other cell empty.
[[nodiscard]] GridTexts FixedGridTexts();
// Every cell, captions included, from the module copy.
[[nodiscard]] GridTexts FillModuleGrid(const ModuleConfig &module);

// "No Forwarding", or the forwarding targets of the mask.
[[nodiscard]] QString ForwardMaskText(std::uint8_t mask);
// "500.0 kbit/s (0x001C)".
[[nodiscard]] QString CanBitRateText(std::uint16_t timing);
// "0x123 (11 bits)" / "0x00000123 (29 bits)".
[[nodiscard]] QString CanIdText(std::uint32_t value);
[[nodiscard]] QString SlaveDataText(const LIN_FrameEntry &entry);
[[nodiscard]] QString SlaveActivationText(std::uint32_t value);

} // namespace vxl
