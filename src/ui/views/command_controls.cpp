#include "ui/views/command_controls.h"

#include "ui/views/control_names.h"

#include <array>

namespace vxl {

namespace {

using namespace control;

struct CommandControls
{
    Command command;
    std::array<const char *, 2> names; // the second may be absent
    int count;
};

constexpr CommandControls kTable[] = {
    {Command::Reset, {mniReset, tbtReset}, 2},
    {Command::SaveFlash, {mniCopyToFlash, tbtSaveFlash}, 2},
    {Command::SetDefaults, {mniSetDefaultValues, tbtSetDefault}, 2},
    {Command::Disconnect, {mniDisconnection, tbtCutConnection}, 2},
    {Command::NewFromModule, {mniNewFromModule}, 1},
    {Command::ProgrammingMode, {mniSetISPMode}, 1},
    {Command::CheckConnection, {mniCheckConnection, tbtCheckConnection}, 2},
    {Command::FlashMagic, {mniFlashMagic}, 1},
    {Command::SaveDataAs, {btbSaveDataAs}, 1},
    {Command::Refresh, {btbRefresh}, 1},
    {Command::ModuleScheduler, {btbScheduler}, 1},
    {Command::ModuleFrames, {btbFrames}, 1},
    {Command::MasterOn, {btbMasterOn}, 1},
    {Command::MasterOff, {btbMasterOff}, 1},
    {Command::DiscardScheduler, {btbDiscardScheduler}, 1},
    {Command::ModifyScheduler, {btbModifyScheduler}, 1},
    {Command::AutoReplyClear, {btbAutoRplyClear}, 1},
    {Command::LogStart, {btbLogStart}, 1},
    {Command::LogStop, {btbLogStop}, 1},
    {Command::SendProfile, {btbSendProfile}, 1},
    {Command::FlashWrite, {chbFlashWrite}, 1},
    {Command::ConsoleReset, {btbReset}, 1},
    {Command::ConsoleSetValues, {btbSetValues}, 1},
    {Command::ConsoleCopyFlash, {btbCopyFlashBlock}, 1},
    {Command::SendCode, {btbSendCode}, 1},
};

// The table lists every command once, in the enumeration's order, so a command is its index.
constexpr bool tableInOrder()
{
    if (std::size(kTable) != std::size_t(kCommandCount))
        return false;
    for (int i = 0; i < kCommandCount; ++i) {
        if (kTable[i].command != Command(i))
            return false;
    }
    return true;
}
static_assert(tableInOrder(), "every command needs its controls, in the enumeration's order");

} // namespace

std::span<const char *const> ControlsOf(Command command)
{
    const auto &row = kTable[std::size_t(command)];
    return {row.names.data(), std::size_t(row.count)};
}

bool ControlEnabled(const CommandStates &states, QStringView controlName)
{
    for (const auto &row : kTable) {
        for (const char *name : ControlsOf(row.command)) {
            if (controlName == QLatin1StringView(name))
                return states.Enabled(row.command);
        }
    }
    return false;
}

void ForEachControlState(const CommandStates &states,
                         const std::function<void(const QString &name, bool enabled)> &apply)
{
    for (const auto &row : kTable) {
        const auto state = states.State(row.command);
        if (!state)
            continue;
        for (const char *name : ControlsOf(row.command))
            apply(QString::fromLatin1(name), *state);
    }
}

} // namespace vxl
