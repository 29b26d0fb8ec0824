#pragma once

#include "sim/module_request.h"

namespace vxl::sim {

// The LIN group's commands whose data is more than one plain value: bus writes, the slave mask,
// the scheduler, the slave entries and the frame tables. Each answers with the reply's data.

[[nodiscard]] bool MasterRunning(const LIN_Group &lin);

[[nodiscard]] ReplyData WriteLinFrame(const ModuleRequest &request);
[[nodiscard]] ReplyData ReadSlaveMask(const ModuleRequest &request);
[[nodiscard]] ReplyData SetSlaveMask(const ModuleRequest &request);
[[nodiscard]] ReplyData ReadSchedulerCount(const ModuleRequest &request);
[[nodiscard]] ReplyData ReadSchedulerEntry(const ModuleRequest &request);
[[nodiscard]] ReplyData AddSchedulerEntry(const ModuleRequest &request);
[[nodiscard]] ReplyData ClearScheduler(const ModuleRequest &request);
[[nodiscard]] ReplyData ReadSlaveEntry(const ModuleRequest &request);
[[nodiscard]] ReplyData SetSlaveEntry(const ModuleRequest &request);
[[nodiscard]] ReplyData ReadFrameLengths(const ModuleRequest &request);
[[nodiscard]] ReplyData SetFrameLengths(const ModuleRequest &request);
[[nodiscard]] ReplyData ReadFrameFormats(const ModuleRequest &request);
[[nodiscard]] ReplyData SetFrameFormats(const ModuleRequest &request);

} // namespace vxl::sim
