#pragma once

#include "core/link/lin_msg.h"

#include <QString>

#include <cstdint>

namespace vxl {

// The four families of numeric status the system turns into text.
enum StatusFamily : int {
    LinkStatus = 0,   // the link's own operations
    ModuleReturn = 1, // one-byte replies of the module
    LinError = 2,     // LIN errors and events the module reports
    CanStatus = 3,    // CAN controller event bits
};

// Trace entry types a LIN error code stands for.
enum TraceEntryType : int { EntryError = 1, EntryWarning = 2, EntryStatus = 3 };

// Only the LIN family looks at the message (for the identifier in data[1]) and sets the type.
[[nodiscard]] QString StatusText(std::uint32_t code,
                                 int family,
                                 const LIN_Msg *msg = nullptr,
                                 int *entryType = nullptr);

// The composed messages for boxes and the console by their number (0, 3, 5, 6, 7, 10, 11).
[[nodiscard]] QString OperatorMessage(int id, std::uint32_t first = 0, std::uint32_t second = 0);

} // namespace vxl
