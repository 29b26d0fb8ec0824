#pragma once

#include "core/link/lin_msg.h"
#include "core/module/module_config.h"

#include <cstdint>
#include <vector>

namespace vxl::sim {

// The module's return codes.
enum ModuleReturnCode : std::uint8_t {
    kOk = 0,
    kBadChecksum = 1,
    kOverrun = 2,
    kBadForwardMask = 3,
    kNotForGroup = 4,
    kOutOfRange = 5,
    kSchedulerEmpty = 6,
    kBadParameters = 7,
    kNotSupported = 9,
    kSchedulerRunning = 11,
    kBadTimestamp = 12,
};

// The data bytes of a reply.
using ReplyData = std::vector<std::uint8_t>;

// One request as the module's command handlers see it: the configuration it reads or changes,
// the firmware and build that decide what the module offers, and the request's data bytes.
struct ModuleRequest
{
    ModuleConfig &config;
    int group; // 0 RS-232, 1 CAN, 2 LIN
    int firmware;
    std::uint8_t buildMode;
    const LIN_Msg &msg;
    int length;

    [[nodiscard]] std::uint8_t byte(int at) const { return msg.data[std::size_t(at)]; }
    // `size` data bytes from `at` on, lowest first.
    [[nodiscard]] std::uint64_t value(int at, int size) const
    {
        std::uint64_t result = 0;
        for (int i = size - 1; i >= 0; --i)
            result = (result << 8) | byte(at + i);
        return result;
    }
};

// `size` bytes of value, lowest first.
inline void PutLittleEndian(ReplyData &out, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

// A traffic counter goes round at its 16 bits.
inline void CountOne(std::uint16_t &counter)
{
    counter = static_cast<std::uint16_t>(counter + 1);
}

} // namespace vxl::sim
