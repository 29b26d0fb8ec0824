#include "sim/module_commands.h"

#include "sim/lin_commands.h"
#include "sim/module_values.h"

#include <array>
#include <span>

namespace vxl::sim {

namespace {

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

ReplyData readAllCounters(const ModuleRequest &request, int group)
{
    ReplyData out;
    for (std::uint16_t counter : countersOf(request.config, group))
        PutLittleEndian(out, counter, 2);
    return out;
}

ReplyData readRs232Counters(const ModuleRequest &request)
{
    return readAllCounters(request, 0);
}

ReplyData readCanCounters(const ModuleRequest &request)
{
    return readAllCounters(request, 1);
}

ReplyData readLinCounters(const ModuleRequest &request)
{
    return readAllCounters(request, 2);
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
    GroupCommand{0, 24, &readRs232Counters},  GroupCommand{1, 0, &acknowledge},
    GroupCommand{1, 1, &writeCanFrame},       GroupCommand{1, 24, &readCanCounters},
    GroupCommand{2, 0, &acknowledge},         GroupCommand{2, 1, &WriteLinFrame},
    GroupCommand{2, 15, &ReadSlaveMask},      GroupCommand{2, 20, &ReadSchedulerCount},
    GroupCommand{2, 21, &ReadSchedulerEntry}, GroupCommand{2, 24, &readLinCounters},
    GroupCommand{2, 25, &ReadSlaveEntry},     GroupCommand{2, 27, &ReadFrameLengths},
    GroupCommand{2, 28, &ReadFrameFormats},   GroupCommand{2, 40, &AddSchedulerEntry},
    GroupCommand{2, 41, &SetSlaveEntry},      GroupCommand{2, 43, &SetFrameLengths},
    GroupCommand{2, 44, &SetFrameFormats},    GroupCommand{2, 46, &SetSlaveMask},
    GroupCommand{2, 51, &ClearScheduler},     GroupCommand{2, 59, &clearLinCounters},
};

} // namespace

ReplyData AnswerGroupCommand(const ModuleRequest &request, int group, int command)
{
    if (auto answer = AnswerValueCommand(request, group, command))
        return *std::move(answer);
    for (const GroupCommand &each : kGroupCommands) {
        if (each.group == group && each.command == command)
            return each.answer(request);
    }
    // The LIN group says it does not support a command; the others that it is not theirs.
    return {group == 2 ? kNotSupported : kNotForGroup};
}

} // namespace vxl::sim
