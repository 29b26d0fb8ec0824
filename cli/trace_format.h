#pragma once

#include "core/link/lin_msg.h"

#include <QString>

#include <chrono>
#include <cstdint>

namespace vxl::cli {

// Arrival times of trace lines: wall-clock time for candump logs, time since the start for text.
class TraceClock
{
public:
    [[nodiscard]] std::chrono::microseconds Now() const;
    [[nodiscard]] std::chrono::microseconds Elapsed() const;

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// "12.345  CAN  Message  123h  STD: 01 - 02": time, source, type, code/ID and the trace's
// description of the message.
[[nodiscard]] QString TraceLine(const LIN_Msg &msg, std::chrono::microseconds elapsed);
// "(1700000000.123456) vxl0 123#0102" for a CAN frame (remote frames "123#R"); empty for any
// other message, which a candump log cannot hold.
[[nodiscard]] QString CandumpLine(const LIN_Msg &msg, std::chrono::microseconds since1970);

} // namespace vxl::cli
