#include "core/module/module_refusals.h"

#include "core/link/read_refusal.h"

#include <algorithm>

namespace vxl {

namespace {

constexpr int kRs232 = 0;
constexpr int kCan = 1;
constexpr int kLin = 2;

// A status slot holds the byte of a one-byte reply (0 after a full one).
bool refused(int group, int command, std::uint8_t status)
{
    return status != 0 && IsReadRefusal(group, command, status);
}

} // namespace

ReadRefusals RefusalsOf(const ModuleConfig &module)
{
    const auto &rs = module.RS232.ReplyStatus;
    const auto &can = module.CAN.ReplyStatus;
    const auto &lin = module.LIN.ReplyStatus;
    ReadRefusals r;
    r.rs232Baudrate = refused(kRs232, 11, rs[0]);
    r.rs232ErrorCounters = refused(kRs232, 24, rs[1]);
    r.canBaudrate = refused(kCan, 11, can[CanBaudrateStatus]);
    r.canFilterMask = refused(kCan, 13, can[CanFilterMaskStatus]);
    r.canFilterCode = refused(kCan, 14, can[CanFilterCodeStatus]);
    r.canIdOffset = refused(kCan, 15, can[CanIdOffsetStatus]);
    r.canErrorCounters = refused(kCan, 24, can[CanErrorCountersStatus]);
    r.canErrorId = refused(kCan, 16, can[CanErrorIdStatus]);
    r.linBaudrate = refused(kLin, 11, lin[LinBaudrateStatus]);
    r.messageTimeouts = refused(kLin, 18, lin[LinMessageTimeoutsStatus]);
    r.linErrorCounters = refused(kLin, 24, lin[LinErrorCountersStatus]);
    r.slaveMask = refused(kLin, 15, lin[LinSlaveMaskStatus]);
    r.frameLengths = refused(kLin, 27, lin[LinFrameLengthsStatus]);
    r.frameFormats = refused(kLin, 28, lin[LinFrameFormatsStatus]);
    r.slaveIdData = refused(kLin, 25, lin[LinSlaveIdDataStatus]);
    r.slaveActivationId = refused(kLin, 29, lin[LinSlaveActivationIdStatus]);
    for (std::size_t i = 0; i < r.frames.size(); ++i)
        r.frames[i] = module.LIN.FrameRefusals[i] != 0;
    const int entries = std::min<int>(module.LIN.SchedulerCount, kMaxSchedulerEntries);
    for (int i = 0; i < entries; ++i)
        r.schedulerEntries[std::size_t(i)] = module.LIN.EntryRefusals[std::size_t(i)] != 0;
    return r;
}

} // namespace vxl
