// trace: the module's own messages as they arrive, as text or as a candump log.

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/module_commands.h"
#include "cli/trace_format.h"
#include "core/operations/trace_recorder.h"
#include "core/trace/trace_log.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace vxl::cli {

namespace {

// Ctrl+C and termination end the trace the normal way, so that the log file gets written.
class StopSignals
{
public:
    StopSignals()
    {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGINT);
        sigaddset(&m_set, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &m_set, &m_previous);
        m_fd = signalfd(-1, &m_set, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~StopSignals()
    {
        if (m_fd >= 0)
            close(m_fd);
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    [[nodiscard]] int fd() const { return m_fd; }

private:
    sigset_t m_set{};
    sigset_t m_previous{};
    int m_fd = -1;
};

} // namespace

int RunTrace(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the module's messages of its own as they arrive, until Ctrl+C, --seconds or "
        "--count ends the trace. --format candump prints the CAN frames as a can-utils log "
        "(\"(sec.usec) vxl0 ID#DATA\")."));
    AddModuleOptions(parser);
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Stop after S seconds."),
                                     QStringLiteral("S"));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Stop after N printed messages."),
                                   QStringLiteral("N"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Also write the trace log file."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("text (default) or candump."),
                                    QStringLiteral("FORMAT"),
                                    QStringLiteral("text"));
    parser.addOptions({seconds, count, log, format});
    if (const auto code = ParseArguments(parser, args, 0, 0))
        return *code;
    const QString formatName = parser.value(format);
    if (formatName != QStringLiteral("text") && formatName != QStringLiteral("candump"))
        return UsageError(parser, QStringLiteral("--format is text or candump"));
    const bool candump = formatName == QStringLiteral("candump");
    const auto limitSeconds = parser.isSet(seconds) ? ParseNumber(parser.value(seconds))
                                                    : std::optional<int>(-1);
    const auto limitCount = parser.isSet(count) ? ParseNumber(parser.value(count))
                                                : std::optional<int>(-1);
    if (!limitSeconds || !limitCount)
        return UsageError(parser, QStringLiteral("--seconds and --count take a whole number"));
    const auto target = TargetOf(parser);
    if (!target)
        return kExitUsage;

    StopSignals stopSignals;
    CliOperator op;
    CliSession session(op);
    QSocketNotifier stopNotifier(stopSignals.fd(), QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, [&session] {
        session.RequestStop();
    });
    auto &ops = session.Ops();
    // From the connection on: what the module sends while it is being read counts too.
    int printed = 0;
    const TraceClock clock;
    QObject::connect(&ops, &Operations::ownMessageReceived, [&](const LIN_Msg &msg) {
        const QString line = candump ? CandumpLine(msg, clock.Now())
                                     : TraceLine(msg, clock.Elapsed());
        if (line.isEmpty())
            return;
        Out(line);
        if (*limitCount > 0 && ++printed >= *limitCount)
            session.RequestStop();
    });
    if (parser.isSet(log) && !ops.Log().Start()) {
        CliOperator::Print(QStringLiteral("vexalin-cli: the trace log could not be started"));
        return kExitUsage;
    }
    if (const int code = session.Connect(target->port, target->rate); code != kExitOk)
        return code;
    if (*limitCount != 0)
        session.RunFor(*limitSeconds < 0 ? -1 : *limitSeconds * 1000);
    int code = session.Outcome();
    if (parser.isSet(log)) {
        ops.Log().Stop();
        if (TraceRecorder::SaveRecorded(ops.Log(), parser.value(log))) {
            ops.Log().Discard();
        } else {
            CliOperator::Print(QStringLiteral("vexalin-cli: the trace log could not be written to "
                                              "\"%1\"; its lines are kept in \"%2\"")
                                   .arg(parser.value(log), ops.Log().Keep()));
            code = kExitUsage;
        }
    }
    return code;
}

} // namespace vxl::cli
