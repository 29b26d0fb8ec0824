#include "test_profile.h"

namespace vxl::test {

ModuleConfig testProfile(int schedulerEntries)
{
    ModuleConfig p = ModuleConfig::NewProfile();
    p.CAN.Active = 1;
    p.CAN.Baudrate = 0x0114;
    p.CAN.ForwardMask = 0x06;
    p.CAN.FilterMask = 0x12345678;
    p.CAN.FilterCode = 0x00000ABC;
    p.CAN.IdOffset = 0x80000100;
    p.CAN.ErrorId = 0x000007FE;
    auto &lin = p.LIN;
    lin.Baudrate = 10400;
    lin.ForwardMask = 0x04;
    lin.FilterMask = 0x3F;
    lin.FilterCode = 0x12;
    lin.Retries = 9;                    // a send always writes 0
    lin.MessageTimeouts = {9, 9, 9, 9}; // a send takes the module's
    lin.BusTermination = 1;
    lin.MasterStatus = 0;
    SetNibble(lin.FrameLengths, 7, 5);
    SetNibble(lin.FrameLengths, 50, 3);
    lin.FrameFormats = {0, 0xF0, 0, 0, 0, 0, 0, 0};
    lin.SlaveMask = {0xAA, 0, 0, 0, 0, 0, 0, 0x55};
    lin.SlaveActivationId = 0x40000321;
    lin.SlaveIdData = {1, 7, 2, {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8}};
    for (int i = 0; i < kFrameCount; ++i) {
        auto &frame = lin.Frames[std::size_t(i)];
        frame.ID = std::uint8_t(i);
        frame.Active = i % 2;
        frame.Length = std::uint8_t(FrameByteCount(lin, i));
        frame.Data.fill(std::uint8_t(0x40 + i));
    }
    lin.SchedulerCount = std::uint16_t(schedulerEntries);
    for (int i = 0; i < schedulerEntries; ++i)
        lin.SchedulerEntries[std::size_t(i)] = {std::uint16_t(10 * (i + 1)), std::uint8_t(i + 1)};
    return p;
}

} // namespace vxl::test
