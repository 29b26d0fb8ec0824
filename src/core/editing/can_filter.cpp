#include "core/editing/can_filter.h"

#include <bit>

namespace vxl {

namespace {

constexpr std::uint32_t kLow11 = 0xFFFFF;
constexpr std::uint32_t kLow29 = 3;

CanFilter rangeFilter(
    std::uint32_t from, std::uint32_t to, FrameKind kind, int shift, std::uint32_t low)
{
    const std::uint32_t rtr = kind == FrameKind::Rtr ? 1 : 0;
    const std::uint32_t both = kind == FrameKind::Both ? 1 : 0;
    const std::uint32_t d = RangeSpread(from, to);
    return {R(((from * 2) + rtr) << shift), R((((d * 2) + both) << shift) | low)};
}

} // namespace

std::uint32_t RangeSpread(std::uint32_t from, std::uint32_t to)
{
    if (to <= from)
        return 0;
    const int width = std::bit_width(from ^ to);
    return width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1);
}

CanFilter FilterFor11BitRange(std::uint32_t from, std::uint32_t to, FrameKind kind)
{
    return rangeFilter(from, to, kind, 20, kLow11);
}

CanFilter FilterFor29BitRange(std::uint32_t from, std::uint32_t to, FrameKind kind)
{
    return rangeFilter(from, to, kind, 2, kLow29);
}

IdLevel RegistersToIdLevel(const CanFilter &filter, bool extended)
{
    const int shift = extended ? 3 : 21;
    return {R(filter.code) >> shift, R(filter.mask) >> shift};
}

CanFilter IdLevelToRegisters(const IdLevel &level, bool extended)
{
    if (extended)
        return {R(level.code << 3), R((level.mask << 3) | 7)};
    return {R(level.code << 21), R((level.mask << 21) | ((1u << 21) - 1))};
}

IdLevel IdLevel11To29(const IdLevel &level)
{
    return {level.code << 18, (level.mask << 18) | 0x3FFFF};
}

IdLevel IdLevel29To11(const IdLevel &level)
{
    return {level.code >> 18, level.mask >> 18};
}

std::uint32_t LimitToDigits(std::uint64_t value, int digits)
{
    std::uint64_t limit = 0;
    switch (digits) {
    case 2:
        limit = 0xFF;
        break;
    case 3:
        limit = kMax11BitId;
        break;
    default:
        limit = kMax29BitId;
        break;
    }
    return static_cast<std::uint32_t>(value > limit ? limit : value);
}

bool Accepts11Bit(
    const CanFilter &filter, std::uint32_t id, bool rtr, std::uint8_t data0, std::uint8_t data1)
{
    // Received bits in SJA1000 order: ID.10..0, RTR, 4 unused, then the first two data bytes.
    const std::uint32_t received = (id << 21) | (std::uint32_t(rtr) << 20)
                                   | (std::uint32_t(data0) << 8) | data1;
    const std::uint32_t code = R(filter.code);
    const std::uint32_t mask = R(filter.mask) | 0x000F0000; // the unused nibble is never compared
    return ((received ^ code) & ~mask) == 0;
}

bool Accepts29Bit(const CanFilter &filter, std::uint32_t id, bool rtr)
{
    const std::uint32_t received = (id << 3) | (std::uint32_t(rtr) << 2);
    const std::uint32_t code = R(filter.code);
    const std::uint32_t mask = R(filter.mask) | 0x3;
    return ((received ^ code) & ~mask) == 0;
}

} // namespace vxl
