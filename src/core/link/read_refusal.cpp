#include "core/link/read_refusal.h"

#include <algorithm>
#include <array>

namespace vxl {

namespace {

constexpr int kLinGroup = 2;
constexpr int kSchedulerCount = 20;
constexpr std::uint8_t kSchedulerEmpty = 6;

struct ValueWidth
{
    int group;
    int command;
    int bytes; // the value's length; 0: the module's own choice
};

// The Read commands of groups 0 to 2 and the length of the value each answers with.
constexpr std::array kReadWidths = {
    ValueWidth{0, 11, 2},  ValueWidth{0, 22, 0}, ValueWidth{0, 23, 0}, ValueWidth{0, 24, 6},
    ValueWidth{1, 10, 1},  ValueWidth{1, 11, 2}, ValueWidth{1, 12, 1}, ValueWidth{1, 13, 4},
    ValueWidth{1, 14, 4},  ValueWidth{1, 15, 4}, ValueWidth{1, 16, 4}, ValueWidth{1, 22, 0},
    ValueWidth{1, 23, 0},  ValueWidth{1, 24, 8}, ValueWidth{2, 10, 1}, ValueWidth{2, 11, 2},
    ValueWidth{2, 12, 1},  ValueWidth{2, 13, 1}, ValueWidth{2, 14, 1}, ValueWidth{2, 15, 8},
    ValueWidth{2, 16, 1},  ValueWidth{2, 17, 1}, ValueWidth{2, 18, 8}, ValueWidth{2, 19, 1},
    ValueWidth{2, 20, 2},  ValueWidth{2, 21, 3}, ValueWidth{2, 22, 0}, ValueWidth{2, 23, 0},
    ValueWidth{2, 24, 14}, ValueWidth{2, 25, 4}, ValueWidth{2, 26, 1}, ValueWidth{2, 27, 8},
    ValueWidth{2, 28, 8},  ValueWidth{2, 29, 4},
};

} // namespace

bool IsReadRefusal(int group, int command, std::uint8_t byte)
{
    if (group == kLinGroup && command == kSchedulerCount && byte == kSchedulerEmpty)
        return false;
    const auto found = std::find_if(kReadWidths.begin(), kReadWidths.end(), [&](const auto &w) {
        return w.group == group && w.command == command;
    });
    return found != kReadWidths.end() && found->bytes > 1;
}

} // namespace vxl
