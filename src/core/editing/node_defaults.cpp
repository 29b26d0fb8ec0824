#include "core/editing/node_defaults.h"

#include "core/editing/frame_rules.h"
#include "core/editing/profile_editor_model.h"

#include <algorithm>
#include <array>

namespace vxl {

namespace {

// The editor's standard values: a new profile's, but for the LIN bus termination, which the
// editor puts on "Slave". The slave ID and the frame tables follow the profile's own tables and
// have stores of their own.
ModuleConfig editorDefaults()
{
    ModuleConfig defaults;
    defaults.LIN.BusTermination = 1;
    return defaults;
}

using DefaultStore = void (*)(ModuleConfig &profile, const ModuleConfig &defaults);

template<auto Group, auto... Fields>
void takeFields(ModuleConfig &profile, const ModuleConfig &defaults)
{
    ((profile.*Group.*Fields = defaults.*Group.*Fields), ...);
}

// The slave ID goes to the last identifier, inactive, its data bytes (as many as the frame
// lengths give it) all 0xFF, and the frame table follows it.
void defaultSlaveId(ModuleConfig &profile, const ModuleConfig & /*defaults*/)
{
    LIN_Group &lin = profile.LIN;
    LIN_FrameEntry &slave = lin.SlaveIdData;
    slave.ID = kMaxLinId;
    slave.Active = 0;
    slave.Length = std::uint8_t(FrameByteCount(lin, kMaxLinId));
    std::fill_n(slave.Data.begin(), slave.Length, std::uint8_t(0xFF));
    CopySlaveIdIntoFrames(lin);
}

// The frame tables of the default profile file, read when asked for.
void defaultFrameTables(ModuleConfig &profile, const ModuleConfig & /*defaults*/)
{
    ApplyDefaultTables(profile.LIN, DefaultFrameConfig());
}

struct NodeDefault
{
    EditGroup group;
    ParamCode code;
    DefaultStore store;
};

constexpr auto kRs232 = &ModuleConfig::RS232;
constexpr auto kCan = &ModuleConfig::CAN;
constexpr auto kLin = &ModuleConfig::LIN;
// Mask and code are one acceptance filter: either node resets both.
constexpr DefaultStore kCanFilter = takeFields<kCan, &CAN_Group::FilterMask, &CAN_Group::FilterCode>;

// The editor's Default column: what each node's "Default" stores.
constexpr std::array kNodeDefaults = {
    NodeDefault{Rs232Group, CodeBitRate, takeFields<kRs232, &RS232_Group::Baudrate>},
    NodeDefault{CanGroup, CodeActivation, takeFields<kCan, &CAN_Group::Active>},
    NodeDefault{CanGroup, CodeBitRate, takeFields<kCan, &CAN_Group::Baudrate>},
    NodeDefault{CanGroup, CodeForwardMask, takeFields<kCan, &CAN_Group::ForwardMask>},
    NodeDefault{CanGroup, CodeFilterMask, kCanFilter},
    NodeDefault{CanGroup, CodeFilterCode, kCanFilter},
    NodeDefault{CanGroup, CodeIdOffset, takeFields<kCan, &CAN_Group::IdOffset>},
    NodeDefault{CanGroup, CodeErrorIdOrMaster, takeFields<kCan, &CAN_Group::ErrorId>},
    NodeDefault{LinGroup, CodeActivation, takeFields<kLin, &LIN_Group::Active>},
    NodeDefault{LinGroup, CodeBitRate, takeFields<kLin, &LIN_Group::Baudrate>},
    NodeDefault{LinGroup, CodeForwardMask, takeFields<kLin, &LIN_Group::ForwardMask>},
    NodeDefault{LinGroup, CodeFilterMask, takeFields<kLin, &LIN_Group::FilterMask>},
    NodeDefault{LinGroup, CodeFilterCode, takeFields<kLin, &LIN_Group::FilterCode>},
    NodeDefault{LinGroup, CodeErrorIdOrMaster, takeFields<kLin, &LIN_Group::MasterStatus>},
    NodeDefault{LinGroup, CodeBusTermination, takeFields<kLin, &LIN_Group::BusTermination>},
    NodeDefault{LinGroup, CodeSchedulerEntries, takeFields<kLin, &LIN_Group::SchedulerCount>},
    NodeDefault{LinGroup, CodeSlaveIdData, defaultSlaveId},
    NodeDefault{LinGroup, CodeFrameConfig, defaultFrameTables},
    NodeDefault{LinGroup, CodeSlaveActivationId, takeFields<kLin, &LIN_Group::SlaveActivationId>},
};

} // namespace

void StoreNodeDefault(ModuleConfig &profile, EditGroup group, ParamCode code)
{
    const auto *node = std::find_if(kNodeDefaults.cbegin(),
                                    kNodeDefaults.cend(),
                                    [group, code](const NodeDefault &entry) {
                                        return entry.group == group && entry.code == code;
                                    });
    if (node == kNodeDefaults.cend())
        return;
    node->store(profile, editorDefaults());
}

} // namespace vxl
