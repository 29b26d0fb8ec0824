#include "core/link/command_catalogue.h"

#include <array>

namespace vxl {

namespace {

constexpr CommandInfo kCatalogue[] = {
    // RS-232
    {0, 0, "Initialization according to Current Params.", "none", "return code", 0},
    {0, 11, "Bit rate", "none", "bit rate, 2 bytes", 0},
    {0, 22, "RCV Error Count", "none", "counter value", 0},
    {0, 23, "XMT Error Count", "none", "counter value", 0},
    {0, 24, "Separate Error Count", "none", "three 16-bit counters, 6 bytes", 0},
    {0, 31, "Bit rate", "bit rate, 2 bytes (4800..115200, 115200 sent as 0xC200)", "return code", 2},
    {0, 52, "RCV Errors", "none", "return code", 0},
    {0, 53, "XMT Errors", "none", "return code", 0},
    {0, 55, "Checksum Errors", "none", "return code", 0},
    // CAN
    {1, 0, "Initialization according to Current Params.", "none", "return code", 0},
    {1, 1, "Write Data on Bus", "kind/length, identifier (2 or 4 bytes), data", "return code", 3},
    {1, 10, "Activation", "none", "1 active, 0 inactive", 0},
    {1, 11, "Bit rate", "none", "bus timing value, 2 bytes", 0},
    {1, 12, "Forward Mask", "none", "mask byte", 0},
    {1, 13, "Filter Mask", "none", "acceptance mask, 4 bytes", 0},
    {1, 14, "Filter Code", "none", "acceptance code, 4 bytes", 0},
    {1, 15, "CAN ID Offset", "none", "offset, 4 bytes", 0},
    {1, 16, "CAN Error ID", "none", "CAN identifier, 4 bytes", 0},
    {1, 22, "RCV Error Count", "none", "counter value", 0},
    {1, 23, "XMT Error Count", "none", "counter value", 0},
    {1, 24, "Separate Error Count", "none", "four 16-bit counters, 8 bytes", 0},
    {1, 30, "Activation", "1 byte: 1 active, 0 inactive", "return code", 1},
    {1, 31, "Bit rate", "bus timing value, 2 bytes", "return code", 2},
    {1, 32, "Forward Mask", "1 byte", "return code", 1},
    {1, 33, "Filter Mask", "4 bytes", "return code", 4},
    {1, 34, "Filter Code", "4 bytes", "return code", 4},
    {1, 35, "CAN ID Offset", "4 bytes", "return code", 4},
    {1, 36, "CAN Error ID", "4 bytes", "return code", 4},
    // LIN
    {2, 0, "Initialization according to Current Params.", "none", "return code", 0},
    {2, 1, "Write Data on Bus", "identifier (+0x80 response mode), data", "return code", 3},
    {2, 10, "Activation", "none", "1 active, 0 inactive", 0},
    {2, 11, "Bit rate", "none", "bit rate, 2 bytes", 0},
    {2, 12, "Forward Mask", "none", "mask byte", 0},
    {2, 13, "Filter Mask", "none", "1 byte", 0},
    {2, 14, "Filter Code", "none", "1 byte", 0},
    {2, 15, "Slave Mask", "0 all / 1 one identifier; the identifier", "slave mask, 8 bytes", 2},
    {2, 16, "Master Status", "none", "0 inactive, 1 active", 0},
    {2, 17, "LIN Bus Termination", "none", "0 slave, 1 master", 0},
    {2, 18, "Message Transmition Time Outs", "none", "four 16-bit values", 0},
    {2, 19, "Number of Message Repetitions", "none", "the number of repetitions", 0},
    {2, 20, "Number of Valid Scheduler Entries", "none", "16-bit count, or return code 6", 0},
    {2, 21, "Scheduler Entry", "entry number 1..50", "time (2 bytes), LIN identifier", 1},
    {2, 22, "RCV Error Count", "none", "counter value", 0},
    {2, 23, "XMT Error Count", "none", "counter value", 0},
    {2, 24, "Separate Error Count", "none", "seven 16-bit counters, 14 bytes", 0},
    {2, 25, "Slave ID + Data Configuration", "none, or entry index", "the entry", 0},
    {2, 26, "Bit rate Recognition for Sync Field", "none", "1 enabled, 0 disabled", 0},
    {2,
     27,
     "Frame Length",
     "range 0..4; identifier for range 4",
     "8 bytes, two identifiers per byte",
     2},
    {2,
     28,
     "Frame Format",
     "0 all / 1 one identifier; the identifier",
     "8 bytes, one bit per identifier",
     2},
    {2, 29, "CAN ID for Slave Activation", "none", "4 bytes", 0},
    {2, 30, "Activation", "1 byte: 1 active, 0 inactive", "return code", 1},
    {2, 31, "Bit rate", "bit rate, 2 bytes, 1000..20000", "return code", 2},
    {2, 32, "Forward Mask", "1 byte", "return code", 1},
    {2, 33, "Filter Mask", "1 byte", "return code", 1},
    {2, 34, "Filter Code", "1 byte", "return code", 1},
    {2, 36, "Master Status", "1 byte: 0 inactive, 1 active", "return code", 1},
    {2, 37, "LIN Bus Termination", "1 byte: 0 slave, 1 master", "return code", 1},
    {2, 38, "Message Transmition Time Outs", "four 16-bit values", "return code", 8},
    {2, 39, "Number of Message Repetitions", "1 byte", "return code", 1},
    {2, 40, "Scheduler Entry", "time (2 bytes, at least 1), LIN identifier", "return code", 3},
    {2, 41, "Slave ID + Data Configuration", "enable, identifier, data", "return code", 4},
    {2, 42, "Bit rate Recognition for Sync Field", "1 byte: 1 enable, 0 disable", "return code", 1},
    {2, 43, "Frame Length", "range 0..4, then lengths", "return code", 9},
    {2, 44, "Frame Format", "0 all + 8 bytes, or 1 + identifier + format", "return code", 8},
    {2, 45, "CAN ID for Slave Activation", "4 bytes", "return code", 4},
    {2, 46, "Slave Mask", "0 all + 8 bytes, or 1 + identifier + state", "return code", 8},
    {2, 50, "Message Transmition Time Outs", "none", "return code", 0},
    {2, 51, "Current Scheduler", "none", "return code", 0},
    {2, 52, "RCV Errors", "none", "return code", 0},
    {2, 53, "XMT Errors", "none", "return code", 0},
    {2, 54, "Bit Error Counter", "none", "return code", 0},
    {2, 55, "Checksum Errors", "none", "return code", 0},
    {2, 56, "ID Checksum Errors", "none", "return code", 0},
    {2, 57, "Slave Not Responding Error Counter", "none", "return code", 0},
    {2, 58, "Synchronization Byte Inconsistent", "none", "return code", 0},
    {2, 59, "All Errors", "none", "return code", 0},
    // MODULE
    {3, 0, "Read hardware version", "none", "version text", 0},
    {3, 1, "Read firmware version", "none", "version text", 0},
    {3, 2, "Set default values", "none", "return code", 0},
    {3, 3, "Copy configuration to flash", "none", "return code", 0},
    {3, 4, "Reset module", "none", "start-up text", 0},
    {3, 63, "Enter programming mode", "13-character access text", "none", 0},
};

} // namespace

QString GroupName(int group)
{
    static const std::array<const char *, 4> names{"RS-232", "CAN", "LIN", "MODULE"};
    if (group < 0 || group > 3)
        return {};
    return QString::fromLatin1(names[static_cast<std::size_t>(group)]);
}

CommandMode ModeOf(int group, int number)
{
    if (group == 3)
        return CommandMode::ModuleCommand;
    if (number < 10)
        return CommandMode::InitWrite;
    if (number < 30)
        return CommandMode::Read;
    if (number < 50)
        return CommandMode::Set;
    return CommandMode::DeleteReset;
}

std::optional<CommandInfo> FindCommand(int group, int number)
{
    for (const CommandInfo &info : kCatalogue) {
        if (info.group == group && info.number == number)
            return info;
    }
    return std::nullopt;
}

std::vector<CommandInfo> CommandsOf(int group, CommandMode mode)
{
    std::vector<CommandInfo> result;
    for (const CommandInfo &info : kCatalogue) {
        if (info.group == group && ModeOf(info.group, info.number) == mode)
            result.push_back(info);
    }
    return result;
}

} // namespace vxl
