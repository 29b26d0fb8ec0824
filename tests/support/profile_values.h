#pragma once

// Header only: the benchmarks share it without the tests' support library.

#include "core/module/module_config.h"

namespace vxl::test {

// The values a profile document reads and writes at once.
struct ProfileValues
{
    std::uint32_t baudrate = 0;
    CAN_Group can;
    LIN_Group lin;
};

[[nodiscard]] inline ProfileValues newProfileValues()
{
    const ModuleConfig config = ModuleConfig::NewProfile();
    return {config.RS232.Baudrate, config.CAN, config.LIN};
}

// Everything a profile can hold: 64 frames of eight bytes, 50 scheduler entries.
[[nodiscard]] inline ProfileValues fullProfileValues()
{
    ProfileValues values = newProfileValues();
    LIN_Group &lin = values.lin;
    for (int k = 0; k < kFrameCount; ++k) {
        SetNibble(lin.FrameLengths, k, kFrameDataBytes);
        SetBit(lin.FrameFormats, k, k % 3 == 0);
        auto &frame = lin.Frames[std::size_t(k)];
        frame.Active = std::uint8_t(k % 2);
        for (int b = 0; b < kFrameDataBytes; ++b)
            frame.Data[std::size_t(b)] = std::uint8_t(k * 8 + b);
    }
    lin.SchedulerCount = kMaxSchedulerEntries;
    for (int i = 0; i < kMaxSchedulerEntries; ++i)
        lin.SchedulerEntries[std::size_t(i)] = {std::uint16_t(10 + i), std::uint8_t(i % 64)};
    lin.SlaveIdData.Length = kFrameDataBytes;
    for (int b = 0; b < kFrameDataBytes; ++b)
        lin.SlaveIdData.Data[std::size_t(b)] = std::uint8_t(0xF0 + b);
    return values;
}

} // namespace vxl::test
