#pragma once

#include <QString>

#include <optional>

namespace pugi {
class xml_node;
} // namespace pugi

namespace vxl {

// Walks a profile's root element `VXLIN_PROFILE` by the rules the profile reader takes values
// with and describes the first element that fails them ("LIN/Frame_Configuration/Frame[3]/
// Length: ..."); nothing when every group reads. The words are the ones the user sees, in the
// tool's open failure and in the command line's validate.
[[nodiscard]] std::optional<QString> FirstProfileProblem(const pugi::xml_node &root);

} // namespace vxl
