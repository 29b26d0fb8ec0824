#pragma once

#include <QString>

#include <optional>

namespace vxl::cli {

// Reads a profile file by the rules the tool reads profiles with and describes the first
// element that fails them ("LIN/Frame_Configuration/Frame[3]/Length: ..."); nothing when the
// whole file reads.
[[nodiscard]] std::optional<QString> FirstProfileProblem(const QString &path);

} // namespace vxl::cli
