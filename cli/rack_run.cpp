#include "cli/rack_run.h"

#include "cli/cli_operator.h"
#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/port_list.h"
#include "cli/run_display.h"
#include "cli/run_report.h"
#include "core/link/com_port_map.h"
#include "core/settings/settings_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace vxl::cli {

namespace {

const QString kPort = QStringLiteral("port");
const QString kPlan = QStringLiteral("plan");
const QString kReport = QStringLiteral("report");
const QString kJUnit = QStringLiteral("junit");
const QString kPortPlaceholder = QStringLiteral("{port}");

std::optional<std::vector<ModuleJob>> jobsOf(const QCommandLineParser &parser,
                                             bool plan,
                                             const QString &profileFile,
                                             int storedPort)
{
    std::vector<ModuleJob> jobs;
    if (plan) {
        QString error;
        const auto plan = ReadPlan(parser.value(kPlan), error);
        if (!plan) {
            UsageError(parser, error);
            return std::nullopt;
        }
        for (const PlanRow &row : *plan)
            jobs.push_back({row.port, row.label, row.profile, std::nullopt});
        return jobs;
    }
    std::vector<int> ports{storedPort};
    if (parser.isSet(kPort)) {
        const QString text = parser.value(kPort);
        const auto list = ParsePortList(text);
        if (!list) {
            const bool one = !text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('-'));
            UsageError(parser,
                       one ? QStringLiteral("--port takes a COM number from 1 to 255")
                           : QStringLiteral("--port takes COM numbers from 1 to 255, as 5, 3,5 "
                                            "or 7-12"));
            return std::nullopt;
        }
        ports = *list;
    }
    for (const int port : ports)
        jobs.push_back({port, QString(), profileFile, std::nullopt});
    return jobs;
}

// Each profile read once, however many modules get it.
bool loadProfiles(std::vector<ModuleJob> &jobs)
{
    std::map<QString, ModuleConfig> loaded;
    for (ModuleJob &job : jobs) {
        if (job.profilePath.isEmpty())
            continue;
        auto found = loaded.find(job.profilePath);
        if (found == loaded.end()) {
            auto profile = LoadProfile(job.profilePath);
            if (!profile)
                return false;
            found = loaded.emplace(job.profilePath, *profile).first;
        }
        job.profile = found->second;
    }
    return true;
}

bool allMapped(const std::vector<ModuleJob> &jobs)
{
    const ComPortMap map;
    for (const ModuleJob &job : jobs) {
        if (map.devicePath(job.port).isEmpty()) {
            CliOperator::Print(QStringLiteral("COM%1 is not mapped to any device (see "
                                              "\"vexalin-cli ports\")")
                                   .arg(job.port));
            return false;
        }
    }
    return true;
}

QString heading(const ModuleRecord::Snapshot &module)
{
    return module.label.isEmpty() ? QStringLiteral("COM%1").arg(module.port)
                                  : QStringLiteral("COM%1 %2").arg(module.port).arg(module.label);
}

void printOutputs(RackOutput output, const std::vector<ModuleRecord::Snapshot> &modules)
{
    if (output == RackOutput::Blocks) {
        bool first = true;
        for (const auto &module : modules) {
            if (module.output.isEmpty())
                continue;
            if (!first)
                Out(QString());
            first = false;
            Out(heading(module));
            for (const QString &line : module.output)
                Out(line);
        }
        return;
    }
    QJsonArray array;
    for (const auto &module : modules) {
        QJsonObject object = QJsonDocument::fromJson(module.output.join(QLatin1Char('\n')).toUtf8())
                                 .object();
        object.insert(QStringLiteral("port"), module.port);
        if (module.verdict != ModuleVerdict::Passed)
            object.insert(QStringLiteral("error"), module.reason);
        array.append(object);
    }
    Out(QString::fromUtf8(QJsonDocument(array).toJson()).trimmed());
}

int writeReports(const QString &command,
                 const RackTargets &targets,
                 const std::vector<ModuleRecord::Snapshot> &modules)
{
    int code = kExitOk;
    if (!targets.report.isEmpty() && !WriteJsonReport(targets.report, command, modules)) {
        CliOperator::Print(QStringLiteral("vexalin-cli: the report \"%1\" could not be written")
                               .arg(targets.report));
        code = kExitUsage;
    }
    if (!targets.junit.isEmpty() && !WriteJUnitReport(targets.junit, command, modules)) {
        CliOperator::Print(QStringLiteral("vexalin-cli: the report \"%1\" could not be written")
                               .arg(targets.junit));
        code = kExitUsage;
    }
    return code;
}

} // namespace

void AddRackOptions(QCommandLineParser &parser, bool withPlan)
{
    AddModuleOptions(parser, true);
    parser.addOption({kReport,
                      QStringLiteral("Write the result of each module as JSON into FILE."),
                      QStringLiteral("FILE")});
    parser.addOption({kJUnit,
                      QStringLiteral("Write the result of each module as a JUnit XML test case "
                                     "into FILE."),
                      QStringLiteral("FILE")});
    if (withPlan)
        parser.addOption({kPlan,
                          QStringLiteral("CSV lines \"port,profile[,label]\": a profile of its own "
                                         "for each module, instead of FILE and --port."),
                          QStringLiteral("FILE")});
}

std::optional<RackTargets> RackTargetsOf(const QCommandLineParser &parser,
                                         const QString &profileFile)
{
    const bool plan = parser.optionNames().contains(kPlan) && parser.isSet(kPlan);
    if (plan && (parser.isSet(kPort) || !profileFile.isEmpty())) {
        UsageError(parser,
                   QStringLiteral("--plan names the ports and profiles: no --port or FILE "
                                  "with it"));
        return std::nullopt;
    }
    VXLIN_Values stored;
    ReadSettings(stored);
    RackTargets targets;
    targets.plan = plan;
    targets.report = parser.value(kReport);
    targets.junit = parser.value(kJUnit);
    auto jobs = jobsOf(parser, plan, profileFile, stored.Port);
    const auto rate = BitRateOf(parser, stored.Baudrate);
    if (!jobs || !rate)
        return std::nullopt;
    targets.rate = *rate;
    targets.jobs = std::move(*jobs);
    if (!loadProfiles(targets.jobs))
        return std::nullopt;
    if (targets.AsRack() && !allMapped(targets.jobs))
        return std::nullopt;
    return targets;
}

int RunOnTargets(const QString &command,
                 const RackTargets &targets,
                 const ModuleTask &task,
                 RackOutput output)
{
    if (!targets.AsRack())
        return RunOnOneModule(targets.jobs.front(), targets.rate, task);
    std::vector<std::unique_ptr<ModuleRecord>> records;
    for (const ModuleJob &job : targets.jobs)
        records.push_back(std::make_unique<ModuleRecord>(job));
    RunDisplay display(output == RackOutput::ResultLines ? stdout : stderr, records);
    RunOnModules(targets.jobs, targets.rate, task, records, [&display] { display.Update(); });
    display.Finish();
    const auto modules = Snapshots(records);
    if (output != RackOutput::ResultLines)
        printOutputs(output, modules);
    return std::max(RunExitCode(modules), writeReports(command, targets, modules));
}

QString PortFileName(const QString &pattern, int port)
{
    QString name = pattern;
    return name.replace(kPortPlaceholder, QString::number(port));
}

bool FileNameFitsTargets(const QCommandLineParser &parser,
                         const RackTargets &targets,
                         const QString &pattern)
{
    if (targets.jobs.size() < 2 || pattern.isEmpty() || pattern.contains(kPortPlaceholder))
        return true;
    UsageError(parser,
               QStringLiteral("with several modules the file name needs {port}, which each "
                              "module's COM number replaces"));
    return false;
}

} // namespace vxl::cli
