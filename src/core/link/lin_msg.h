#pragma once

#include <array>
#include <cstdint>

namespace vxl {

inline constexpr std::uint8_t kStartByte = 0x02;
inline constexpr int kMaxDataBytes = 15;

// One module message in memory: the unit of the link's queues and of every reply handler.
// A received message has code 0 and its data start with the first byte after the header.
struct LIN_Msg
{
    std::uint8_t start = 0;
    std::uint8_t header = 0;
    std::uint8_t code = 0;
    std::array<std::uint8_t, kMaxDataBytes> data{};
    std::int32_t count = 0;
    std::uint8_t checksum = 0;

    friend bool operator==(const LIN_Msg &, const LIN_Msg &) = default;
};

// Selector 0: bit 7 (module's own message), 1: bits 6..4 (sequence number or source interface),
// 2: bits 3..0 (data length); any other selector gives -1.
[[nodiscard]] constexpr int HeaderField(std::uint8_t header, int selector)
{
    switch (selector) {
    case 0:
        return (header >> 7) & 0x01;
    case 1:
        return (header >> 4) & 0x07;
    case 2:
        return header & 0x0F;
    default:
        return -1;
    }
}

// 255 when the sequence number or the length does not fit the header.
[[nodiscard]] constexpr std::uint8_t MakeHeader(int sequence, int length)
{
    if (sequence < 0 || sequence >= 8 || length < 0 || length >= 16)
        return 255;
    return static_cast<std::uint8_t>(length + 16 * sequence);
}

// 255 for a group outside 0..3 or a command number outside 0..63.
[[nodiscard]] constexpr std::uint8_t MakeCode(int group, int command)
{
    if (group < 0 || group > 3 || command < 0 || command >= 64)
        return 255;
    return static_cast<std::uint8_t>(command | (group << 6));
}

} // namespace vxl
