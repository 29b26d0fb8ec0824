#pragma once

#include "core/module/module_config.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace vxl {

inline constexpr int kDefaultEntryTime = 5;
inline constexpr int kMinEntryTime = 1;
inline constexpr int kMaxEntryTime = 65535;

// Scheduler entries travel between the dialogs and their callers packed into 32 bits: time in
// bits 15..0, identifier in bits 23..16.
[[nodiscard]] constexpr std::uint32_t PackSchedulerEntry(const LIN_SchedulerEntry &entry)
{
    return (std::uint32_t(entry.ID & 0xFF) << 16) | entry.Time;
}
[[nodiscard]] constexpr LIN_SchedulerEntry UnpackSchedulerEntry(std::uint32_t packed)
{
    return LIN_SchedulerEntry{std::uint16_t(packed & 0xFFFF), std::uint8_t((packed >> 16) & 0xFF)};
}

// "10 / 0x0A": how list rows show an identifier.
[[nodiscard]] QString IdCellText(int id);
// The decimal number in front of " / ", nullopt when there is none.
[[nodiscard]] std::optional<int> IdFromCellText(const QString &text);

// True when text holds only digits of the base (hexadecimal or decimal); empty text is allowed
// so that the field can be cleared while typing.
[[nodiscard]] bool IsIdText(const QString &text, bool hex);
// The identifier field's text once the field is left: empty becomes "0", anything above the
// highest LIN identifier becomes that identifier.
[[nodiscard]] QString LeftIdText(const QString &text, bool hex);
// The same value written in the other base: decimal, or upper-case hexadecimal without leading
// zeros. Empty text counts as 0.
[[nodiscard]] QString SwitchedIdText(const QString &text, bool toHex);
// The identifier the field stands for, limited to 0..63.
[[nodiscard]] int IdValue(const QString &text, bool hex);

// The time field's text once the field is left: empty becomes the default time, values beyond
// the 16-bit range the nearest limit. nullopt when the text is not a whole number.
[[nodiscard]] std::optional<QString> LeftTimeText(const QString &text);
// What the user is told about a time that is not a number.
[[nodiscard]] QString NotAnIntegerMessage(const QString &text);

[[nodiscard]] constexpr bool CanInsertEntry(int rows)
{
    return rows < kMaxSchedulerEntries;
}

// The line above the fields of the entry dialog when it edits existing rows.
[[nodiscard]] QString EntryCaption(int rowNumber, bool multiple);

} // namespace vxl
