#pragma once

#include "module/module_config.h"
#include "module/operations.h"

#include <QString>

namespace vxl {

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
