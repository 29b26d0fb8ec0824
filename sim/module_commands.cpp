#include "sim/module_commands.h"

#include "sim/module_values.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

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

ReplyData writeLinFrame(const ModuleRequest &request)
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

ReplyData readSlaveMask(const ModuleRequest &request)
{
    if (request.length != 2 || request.byte(0) > 1
        || (request.byte(0) == 1 && request.byte(1) > kMaxLinId))
        return {kBadParameters};
    return readBitSet(request, request.config.LIN.SlaveMask);
}

ReplyData setSlaveMask(const ModuleRequest &request)
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

ReplyData readSchedulerCount(const ModuleRequest &request)
{
    const LIN_Group &lin = request.config.LIN;
    if (lin.SchedulerCount == 0)
        return {kSchedulerEmpty};
    ReplyData out;
    PutLittleEndian(out, lin.SchedulerCount, 2);
    return out;
}

ReplyData readSchedulerEntry(const ModuleRequest &request)
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

ReplyData addSchedulerEntry(const ModuleRequest &request)
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

ReplyData clearScheduler(const ModuleRequest &request)
{
    // Emptying the scheduler stops the master.
    request.config.LIN.SchedulerCount = 0;
    request.config.LIN.MasterStatus = 0;
    return {kOk};
}

ReplyData readSlaveEntry(const ModuleRequest &request)
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

ReplyData setSlaveEntry(const ModuleRequest &request)
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

ReplyData readFrameLengths(const ModuleRequest &request)
{
    if (const auto refusal = frameTableReadRefusal(request, 4))
        return {*refusal};
    const auto &lengths = request.config.LIN.FrameLengths;
    const int range = request.byte(0);
    if (range == 4)
        return {static_cast<std::uint8_t>(GetNibble(lengths, request.byte(1)))};
    return {lengths.begin() + 8 * range, lengths.begin() + 8 * range + 8};
}

ReplyData setFrameLengths(const ModuleRequest &request)
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

ReplyData readFrameFormats(const ModuleRequest &request)
{
    if (const auto refusal = frameTableReadRefusal(request, 1))
        return {*refusal};
    return readBitSet(request, request.config.LIN.FrameFormats);
}

ReplyData setFrameFormats(const ModuleRequest &request)
{
    if (!HasFrameTables(request.firmware))
        return {kNotSupported};
    return {writeBitSet(request, request.config.LIN.FrameFormats)};
}

ReplyData acknowledge(const ModuleRequest &)
{
    return {kOk};
}

std::span<std::uint16_t> countersOf(ModuleConfig &config, int group)
{
    switch (group) {
    case 0:
        return config.RS232.ErrorCounters;
    case 1:
        return config.CAN.ErrorCounters;
    default:
        return config.LIN.ErrorCounters;
    }
}

ReplyData readAllCounters(const ModuleRequest &request)
{
    ReplyData out;
    for (std::uint16_t counter : countersOf(request.config, request.group))
        PutLittleEndian(out, counter, 2);
    return out;
}

ReplyData clearLinCounters(const ModuleRequest &request)
{
    request.config.LIN.ErrorCounters.fill(0);
    return {kOk};
}

ReplyData writeCanFrame(const ModuleRequest &request)
{
    if (request.length < 1)
        return {kBadParameters};
    const int kind = request.byte(0) >> 4;
    const int dlc = request.byte(0) & 0x0F;
    const bool extended = kind == 0x8 || kind == 0xC;
    const bool remote = kind == 0x4 || kind == 0xC;
    if ((kind != 0 && kind != 4 && kind != 8 && kind != 0xC) || dlc > 8)
        return {kOutOfRange};
    if (request.length != 1 + (extended ? 4 : 2) + (remote ? 0 : dlc))
        return {kBadParameters};
    CountOne(request.config.CAN.ErrorCounters[0]);
    return {kOk};
}

struct GroupCommand
{
    int group;
    int command;
    ReplyData (*answer)(const ModuleRequest &);
};

// The commands that are more than one plain value.
constexpr std::array kGroupCommands{
    GroupCommand{0, 24, &readAllCounters},    GroupCommand{1, 0, &acknowledge},
    GroupCommand{1, 1, &writeCanFrame},       GroupCommand{1, 24, &readAllCounters},
    GroupCommand{2, 0, &acknowledge},         GroupCommand{2, 1, &writeLinFrame},
    GroupCommand{2, 15, &readSlaveMask},      GroupCommand{2, 20, &readSchedulerCount},
    GroupCommand{2, 21, &readSchedulerEntry}, GroupCommand{2, 24, &readAllCounters},
    GroupCommand{2, 25, &readSlaveEntry},     GroupCommand{2, 27, &readFrameLengths},
    GroupCommand{2, 28, &readFrameFormats},   GroupCommand{2, 40, &addSchedulerEntry},
    GroupCommand{2, 41, &setSlaveEntry},      GroupCommand{2, 43, &setFrameLengths},
    GroupCommand{2, 44, &setFrameFormats},    GroupCommand{2, 46, &setSlaveMask},
    GroupCommand{2, 51, &clearScheduler},     GroupCommand{2, 59, &clearLinCounters},
};

} // namespace

bool MasterRunning(const LIN_Group &lin)
{
    return lin.MasterStatus != 0 && lin.SchedulerCount > 0;
}

ReplyData AnswerGroupCommand(const ModuleRequest &request, int command)
{
    const int group = request.group;
    if (auto answer = AnswerValueCommand(request, command))
        return *std::move(answer);
    for (const GroupCommand &each : kGroupCommands) {
        if (each.group == group && each.command == command)
            return each.answer(request);
    }
    // The LIN group says it does not support a command; the others that it is not theirs.
    return {group == 2 ? kNotSupported : kNotForGroup};
}

} // namespace vxl::sim
