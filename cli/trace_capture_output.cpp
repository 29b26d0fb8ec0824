#include "cli/trace_capture_output.h"

#include "cli/cli_operator.h"
#include "cli/cli_session.h"

#include <csignal>
#include <unistd.h>

namespace vxl::cli {

namespace {

QString applicationName()
{
    return QStringLiteral("vexalin-cli " VXL_VERSION_TEXT);
}

} // namespace

bool TraceCaptureOutput::IsStandardOutput(const QString &target)
{
    return target == QStringLiteral("-");
}

bool TraceCaptureOutput::StandardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

bool TraceCaptureOutput::Open(const QString &target)
{
    m_target = target;
    // A pipe whose reader has gone must end the trace through its write error, not kill the
    // program before the statistics and the exit code.
    std::signal(SIGPIPE, SIG_IGN);
    const bool opened = IsStandardOutput(target)
                            ? m_capture.OpenDescriptor(STDOUT_FILENO, applicationName())
                            : m_capture.Open(target, applicationName());
    if (!opened)
        CliOperator::Print(QStringLiteral("vexalin-cli: the capture could not be written to "
                                          "\"%1\" (%2)")
                               .arg(target, m_capture.ErrorString()));
    return opened;
}

TraceCapture::Outcome TraceCaptureOutput::Add(const LIN_Msg &msg)
{
    if (m_failed)
        return TraceCapture::Outcome::Failed;
    const auto outcome = m_capture.Append(msg, TraceCapture::WallClockNow());
    m_failed = outcome == TraceCapture::Outcome::Failed;
    return outcome;
}

int TraceCaptureOutput::Finish(int code)
{
    if (!m_failed && m_capture.Close(TraceCapture::WallClockNow()))
        return code;
    if (m_capture.ReaderGone())
        return code;
    CliOperator::Print(QStringLiteral("vexalin-cli: the capture could not be written to \"%1\" "
                                      "(%2)")
                           .arg(m_target, m_capture.ErrorString()));
    return kExitUsage;
}

} // namespace vxl::cli
