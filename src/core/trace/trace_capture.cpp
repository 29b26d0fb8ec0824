#include "core/trace/trace_capture.h"

#include "core/trace/capture_layout.h"
#include "core/trace/pcapng_blocks.h"

#include <cerrno>

namespace vxl {

namespace {
constexpr int kLinSource = 2;
} // namespace

TraceCapture::~TraceCapture()
{
    if (IsOpen())
        Close(WallClockNow());
}

std::chrono::microseconds TraceCapture::WallClockNow()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch());
}

bool TraceCapture::Open(const QString &path, const QString &application)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_error = m_file.errorString();
        return false;
    }
    return writeHeader(application);
}

bool TraceCapture::OpenDescriptor(int fd, const QString &application)
{
    if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = m_file.errorString();
        return false;
    }
    return writeHeader(application);
}

bool TraceCapture::writeHeader(const QString &application)
{
    m_written = {};
    m_skippedLin = 0;
    m_skippedOther = 0;
    return writeBlock(pcapng::SectionHeader(application))
           && writeBlock(
               pcapng::InterfaceDescription(pcapng::kLinkTypeCanSocketCan, QStringLiteral("CAN")))
           && writeBlock(pcapng::InterfaceDescription(pcapng::kLinkTypeLin, QStringLiteral("LIN")));
}

TraceCapture::Outcome TraceCapture::Append(const LIN_Msg &msg, std::chrono::microseconds since1970)
{
    if (!IsOpen())
        return Outcome::Failed;
    const auto packet = LayOutCapturePacket(msg);
    if (!packet) {
        ++(HeaderField(msg.header, 1) == kLinSource ? m_skippedLin : m_skippedOther);
        return Outcome::Skipped;
    }
    const auto bus = std::uint32_t(packet->bus);
    if (!writeBlock(pcapng::EnhancedPacket(bus, since1970, packet->bytes, packet->comment)))
        return Outcome::Failed;
    ++m_written[bus];
    return Outcome::Written;
}

std::uint64_t TraceCapture::Skipped() const
{
    return m_skippedLin + m_skippedOther;
}

bool TraceCapture::Close(std::chrono::microseconds since1970)
{
    if (!IsOpen())
        return false;
    pcapng::InterfaceStatistics can;
    can.interfaceId = std::uint32_t(CaptureBus::Can);
    can.since1970 = since1970;
    can.received = can.delivered = m_written[0];
    if (m_skippedOther > 0)
        can.comment = QStringLiteral("%1 messages from outside the CAN and LIN buses skipped")
                          .arg(m_skippedOther);
    pcapng::InterfaceStatistics lin;
    lin.interfaceId = std::uint32_t(CaptureBus::Lin);
    lin.since1970 = since1970;
    lin.delivered = m_written[1];
    lin.received = m_written[1] + m_skippedLin;
    lin.comment = QStringLiteral("%1 LIN messages skipped: more than 8 data bytes").arg(m_skippedLin);
    const bool written = writeBlock(pcapng::InterfaceStatisticsBlock(can))
                         && writeBlock(pcapng::InterfaceStatisticsBlock(lin));
    m_file.close();
    return written;
}

bool TraceCapture::writeBlock(const QByteArray &block)
{
    // Unbuffered: each block reaches the file or pipe whole before the next message.
    if (m_file.write(block) == block.size())
        return true;
    m_readerGone = errno == EPIPE;
    m_error = m_file.errorString();
    m_file.close();
    return false;
}

} // namespace vxl
