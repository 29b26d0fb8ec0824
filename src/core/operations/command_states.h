#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace vxl {

// The commands whose enabled state the operations decide. The application maps each to its
// controls (menu items, tool buttons, view buttons).
enum class Command : int {
    Reset,
    SaveFlash,
    SetDefaults,
    Disconnect,
    NewFromModule,
    ProgrammingMode,
    CheckConnection,
    FlashMagic,
    // Module data view.
    SaveDataAs,
    Refresh,
    ModuleScheduler,
    ModuleFrames,
    // Messages view.
    MasterOn,
    MasterOff,
    DiscardScheduler,
    ModifyScheduler,
    AutoReplyClear,
    LogStart,
    LogStop,
    // Profiles view.
    SendProfile,
    FlashWrite,
    // Advanced view.
    ConsoleReset,
    ConsoleSetValues,
    ConsoleCopyFlash,
    SendCode,
};
inline constexpr int kCommandCount = int(Command::SendCode) + 1;

// The published state of every command; a command the operations have not decided yet has
// none, and its controls keep theirs.
class CommandStates
{
public:
    [[nodiscard]] std::optional<bool> State(Command command) const
    {
        return m_states[index(command)];
    }
    // False while undecided.
    [[nodiscard]] bool Enabled(Command command) const { return State(command).value_or(false); }
    // True when the state changed.
    bool Set(Command command, bool enabled)
    {
        auto &state = m_states[index(command)];
        if (state == enabled)
            return false;
        state = enabled;
        return true;
    }

private:
    static constexpr std::size_t index(Command command) { return std::size_t(command); }

    std::array<std::optional<bool>, kCommandCount> m_states{};
};

} // namespace vxl
