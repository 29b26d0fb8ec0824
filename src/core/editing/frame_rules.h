#pragma once

#include "core/module/module_config.h"

#include <QString>

#include <array>
#include <optional>
#include <utility>

namespace vxl {

// What the frame editor shows and returns for one frame (or for several edited alike).
struct FrameEdit
{
    int length = 0;         // 0..8
    bool enhanced = false;  // checksum model: LIN 2.x when set
    bool publisher = false; // the module answers the frame
    std::array<std::uint8_t, kFrameDataBytes> data{};
    int id = 0;

    friend bool operator==(const FrameEdit &, const FrameEdit &) = default;
};

// The columns the list can reset to their defaults one by one.
enum class FrameColumn { Length, ChecksumType, Activation, DataFields };

// "32-47" -> {32, 47}; nullopt for anything that is not an ascending range of identifiers.
[[nodiscard]] std::optional<std::pair<int, int>> ParseIdRange(const QString &text);

// Cell texts of row n of the frame table.
[[nodiscard]] QString LengthCellText(const LIN_Group &lin, int n);
[[nodiscard]] QString ChecksumCellText(const LIN_Group &lin, int n);
[[nodiscard]] QString DirectionCellText(const LIN_Group &lin, int n);
// A publisher's first length data bytes, each as "XX  "; empty for a subscriber.
[[nodiscard]] QString DataCellText(const LIN_Group &lin, int n);

// Resets one column of frame n from the default record.
void ApplyColumnDefault(LIN_Group &lin, const LIN_Group &defaults, int n, FrameColumn column);
// All four columns of frame n, in the order length, checksum type, activation, data fields.
void ApplyFrameDefaults(LIN_Group &lin, const LIN_Group &defaults, int n);
// The frame tables and the slave ID data from the defaults; everything else, the slave mask
// included, stays as it is.
void ApplyDefaultTables(LIN_Group &lin, const LIN_Group &defaults);

// The editor's values for frame n.
[[nodiscard]] FrameEdit FrameEditOf(const LIN_Group &lin, int n);
// Writes the editor's result into frame m, keeping the slave mask and the slave ID data in step.
void ApplyFrameEdit(LIN_Group &lin, int m, const FrameEdit &edit);

// A data field's text once left: two upper-case hexadecimal digits, "00" for anything else.
[[nodiscard]] QString HexByteText(const QString &text);
[[nodiscard]] std::uint8_t HexByteValue(const QString &text);
[[nodiscard]] QString FrameEditorTitle(int id, bool multiple);
[[nodiscard]] constexpr bool DataFieldEnabled(int field, int length, bool publisher)
{
    return publisher && field < length;
}

// The frame defaults as the default profile document holds them.
[[nodiscard]] LIN_Group DefaultFrameConfig();

} // namespace vxl
