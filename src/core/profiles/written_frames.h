#pragma once

#include "core/module/module_config.h"

#include <array>
#include <cstdint>

namespace vxl {

// What a frame of the table was written with.
struct WrittenFrame
{
    std::uint8_t active = 0;
    int length = 0;
    int format = 0;
    std::array<std::uint8_t, kFrameDataBytes> data{};
    bool operator==(const WrittenFrame &) const = default;
};
using WrittenFrames = std::array<WrittenFrame, kFrameCount>;

} // namespace vxl
