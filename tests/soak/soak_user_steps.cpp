#include "core/operations/connection.h"
#include "core/operations/console_logic.h"
#include "core/operations/maintenance.h"
#include "core/operations/module_read.h"
#include "core/operations/profile_send.h"
#include "core/operations/scheduler_control.h"
#include "core/trace/trace_log.h"
#include "soak/soak_action_steps.h"
#include "soak/soak_session.h"

#include <QDateTime>

// Each action does what the user's click does, and nothing when the control it clicks is
// disabled or not on the view shown. Arguments start at 1: argument 0 is the answer.
namespace vxl::soak {

namespace {

bool enabledOn(Session &s, View view, Command command)
{
    return s.op().CurrentView() == view && s.ops().Enabled(command);
}

int otherPort(Session &s)
{
    return s.ops().Conn().CurrentPort() == Session::kPorts[1] ? Session::kPorts[0]
                                                              : Session::kPorts[1];
}

// The rate a user who knows the module would pick: the one it listens at.
int rateOf(Session &s, int port)
{
    const int index = s.hostIndexOfPort(port);
    return int(s.host(std::max(index, 0)).withModel([](sim::ModuleModel &model) {
        return model.LineRate();
    }));
}

// The state update that follows every way of connecting; a new connection must read.
void connectionMade(Session &s, bool attempted)
{
    if (attempted && s.ops().IsConnected())
        s.expectRead();
    s.ops().Conn().UpdateConnectionState();
}

} // namespace

void ConnectThroughDialog(Session &s, const Step &step)
{
    // Before the first connection the dialog offers the first module's port.
    const int current = s.ops().Conn().CurrentPort();
    const int same = s.hostIndexOfPort(current) >= 0 ? current : Session::kPorts[0];
    ConnectChoice choice;
    switch (step.arg(1, 3)) {
    case 0:
        choice = {same, rateOf(s, same)};
        break;
    case 1:
        choice.port = otherPort(s);
        choice.rate = rateOf(s, choice.port);
        break;
    default:
        choice = {same, SessionRates()[std::size_t(step.arg(2, int(SessionRates().size())))]};
        break;
    }
    s.op().connectChoices = {choice};
    s.ops().Conn().ShowConnectDialog();
    s.op().connectChoices.clear();
    connectionMade(s, true);
}

void ConnectByStartMode(Session &s, const Step &step)
{
    VXLIN_Values settings = s.ops().Settings();
    settings.StartMode = std::uint8_t(1 + step.arg(1, 3));
    settings.Port = Session::kPorts[step.arg(2, 2)];
    settings.Baudrate = rateOf(s, settings.Port);
    s.ops().ApplySettings(settings);
    s.ops().Conn().SetConnected(false);
    s.ops().Conn().UpdateConnectionState();
    s.op().connectChoices = {ConnectChoice{settings.Port, settings.Baudrate}};
    s.ops().Conn().ApplyStartMode();
    s.op().connectChoices.clear();
    connectionMade(s, settings.StartMode != 1);
}

void Disconnect(Session &s, const Step &)
{
    if (s.ops().Enabled(Command::Disconnect))
        s.ops().Conn().DisconnectCommand();
}

void CheckConnection(Session &s, const Step &)
{
    if (!s.ops().Enabled(Command::CheckConnection))
        return;
    const bool idle = s.ops().IsIdle();
    s.ops().Conn().CheckConnection();
    if (idle && s.ops().IsConnected())
        s.expectRead();
}

void Refresh(Session &s, const Step &)
{
    if (enabledOn(s, View::ModuleData, Command::Refresh))
        s.ops().Reader().StartModuleRead();
}

void SwitchView(Session &s, const Step &step)
{
    const auto target = View(step.arg(1, 4));
    if (s.ops().MayChangeView(target, step.arg(2, 2) == 1))
        s.op().SwitchView(target);
}

void NewFromModule(Session &s, const Step &)
{
    if (s.ops().Enabled(Command::NewFromModule))
        s.ops().Reader().NewFromModule();
}

void SaveModuleData(Session &s, const Step &)
{
    if (!enabledOn(s, View::ModuleData, Command::SaveDataAs))
        return;
    s.op().saveFileAnswer = s.profilePath(QStringLiteral("module.vxlin"));
    s.ops().Reader().SaveModuleDataAsProfile();
}

void ModuleScheduler(Session &s, const Step &)
{
    if (enabledOn(s, View::ModuleData, Command::ModuleScheduler))
        s.ops().Scheduler().ShowModuleEntries();
}

void ModuleFrames(Session &s, const Step &)
{
    if (enabledOn(s, View::ModuleData, Command::ModuleFrames))
        s.ops().ShowModuleFrames();
}

void SendProfile(Session &s, const Step &)
{
    if (!enabledOn(s, View::Profiles, Command::SendProfile))
        return;
    s.noteSend();
    s.ops().Sender().SendProfile();
}

void Adjust(Session &s, const Step &step)
{
    if (!enabledOn(s, View::Messages, Command::ModifyScheduler))
        return;
    const int change = step.arg(1, 4);
    const int where = step.arg(2, 64);
    const auto time = std::uint16_t(10 + step.arg(3, 200));
    s.op().entriesDialog = [=](std::vector<LIN_SchedulerEntry> entries,
                               bool editable) -> std::optional<std::vector<LIN_SchedulerEntry>> {
        if (!editable || change == 3)
            return std::nullopt; // Cancel
        const std::size_t at = entries.empty() ? 0 : std::size_t(where) % entries.size();
        if (change == 0 && entries.size() < kMaxSchedulerEntries)
            entries.insert(entries.begin() + std::ptrdiff_t(at),
                           LIN_SchedulerEntry{time, std::uint8_t(where)});
        else if (change == 1 && !entries.empty())
            entries[at].Time = time;
        else if (change == 2 && !entries.empty())
            entries.erase(entries.begin() + std::ptrdiff_t(at));
        return entries;
    };
    s.ops().Scheduler().Adjust();
    s.op().entriesDialog = {};
}

void Discard(Session &s, const Step &)
{
    if (enabledOn(s, View::Messages, Command::DiscardScheduler))
        s.ops().Scheduler().Discard();
}

void SwitchMaster(Session &s, const Step &)
{
    if (enabledOn(s, View::Messages, Command::MasterOn)
        || enabledOn(s, View::Messages, Command::MasterOff))
        s.ops().Scheduler().SwitchMaster();
}

void Reset(Session &s, const Step &)
{
    if (s.ops().Enabled(Command::Reset))
        s.ops().Maint().ResetModuleAction();
}

void Defaults(Session &s, const Step &step)
{
    if (s.ops().Enabled(Command::SetDefaults))
        s.ops().Maint().SetDefaultsAction(step.arg(1, 2) == 1);
}

void SaveConfiguration(Session &s, const Step &)
{
    if (s.ops().Enabled(Command::SaveFlash))
        s.ops().Maint().FlashSaveAction();
}

void ProgrammingMode(Session &s, const Step &)
{
    if (s.ops().Enabled(Command::ProgrammingMode))
        s.ops().Maint().ProgrammingModeCommand();
}

void ConsoleCommand(Session &s, const Step &step)
{
    if (!enabledOn(s, View::Advanced, Command::SendCode))
        return;
    auto &console = s.ops().Console();
    console.SetGroup(step.arg(1, 3));
    console.SetMode(step.arg(2, 4));
    const int entries = int(console.List().size());
    if (entries > 1)
        console.SelectEntry(1 + step.arg(3, entries - 1));
    for (int i = 0; i < console.ParameterCount(); ++i)
        console.SetParameterText(i,
                                 QStringLiteral("%1").arg((step.arg(4, 256) + 7 * i) % 256,
                                                          2,
                                                          16,
                                                          QLatin1Char('0')));
    console.Send();
}

void PreferTimeout(Session &s, const Step &step)
{
    s.setTimeout(kLowestTimeout + step.arg(1, 3));
}

void LowerTimeout(Session &s, const Step &step)
{
    const int current = s.ops().Settings().Timeout;
    if (current > kLowestTimeout)
        s.setTimeout(std::max(kLowestTimeout, current - 1 - step.arg(1, 2)));
}

void PreferRate(Session &s, const Step &step)
{
    VXLIN_Values settings = s.ops().Settings();
    settings.Baudrate = SessionRates()[std::size_t(step.arg(1, int(SessionRates().size())))];
    s.ops().ApplySettings(settings);
}

void TraceLog(Session &s, const Step &)
{
    auto &log = s.ops().Log();
    if (log.IsRecording()) {
        log.Stop();
        log.Discard();
        s.ops().UpdateCommandStates();
        return;
    }
    if (s.ops().Enabled(Command::LogStart)) {
        log.Start(QDateTime::currentDateTime(), s.profilePath(QString()));
        s.ops().UpdateCommandStates();
    }
}

} // namespace vxl::soak
