#include "core/trace/pcapng_blocks.h"

#include <cstring>

namespace vxl::pcapng {

namespace {

constexpr std::uint32_t kSectionHeaderType = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceDescriptionType = 0x00000001;
constexpr std::uint32_t kInterfaceStatisticsType = 0x00000005;
constexpr std::uint32_t kEnhancedPacketType = 0x00000006;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;

constexpr std::uint16_t kOptEndOfOptions = 0;
constexpr std::uint16_t kOptComment = 1;
constexpr std::uint16_t kShbUserApplication = 4;
constexpr std::uint16_t kIfName = 2;
constexpr std::uint16_t kIsbInterfaceReceived = 4;
constexpr std::uint16_t kIsbUserDelivered = 8;

template<typename T>
void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

void pad(QByteArray &out)
{
    while (out.size() % 4 != 0)
        out.append('\0');
}

void putOption(QByteArray &out, std::uint16_t code, const QByteArray &value)
{
    // An option's length is 16 bits; a longer text is cut rather than written malformed.
    const QByteArray fitting = value.left(0xFFF0);
    put(out, code);
    put(out, std::uint16_t(fitting.size()));
    out.append(fitting);
    pad(out);
}

void putTextOption(QByteArray &out, std::uint16_t code, const QString &text)
{
    if (!text.isEmpty())
        putOption(out, code, text.toUtf8());
}

void putCounterOption(QByteArray &out, std::uint16_t code, std::uint64_t value)
{
    QByteArray bytes;
    put(bytes, value);
    putOption(out, code, bytes);
}

void endOptions(QByteArray &out)
{
    put(out, kOptEndOfOptions);
    put(out, std::uint16_t(0));
}

// Type, total length, body, total length again.
QByteArray block(std::uint32_t type, const QByteArray &body)
{
    const auto total = std::uint32_t(12 + body.size());
    QByteArray out;
    out.reserve(qsizetype(total));
    put(out, type);
    put(out, total);
    out.append(body);
    put(out, total);
    return out;
}

void putTimestamp(QByteArray &out, std::chrono::microseconds since1970)
{
    const auto value = std::uint64_t(since1970.count());
    put(out, std::uint32_t(value >> 32));
    put(out, std::uint32_t(value & 0xFFFFFFFFu));
}

} // namespace

QByteArray SectionHeader(const QString &application)
{
    QByteArray body;
    put(body, kByteOrderMagic);
    put(body, std::uint16_t(1)); // major version
    put(body, std::uint16_t(0)); // minor version
    put(body, std::int64_t(-1)); // section length not known in advance
    putTextOption(body, kShbUserApplication, application);
    endOptions(body);
    return block(kSectionHeaderType, body);
}

QByteArray InterfaceDescription(std::uint16_t linkType, const QString &name)
{
    QByteArray body;
    put(body, linkType);
    put(body, std::uint16_t(0)); // reserved
    put(body, std::uint32_t(0)); // no snap length
    putTextOption(body, kIfName, name);
    endOptions(body);
    return block(kInterfaceDescriptionType, body);
}

QByteArray EnhancedPacket(std::uint32_t interfaceId,
                          std::chrono::microseconds since1970,
                          const QByteArray &packet,
                          const QString &comment)
{
    QByteArray body;
    put(body, interfaceId);
    putTimestamp(body, since1970);
    put(body, std::uint32_t(packet.size())); // captured
    put(body, std::uint32_t(packet.size())); // original
    body.append(packet);
    pad(body);
    if (!comment.isEmpty()) {
        putTextOption(body, kOptComment, comment);
        endOptions(body);
    }
    return block(kEnhancedPacketType, body);
}

QByteArray InterfaceStatisticsBlock(const InterfaceStatistics &statistics)
{
    QByteArray body;
    put(body, statistics.interfaceId);
    putTimestamp(body, statistics.since1970);
    putTextOption(body, kOptComment, statistics.comment);
    putCounterOption(body, kIsbInterfaceReceived, statistics.received);
    putCounterOption(body, kIsbUserDelivered, statistics.delivered);
    endOptions(body);
    return block(kInterfaceStatisticsType, body);
}

} // namespace vxl::pcapng
