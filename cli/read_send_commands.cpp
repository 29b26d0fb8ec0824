// read, send and verify: the module's configuration out of and into the module.

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/module_commands.h"
#include "cli/module_output.h"
#include "cli/profile_compare.h"
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

} // namespace

int RunRead(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the module's identity and configuration and prints the module data grid, every "
        "value as JSON, or saves them as a profile."));
    AddModuleOptions(parser);
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral(
                                      "Print every value with its reply status as JSON."));
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("Save the values as a profile file."),
                                     QStringLiteral("FILE"));
    parser.addOptions({json, profile});
    if (const auto code = ParseArguments(parser, args, 0, 0))
        return *code;
    if (parser.isSet(json) && parser.isSet(profile))
        return UsageError(parser, QStringLiteral("--json and --profile exclude each other"));
    const auto target = TargetOf(parser);
    if (!target)
        return kExitUsage;

    CliOperator op;
    CliSession session(op);
    if (const int code = session.Connect(target->port, target->rate); code != kExitOk)
        return code;
    auto &ops = session.Ops();
    if (parser.isSet(profile)) {
        op.SetSaveFileAnswer(parser.value(profile));
        ops.Reader().SaveModuleDataAsProfile();
        return op.Errors().isEmpty() ? kExitOk : kExitUsage;
    }
    if (parser.isSet(json)) {
        Out(QString::fromUtf8(QJsonDocument(ModuleJson(ops.ModuleCopy())).toJson()).trimmed());
        return kExitOk;
    }
    for (const QString &line : GridLines(ops.ModuleCopy(), ops.Grid()))
        Out(line);
    return kExitOk;
}

int RunSend(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends a profile into the module as \"Send\" does: what the module's firmware supports, "
        "after emptying its scheduler. Optionally stores it in flash memory and resets the "
        "module."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The profile (.vxlin)."));
    AddModuleOptions(parser);
    const QCommandLineOption flash(QStringLiteral("flash"),
                                   QStringLiteral("Copy the configuration into flash memory."));
    const QCommandLineOption reset(QStringLiteral("reset"),
                                   QStringLiteral("After --flash, reset the module."));
    parser.addOptions({flash, reset, YesOption()});
    if (const auto code = ParseArguments(parser, args, 1, 1))
        return *code;
    if (parser.isSet(reset) && !parser.isSet(flash))
        return UsageError(parser,
                          QStringLiteral("--reset needs --flash: a reset restarts the module with "
                                         "the configuration of its flash memory"));
    const auto target = TargetOf(parser);
    if (!target)
        return kExitUsage;
    const auto profile = LoadProfile(parser.positionalArguments().at(0));
    if (!profile)
        return kExitUsage;

    CliOperator op(parser.isSet(QStringLiteral("yes")));
    const bool wantFlash = parser.isSet(flash);
    const bool wantReset = parser.isSet(reset);
    op.SetAnswerer([&](const QString &question) {
        if (question == kFlashQuestion)
            return wantFlash ? BoxResult::Yes : BoxResult::No;
        if (question == kResetQuestion)
            return wantReset ? BoxResult::Yes : BoxResult::No;
        return op.AnswerFromYesFlag(question);
    });
    CliSession session(op);
    if (const int code = session.Connect(target->port, target->rate); code != kExitOk)
        return code;
    op.SetView(View::Profiles);
    op.SetProfile(profile);
    session.Ops().Sender().SendProfile();
    session.WaitIdle();
    if (const int code = session.Outcome(); code != kExitOk)
        return code;
    const bool sent = std::any_of(op.Informations().begin(),
                                  op.Informations().end(),
                                  [](const QString &t) { return t.startsWith(kSendSuccess); });
    return sent ? kExitOk : kExitRefused;
}

int RunVerify(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the module and lists every value that differs from what sending the profile "
        "writes (exit code 1 when any differs)."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The profile (.vxlin)."));
    AddModuleOptions(parser);
    if (const auto code = ParseArguments(parser, args, 1, 1))
        return *code;
    const auto target = TargetOf(parser);
    if (!target)
        return kExitUsage;
    auto profile = LoadProfile(parser.positionalArguments().at(0));
    if (!profile)
        return kExitUsage;

    CliOperator op;
    CliSession session(op);
    if (const int code = session.Connect(target->port, target->rate); code != kExitOk)
        return code;
    const ModuleConfig &module = session.Ops().ModuleCopy();
    PrepareProfileForSend(*profile, module);
    const QStringList differences = ProfileDifferences(*profile, module);
    if (profile->RS232.Baudrate != module.RS232.Baudrate)
        CliOperator::Print(QStringLiteral("Note: the profile's RS-232 bit rate %1 is not the rate "
                                          "the module uses, %2; a new rate takes effect when the "
                                          "module's RS-232 group is initialised")
                               .arg(profile->RS232.Baudrate)
                               .arg(module.RS232.Baudrate));
    for (const QString &line : differences)
        Out(line);
    if (!differences.isEmpty()) {
        CliOperator::Print(QStringLiteral("%1 values differ").arg(differences.size()));
        return kExitRefused;
    }
    CliOperator::Print(QStringLiteral("The module holds the profile's values"));
    return kExitOk;
}

} // namespace vxl::cli
