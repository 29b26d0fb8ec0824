#pragma once

#include <cstdint>

namespace vxl {

// SJA1000 single-filter acceptance registers, as the module's CAN group holds them: byte n of
// each value is register ACRn / AMRn. A mask bit 1 means "not compared".
struct CanFilter
{
    std::uint32_t code = 0;
    std::uint32_t mask = 0xFFFFFFFF;

    friend bool operator==(const CanFilter &, const CanFilter &) = default;
};

enum class FrameKind { Rtr, Data, Both };

inline constexpr std::uint32_t kMax11BitId = 0x7FF;
inline constexpr std::uint32_t kMax29BitId = 0x1FFFFFFF;

// The register value of x written most significant byte first (a byte reversal).
[[nodiscard]] constexpr std::uint32_t R(std::uint32_t x)
{
    return ((x & 0xFF) << 24) | ((x & 0xFF00) << 8) | ((x >> 8) & 0xFF00) | (x >> 24);
}

// The bitwise OR of (v XOR from) over every v in (from, to]: every bit at and below the highest
// bit in which from and to differ.
[[nodiscard]] std::uint32_t RangeSpread(std::uint32_t from, std::uint32_t to);

// Registers accepting at least the identifiers from..to (more may pass); from <= to.
[[nodiscard]] CanFilter FilterFor11BitRange(std::uint32_t from, std::uint32_t to, FrameKind kind);
[[nodiscard]] CanFilter FilterFor29BitRange(std::uint32_t from, std::uint32_t to, FrameKind kind);

// Identifier-level code and mask ("As in VEXA-Monitor").
struct IdLevel
{
    std::uint32_t code = 0;
    std::uint32_t mask = 0;
    friend bool operator==(const IdLevel &, const IdLevel &) = default;
};
[[nodiscard]] IdLevel RegistersToIdLevel(const CanFilter &filter, bool extended);
[[nodiscard]] CanFilter IdLevelToRegisters(const IdLevel &level, bool extended);
// "Display As" switching between 11-bit and 29-bit identifier level.
[[nodiscard]] IdLevel IdLevel11To29(const IdLevel &level);
[[nodiscard]] IdLevel IdLevel29To11(const IdLevel &level);

// Hexadecimal field limits: a value above the field's limit becomes the limit.
[[nodiscard]] std::uint32_t LimitToDigits(std::uint64_t value, int digits);

// What an SJA1000 in single-filter mode accepts (for tests and for showing what passes).
[[nodiscard]] bool Accepts11Bit(const CanFilter &filter,
                                std::uint32_t id,
                                bool rtr,
                                std::uint8_t data0 = 0,
                                std::uint8_t data1 = 0);
[[nodiscard]] bool Accepts29Bit(const CanFilter &filter, std::uint32_t id, bool rtr);

} // namespace vxl
