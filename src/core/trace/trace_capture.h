#pragma once

#include "core/link/lin_msg.h"

#include <QFile>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>

namespace vxl {

// A pcapng capture of the module's own messages for Wireshark: one interface for the CAN bus
// (SocketCAN frames) and one for the LIN bus, each block flushed as soon as it is written so
// that a reader at the other end of a pipe sees every message as it comes. Messages no link
// type can hold are skipped and counted; the counts go into the statistics written on Close().
class TraceCapture
{
public:
    enum class Outcome { Written, Skipped, Failed };

    TraceCapture() = default;
    ~TraceCapture();
    TraceCapture(const TraceCapture &) = delete;
    TraceCapture &operator=(const TraceCapture &) = delete;

    // Creates or replaces the file, or takes an open descriptor (standard output), and writes
    // the section header and both interfaces. False, with ErrorString(), when that fails.
    bool Open(const QString &path, const QString &application);
    bool OpenDescriptor(int fd, const QString &application);
    [[nodiscard]] bool IsOpen() const { return m_file.isOpen(); }

    // One message with the wall-clock time it arrived.
    Outcome Append(const LIN_Msg &msg, std::chrono::microseconds since1970);
    // The statistics of both interfaces, then the file is closed. False when they could not be
    // written.
    bool Close(std::chrono::microseconds since1970);

    [[nodiscard]] std::uint64_t Written() const { return m_written[0] + m_written[1]; }
    [[nodiscard]] std::uint64_t Skipped() const;
    [[nodiscard]] QString ErrorString() const { return m_error; }
    // The last write failed because nobody reads the pipe any more.
    [[nodiscard]] bool ReaderGone() const { return m_readerGone; }

    [[nodiscard]] static std::chrono::microseconds WallClockNow();

private:
    bool writeHeader(const QString &application);
    bool writeBlock(const QByteArray &block);

    QFile m_file;
    QString m_error;
    bool m_readerGone = false;
    std::array<std::uint64_t, 2> m_written{};
    std::uint64_t m_skippedLin = 0;   // frames longer than the link type's 8 data bytes
    std::uint64_t m_skippedOther = 0; // messages from outside the two buses
};

} // namespace vxl
