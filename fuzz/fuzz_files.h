#pragma once

// A private folder for the files the file-reading targets hand to the code under test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

namespace vxl::fuzz {

// Removed again when the program ends.
class ScratchFolder
{
public:
    ScratchFolder()
        : m_path(QDir::tempPath() + QStringLiteral("/vxl-fuzz-%1").arg(::getpid()))
    {
        QDir().mkpath(m_path);
    }
    ~ScratchFolder() { QDir(m_path).removeRecursively(); }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    [[nodiscard]] const QString &path() const { return m_path; }

private:
    QString m_path;
};

inline QString scratchPath(const char *name)
{
    static const ScratchFolder folder;
    return folder.path() + QLatin1Char('/') + QLatin1String(name);
}

inline bool writeScratch(const QString &path, const std::uint8_t *data, std::size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

} // namespace vxl::fuzz
