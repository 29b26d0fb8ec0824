#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>

namespace vxl::pcapng {

// Link types of the interface description block, from the pcap link-type registry.
inline constexpr std::uint16_t kLinkTypeCanSocketCan = 227;
inline constexpr std::uint16_t kLinkTypeLin = 212;

// The blocks of a pcapng section, each complete with both length fields and padded to 32 bits.
// Written in this machine's byte order, which the section header's magic tells the reader.

// A section of unknown length (-1), so the file can be read while it is being written.
[[nodiscard]] QByteArray SectionHeader(const QString &application);
// Packets of this interface carry the link type; timestamps are microseconds (the default
// resolution) since 1970.
[[nodiscard]] QByteArray InterfaceDescription(std::uint16_t linkType, const QString &name);
// One packet of `interfaceId`; an empty comment writes no comment option.
[[nodiscard]] QByteArray EnhancedPacket(std::uint32_t interfaceId,
                                        std::chrono::microseconds since1970,
                                        const QByteArray &packet,
                                        const QString &comment = {});

// What an interface statistics block reports.
struct InterfaceStatistics
{
    std::uint32_t interfaceId = 0;
    std::chrono::microseconds since1970{0};
    std::uint64_t received = 0;  // messages of the interface's bus
    std::uint64_t delivered = 0; // of them, written as packets
    QString comment;
};
[[nodiscard]] QByteArray InterfaceStatisticsBlock(const InterfaceStatistics &statistics);

} // namespace vxl::pcapng
