#pragma once

// A private folder for the files the file-reading targets hand to the code under test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

namespace vxl::fuzz {

inline QString scratchPath(const char *name)
{
    static const QString folder = [] {
        const QString path = QDir::tempPath() + QStringLiteral("/vxl-fuzz-%1").arg(::getpid());
        QDir().mkpath(path);
        return path;
    }();
    return folder + QLatin1Char('/') + QLatin1String(name);
}

inline bool writeScratch(const QString &path, const std::uint8_t *data, std::size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

} // namespace vxl::fuzz
