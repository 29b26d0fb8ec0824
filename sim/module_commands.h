#pragma once

#include "sim/module_request.h"

namespace vxl::sim {

// The answer of the RS-232, CAN or LIN group to a command, as the reply's data: the plain values
// by their table, the rest by the command's own handler, and the group's refusal of a command
// it does not know. The RS-232 initialisation and bit-rate set, which change the line itself,
// are the model's own.
// Whether the LIN master runs its scheduler: switched on with entries to run.
[[nodiscard]] bool MasterRunning(const LIN_Group &lin);

[[nodiscard]] ReplyData AnswerGroupCommand(const ModuleRequest &request, int command);

} // namespace vxl::sim
