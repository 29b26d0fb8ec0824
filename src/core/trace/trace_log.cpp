#include "core/trace/trace_log.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace vxl {

namespace {

const QString kSeparator = QStringLiteral("\t|\t");
const QString kLineEnd = QStringLiteral("\r\n");

QString dashes()
{
    return QString(99, QLatin1Char('-'));
}

} // namespace

QString TraceLog::HeaderText(const QDateTime &started)
{
    const QLocale locale;
    QStringList lines{QStringLiteral("VEXA-LIN CT - LOG file"),
                      QString(),
                      dashes(),
                      QStringLiteral("DATE: ")
                          + locale.toString(started.date(), QLocale::ShortFormat),
                      QStringLiteral("TIME: ")
                          + locale.toString(started.time(), QLocale::LongFormat),
                      dashes(),
                      QString(),
                      dashes(),
                      QStringLiteral("LINE\t|\tSOURCE\t|\tTIME\t\t|\tID\t\t|\tDescription"),
                      dashes(),
                      QString()};
    return lines.join(kLineEnd);
}

QString TraceLog::MessageLine(std::uint32_t number, const clsDisplayEntry &entry)
{
    return QString::number(number) + kSeparator + entry.SourceName() + kSeparator
           + QString::number(entry.lastTime) + kSeparator + QStringLiteral("0x")
           + QStringLiteral("%1").arg(std::uint32_t(entry.codeId), 8, 16, QLatin1Char('0')).toUpper()
           + kSeparator + entry.description;
}

bool TraceLog::Start(const QDateTime &started)
{
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath()
                                                 + QStringLiteral("/vxlin-log-XXXXXX.txt"));
    if (!file->open())
        return false;
    // The header ends with its empty line 11; each message line starts on a new line, so
    // nothing follows the last one.
    if (file->write(HeaderText(started).toLatin1()) < 0)
        return false;
    file->flush();
    m_file = std::move(file);
    m_lines = 0;
    return true;
}

bool TraceLog::Append(const clsDisplayEntry &entry)
{
    if (!m_file)
        return false;
    ++m_lines;
    const QByteArray line = (kLineEnd + MessageLine(m_lines, entry)).toLatin1();
    const bool ok = m_file->write(line) == line.size();
    m_file->flush();
    return ok;
}

QString TraceLog::TemporaryPath() const
{
    return m_file ? m_file->fileName() : QString();
}

bool TraceLog::Stop(const QString &path)
{
    if (!m_file)
        return false;
    const std::unique_ptr<QTemporaryFile> file = std::move(m_file);
    m_keptPath.clear();
    if (path.isEmpty())
        return true;
    if (copyTo(*file, path))
        return true;
    // The recording is not thrown away with a failed save: it stays where it was written.
    file->setAutoRemove(false);
    m_keptPath = file->fileName();
    return false;
}

bool TraceLog::copyTo(QFile &source, const QString &path)
{
    if (!source.flush() || !source.seek(0))
        return false;
    QFile target(path);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 16);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size())
            return false;
    }
    return target.flush();
}

} // namespace vxl
