#pragma once

#include "core/module/module_config.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace vxl::cli {

// One command of vexalin-cli: its name, the line shown in the overview, and how it runs.
struct Command
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &args); // args[0] is "vexalin-cli <name>"
};

[[nodiscard]] const std::vector<Command> &Commands();

// Where a module command finds its module.
struct ModuleTarget
{
    int port = 1;
    int rate = 38400;
};

// --port, --baud (defaults: the stored connection of the window program) and --help; with
// portList, --port takes several modules.
void AddModuleOptions(QCommandLineParser &parser, bool portList = false);
// --yes: answers every question with YES.
[[nodiscard]] QCommandLineOption YesOption();

// Parses the arguments. Returns an exit code when the command must end here: 0 after --help,
// 2 after a usage error (with the message and the usage line on stderr).
[[nodiscard]] std::optional<int> ParseArguments(QCommandLineParser &parser,
                                                const QStringList &args,
                                                int positionalMin,
                                                int positionalMax);
// Reports a usage error and answers 2.
int UsageError(const QCommandLineParser &parser, const QString &message);

// The port and bit rate of the options, the stored ones where none is given.
[[nodiscard]] std::optional<ModuleTarget> TargetOf(const QCommandLineParser &parser);

// The bit rate of --baud, the stored one without it.
[[nodiscard]] std::optional<int> BitRateOf(const QCommandLineParser &parser, int stored);

// A number in decimal or with 0x in hexadecimal.
[[nodiscard]] std::optional<int> ParseNumber(const QString &text);

// A profile file read into the values a profile carries (the rest as a new profile has them).
// Prints why not and returns nothing when the file is missing, not a profile or unreadable.
[[nodiscard]] std::optional<ModuleConfig> LoadProfile(const QString &path);

// Writes a line to stdout.
void Out(const QString &text);

} // namespace vxl::cli
