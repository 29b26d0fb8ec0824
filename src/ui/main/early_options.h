#pragma once

#include <cstdio>
#include <optional>

namespace vxl {

// The tool's one argument is the profile to open. "--help" and "--version" in its place are
// answered before the application object exists, so they print and end without a display.
// Returns the exit code when the first argument was one of them.
[[nodiscard]] std::optional<int> AnswerEarlyOption(int argc, char **argv, std::FILE *out);

} // namespace vxl
