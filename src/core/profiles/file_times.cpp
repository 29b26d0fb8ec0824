#include "core/profiles/file_times.h"

#include <QFile>
#include <QFileInfo>

namespace vxl {

FileTimeTexts FormatFileTime(const QDateTime &instant, const QTimeZone &zone)
{
    const QDateTime local = instant.toTimeZone(zone);
    const QDate date = local.date();
    const QTime time = local.time();
    const auto two = [](int value) {
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    };
    return {two(date.day()) + QLatin1Char('/') + two(date.month()) + QLatin1Char('/')
                + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')),
            two(time.hour()) + QLatin1Char(':') + two(time.minute()) + QLatin1Char(':')
                + two(time.second())};
}

std::optional<FileTimes> ReadFileTimes(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QFileInfo info(path);
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.metadataChangeTime();
    return FileTimes{created, info.lastModified()};
}

} // namespace vxl
