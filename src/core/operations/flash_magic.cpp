#include "core/operations/flash_magic.h"

#include "core/operations/operation_context.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <iterator>

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
    , m_watchdog(std::make_unique<QTimer>())
{
    m_watchdog->setSingleShot(true);
    m_watchdog->setInterval(kWineTimeoutMs);
    connect(m_watchdog.get(), &QTimer::timeout, this, [this] {
        if (m_process)
            m_process->kill(); // reported as a crash through finished()
    });
}

FlashMagic::~FlashMagic()
{
    m_done = nullptr;
    if (!m_process)
        return;
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished(1000);
}

void FlashMagic::runWine(const QStringList &arguments, Done done)
{
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty()) {
        done({});
        return;
    }
    m_done = std::move(done);
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process.get(),
            &QProcess::finished,
            this,
            [this](int exitCode, QProcess::ExitStatus status) {
                Result result;
                if (status == QProcess::NormalExit)
                    result = {exitCode, QString::fromLocal8Bit(m_process->readAll())};
                wineEnded(result);
            });
    connect(m_process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            wineEnded({});
    });
    m_watchdog->start();
    m_process->start(wine, arguments);
}

void FlashMagic::wineEnded(const Result &result)
{
    m_watchdog->stop();
    // The process object may not be destroyed inside its own signal.
    if (m_process) {
        m_process->disconnect(this);
        m_process.release()->deleteLater();
    }
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(result);
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

void FlashMagic::Find()
{
    if (Busy())
        return;
    m_command.clear();
    m_found = false;
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty()) {
        emit searchFinished(false); // no Wine: not installed
        return;
    }
    runWine({QStringLiteral("reg"),
             QStringLiteral("query"),
             QString::fromLatin1(kCommandKey),
             QStringLiteral("/ve")},
            [this](const Result &query) { searchAnswered(query); });
}

void FlashMagic::searchAnswered(const Result &query)
{
    // `reg query` ends with 1 when the key does not exist: not installed, nothing to say.
    // Anything else that is not success means the store could not be read.
    if (query.exitCode == 0) {
        m_command = CommandFromOpenText(DefaultValueOf(query.output));
        m_found = true;
    } else if (query.exitCode != 1) {
        m_ctx.Operator().ShowPlainMessage(kNotInstalled);
    }
    emit searchFinished(m_found);
}

void FlashMagic::Launch()
{
    if (m_command.isEmpty()) {
        m_ctx.Information(QStringLiteral("Please install Flash Magic first!"));
        return;
    }
    m_ctx.ShowBusyNotice();
    if (Busy())
        return;
    m_launching = true;
    const QString key = QString::fromLatin1(kSettingsKey);
    runWine({QStringLiteral("reg"), QStringLiteral("query"), key}, [this](const Result &query) {
        // Without its key the programmer has never run: nothing to prepare.
        if (query.exitCode == 0)
            writeSetting(0);
        else
            startProgram();
    });
}

void FlashMagic::writeSetting(int index)
{
    if (index >= int(std::size(kSettings))) {
        startProgram();
        return;
    }
    const auto &setting = kSettings[index];
    const QString value = setting.value
                              ? QString::fromLatin1(setting.value)
                              : QStringLiteral("COM ") + QString::number(m_ctx.Connection().port);
    const QStringList arguments{QStringLiteral("reg"),
                                QStringLiteral("add"),
                                QString::fromLatin1(kSettingsKey),
                                QStringLiteral("/v"),
                                QString::fromLatin1(setting.name),
                                QStringLiteral("/t"),
                                setting.text ? QStringLiteral("REG_SZ")
                                             : QStringLiteral("REG_DWORD"),
                                QStringLiteral("/d"),
                                value,
                                QStringLiteral("/f")};
    runWine(arguments, [this, index](const Result &added) {
        if (added.exitCode == 0) {
            writeSetting(index + 1);
            return;
        }
        // The launch still follows.
        m_ctx.Operator().ShowPlainMessage(kNotInstalled);
        startProgram();
    });
}

void FlashMagic::startProgram()
{
    QString program = m_command.trimmed();
    if (program.startsWith(QLatin1Char('"')))
        program = program.mid(1);
    if (program.endsWith(QLatin1Char('"')))
        program.chop(1);
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    m_launching = false;
    if (wine.isEmpty() || !QProcess::startDetached(wine, {program}))
        m_ctx.Error(QStringLiteral("Error trying to launch FLASH MAGIC."));
    emit launchFinished();
}

} // namespace vxl
