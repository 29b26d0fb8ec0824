#pragma once

#include "core/link/lin_msg.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace vxl {

// The buses of a capture, by interface number.
enum class CaptureBus : std::uint32_t { Can = 0, Lin = 1 };

// One message of the module's own as a capture packet of its bus's link type.
struct CapturePacket
{
    CaptureBus bus = CaptureBus::Can;
    QByteArray bytes;
    QString comment; // what the link type has no field for
};

// Linux's can.h and can/error.h, as the SocketCAN link type carries them.
namespace socketcan {
inline constexpr std::uint32_t kEffFlag = 0x80000000u;
inline constexpr std::uint32_t kRtrFlag = 0x40000000u;
inline constexpr std::uint32_t kErrFlag = 0x20000000u;
inline constexpr std::uint32_t kErrCrtl = 0x00000004u;
inline constexpr std::uint32_t kErrBusOff = 0x00000040u;
inline constexpr std::uint32_t kErrCnt = 0x00000200u;
inline constexpr std::uint8_t kCrtlRxOverflow = 0x01;
inline constexpr std::uint8_t kCrtlRxWarning = 0x04;
inline constexpr std::uint8_t kCrtlTxWarning = 0x08;
inline constexpr std::uint8_t kCrtlRxPassive = 0x10;
inline constexpr std::uint8_t kCrtlTxPassive = 0x20;
inline constexpr std::uint8_t kCrtlActive = 0x40;
} // namespace socketcan

// The LIN link type's error bits.
namespace linerr {
inline constexpr std::uint8_t kNoSlaveResponse = 0x01;
inline constexpr std::uint8_t kFraming = 0x02;
inline constexpr std::uint8_t kParity = 0x04;
inline constexpr std::uint8_t kChecksum = 0x08;
inline constexpr std::uint8_t kInvalidId = 0x10;
inline constexpr std::uint8_t kOverflow = 0x20;
} // namespace linerr

// The protected identifier: the 6-bit identifier with its two parity bits.
[[nodiscard]] std::uint8_t LinProtectedId(std::uint8_t id);

// The packet for a CAN frame, CAN controller event, LIN frame or LIN error; nothing for a
// message no link type can hold (another source, a LIN frame of more than 8 data bytes).
[[nodiscard]] std::optional<CapturePacket> LayOutCapturePacket(const LIN_Msg &msg);

} // namespace vxl
