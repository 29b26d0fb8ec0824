#pragma once

#include "core/module/module_config.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace vxl {

// The profile tree: a fixed tree of 22 nodes, numbered in depth-first order, three group
// headings (0 RS-232, 2 CAN, 10 LIN) with one child per editable value.

inline constexpr int kProfileTreeNodes = 22;

enum EditGroup : int { NoGroup = -1, Rs232Group = 0, CanGroup = 1, LinGroup = 2 };

// Parameter codes: the module's "set" command numbers of the values.
enum ParamCode : int {
    NoCode = -1,
    CodeActivation = 30,
    CodeBitRate = 31,
    CodeForwardMask = 32,
    CodeFilterMask = 33,
    CodeFilterCode = 34,
    CodeIdOffset = 35,
    CodeErrorIdOrMaster = 36, // CAN error ID (CAN), master status (LIN)
    CodeBusTermination = 37,
    CodeSchedulerEntries = 40,
    CodeSlaveIdData = 41,
    CodeFrameConfig = 44,
    CodeSlaveActivationId = 45,
};

struct ProfileNode
{
    int parent = -1; // the heading's node number; -1 for a heading
    EditGroup group = NoGroup;
    ParamCode code = NoCode;
    const char *startCaption = "";
    const char *clearedCaption = "";
};

[[nodiscard]] const ProfileNode &ProfileNodeAt(int node);
[[nodiscard]] constexpr bool IsHeadingNode(int node)
{
    return node == 0 || node == 2 || node == 10;
}
// The node of a group and code; -1 when there is none.
[[nodiscard]] int ProfileNodeOf(EditGroup group, ParamCode code);

using ProfileCaptions = std::array<QString, kProfileTreeNodes>;

[[nodiscard]] ProfileCaptions StartCaptions();
[[nodiscard]] ProfileCaptions ClearedCaptions();
// The captions with values of the groups given; the others keep their captions.
void RefreshProfileCaptions(ProfileCaptions &captions,
                            std::optional<std::uint32_t> rs232Baudrate,
                            const CAN_Group *can,
                            const LIN_Group *lin);

// " Enabled: 10 - 01 02": the slave data caption's own part.
[[nodiscard]] QString SlaveCaptionText(const LIN_FrameEntry &entry);

} // namespace vxl
