// ports, convert and validate: commands that need no module.

#include "cli/cli_operator.h"
#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/module_commands.h"
#include "core/link/com_port_map.h"
#include "core/link/serial_port.h"
#include "core/profiles/profile_converter.h"
#include "core/profiles/profile_document.h"
#include "core/profiles/profile_opening.h"

#include <QDir>
#include <QFileInfo>

namespace vxl::cli {

int RunPorts(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the COM numbers that can be opened now, with the device each one stands for."));
    if (const auto code = ParseArguments(parser, args, 0, 0))
        return *code;
    const ComPortMap map;
    int found = 0;
    for (int n = 1; n <= ComPortMap::kHighestNumber; ++n) {
        const QString device = map.devicePath(n);
        if (device.isEmpty() || !clsSrlPort::PortExists(n, map))
            continue;
        Out(QStringLiteral("COM%1\t%2").arg(n).arg(device));
        ++found;
    }
    if (found == 0)
        CliOperator::Print(QStringLiteral("No COM port can be opened"));
    return kExitOk;
}

namespace {

// As the converter dialog takes a typed target: in an existing folder, with the extension
// ".vxlin".
std::optional<QString> TargetPath(const QString &typed)
{
    const QFileInfo info(typed);
    if (!info.dir().exists())
        return std::nullopt;
    QString name = info.fileName();
    if (name.isEmpty())
        name = QStringLiteral("VXLIN");
    if (!name.endsWith(QStringLiteral(".vxlin"))) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        name = (dot < 0 ? name : name.left(dot)) + QStringLiteral(".vxlin");
    }
    return info.dir().filePath(name);
}

} // namespace

int RunConvert(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts a legacy binary profile (.lin) into an XML profile (.vxlin). Without NEW the "
        "profile is written beside the old one under the same name."));
    parser.addPositionalArgument(QStringLiteral("OLD"), QStringLiteral("The legacy profile."));
    parser.addPositionalArgument(QStringLiteral("NEW"),
                                 QStringLiteral("The new profile."),
                                 QStringLiteral("[NEW]"));
    if (const auto code = ParseArguments(parser, args, 1, 2))
        return *code;
    const QStringList positional = parser.positionalArguments();
    const QString source = positional.at(0);
    if (!QFileInfo(source).isFile()) {
        CliOperator::Print(
            QStringLiteral("vexalin-cli: the file \"%1\" does not exist").arg(source));
        return kExitUsage;
    }
    clsVLINProfileConverter converter;
    converter.SetSource(source);
    if (!converter.Recognize()) {
        CliOperator::Print(QStringLiteral("The given profile cannot be recognized"));
        return kExitUsage;
    }
    if (positional.size() == 2) {
        const auto target = TargetPath(positional.at(1));
        if (!target) {
            CliOperator::Print(QStringLiteral("Directory doesn't exist"));
            return kExitUsage;
        }
        converter.SetTarget(*target);
    }
    if (!converter.Convert()) {
        CliOperator::Print(
            QStringLiteral("An error occurred while converting the VEXA-LIN profile "));
        return kExitUsage;
    }
    CliOperator::Print(QStringLiteral("The profile was sucessfully updated"));
    Out(converter.Target());
    return kExitOk;
}

int RunValidate(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads a profile as the tool does and names the first element that fails (exit code 2)."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The profile (.vxlin)."));
    if (const auto code = ParseArguments(parser, args, 1, 1))
        return *code;
    const QString path = parser.positionalArguments().at(0);
    if (!QFileInfo(path).isFile()) {
        CliOperator::Print(QStringLiteral("vexalin-cli: the file \"%1\" does not exist").arg(path));
        return kExitUsage;
    }
    clsVLINXMLProfile document;
    const ProfileOpening opening = OpenProfileFile(document, path, nullptr);
    // A profile that opens is still walked: the check is stricter than reading in places (a
    // slave ID beyond the frame table).
    const auto problem = opening.opened() ? document.FirstReadProblem()
                                          : std::optional<QString>(opening.reason);
    const QString name = QFileInfo(path).fileName();
    if (problem) {
        CliOperator::Print(name + QStringLiteral(": ") + *problem);
        return kExitUsage;
    }
    Out(QStringLiteral("%1: valid profile").arg(name));
    return kExitOk;
}

} // namespace vxl::cli
