#include "core/operations/flash_magic.h"

#include "core/operations/operation_context.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace vxl {

namespace {

const QString kNotInstalled = QStringLiteral(
    "Program: Flash Magic is not installed or it is incompatible");

struct SettingValue
{
    const char *name;
    bool text;
    const char *value;
};

// Everything the programmer needs to talk to the module's boot loader.
constexpr SettingValue kSettings[] = {
    {"allflash", false, "1"},
    {"baudrate", true, "38400"},
    {"block0", false, "0"},
    {"block1", false, "0"},
    {"block2", false, "0"},
    {"block3", false, "0"},
    {"block4", false, "0"},
    {"checksums", false, "0"},
    {"clocks", false, "1"},
    {"clocks12", false, "0"},
    {"clocks6", false, "1"},
    {"comport", true, nullptr},
    {"device", true, "XA-G49"},
    {"fill", false, "0"},
    {"halfduplex", false, "0"},
    {"hexfile", true, ""},
    {"highspeed", false, "0"},
    {"oscfrequency", true, "29.491"},
    {"reset", false, "0"},
    {"securitybit1", false, "0"},
    {"securitybit2", false, "1"},
    {"securitybit3", false, "0"},
    {"startbootrom_baudrate", true, "9600"},
    {"startbootrom_command", true, "boot"},
    {"verify", false, "1"},
};

} // namespace

FlashMagic::FlashMagic(OperationContext &context)
    : m_ctx(context)
{}

FlashMagic::Result FlashMagic::runWine(const QStringList &arguments)
{
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty())
        return {};
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(wine, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

QString FlashMagic::DefaultValueOf(const QString &queryOutput)
{
    static const QRegularExpression line(QStringLiteral("^\\s*\\(Default\\)\\s+REG_\\w+\\s+(.*)$"),
                                         QRegularExpression::MultilineOption);
    const auto match = line.match(queryOutput);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QString FlashMagic::CommandFromOpenText(const QString &openText)
{
    const qsizetype percent = openText.indexOf(QLatin1Char('%'));
    if (percent < 0)
        return {};
    // Position p counted from 1 is percent + 1; the first p - 3 characters remain.
    return openText.left(std::max<qsizetype>(0, percent - 2));
}

bool FlashMagic::Find()
{
    m_command.clear();
    m_found = false;
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
        return false;
    const Result query = runWine({QStringLiteral("reg"),
                                  QStringLiteral("query"),
                                  QString::fromLatin1(kCommandKey),
                                  QStringLiteral("/ve")});
    if (query.exitCode != 0)
        return false;
    m_command = CommandFromOpenText(DefaultValueOf(query.output));
    m_found = true;
    return true;
}

bool FlashMagic::writeSettings()
{
    const QString key = QString::fromLatin1(kSettingsKey);
    if (runWine({QStringLiteral("reg"), QStringLiteral("query"), key}).exitCode != 0)
        return true; // the programmer has never run: nothing to prepare
    const QString port = QStringLiteral("COM ") + QString::number(m_ctx.Connection().port);
    for (const auto &setting : kSettings) {
        const QString value = setting.value ? QString::fromLatin1(setting.value) : port;
        const QStringList arguments{QStringLiteral("reg"),
                                    QStringLiteral("add"),
                                    key,
                                    QStringLiteral("/v"),
                                    QString::fromLatin1(setting.name),
                                    QStringLiteral("/t"),
                                    setting.text ? QStringLiteral("REG_SZ")
                                                 : QStringLiteral("REG_DWORD"),
                                    QStringLiteral("/d"),
                                    value,
                                    QStringLiteral("/f")};
        if (runWine(arguments).exitCode != 0)
            return false;
    }
    return true;
}

void FlashMagic::Launch()
{
    if (m_command.isEmpty()) {
        m_ctx.Information(QStringLiteral("Please install Flash Magic first!"));
        return;
    }
    if (!writeSettings())
        m_ctx.Information(kNotInstalled);
    QString program = m_command.trimmed();
    if (program.startsWith(QLatin1Char('"')))
        program = program.mid(1);
    if (program.endsWith(QLatin1Char('"')))
        program.chop(1);
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty() || !QProcess::startDetached(wine, {program}))
        m_ctx.Error(QStringLiteral("Error trying to launch FLASH MAGIC."));
}

} // namespace vxl
