#pragma once

#include "core/module/module_config.h"

#include <array>

namespace vxl {

// The values of a module copy whose read the module refused: it answered with a one-byte return
// code where a longer value belongs, so the value fields hold that code, not the module's value.
// One-byte values are their own byte and are never refused; the scheduler count's "empty" code
// is its answer.
struct ReadRefusals
{
    bool rs232Baudrate = false;
    bool rs232ErrorCounters = false;
    bool canBaudrate = false;
    bool canFilterMask = false;
    bool canFilterCode = false;
    bool canIdOffset = false;
    bool canErrorCounters = false;
    bool canErrorId = false;
    bool linBaudrate = false;
    bool messageTimeouts = false;
    bool linErrorCounters = false;
    bool slaveMask = false;
    bool frameLengths = false;
    bool frameFormats = false;
    bool slaveIdData = false;
    bool slaveActivationId = false;
    std::array<bool, kFrameCount> frames{};
    std::array<bool, kMaxSchedulerEntries> schedulerEntries{};
};

[[nodiscard]] ReadRefusals RefusalsOf(const ModuleConfig &module);

} // namespace vxl
