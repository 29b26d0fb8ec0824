#pragma once

#include <cstdint>

namespace vxl {

// Whether a one-byte reply to a Read command of the catalogue is the module's refusal (a return
// code in place of the value) rather than the value itself: it is for values longer than one
// byte. The scheduler count's "empty" code is its answer, and the RCV and XMT error counts, whose
// width the module chooses, are never taken for a refusal.
[[nodiscard]] bool IsReadRefusal(int group, int command, std::uint8_t byte);

} // namespace vxl
