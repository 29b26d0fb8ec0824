// trace: the module's own messages as they arrive, as text, as a candump log or as a Wireshark
// capture.

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/module_commands.h"
#include "cli/trace_capture_output.h"
#include "cli/trace_format.h"
#include "core/operations/trace_recorder.h"
#include "core/trace/trace_log.h"

#include <QSocketNotifier>

#include <csignal>
#include <optional>
#include <sys/signalfd.h>
#include <unistd.h>
#include <variant>

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
    // Takes the signals that arrived, which would otherwise end the program as soon as the
    // destructor unblocks them again.
    void Consume() const
    {
        signalfd_siginfo info{};
        while (::read(m_fd, &info, sizeof info) == ssize_t(sizeof info)) {
        }
    }

private:
    sigset_t m_set{};
    sigset_t m_previous{};
    int m_fd = -1;
};

// What the options of one trace ask for.
struct TraceRequest
{
    bool candump = false;
    int seconds = -1;
    int count = -1;
    QString log;
    QString capture;
    bool verbose = false;

    [[nodiscard]] bool captureToStandardOutput() const
    {
        return TraceCaptureOutput::IsStandardOutput(capture);
    }
};

// The request, or the exit code when the options are refused.
std::variant<TraceRequest, int> parseTrace(QCommandLineParser &parser, const QStringList &args)
{
    parser.setApplicationDescription(QStringLiteral(
        "Prints the module's messages of its own as they arrive, until Ctrl+C, --seconds or "
        "--count ends the trace. --format candump prints the CAN frames as a can-utils log "
        "(\"(sec.usec) vxl0 ID#DATA\"). --capture writes a Wireshark capture (pcapng) of the CAN "
        "and LIN messages; with \"-\" it goes to standard output, alone: "
        "vexalin-cli trace --capture - | wireshark -k -i -"));
    AddModuleOptions(parser);
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Stop after S seconds."),
                                     QStringLiteral("S"));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Stop after N printed (with --capture: "
                                                  "captured) messages."),
                                   QStringLiteral("N"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Also write the trace log file."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("text (default) or candump."),
                                    QStringLiteral("FORMAT"),
                                    QStringLiteral("text"));
    const QCommandLineOption capture(QStringLiteral("capture"),
                                     QStringLiteral("Also write a Wireshark capture (pcapng) to "
                                                    "FILE; - for standard output."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("With --capture -: the message lines on "
                                                    "standard error."));
    parser.addOptions({seconds, count, log, format, capture, verbose});
    if (const auto code = ParseArguments(parser, args, 0, 0))
        return *code;
    TraceRequest request;
    const QString formatName = parser.value(format);
    if (formatName != QStringLiteral("text") && formatName != QStringLiteral("candump"))
        return UsageError(parser, QStringLiteral("--format is text or candump"));
    request.candump = formatName == QStringLiteral("candump");
    const auto limitSeconds = parser.isSet(seconds) ? ParseNumber(parser.value(seconds))
                                                    : std::optional<int>(-1);
    const auto limitCount = parser.isSet(count) ? ParseNumber(parser.value(count))
                                                : std::optional<int>(-1);
    if (!limitSeconds || !limitCount)
        return UsageError(parser, QStringLiteral("--seconds and --count take a whole number"));
    request.seconds = *limitSeconds;
    request.count = *limitCount;
    request.log = parser.value(log);
    request.capture = parser.value(capture);
    request.verbose = parser.isSet(verbose);
    if (request.captureToStandardOutput() && parser.isSet(format))
        return UsageError(parser,
                          QStringLiteral("--capture - leaves no standard output for --format"));
    if (request.captureToStandardOutput() && TraceCaptureOutput::StandardOutputIsTerminal())
        return UsageError(parser,
                          QStringLiteral("--capture - writes binary data: send standard output "
                                         "to a file or a pipe, not to the terminal"));
    return request;
}

// Writes the trace log file that --log names; false (told) when it cannot be written.
bool saveLog(Operations &ops, const QString &path)
{
    ops.Log().Stop();
    if (TraceRecorder::SaveRecorded(ops.Log(), path)) {
        ops.Log().Discard();
        return true;
    }
    CliOperator::Print(QStringLiteral("vexalin-cli: the trace log could not be written to "
                                      "\"%1\"; its lines are kept in \"%2\"")
                           .arg(path, ops.Log().Keep()));
    return false;
}

} // namespace

int RunTrace(const QStringList &args)
{
    QCommandLineParser parser;
    const auto parsed = parseTrace(parser, args);
    if (const int *code = std::get_if<int>(&parsed))
        return *code;
    const TraceRequest &request = std::get<TraceRequest>(parsed);
    const auto target = TargetOf(parser);
    if (!target)
        return kExitUsage;
    std::optional<TraceCaptureOutput> capture;
    if (!request.capture.isEmpty() && !capture.emplace().Open(request.capture))
        return kExitUsage;

    StopSignals stopSignals;
    CliOperator op;
    CliSession session(op);
    QSocketNotifier stopNotifier(stopSignals.fd(), QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, [&session, &stopSignals] {
        stopSignals.Consume();
        session.RequestStop();
    });
    auto &ops = session.Ops();
    // With the capture on standard output, lines go to stderr when asked for, else nowhere.
    const bool printLines = !request.captureToStandardOutput() || request.verbose;
    const auto printLine = request.captureToStandardOutput() ? &CliOperator::Print : &Out;
    // From the connection on: what the module sends while it is being read counts too.
    int counted = 0;
    const TraceClock clock;
    QObject::connect(&ops, &Operations::ownMessageReceived, [&](const LIN_Msg &msg) {
        bool countIt = false;
        if (capture) {
            const auto outcome = capture->Add(msg);
            if (outcome == TraceCapture::Outcome::Failed) {
                session.RequestStop();
                return;
            }
            countIt = outcome == TraceCapture::Outcome::Written;
        }
        const QString line = !printLines       ? QString()
                             : request.candump ? CandumpLine(msg, clock.Now())
                                               : TraceLine(msg, clock.Elapsed());
        if (!line.isEmpty())
            printLine(line);
        countIt = capture ? countIt : !line.isEmpty();
        if (countIt && request.count > 0 && ++counted >= request.count)
            session.RequestStop();
    });
    if (!request.log.isEmpty() && !ops.Log().Start()) {
        CliOperator::Print(QStringLiteral("vexalin-cli: the trace log could not be started"));
        return kExitUsage;
    }
    if (const int code = session.Connect(target->port, target->rate); code != kExitOk)
        return capture ? capture->Finish(code) : code;
    if (request.count != 0)
        session.RunFor(request.seconds < 0 ? -1 : request.seconds * 1000);
    int code = session.Outcome();
    if (!request.log.isEmpty() && !saveLog(ops, request.log))
        code = kExitUsage;
    return capture ? capture->Finish(code) : code;
}

} // namespace vxl::cli
