#pragma once

#include "core/link/lin_port.h"
#include "sim/emulator_host.h"

#include <vector>

namespace vxl::test {

// Pacing where the sender decides it: the module received the requests in the order the sender
// wrote them, each written 20 ms or more after the end of the one before. Fails the running
// test otherwise; the caller returns when QTest::currentTestFailed().
void CheckPacedAsReceived(const std::vector<SentRequest> &writes,
                          const std::vector<sim::TranscriptEntry> &requests);

} // namespace vxl::test
