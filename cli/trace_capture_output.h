#pragma once

#include "core/link/lin_msg.h"
#include "core/trace/trace_capture.h"

#include <QString>

namespace vxl::cli {

// The Wireshark capture of `trace --capture`: a file, or standard output for "-". A reader
// that goes away (Wireshark closed at the other end of a pipe) ends the trace normally; any
// other write failure ends it with a message.
class TraceCaptureOutput
{
public:
    // Standard output must not be a terminal: the capture is binary.
    [[nodiscard]] static bool IsStandardOutput(const QString &target);
    [[nodiscard]] static bool StandardOutputIsTerminal();

    // Creates the file or takes standard output; false, with the reason printed, when the file
    // cannot be written.
    [[nodiscard]] bool Open(const QString &target);
    // Writes the message; Written counts as captured.
    TraceCapture::Outcome Add(const LIN_Msg &msg);
    // Writes the statistics and closes. Returns the run's exit code: `code`, or 2 after a
    // write failure other than a departed reader.
    [[nodiscard]] int Finish(int code);

private:
    QString m_target;
    TraceCapture m_capture;
    bool m_failed = false;
};

} // namespace vxl::cli
