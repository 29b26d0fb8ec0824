#include "cli/command_line.h"

#include "cli/cli_operator.h"
#include "cli/cli_session.h"
#include "core/operations/connection.h"
#include "core/profiles/profile_document.h"
#include "core/profiles/profile_opening.h"
#include "core/settings/settings_store.h"

#include <QFileInfo>

#include <cstdio>

namespace vxl::cli {

namespace {
const QString kPort = QStringLiteral("port");
const QString kBaud = QStringLiteral("baud");

// The name the command was called by ("vexalin-cli read"), for its usage line.
QString &commandName()
{
    static QString name = QStringLiteral("vexalin-cli");
    return name;
}

// Qt names the program by its path; the usage line names the command.
QString helpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const QString usage = QStringLiteral("Usage: ");
    if (text.startsWith(usage)) {
        const qsizetype end = text.indexOf(QLatin1Char(' '), usage.size());
        text.replace(usage.size(), end - usage.size(), commandName());
    }
    return text;
}
} // namespace

void AddModuleOptions(QCommandLineParser &parser)
{
    parser.addOption({{QStringLiteral("p"), kPort},
                      QStringLiteral("COM number of the module (default: the stored port)."),
                      QStringLiteral("N")});
    parser.addOption({{QStringLiteral("b"), kBaud},
                      QStringLiteral("RS-232 bit rate: 4800, 9600, 19200, 38400, 57600 or 115200 "
                                     "(default: the stored rate)."),
                      QStringLiteral("B")});
}

QCommandLineOption YesOption()
{
    return {{QStringLiteral("y"), QStringLiteral("yes")},
            QStringLiteral("Answer every question with YES (without it they are refused).")};
}

int UsageError(const QCommandLineParser &parser, const QString &message)
{
    CliOperator::Print(QStringLiteral("vexalin-cli: ") + message);
    const QString help = helpText(parser);
    CliOperator::Print(help.left(help.indexOf(QLatin1Char('\n'))));
    return kExitUsage;
}

std::optional<int> ParseArguments(QCommandLineParser &parser,
                                  const QStringList &args,
                                  int positionalMin,
                                  int positionalMax)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    parser.addOption(help);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!args.isEmpty())
        commandName() = args.first();
    if (!parser.parse(args))
        return UsageError(parser, parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(helpText(parser).toLocal8Bit().constData(), stdout);
        return kExitOk;
    }
    const int count = int(parser.positionalArguments().size());
    if (count < positionalMin)
        return UsageError(parser, QStringLiteral("missing argument"));
    if (count > positionalMax)
        return UsageError(parser,
                          QStringLiteral("unexpected argument \"%1\"")
                              .arg(parser.positionalArguments().at(positionalMax)));
    return std::nullopt;
}

std::optional<int> ParseNumber(const QString &text)
{
    bool ok = false;
    const QString t = text.trimmed();
    const int value = t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                          ? t.mid(2).toInt(&ok, 16)
                          : t.toInt(&ok, 10);
    if (!ok || t.startsWith(QLatin1Char('+')) || t.startsWith(QLatin1Char('-')))
        return std::nullopt;
    return value;
}

std::optional<ModuleTarget> TargetOf(const QCommandLineParser &parser)
{
    VXLIN_Values stored;
    ReadSettings(stored);
    ModuleTarget target{stored.Port, stored.Baudrate};
    if (parser.isSet(kPort)) {
        const auto port = ParseNumber(parser.value(kPort));
        if (!port || *port < 1 || *port > 255) {
            UsageError(parser, QStringLiteral("--port takes a COM number from 1 to 255"));
            return std::nullopt;
        }
        target.port = *port;
    }
    if (parser.isSet(kBaud)) {
        const auto rate = ParseNumber(parser.value(kBaud));
        if (!rate || BitRateAt(BitRateIndex(*rate)) != *rate) {
            UsageError(parser,
                       QStringLiteral("--baud takes 4800, 9600, 19200, 38400, 57600 or 115200"));
            return std::nullopt;
        }
        target.rate = *rate;
    }
    return target;
}

std::optional<ModuleConfig> LoadProfile(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        CliOperator::Print(QStringLiteral("vexalin-cli: the file \"%1\" does not exist").arg(path));
        return std::nullopt;
    }
    clsVLINXMLProfile document;
    ModuleConfig profile = ModuleConfig::NewProfile();
    const ProfileOpening opening = OpenProfileFile(document, path, &profile);
    switch (opening.failure) {
    case ProfileOpenFailure::None:
        return profile;
    case ProfileOpenFailure::NotAProfile:
        CliOperator::Print(QStringLiteral("vexalin-cli: \"%1\" is not a VEXA-LIN profile\n%2")
                               .arg(QFileInfo(path).fileName(), opening.reason));
        break;
    case ProfileOpenFailure::Unreadable:
        CliOperator::Print(QStringLiteral("Error: ") + ReadingFailedText(path) + QLatin1Char('\n')
                           + opening.reason);
        break;
    }
    return std::nullopt;
}

void Out(const QString &text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

} // namespace vxl::cli
