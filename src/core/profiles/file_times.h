#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace vxl {

// A file time as the profile labels show it: "dd/mm/yyyy" and "hh:mm:ss".
struct FileTimeTexts
{
    QString date;
    QString time;
    bool operator==(const FileTimeTexts &) const = default;
};

// The wall-clock date and time of an instant in a zone, daylight saving and midnight included.
[[nodiscard]] FileTimeTexts FormatFileTime(const QDateTime &instant,
                                           const QTimeZone &zone = QTimeZone::systemTimeZone());

struct FileTimes
{
    QDateTime created;
    QDateTime modified;
};

// Creation and last-write times of a file that can be opened for reading; nothing otherwise.
// Where the file system keeps no creation time, the time of its last status change stands in.
[[nodiscard]] std::optional<FileTimes> ReadFileTimes(const QString &path);

} // namespace vxl
