#include "sim/lin_commands.h"

#include <algorithm>
#include <optional>

namespace vxl::sim {

namespace {

// The entry as the module answers it: state, identifier and the data bytes its firmware counts.
ReplyData slaveEntryBytes(const ModuleRequest &request, const LIN_FrameEntry &entry)
{
    ReplyData out{entry.Active, entry.ID};
    const int count = UsesDefaultSlaveDataLength(request.firmware)
                          ? DefaultFrameLength(entry.ID)
                          : FrameByteCount(request.config.LIN, entry.ID);
    for (int i = 0; i < count; ++i)
        out.push_back(entry.Data[std::size_t(i)]);
    return out;
}

// A bit set read whole (0) or for one identifier (1, identifier): as the slave mask and the
// frame formats answer.
ReplyData readBitSet(const ModuleRequest &request, const std::array<std::uint8_t, 8> &set)
{
    if (request.byte(0) == 1)
        return {static_cast<std::uint8_t>(TestBit(set, request.byte(1)))};
    return {set.begin(), set.end()};
}

// A bit set written whole (0, eight bytes) or for one identifier (1, identifier, state).
std::uint8_t writeBitSet(const ModuleRequest &request, std::array<std::uint8_t, 8> &set)
{
    if (request.length == 9 && request.byte(0) == 0) {
        std::copy_n(request.msg.data.begin() + 1, 8, set.begin());
        return kOk;
    }
    if (request.length != 3 || request.byte(0) != 1)
        return kBadParameters;
    if (request.byte(1) > kMaxLinId || request.byte(2) > 1)
        return kOutOfRange;
    SetBit(set, request.byte(1), request.byte(2) != 0);
    return kOk;
}

// The refusal of a frame-table read, if any: the tables need their firmware, and the request
// names a range (0 to lastRange) and an identifier.
std::optional<std::uint8_t> frameTableReadRefusal(const ModuleRequest &request, int lastRange)
{
    if (!HasFrameTables(request.firmware))
        return kNotSupported;
    if (request.length != 2 || request.byte(0) > lastRange || request.byte(1) > kMaxLinId)
        return kOutOfRange;
    return std::nullopt;
}

bool lengthNibblesValid(const ModuleRequest &request)
{
    for (int i = 1; i <= 8; ++i) {
        const std::uint8_t byte = request.byte(i);
        if ((byte & 0x0F) > 8 || (byte >> 4) > 8)
            return false;
    }
    return true;
}

} // namespace

bool MasterRunning(const LIN_Group &lin)
{
    return lin.MasterStatus != 0 && lin.SchedulerCount > 0;
}

ReplyData WriteLinFrame(const ModuleRequest &request)
{
    if (request.length < 1)
        return {kBadParameters};
    const int id = request.byte(0);
    if (id >= 0x40 && id < 0x80)
        return {kOutOfRange};
    if (id < 0x40 && request.length != 1 + DefaultFrameLength(id))
        return {kBadParameters};
    if (id >= 0x80 && (request.length != 1 || (id & 0x7F) > kMaxLinId))
        return {kBadParameters};
    CountOne(request.config.LIN.ErrorCounters[1]);
    return {kOk};
}

ReplyData ReadSlaveMask(const ModuleRequest &request)
{
    if (request.length != 2 || request.byte(0) > 1
        || (request.byte(0) == 1 && request.byte(1) > kMaxLinId))
        return {kBadParameters};
    return readBitSet(request, request.config.LIN.SlaveMask);
}

ReplyData SetSlaveMask(const ModuleRequest &request)
{
    if (!HasSlaveActivation(request.firmware, request.buildMode))
        return {kNotSupported};
    LIN_Group &lin = request.config.LIN;
    if (const std::uint8_t code = writeBitSet(request, lin.SlaveMask); code != kOk)
        return {code};
    // The mask and the frames' own states are one thing in the module.
    for (int id = 0; id < kFrameCount; ++id)
        lin.Frames[std::size_t(id)].Active = static_cast<std::uint8_t>(TestBit(lin.SlaveMask, id));
    return {kOk};
}

ReplyData ReadSchedulerCount(const ModuleRequest &request)
{
    const LIN_Group &lin = request.config.LIN;
    if (lin.SchedulerCount == 0)
        return {kSchedulerEmpty};
    ReplyData out;
    PutLittleEndian(out, lin.SchedulerCount, 2);
    return out;
}

ReplyData ReadSchedulerEntry(const ModuleRequest &request)
{
    const LIN_Group &lin = request.config.LIN;
    if (request.length != 1)
        return {kBadParameters};
    const int number = request.byte(0);
    if (number < 1 || number > lin.SchedulerCount)
        return {kOutOfRange};
    const LIN_SchedulerEntry &entry = lin.SchedulerEntries[std::size_t(number - 1)];
    ReplyData out;
    PutLittleEndian(out, entry.Time, 2);
    out.push_back(entry.ID);
    return out;
}

ReplyData AddSchedulerEntry(const ModuleRequest &request)
{
    LIN_Group &lin = request.config.LIN;
    if (request.length != 3)
        return {kBadParameters};
    if (MasterRunning(lin))
        return {kSchedulerRunning};
    const auto time = static_cast<std::uint16_t>(request.value(0, 2));
    if (time == 0)
        return {kBadTimestamp};
    if (request.byte(2) > kMaxLinId)
        return {kOutOfRange};
    if (lin.SchedulerCount >= kMaxSchedulerEntries)
        return {kOverrun};
    lin.SchedulerEntries[lin.SchedulerCount++] = {time, request.byte(2)};
    return {kOk};
}

ReplyData ClearScheduler(const ModuleRequest &request)
{
    // Emptying the scheduler stops the master.
    request.config.LIN.SchedulerCount = 0;
    request.config.LIN.MasterStatus = 0;
    return {kOk};
}

ReplyData ReadSlaveEntry(const ModuleRequest &request)
{
    const LIN_Group &lin = request.config.LIN;
    if (request.length == 0)
        return slaveEntryBytes(request, lin.SlaveIdData);
    if (!HasPerIdSlaveData(request.firmware))
        return {kNotSupported};
    if (request.length != 1 || request.byte(0) > kMaxLinId)
        return {kOutOfRange};
    return slaveEntryBytes(request, lin.Frames[request.byte(0)]);
}

ReplyData SetSlaveEntry(const ModuleRequest &request)
{
    LIN_Group &lin = request.config.LIN;
    if (request.length < 2 || request.length > 10)
        return {kBadParameters};
    const int id = request.byte(1);
    if (request.byte(0) > 1 || id > kMaxLinId)
        return {kOutOfRange};
    // Older firmware keeps one slave entry; newer keeps one per identifier.
    const bool perId = HasPerIdSlaveData(request.firmware);
    LIN_FrameEntry &stored = perId ? lin.Frames[std::size_t(id)] : lin.SlaveIdData;
    LIN_FrameEntry entry = stored;
    entry.Active = request.byte(0);
    entry.ID = static_cast<std::uint8_t>(id);
    for (int i = 2; i < request.length; ++i)
        entry.Data[std::size_t(i - 2)] = request.byte(i);
    entry.Length = static_cast<std::uint8_t>(perId ? FrameByteCount(lin, id) : request.length - 2);
    stored = entry;
    SetBit(lin.SlaveMask, id, entry.Active != 0);
    return {kOk};
}

ReplyData ReadFrameLengths(const ModuleRequest &request)
{
    if (const auto refusal = frameTableReadRefusal(request, 4))
        return {*refusal};
    const auto &lengths = request.config.LIN.FrameLengths;
    const int range = request.byte(0);
    if (range == 4)
        return {static_cast<std::uint8_t>(GetNibble(lengths, request.byte(1)))};
    return {lengths.begin() + 8 * range, lengths.begin() + 8 * range + 8};
}

ReplyData SetFrameLengths(const ModuleRequest &request)
{
    if (!HasFrameTables(request.firmware))
        return {kNotSupported};
    if (request.length < 1 || request.byte(0) > 4)
        return {kOutOfRange};
    auto &lengths = request.config.LIN.FrameLengths;
    const int range = request.byte(0);
    if (range == 4) {
        if (request.length != 3)
            return {kBadParameters};
        if (request.byte(1) > kMaxLinId || request.byte(2) < 1 || request.byte(2) > 8)
            return {kOutOfRange};
        SetNibble(lengths, request.byte(1), request.byte(2));
        return {kOk};
    }
    if (request.length != 9)
        return {kBadParameters};
    if (!lengthNibblesValid(request))
        return {kOutOfRange};
    std::copy_n(request.msg.data.begin() + 1, 8, lengths.begin() + 8 * range);
    return {kOk};
}

ReplyData ReadFrameFormats(const ModuleRequest &request)
{
    if (const auto refusal = frameTableReadRefusal(request, 1))
        return {*refusal};
    return readBitSet(request, request.config.LIN.FrameFormats);
}

ReplyData SetFrameFormats(const ModuleRequest &request)
{
    if (!HasFrameTables(request.firmware))
        return {kNotSupported};
    return {writeBitSet(request, request.config.LIN.FrameFormats)};
}

} // namespace vxl::sim
