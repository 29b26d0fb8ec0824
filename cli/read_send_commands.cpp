// read, send and verify: the module's configuration out of and into the module.

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/module_commands.h"
#include "cli/module_output.h"
#include "cli/profile_compare.h"
#include "cli/rack_run.h"
#include "core/operations/module_read.h"
#include "core/operations/profile_send.h"

#include <QJsonDocument>

namespace vxl::cli {

namespace {

const QString kFlashQuestion = QStringLiteral(
    "The current module configuration will be copied in its flash memory.  Proceed?");
const QString kResetQuestion = QStringLiteral(
    "The profile was saved in the flash memory of the module. A module's reset must be issued in "
    "order to use the new configuration. Do you want to this now?");
const QString kSendSuccess = QStringLiteral("The Profile was successfully sent to the module. ");

// Compares the module as just read with what sending the profile writes, and prints the result.
int VerifyModule(ModuleContext &m, ModuleConfig profile)
{
    const ModuleConfig &module = m.session.Ops().ModuleCopy();
    PrepareProfileForSend(profile, module);
    if (profile.RS232.Baudrate != module.RS232.Baudrate)
        CliOperator::Print(QStringLiteral("Note: the profile's RS-232 bit rate %1 is not the rate "
                                          "the module uses, %2; a new rate takes effect when the "
                                          "module's RS-232 group is initialised")
                               .arg(profile.RS232.Baudrate)
                               .arg(module.RS232.Baudrate));
    const ProfileComparison comparison = CompareProfile(profile, module);
    m.record.SetComparison(comparison);
    PrintComparison(comparison);
    if (comparison.Equal())
        return kExitOk;
    m.record.SetReason(QStringLiteral("%1 values differ").arg(comparison.differences.size()));
    return kExitRefused;
}

int SendToModule(ModuleContext &m, bool verify)
{
    auto &session = m.session;
    m.record.SetPhase(QStringLiteral("sending"));
    session.Ops().Sender().SendProfile();
    session.WaitIdle();
    if (const int code = session.Outcome(); code != kExitOk)
        return code;
    const auto &informations = m.op.Informations();
    const bool sent = std::any_of(informations.begin(), informations.end(), [](const QString &t) {
        return t.startsWith(kSendSuccess);
    });
    if (!sent)
        return kExitRefused;
    if (!verify)
        return kExitOk;
    m.record.SetPhase(QStringLiteral("verifying"));
    session.Ops().Reader().StartModuleRead();
    session.WaitIdle();
    if (const int code = session.Outcome(); code != kExitOk)
        return code;
    return VerifyModule(m, *m.job.profile);
}

// The modules to run on with the profile FILE, or with none when a plan names the profiles.
std::optional<RackTargets> ProfileTargets(const QCommandLineParser &parser)
{
    const QStringList positional = parser.positionalArguments();
    const bool plan = parser.isSet(QStringLiteral("plan"));
    if (positional.isEmpty() && !plan) {
        UsageError(parser, QStringLiteral("missing argument"));
        return std::nullopt;
    }
    return RackTargetsOf(parser, positional.isEmpty() ? QString() : positional.first());
}

} // namespace

int SaveModuleProfile(ModuleContext &m, const QString &pattern)
{
    m.op.SetSaveFileAnswer(PortFileName(pattern, m.job.port));
    m.session.Ops().Reader().SaveModuleDataAsProfile();
    return m.op.Errors().isEmpty() ? kExitOk : kExitUsage;
}

int RunRead(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the module's identity and configuration and prints the module data grid, every "
        "value as JSON, or saves them as a profile."));
    AddRackOptions(parser, false);
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral(
                                      "Print every value with its reply status as JSON."));
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("Save the values as a profile file; {port} "
                                                    "in its name is the module's COM number."),
                                     QStringLiteral("FILE"));
    parser.addOptions({json, profile});
    if (const auto code = ParseArguments(parser, args, 0, 0))
        return *code;
    if (parser.isSet(json) && parser.isSet(profile))
        return UsageError(parser, QStringLiteral("--json and --profile exclude each other"));
    const auto targets = RackTargetsOf(parser, QString());
    const QString profileName = parser.value(profile);
    if (!targets || !FileNameFitsTargets(parser, *targets, profileName))
        return kExitUsage;

    const bool asJson = parser.isSet(json);
    ModuleTask task;
    task.body = [&](ModuleContext &m) -> int {
        auto &ops = m.session.Ops();
        if (!profileName.isEmpty())
            return SaveModuleProfile(m, profileName);
        if (asJson) {
            Out(QString::fromUtf8(QJsonDocument(ModuleJson(ops.ModuleCopy())).toJson()).trimmed());
            return kExitOk;
        }
        for (const QString &line : GridLines(ops.ModuleCopy(), ops.Grid()))
            Out(line);
        return kExitOk;
    };
    const RackOutput output = !profileName.isEmpty() ? RackOutput::ResultLines
                              : asJson               ? RackOutput::JsonArray
                                                     : RackOutput::Blocks;
    return RunOnTargets(QStringLiteral("read"), *targets, task, output);
}

int RunSend(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends a profile into the module as \"Send\" does: what the module's firmware supports, "
        "after emptying its scheduler. Optionally stores it in flash memory, resets the module "
        "and reads it back to compare it as \"verify\" does."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The profile (.vxlin)."));
    AddRackOptions(parser, true);
    const QCommandLineOption flash(QStringLiteral("flash"),
                                   QStringLiteral("Copy the configuration into flash memory."));
    const QCommandLineOption reset(QStringLiteral("reset"),
                                   QStringLiteral("After --flash, reset the module."));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    QStringLiteral("Then read the module back and compare it "
                                                   "with the profile as \"verify\" does."));
    parser.addOptions({flash, reset, verify, YesOption()});
    if (const auto code = ParseArguments(parser, args, 0, 1))
        return *code;
    if (parser.isSet(reset) && !parser.isSet(flash))
        return UsageError(parser,
                          QStringLiteral("--reset needs --flash: a reset restarts the module with "
                                         "the configuration of its flash memory"));
    const auto targets = ProfileTargets(parser);
    if (!targets)
        return kExitUsage;

    const bool wantFlash = parser.isSet(flash);
    const bool wantReset = parser.isSet(reset);
    const bool wantVerify = parser.isSet(verify);
    ModuleTask task;
    task.yes = parser.isSet(QStringLiteral("yes"));
    task.prepare = [wantFlash, wantReset](CliOperator &op, const ModuleJob &) {
        op.SetAnswerer([&op, wantFlash, wantReset](const QString &question) {
            if (question == kFlashQuestion)
                return wantFlash ? BoxResult::Yes : BoxResult::No;
            if (question == kResetQuestion)
                return wantReset ? BoxResult::Yes : BoxResult::No;
            return op.AnswerFromYesFlag(question);
        });
    };
    task.body = [wantVerify](ModuleContext &m) {
        m.op.SetView(View::Profiles);
        m.op.SetProfile(m.job.profile);
        return SendToModule(m, wantVerify);
    };
    return RunOnTargets(QStringLiteral("send"), *targets, task);
}

int RunVerify(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the module and lists every value that differs from what sending the profile "
        "writes (exit code 1 when any differs), and apart the values it could not compare."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The profile (.vxlin)."));
    AddRackOptions(parser, true);
    if (const auto code = ParseArguments(parser, args, 0, 1))
        return *code;
    const auto targets = ProfileTargets(parser);
    if (!targets)
        return kExitUsage;
    ModuleTask task;
    task.body = [](ModuleContext &m) { return VerifyModule(m, *m.job.profile); };
    return RunOnTargets(QStringLiteral("verify"), *targets, task);
}

} // namespace vxl::cli
