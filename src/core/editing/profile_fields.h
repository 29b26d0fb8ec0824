#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace vxl {

// Input rules of the profile editor's value fields and the entries of its selectors.

inline constexpr int kUserCanDigits = 4;
inline constexpr int kLinFilterDigits = 2;
inline constexpr int kId11Digits = 3;
inline constexpr int kId29Digits = 8;
inline constexpr int kUserLinMaxChars = 5;
inline constexpr std::uint32_t kMinUserLinRate = 1000;
inline constexpr std::uint32_t kMaxUserLinRate = 20000;
inline constexpr std::uint32_t kDefaultLinRate = 19200;

// Identifier flags of the 32-bit CAN identifier values.
inline constexpr std::uint32_t kExtendedIdFlag = 0x80000000u; // 29-bit identifier
inline constexpr std::uint32_t kActiveIdFlag = 0x40000000u;   // slave activation "Active"
inline constexpr std::uint32_t kIdFlags = kExtendedIdFlag | kActiveIdFlag;

// The CAN bit-timing table: nine rates, then "User".
inline constexpr int kCanTimingCount = 9;
inline constexpr int kCanUserIndex = kCanTimingCount;
[[nodiscard]] std::uint16_t CanTimingAt(int index);
// "500 kb (001C)"; "User" for the tenth entry.
[[nodiscard]] QStringList CanBitRateEntries();
// The table entry of a bit timing, kCanUserIndex when it has none.
[[nodiscard]] int CanTimingIndex(std::uint16_t timing);
// The four hex digits before the entry's last ")".
[[nodiscard]] std::uint16_t TimingOfEntry(const QString &entry);

[[nodiscard]] QStringList Rs232RateEntries();
// The entry whose text is the rate in decimal; the last entry when none is.
[[nodiscard]] int Rs232RateIndex(std::uint32_t rate);

inline constexpr int kLinUserRateIndex = 3;
[[nodiscard]] QStringList LinBitRateEntries();
[[nodiscard]] int LinRateIndex(std::uint32_t rate);

[[nodiscard]] QStringList CanForwardEntries(); // "NONE", "LIN", "RS-232", "LIN & RS-232 "
[[nodiscard]] QStringList LinForwardEntries(); // "NONE", "CAN", "RS-232", "CAN & RS-232"

// True when every character is a hexadecimal digit (either case); empty text passes so that
// a field can be cleared while typing.
[[nodiscard]] bool IsHexText(const QString &text);
[[nodiscard]] bool IsDecimalText(const QString &text);
// The text read as hexadecimal; 0 when it is not a number.
[[nodiscard]] std::uint32_t HexValue(const QString &text);
// Upper case, zeros on the left up to the length.
[[nodiscard]] QString PadHex(const QString &text, int length);
[[nodiscard]] QString HexText(std::uint32_t value, int digits);

// An identifier field once left, filled or switched between 11 and 29 bits: padded to the
// length, limited to the largest identifier of that length, and cut to its last three
// characters in 11-bit mode.
[[nodiscard]] QString FitIdField(const QString &text, int length);
[[nodiscard]] constexpr int IdFieldLength(bool extended)
{
    return extended ? kId29Digits : kId11Digits;
}

// The LIN user bit rate once left: an empty field is the default rate, others are limited to
// 1000..20000.
[[nodiscard]] QString LeftUserLinRate(const QString &text);

} // namespace vxl
