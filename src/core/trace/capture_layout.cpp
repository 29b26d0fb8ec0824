#include "core/trace/capture_layout.h"

#include "core/link/status_text.h"
#include "core/trace/display_entry.h"

#include <QStringList>

#include <array>

namespace vxl {

namespace {

constexpr int kCanSource = 1;
constexpr int kLinSource = 2;
constexpr int kCanFrameBytes = 16;
constexpr int kCanMaxData = 8;
constexpr int kLinMaxData = 8;
constexpr std::uint8_t kLinRevision = 1;
// The link type's "unknown" checksum model: the module forwards LIN data without its checksum.
constexpr std::uint8_t kLinChecksumUnknown = 0;
constexpr std::uint8_t kLinMessageFrame = 0;

std::uint8_t byteAt(const LIN_Msg &msg, int index)
{
    return index >= 0 && index < kMaxDataBytes ? msg.data[std::size_t(index)] : 0;
}

void putBigEndian32(QByteArray &out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

// Linux's struct can_frame: identifier with flags, length, three zero bytes, eight data bytes.
QByteArray canFrame(std::uint32_t idWithFlags, int length, const std::array<std::uint8_t, 8> &data)
{
    QByteArray out;
    out.reserve(kCanFrameBytes);
    putBigEndian32(out, idWithFlags);
    out.append(char(length));
    out.append(3, '\0');
    for (const std::uint8_t byte : data)
        out.append(char(byte));
    return out;
}

CapturePacket canFramePacket(const LIN_Msg &msg)
{
    const std::uint8_t head = msg.data[0];
    const bool extended = (head & 0x80) != 0;
    const bool remote = (head & 0x40) != 0;
    const int idBytes = extended ? 4 : 2;
    std::uint32_t id = 0;
    for (int i = idBytes - 1; i >= 0; --i)
        id = (id << 8) | byteAt(msg, 1 + i);
    id = extended ? (id & 0x1FFFFFFFu) | socketcan::kEffFlag : id & 0x7FFu;
    if (remote)
        id |= socketcan::kRtrFlag;
    const int length = std::min(head & 0x0F, kCanMaxData);
    std::array<std::uint8_t, 8> data{};
    for (int i = 0; i < length && !remote; ++i)
        data[std::size_t(i)] = byteAt(msg, 1 + idBytes + i);
    return {CaptureBus::Can, canFrame(id, length, data), {}};
}

// The SJA1000 driver's rule: the larger counter names the direction that changed state.
std::uint8_t byCounters(std::uint8_t rxCount, std::uint8_t txCount, std::uint8_t rx, std::uint8_t tx)
{
    return txCount > rxCount ? tx : rx;
}

CapturePacket canEventPacket(const LIN_Msg &msg)
{
    const std::uint8_t events = msg.data[1];
    const std::uint8_t rxCount = msg.data[3];
    const std::uint8_t txCount = msg.data[4];
    std::uint32_t classes = socketcan::kErrFlag | socketcan::kErrCnt;
    std::array<std::uint8_t, 8> data{};
    QStringList unclassed;
    for (std::uint8_t bit = 1; bit != 0; bit = std::uint8_t(bit << 1)) {
        if (!(events & bit))
            continue;
        std::uint8_t controller = 0;
        switch (bit) {
        case 0x01:
            classes |= socketcan::kErrBusOff;
            break;
        case 0x02:
            controller = byCounters(rxCount,
                                    txCount,
                                    socketcan::kCrtlRxPassive,
                                    socketcan::kCrtlTxPassive);
            break;
        case 0x04:
            controller = socketcan::kCrtlActive;
            break;
        case 0x08:
            controller = socketcan::kCrtlRxOverflow;
            break;
        case 0x10:
        case 0x20:
            controller = byCounters(rxCount,
                                    txCount,
                                    socketcan::kCrtlRxWarning,
                                    socketcan::kCrtlTxWarning);
            break;
        default:
            unclassed << StatusText(bit, CanStatus);
            break;
        }
        if (controller != 0) {
            classes |= socketcan::kErrCrtl;
            data[1] |= controller;
        }
    }
    data[6] = txCount;
    data[7] = rxCount;
    // The error capture code and any event without a class stay readable in the comment.
    QStringList comment{clsDisplayEntry::Decode(msg).Description()};
    comment.removeAll(QString());
    comment << unclassed;
    if (comment.isEmpty())
        comment << StatusText(0, CanStatus);
    return {CaptureBus::Can,
            canFrame(classes, kCanMaxData, data),
            comment.join(QStringLiteral(" | "))};
}

// The link type's eight header bytes; the checksum byte is 0, since none is forwarded.
QByteArray linHeader(int length, std::uint8_t protectedId, std::uint8_t errors)
{
    QByteArray out;
    out.append(char(kLinRevision));
    out.append(3, '\0');
    out.append(char((length << 4) | (kLinMessageFrame << 2) | kLinChecksumUnknown));
    out.append(char(protectedId));
    out.append('\0');
    out.append(char(errors));
    return out;
}

std::uint8_t linErrorBits(int code)
{
    switch (code) {
    case 1:
        return linerr::kOverflow;
    case 2:
    case 3:
    case 4:
    case 14:
        return linerr::kFraming;
    case 5:
    case 6:
        return linerr::kParity;
    case 8:
        return linerr::kChecksum;
    case 9:
    case 10:
        return linerr::kNoSlaveResponse;
    default:
        return 0;
    }
}

bool linErrorNamesFrame(int code)
{
    return code == 8 || code == 9 || code == 10 || code == 14;
}

std::optional<CapturePacket> linFramePacket(const LIN_Msg &msg)
{
    const int length = std::max(HeaderField(msg.header, 2) - 1, 0);
    if (length > kLinMaxData)
        return std::nullopt;
    QByteArray bytes = linHeader(length, LinProtectedId(msg.data[0] & 0x3F), 0);
    for (int i = 0; i < length; ++i)
        bytes.append(char(byteAt(msg, 1 + i)));
    return CapturePacket{CaptureBus::Lin, bytes, {}};
}

CapturePacket linErrorPacket(const LIN_Msg &msg)
{
    const int code = msg.data[0] & 0x3F;
    // Without an identifier the protected identifier stays 0, which no identifier's parity
    // gives (identifier 0 is 80h): no frame of identifier 0 is claimed.
    const bool hasId = linErrorNamesFrame(code) && HeaderField(msg.header, 2) > 1;
    const std::uint8_t protectedId = hasId ? LinProtectedId(msg.data[1] & 0x3F) : 0;
    return {CaptureBus::Lin,
            linHeader(0, protectedId, linErrorBits(code)),
            StatusText(std::uint32_t(code), LinError, &msg)};
}

} // namespace

std::uint8_t LinProtectedId(std::uint8_t id)
{
    const auto bit = [id](int n) { return (id >> n) & 1; };
    const int p0 = bit(0) ^ bit(1) ^ bit(2) ^ bit(4);
    const int p1 = (bit(1) ^ bit(3) ^ bit(4) ^ bit(5)) ^ 1;
    return std::uint8_t((id & 0x3F) | (p0 << 6) | (p1 << 7));
}

std::optional<CapturePacket> LayOutCapturePacket(const LIN_Msg &msg)
{
    switch (HeaderField(msg.header, 1)) {
    case kCanSource:
        return (msg.data[0] & 0x20) ? canEventPacket(msg) : canFramePacket(msg);
    case kLinSource:
        if (msg.data[0] & 0x40)
            return linErrorPacket(msg);
        return linFramePacket(msg);
    default:
        return std::nullopt;
    }
}

} // namespace vxl
