// vexalin-sim: a VEXA-LIN module on a virtual COM port, for trying the tool without hardware.

#include "sim/emulator_host.h"
#include "sim/module_rack.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

using namespace vxl::sim;

namespace {

using Hosts = std::vector<std::unique_ptr<EmulatorHost>>;

// What the command line asks for.
struct SimCommandLine
{
    EmulatorOptions options;    // of the first module; the rack derives the others from it
    ModuleFaults faults;        // of every module
    int modules = 1;            // on the COM numbers from options.comNumber on
    QStringList moduleSettings; // "COM:OPTIONS" texts for single modules
};

struct OptionText
{
    const char *names;
    const char *valueName;
    const char *defaultValue;
    const char *description;
};

// In the order the help lists them: names (the short one first), value name (none for a switch),
// default value, description.
// clang-format off
constexpr std::array kOptionTexts{
    OptionText{"count", "N", "1", "Emulate N modules on the COM numbers from --port on, in this one process; each ends its hardware text with its COM number."},
    OptionText{"module", "COM:OPTIONS", "", "Options of the module on one COM number, as \"5:firmware=01.01.05,silent,refuse=1/13/5\" (keys hardware, firmware, silent, silent-from, delay, drop, corrupt, refuse group/command/code); may be repeated."},
    OptionText{"p,port", "N", "1", "COM number to register (default 1)."},
    OptionText{"hardware", "TEXT", "VXL-LIN-G 1.0  ", "Hardware text; its first letter sets the build: P prototype, S slave sim, V VDO, other standard."},
    OptionText{"firmware", "VERSION", "01.02.15", "Firmware version AA.BB.CC (default 01.02.15)."},
    OptionText{"rate", "BPS", "38400", "RS-232 bit rate at power-up (default 38400)."},
    OptionText{"startup", "STYLE", "cr", "Start-up text style after a reset: 'cr' (ends with a carriage return) or '66' (66 characters)."},
    OptionText{"traffic", "MS", "0", "Send a random CAN frame, CAN event or LIN error every MS milliseconds."},
    OptionText{"flood", "N", "0", "Fill the line with CAN frames over N distinct identifiers; SIGUSR1 ends it and prints how many messages were sent."},
    OptionText{"no-pacing", "", "", "Send as fast as the pty takes it, not at the line's bit rate."},
    OptionText{"transcript", "FILE", "", "Append every request and reply, with times, to FILE."},
    OptionText{"silent", "", "", "Receive requests but never answer."},
    OptionText{"delay", "MS", "0", "Wait MS milliseconds before each reply."},
    OptionText{"drop", "N", "0", "Do not send the Nth reply."},
    OptionText{"corrupt", "N", "0", "Send the Nth reply with a wrong checksum."},
};
// clang-format on

QCommandLineOption makeOption(const OptionText &text)
{
    const QStringList names = QString::fromLatin1(text.names).split(QLatin1Char(','));
    return QCommandLineOption(names,
                              QString::fromLatin1(text.description),
                              QString::fromLatin1(text.valueName),
                              QString::fromLatin1(text.defaultValue));
}

EmulatorOptions emulatorOptions(const QCommandLineParser &parser)
{
    const auto value = [&](const char *name) { return parser.value(QString::fromLatin1(name)); };
    EmulatorOptions options;
    options.comNumber = value("port").toInt();
    options.identity.hardware = value("hardware");
    options.identity.firmware = value("firmware");
    options.rate = value("rate").toUInt();
    options.startupStyle = value("startup") == QStringLiteral("66") ? StartupStyle::Fixed66
                                                                    : StartupStyle::CarriageReturn;
    options.pacing = !parser.isSet(QStringLiteral("no-pacing"));
    options.transcriptFile = value("transcript");
    options.randomTrafficMs = value("traffic").toInt();
    options.floodIds = value("flood").toInt();
    return options;
}

ModuleFaults moduleFaults(const QCommandLineParser &parser)
{
    ModuleFaults faults;
    faults.silent = parser.isSet(QStringLiteral("silent"));
    faults.delayMs = parser.value(QStringLiteral("delay")).toInt();
    faults.dropReply = parser.value(QStringLiteral("drop")).toInt();
    faults.corruptReply = parser.value(QStringLiteral("corrupt")).toInt();
    return faults;
}

// Reads the program's options (help, version and unknown options end the program as usual);
// none, with the reason in `error`, when a value is out of its range.
std::optional<SimCommandLine> parseCommandLine(const QCoreApplication &app, QString &error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Emulates a VEXA-LIN module behind a pseudo-terminal registered as a COM port, so the tool "
        "can connect to it as to real hardware. Stop it with Ctrl+C."));
    parser.addHelpOption();
    parser.addVersionOption();
    for (const OptionText &text : kOptionTexts)
        parser.addOption(makeOption(text));
    parser.process(app);

    SimCommandLine line;
    line.options = emulatorOptions(parser);
    if (line.options.comNumber < 1 || line.options.comNumber > 255) {
        error = QStringLiteral("--port takes a COM number from 1 to 255");
        return std::nullopt;
    }
    line.faults = moduleFaults(parser);
    line.modules = parser.value(QStringLiteral("count")).toInt();
    if (line.modules < 1 || line.options.comNumber + line.modules - 1 > 255) {
        error = QStringLiteral("--count takes 1 or more, up to COM255");
        return std::nullopt;
    }
    line.moduleSettings = parser.values(QStringLiteral("module"));
    return line;
}

// Ctrl+C and termination end the run cleanly, so the port link is removed; SIGUSR1 ends a flood.
// Blocked in every thread, they are taken by sigwait alone.
sigset_t blockStopSignals()
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    return stopSignals;
}

// The rack the command line describes, with the settings of single modules applied; 0, or the
// program's exit code when a setting is malformed.
int makeRack(const SimCommandLine &line, std::vector<RackModule> &rack)
{
    rack = MakeRack(line.options, line.faults, line.modules);
    for (const QString &text : line.moduleSettings) {
        QString error;
        if (!ApplyModuleOptions(rack, text, error)) {
            std::fprintf(stderr, "vexalin-sim: %s\n", qPrintable(error));
            return 2;
        }
    }
    return 0;
}

// Starts a host for each module of the rack; 0, or the program's exit code when a port could
// not be created.
int startHosts(const std::vector<RackModule> &rack, Hosts &hosts)
{
    for (const RackModule &rackModule : rack) {
        hosts.push_back(std::make_unique<EmulatorHost>(rackModule.options));
        EmulatorHost &host = *hosts.back();
        if (!host.start()) {
            std::fprintf(stderr,
                         "vexalin-sim: could not create the virtual port COM%d\n",
                         rackModule.options.comNumber);
            return 1;
        }
        ApplyFaults(host, rackModule.faults);
        std::printf("VEXA-LIN module emulator on COM%d (%s -> %s)\n",
                    rackModule.options.comNumber,
                    qPrintable(host.linkPath()),
                    qPrintable(host.devicePath()));
    }
    std::fflush(stdout);
    return 0;
}

// Runs until a stop signal. SIGUSR1 ends the flood and says how many messages of its own the
// module sent, so that a benchmark can compare them with what the tool counted.
void runUntilStopped(EmulatorHost &host, const sigset_t &stopSignals)
{
    int received = 0;
    while (sigwait(&stopSignals, &received) == 0 && received == SIGUSR1) {
        host.setFlood(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::printf("sent %llu messages of the module's own\n",
                    static_cast<unsigned long long>(host.ownMessagesSent()));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexalin-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VXL_VERSION_TEXT));

    QString error;
    const auto line = parseCommandLine(app, error);
    if (!line) {
        std::fprintf(stderr, "vexalin-sim: %s\n", qPrintable(error));
        return 2;
    }
    const sigset_t stopSignals = blockStopSignals();
    std::vector<RackModule> rack;
    if (const int code = makeRack(*line, rack); code != 0)
        return code;
    Hosts hosts;
    if (const int code = startHosts(rack, hosts); code != 0)
        return code;
    runUntilStopped(*hosts.front(), stopSignals);
    for (auto &host : hosts)
        host->stop();
    return 0;
}
