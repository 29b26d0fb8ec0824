#pragma once

#include "cli/module_runner.h"

#include <QCommandLineParser>

#include <optional>

namespace vxl::cli {

// What a module command prints for each module when it runs on several.
enum class RackOutput {
    ResultLines, // a result line per module and the summary on stdout
    Blocks,      // what each module printed, under its COM number, on stdout
    JsonArray,   // the JSON object each module printed, with its port, in one array
};

// The modules a command runs on: one or several ports, or the lines of a plan.
struct RackTargets
{
    std::vector<ModuleJob> jobs;
    int rate = 38400;
    QString report; // --report FILE.json
    QString junit;  // --junit FILE.xml
    bool plan = false;

    // Several modules, a plan or a report: the modules run at once and end with a summary.
    [[nodiscard]] bool AsRack() const
    {
        return jobs.size() > 1 || plan || !report.isEmpty() || !junit.isEmpty();
    }
};

// --port taking a list, --baud, --report and --junit; --plan when the command takes profiles.
void AddRackOptions(QCommandLineParser &parser, bool withPlan);

// The targets of the options, with the profile FILE of the command (empty when it takes none)
// or the plan's. Reports a usage error and returns nothing when the options, the plan or a
// profile are bad or a port is not mapped: nothing has been sent then.
[[nodiscard]] std::optional<RackTargets> RackTargetsOf(const QCommandLineParser &parser,
                                                       const QString &profileFile);

// Runs the task on the targets: one module as vexalin-cli always has, several at once with
// their result lines, summary and reports. Returns the exit code: the highest of the modules'.
[[nodiscard]] int RunOnTargets(const QString &command,
                               const RackTargets &targets,
                               const ModuleTask &task,
                               RackOutput output = RackOutput::ResultLines);

// The file name of one module: {port} replaced by its COM number.
[[nodiscard]] QString PortFileName(const QString &pattern, int port);
// Several modules write files only when their names differ by {port}; reports a usage error
// otherwise.
[[nodiscard]] bool FileNameFitsTargets(const QCommandLineParser &parser,
                                       const RackTargets &targets,
                                       const QString &pattern);

} // namespace vxl::cli
