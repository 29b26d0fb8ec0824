#include "soak/soak_invariants.h"

#include "core/operations/operations.h"
#include "soak/soak_session.h"

namespace vxl::soak {

namespace {

template<const char *Name>
std::optional<QString> finding(Session &session)
{
    const auto found = session.findings.find(QLatin1String(Name));
    if (found == session.findings.end())
        return std::nullopt;
    return found->second;
}

std::optional<QString> entriesEndWithConnection(Session &session)
{
    auto &ops = session.ops();
    if (ops.IsConnected() || ops.CollectedEntries().empty())
        return std::nullopt;
    return QStringLiteral("%1 entries collected on a connection that has ended")
        .arg(ops.CollectedEntries().size());
}

std::optional<QString> commandsFollowConnection(Session &session)
{
    auto &ops = session.ops();
    if (ops.IsConnected())
        return std::nullopt;
    using C = Command;
    std::vector<Command> table{C::Reset,
                               C::SaveFlash,
                               C::SetDefaults,
                               C::Disconnect,
                               C::NewFromModule,
                               C::ProgrammingMode,
                               C::LogStart};
    switch (session.op().CurrentView()) {
    case View::ModuleData:
        table.insert(table.end(), {C::SaveDataAs, C::Refresh, C::ModuleScheduler, C::ModuleFrames});
        break;
    case View::Messages:
        table.insert(table.end(),
                     {C::MasterOn,
                      C::MasterOff,
                      C::DiscardScheduler,
                      C::ModifyScheduler,
                      C::AutoReplyClear});
        break;
    case View::Profiles:
        table.insert(table.end(), {C::SendProfile, C::FlashWrite});
        break;
    case View::Advanced:
        table.insert(table.end(),
                     {C::ConsoleReset, C::ConsoleSetValues, C::ConsoleCopyFlash, C::SendCode});
        break;
    }
    for (const Command command : table) {
        if (ops.Enabled(command))
            return QStringLiteral("command %1 enabled without a connection").arg(int(command));
    }
    return std::nullopt;
}

std::optional<QString> oneOfOnOff(Session &session)
{
    auto &ops = session.ops();
    if (!ops.IsConnected() || !ops.IsIdle() || session.op().CurrentView() != View::Messages)
        return std::nullopt;
    const int usable = int(ops.Enabled(Command::MasterOn)) + int(ops.Enabled(Command::MasterOff));
    const int wanted = ops.Enabled(Command::DiscardScheduler) ? 1 : 0;
    if (usable == wanted)
        return std::nullopt;
    return QStringLiteral("ON %1, OFF %2 with Discard %3")
        .arg(ops.Enabled(Command::MasterOn))
        .arg(ops.Enabled(Command::MasterOff))
        .arg(ops.Enabled(Command::DiscardScheduler));
}

} // namespace

const std::vector<Invariant> &Invariants()
{
    static const std::vector<Invariant> table{
        {kTimeoutAtLimit, finding<kTimeoutAtLimit>},
        {kNoExchangeOutlasts, finding<kNoExchangeOutlasts>},
        {kSendLeavesProfile, finding<kSendLeavesProfile>},
        {kWritesOnlyWhenAsked, finding<kWritesOnlyWhenAsked>},
        {kEntriesEndWithConnection, entriesEndWithConnection},
        {kRefusedStaysOut, finding<kRefusedStaysOut>},
        {kCommandsFollowConnection, commandsFollowConnection},
        {kOneOfOnOff, oneOfOnOff},
        {kSavedProfileOpens, finding<kSavedProfileOpens>},
        {kConnectionReads, finding<kConnectionReads>},
    };
    return table;
}

QStringList OpenFaults()
{
    return {};
}

} // namespace vxl::soak
