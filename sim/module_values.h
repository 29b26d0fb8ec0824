#pragma once

#include "sim/module_request.h"

#include <optional>

namespace vxl::sim {

// The answer to a command that reads, sets or resets one of the module's plain values (bit
// rates, masks, filters, switches, time-outs, single error counters); none when the command is
// not one of those.
[[nodiscard]] std::optional<ReplyData> AnswerValueCommand(const ModuleRequest &request, int command);

} // namespace vxl::sim
