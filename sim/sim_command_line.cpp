#include "sim/sim_command_line.h"

#include <QCommandLineParser>

#include <array>

namespace vxl::sim {

namespace {

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

} // namespace

std::optional<SimCommandLine> ParseSimCommandLine(const QCoreApplication &app, QString &error)
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

} // namespace vxl::sim
