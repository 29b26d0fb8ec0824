#include "module_states.h"

namespace vxl::test {

void threeEntries(sim::ModuleModel &m)
{
    auto &lin = m.Config().LIN;
    lin.SchedulerCount = 3;
    lin.SchedulerEntries[0] = {10, 0x01};
    lin.SchedulerEntries[1] = {20, 0x02};
    lin.SchedulerEntries[2] = {30, 0x03};
}

} // namespace vxl::test
