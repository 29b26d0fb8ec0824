#include "core/trace/trace_log.h"

#include <QFile>
#include <QLocale>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vxl {

namespace {

const QString kSeparator = QStringLiteral("\t|\t");
const QString kLineEnd = QStringLiteral("\r\n");

QString dashes()
{
    return QString(99, QLatin1Char('-'));
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

TraceLog::TraceLog(QObject *parent)
    : QObject(parent)
{}

TraceLog::~TraceLog()
{
    // A recording nobody saved goes with the program, as a cancelled one does.
    closeFile();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    removeCapture();
}

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
           + kSeparator + entry.Description();
}

bool TraceLog::Start(const QDateTime &started, const QString &folder)
{
    Discard();
    m_error.clear();
    QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/vxlin-log-XXXXXX.txt"));
    const int fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (fd < 0) {
        m_error = systemError(errno);
        return false;
    }
    m_fd = fd;
    m_path = QFile::decodeName(pattern);
    m_size = 0;
    m_lines = 0;
    // The header ends with its empty line 11; each message line starts on a new line, so
    // nothing follows the last one.
    if (!writeAll(HeaderText(started).toLatin1()) || !startCapture(folder)) {
        Discard();
        return false;
    }
    return true;
}

bool TraceLog::startCapture(const QString &folder)
{
    QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/vxlin-capture-XXXXXX.pcapng"));
    const int fd = ::mkostemps(pattern.data(), 7, O_CLOEXEC);
    if (fd < 0) {
        m_error = systemError(errno);
        return false;
    }
    ::close(fd);
    m_capturePath = QFile::decodeName(pattern);
    if (m_capture.Open(m_capturePath, QStringLiteral("VEXA-LIN CT " VXL_VERSION_TEXT)))
        return true;
    m_error = m_capture.ErrorString();
    return false;
}

bool TraceLog::Append(const clsDisplayEntry &entry)
{
    if (m_fd < 0)
        return false;
    const QByteArray line = (kLineEnd + MessageLine(m_lines + 1, entry)).toLatin1();
    if (writeAll(line)) {
        ++m_lines;
        if (m_capture.Append(entry.Latest(), TraceCapture::WallClockNow())
            != TraceCapture::Outcome::Failed)
            return true;
        m_error = m_capture.ErrorString();
        closeFile();
        emit appendFailed();
        return false;
    }
    // Whatever part of the line got out is cut off again, so the file ends with a whole line.
    if (::ftruncate(m_fd, m_size) != 0) {
        // Nothing more can be done; the lines before are still there.
    }
    closeFile();
    emit appendFailed();
    return false;
}

bool TraceLog::writeAll(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = systemError(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += n;
    }
    m_size += done;
    return true;
}

void TraceLog::Stop()
{
    closeFile();
}

void TraceLog::Discard()
{
    closeFile();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
    removeCapture();
}

QString TraceLog::Keep()
{
    closeFile();
    removeCapture();
    return std::exchange(m_path, QString());
}

QString TraceLog::KeepCapture()
{
    closeFile();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
    return std::exchange(m_capturePath, QString());
}

void TraceLog::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_capture.IsOpen())
        m_capture.Close(TraceCapture::WallClockNow());
}

void TraceLog::removeCapture()
{
    if (m_capture.IsOpen())
        m_capture.Close(TraceCapture::WallClockNow());
    if (!m_capturePath.isEmpty())
        QFile::remove(m_capturePath);
    m_capturePath.clear();
}

} // namespace vxl
