#pragma once

#include "core/link/lin_msg.h"

#include <QString>

#include <cstdint>
#include <span>

namespace vxl {

class clsLinPort;

// The 13-character text that lets the module enter programming mode.
inline constexpr char kIspAccessText[] = "MellowCanyons";

// A request frame for group/command with the given sequence number and data (at most 15 bytes
// are taken; more are ignored).
[[nodiscard]] LIN_Msg BuildRequest(int group,
                                   int command,
                                   int sequence,
                                   std::span<const std::uint8_t> data = {});

// Each builder queues the request and returns the result of QueueMessage (0); when text is
// given it receives the frame as FormatFrame shows it.
int SendCommand(clsLinPort &link, int group, int command, int sequence, QString *text = nullptr);
int SendCommandData(clsLinPort &link,
                    int group,
                    int command,
                    int sequence,
                    std::span<const std::uint8_t> data,
                    QString *text = nullptr);
// Queues module command 63 with the access text, then waits 50 ms.
int SendIspRequest(clsLinPort &link, int sequence);

// "02h 30h C0h F0h": start, header, code, the data bytes the header counts, checksum.
[[nodiscard]] QString FormatFrame(const LIN_Msg &msg);

} // namespace vxl
