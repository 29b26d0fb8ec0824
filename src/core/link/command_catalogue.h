#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vxl {

// Interface groups as the code byte carries them.
enum class CommandGroup : int { Rs232 = 0, Can = 1, Lin = 2, Module = 3 };

// What kind of command a number is within groups 0 to 2 (the console calls it the mode).
enum class CommandMode : int {
    InitWrite = 0,
    Read = 1,
    Set = 2,
    DeleteReset = 3,
    ModuleCommand = 4
};

struct CommandInfo
{
    int group;
    int number;
    const char *name;    // as the console lists it
    const char *request; // the data the request carries
    const char *reply;   // what the module answers
    int params;          // parameter fields the console opens
};

[[nodiscard]] QString GroupName(int group);
// The mode a command number has within groups 0 to 2; ModuleCommand for group 3.
[[nodiscard]] CommandMode ModeOf(int group, int number);

[[nodiscard]] std::optional<CommandInfo> FindCommand(int group, int number);
// The commands of one group and mode, in catalogue order.
[[nodiscard]] std::vector<CommandInfo> CommandsOf(int group, CommandMode mode);

} // namespace vxl
