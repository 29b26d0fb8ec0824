// raw, reset, defaults, flash, master and scheduler: single exchanges with a connected module.

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/module_commands.h"
#include "cli/module_output.h"
#include "cli/rack_run.h"
#include "core/link/command_catalogue.h"
#include "core/link/read_refusal.h"
#include "core/link/status_text.h"
#include "core/operations/console_logic.h"
#include "core/operations/maintenance.h"
#include "core/operations/scheduler_control.h"

#include <QRegularExpression>

namespace vxl::cli {

namespace {

constexpr int kModuleGroup = 3;

// Connects to the module of the options and runs body on the connected session.
template<typename Body>
int WithModule(const QCommandLineParser &parser, bool yes, Body body)
{
    const auto target = TargetOf(parser);
    if (!target)
        return kExitUsage;
    CliOperator op(yes);
    CliSession session(op);
    if (const int code = session.Connect(target->port, target->rate); code != kExitOk)
        return code;
    return body(session, op);
}

// Runs body on each module of the options, all at once when there are several.
int OnModules(const QCommandLineParser &parser,
              const QString &command,
              bool yes,
              std::function<int(ModuleContext &)> body)
{
    const auto targets = RackTargetsOf(parser, QString());
    if (!targets)
        return kExitUsage;
    ModuleTask task;
    task.yes = yes;
    task.body = std::move(body);
    return RunOnTargets(command, *targets, task);
}

std::optional<int> GroupNumber(const QString &text)
{
    const QString t = text.toUpper().remove(QLatin1Char('-'));
    if (t == QStringLiteral("RS232"))
        return 0;
    if (t == QStringLiteral("CAN"))
        return 1;
    if (t == QStringLiteral("LIN"))
        return 2;
    const auto n = ParseNumber(text);
    if (n && *n >= 0 && *n <= 2)
        return n;
    return std::nullopt;
}

// The console's list mode and position of a command of a group.
std::optional<std::pair<int, int>> FindCommand(int group, int command)
{
    for (int mode = 0; mode < 4; ++mode) {
        const auto list = ConsoleLogic::CommandList(group, mode);
        for (int i = 0; i < int(list.size()); ++i)
            if (list[std::size_t(i)].command == command)
                return std::make_pair(mode, i);
    }
    return std::nullopt;
}

// The data bytes of a console reply line ("3 - 0x05 -     |    raw-command [...]").
QList<std::uint8_t> ReplyBytes(const QString &line)
{
    QList<std::uint8_t> bytes;
    static const QRegularExpression byte(QStringLiteral("0x([0-9A-F]{2}) - "));
    auto it = byte.globalMatch(line.left(line.indexOf(QLatin1Char('|'))));
    while (it.hasNext())
        bytes << std::uint8_t(it.next().captured(1).toUInt(nullptr, 16));
    return bytes;
}

// "reset" of "vexalin-cli reset".
QString CommandOf(const QStringList &args)
{
    return args.isEmpty() ? QString() : args.first().section(QLatin1Char(' '), 1);
}

bool IsHexByte(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^(0[xX])?[0-9A-Fa-f]{1,2}$"));
    return hex.match(text).hasMatch();
}

// The maintenance actions end with the module's reply line in the MODULE node of the console.
void PrintModuleLines(Operations &ops, qsizetype from)
{
    const QStringList &received = ops.Console().Lines(kModuleGroup, true);
    for (qsizetype i = from; i < received.size(); ++i)
        Out(received.at(i));
}

int RunMaintenance(const QStringList &args,
                   const QString &description,
                   bool asks,
                   void (Maintenance::*action)())
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    AddRackOptions(parser, false);
    if (asks)
        parser.addOption(YesOption());
    if (const auto code = ParseArguments(parser, args, 0, 0))
        return *code;
    const bool yes = asks && parser.isSet(QStringLiteral("yes"));
    return OnModules(parser, CommandOf(args), yes, [action](ModuleContext &m) -> int {
        auto &ops = m.session.Ops();
        const auto before = ops.Console().Lines(kModuleGroup, true).size();
        (ops.Maint().*action)();
        m.session.WaitIdle();
        PrintModuleLines(ops, before);
        return m.session.Outcome();
    });
}

} // namespace

int RunRaw(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends one command of the module's catalogue, as the command console does, and prints "
        "the request and the reply lines as the console shows them."));
    parser.addPositionalArgument(QStringLiteral("GROUP"),
                                 QStringLiteral("Interface group: RS232 (0), CAN (1) or LIN (2)."));
    parser.addPositionalArgument(QStringLiteral("CMD"),
                                 QStringLiteral("Command number (decimal or 0x hexadecimal)."));
    parser.addPositionalArgument(QStringLiteral("HEX"),
                                 QStringLiteral("Up to 15 parameter bytes in hexadecimal."),
                                 QStringLiteral("[HEX ...]"));
    AddModuleOptions(parser);
    if (const auto code = ParseArguments(parser, args, 2, 2 + kParameterEdits))
        return *code;
    const QStringList positional = parser.positionalArguments();
    const auto group = GroupNumber(positional.at(0));
    if (!group)
        return UsageError(parser,
                          QStringLiteral("\"%1\" is not an interface group (RS232, CAN or LIN)")
                              .arg(positional.at(0)));
    const auto command = ParseNumber(positional.at(1));
    const auto found = command ? FindCommand(*group, *command) : std::nullopt;
    if (!found)
        return UsageError(parser,
                          QStringLiteral("\"%1\" is not a command of group %2 in the catalogue")
                              .arg(positional.at(1))
                              .arg(*group));
    const QStringList bytes = positional.mid(2);
    for (const QString &b : bytes)
        if (!IsHexByte(b))
            return UsageError(parser, QStringLiteral("\"%1\" is not a hexadecimal byte").arg(b));

    return WithModule(parser, false, [&](CliSession &session, CliOperator &) -> int {
        auto &console = session.Ops().Console();
        console.SetGroup(*group);
        console.SetMode(found->first);
        console.SelectEntry(found->second);
        for (int i = 0; i < int(bytes.size()); ++i) {
            QString b = bytes.at(i);
            if (b.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
                b = b.mid(2);
            console.SetParameterText(i, b);
            console.ParameterEditLeft(i);
        }
        console.SetParameterCount(int(bytes.size()));
        const auto sentBefore = console.Lines(*group, false).size();
        const auto receivedBefore = console.Lines(*group, true).size();
        console.Send();
        session.WaitIdle();
        for (const QString &line : console.Lines(*group, false).mid(sentBefore))
            Out(line);
        const QStringList replies = console.Lines(*group, true).mid(receivedBefore);
        for (const QString &line : replies)
            Out(line);
        if (const int code = session.Outcome(); code != kExitOk || replies.isEmpty())
            return code;
        // The one-byte answer to a command that sets, writes or deletes is a return code; to a
        // Read of a longer value it is the module's refusal.
        const auto bytes = ReplyBytes(replies.last());
        if (bytes.size() != 1)
            return kExitOk;
        if (found->first == int(CommandMode::Read) ? !IsReadRefusal(*group, *command, bytes.first())
                                                   : bytes.first() == 0)
            return kExitOk;
        CliOperator::Print(StatusText(bytes.first(), ModuleReturn));
        return kExitRefused;
    });
}

int RunReset(const QStringList &args)
{
    return RunMaintenance(args,
                          QStringLiteral("Resets the module and prints its start-up text."),
                          false,
                          &Maintenance::ResetModuleAction);
}

int RunDefaults(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Restores the module's default values (its RS-232 rate returns to 38400 bit/s)."));
    AddRackOptions(parser, false);
    if (const auto code = ParseArguments(parser, args, 0, 0))
        return *code;
    return OnModules(parser, CommandOf(args), false, [](ModuleContext &m) -> int {
        auto &ops = m.session.Ops();
        const auto before = ops.Console().Lines(kModuleGroup, true).size();
        ops.Maint().SetDefaultsAction(false);
        m.session.WaitIdle();
        PrintModuleLines(ops, before);
        return m.session.Outcome();
    });
}

int RunFlash(const QStringList &args)
{
    return RunMaintenance(args,
                          QStringLiteral("Copies the module's configuration into its flash "
                                         "memory; the module is then reset. Asks first: answer "
                                         "with --yes."),
                          true,
                          &Maintenance::FlashSaveAction);
}

int RunMaster(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Switches the module's LIN master on or off, and prints its state."));
    parser.addPositionalArgument(QStringLiteral("STATE"), QStringLiteral("on or off."));
    AddRackOptions(parser, false);
    if (const auto code = ParseArguments(parser, args, 1, 1))
        return *code;
    const QString state = parser.positionalArguments().at(0).toLower();
    if (state != QStringLiteral("on") && state != QStringLiteral("off"))
        return UsageError(parser, QStringLiteral("the state is \"on\" or \"off\""));
    const bool on = state == QStringLiteral("on");
    return OnModules(parser, CommandOf(args), false, [on](ModuleContext &m) -> int {
        auto &session = m.session;
        auto &scheduler = session.Ops().Scheduler();
        scheduler.ReadMasterStatus();
        session.WaitIdle();
        if (const int code = session.Outcome(); code != kExitOk)
            return code;
        if (scheduler.MasterActive() != on) {
            scheduler.SwitchMaster();
            session.WaitIdle();
        }
        Out(scheduler.MasterActive() ? QStringLiteral("Master ON") : QStringLiteral("Master OFF"));
        const int code = session.Outcome();
        return code == kExitOk && scheduler.MasterActive() != on ? int(kExitRefused) : code;
    });
}

namespace {

// Replaces (entries given) or empties the module's scheduler, as the Messages view does.
int ChangeScheduler(ModuleContext &m, const std::optional<ModuleConfig> &profile)
{
    auto &session = m.session;
    auto &scheduler = session.Ops().Scheduler();
    // As on the Messages view: the master's state and the entry count first.
    scheduler.SetEditable(true);
    scheduler.ReadMasterStatus();
    session.WaitIdle();
    if (const int code = session.Outcome(); code != kExitOk)
        return code;
    if (profile) {
        const auto &lin = profile->LIN;
        const auto count = std::size_t(std::min<int>(lin.SchedulerCount, kMaxSchedulerEntries));
        m.op.SetSchedulerAnswer(
            std::vector<LIN_SchedulerEntry>(lin.SchedulerEntries.begin(),
                                            lin.SchedulerEntries.begin() + qsizetype(count)));
        scheduler.Adjust();
    } else {
        scheduler.Discard();
    }
    session.WaitIdle();
    const auto &notices = m.op.Notices();
    const bool entryRefused = std::any_of(notices.begin(), notices.end(), [](const QString &n) {
        return n.startsWith(QStringLiteral("Error adding entry: "));
    });
    Out(QStringLiteral("%1 entries").arg(scheduler.EntryCount()));
    const int code = session.Outcome();
    return code == kExitOk && entryRefused ? int(kExitRefused) : code;
}

} // namespace

int RunScheduler(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "get: prints the module's scheduler entries, or with FILE saves the module's values with "
        "them as a profile ({port} in its name is the module's COM number). set FILE: replaces "
        "them with the entries of a profile. clear: deletes them. set and clear ask first: "
        "answer with --yes."));
    parser.addPositionalArgument(QStringLiteral("ACTION"),
                                 QStringLiteral("get, set or clear."),
                                 QStringLiteral("get [FILE]|set FILE|clear"));
    AddRackOptions(parser, false);
    parser.addOption(YesOption());
    if (const auto code = ParseArguments(parser, args, 1, 2))
        return *code;
    const QStringList positional = parser.positionalArguments();
    const QString action = positional.at(0).toLower();
    const bool set = action == QStringLiteral("set");
    const bool get = action == QStringLiteral("get");
    if (!get && !set && action != QStringLiteral("clear"))
        return UsageError(parser, QStringLiteral("the action is get, set FILE or clear"));
    if (set && positional.size() != 2)
        return UsageError(parser, QStringLiteral("set needs a profile FILE"));
    if (!set && !get && positional.size() == 2)
        return UsageError(parser, QStringLiteral("clear takes no FILE"));
    const QString file = positional.value(1);
    const auto targets = RackTargetsOf(parser, set ? file : QString());
    if (!targets || (get && !FileNameFitsTargets(parser, *targets, file)))
        return kExitUsage;
    ModuleTask task;
    task.yes = parser.isSet(QStringLiteral("yes"));
    task.body = [get, &file](ModuleContext &m) -> int {
        if (get && !file.isEmpty())
            return SaveModuleProfile(m, file);
        if (get) {
            for (const QString &line : SchedulerLines(m.session.Ops().ModuleCopy().LIN))
                Out(line);
            return kExitOk;
        }
        return ChangeScheduler(m, m.job.profile);
    };
    const bool blocks = get && file.isEmpty();
    return RunOnTargets(CommandOf(args),
                        *targets,
                        task,
                        blocks ? RackOutput::Blocks : RackOutput::ResultLines);
}

} // namespace vxl::cli
