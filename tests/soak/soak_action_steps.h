#pragma once

#include "soak/soak_step.h"

// What each row of the action table does; the table itself is soak_actions.cpp.
namespace vxl::soak {

class Session;

// The lowest Timeout the session's Preferences changes set, in seconds.
inline constexpr int kLowestTimeout = 3;

// The connection and the module's own commands.
void ConnectThroughDialog(Session &s, const Step &step);
void ConnectByStartMode(Session &s, const Step &step);
void Disconnect(Session &s, const Step &step);
void CheckConnection(Session &s, const Step &step);
void Refresh(Session &s, const Step &step);
void SwitchView(Session &s, const Step &step);
void NewFromModule(Session &s, const Step &step);
void SaveModuleData(Session &s, const Step &step);
void ModuleScheduler(Session &s, const Step &step);
void ModuleFrames(Session &s, const Step &step);
void SendProfile(Session &s, const Step &step);
void Adjust(Session &s, const Step &step);
void Discard(Session &s, const Step &step);
void SwitchMaster(Session &s, const Step &step);
void Reset(Session &s, const Step &step);
void Defaults(Session &s, const Step &step);
void SaveConfiguration(Session &s, const Step &step);
void ProgrammingMode(Session &s, const Step &step);
void ConsoleCommand(Session &s, const Step &step);
void PreferTimeout(Session &s, const Step &step);
void LowerTimeout(Session &s, const Step &step);
void PreferRate(Session &s, const Step &step);
void TraceLog(Session &s, const Step &step);

// The profile on the profiles view.
void ProfileNew(Session &s, const Step &step);
void ProfileOpen(Session &s, const Step &step);
void ProfileEdit(Session &s, const Step &step);
void ProfileSave(Session &s, const Step &step);

// The module's behaviour.
void FaultSilence(Session &s, const Step &step);
void FaultDrop(Session &s, const Step &step);
void FaultCorrupt(Session &s, const Step &step);
void FaultDelay(Session &s, const Step &step);
void FaultGarbage(Session &s, const Step &step);
void FaultReturnCode(Session &s, const Step &step);
void FaultFlood(Session &s, const Step &step);
void FaultDropOff(Session &s, const Step &step);
void FaultEndlessStartup(Session &s, const Step &step);
void FaultSwitchFirmware(Session &s, const Step &step);
void FaultsCleared(Session &s, const Step &step);

} // namespace vxl::soak
