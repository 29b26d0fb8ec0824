// vexalin-cli: the module operations of VEXA-LIN CT from a terminal, for scripts and production
// lines.

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/module_commands.h"

#include <QCoreApplication>

#include <cstdio>

namespace vxl::cli {

const std::vector<Command> &Commands()
{
    static const std::vector<Command> commands = {
        {"ports", "the COM numbers that can be opened, with their devices", RunPorts},
        {"read",
         "the module's identity and configuration (text, --json or --profile FILE)",
         RunRead},
        {"send", "send a profile into the module (--flash, --reset, --yes)", RunSend},
        {"verify", "list every value of the module that differs from a profile", RunVerify},
        {"trace", "print the module's messages (text or candump, --log FILE)", RunTrace},
        {"raw", "one command of the catalogue and its reply", RunRaw},
        {"reset", "reset the module", RunReset},
        {"defaults", "restore the module's default values", RunDefaults},
        {"flash", "copy the module's configuration into its flash memory", RunFlash},
        {"master", "switch the LIN master on or off", RunMaster},
        {"scheduler", "get, set FILE or clear the master's scheduler entries", RunScheduler},
        {"convert", "convert a legacy profile (.lin) into an XML profile", RunConvert},
        {"validate", "name the first element of a profile that fails", RunValidate},
    };
    return commands;
}

namespace {

void PrintOverview(std::FILE *to)
{
    std::fputs("Usage: vexalin-cli COMMAND [options]\n"
               "The module operations of VEXA-LIN CT from a terminal. \"vexalin-cli COMMAND "
               "--help\" describes a command.\n\nCommands:\n",
               to);
    for (const auto &command : Commands())
        std::fprintf(to, "  %-10s %s\n", command.name, command.summary);
    std::fputs("\nOptions:\n"
               "  -h, --help  print this overview and exit\n"
               "  --version   print the version and exit\n",
               to);
    std::fputs("\nExit codes: 0 success, 1 the module refused or values differ, 2 usage or bad "
               "input, 3 connection or time-out.\n",
               to);
}

} // namespace

} // namespace vxl::cli

int main(int argc, char *argv[])
{
    using namespace vxl::cli;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexalin-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VXL_VERSION_TEXT));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        PrintOverview(stderr);
        return kExitUsage;
    }
    const QString name = args.at(1);
    if (name == QStringLiteral("--help") || name == QStringLiteral("-h")
        || name == QStringLiteral("help")) {
        PrintOverview(stdout);
        return kExitOk;
    }
    if (name == QStringLiteral("--version")) {
        std::printf("vexalin-cli %s\n", VXL_VERSION_TEXT);
        return kExitOk;
    }
    for (const auto &command : Commands()) {
        if (name == QLatin1String(command.name))
            return command.run(QStringList{QStringLiteral("vexalin-cli ") + name} + args.mid(2));
    }
    std::fprintf(stderr, "vexalin-cli: unknown command \"%s\"\n\n", qPrintable(name));
    PrintOverview(stderr);
    return kExitUsage;
}
