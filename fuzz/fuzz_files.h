#pragma once

// A private folder for the files the file-reading targets hand to the code under test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <unistd.h>

namespace vxl::fuzz {

// Saving a profile syncs the file and its folder several times. On a disk every sync waits for
// the device, milliseconds each, and that wait was most of a run; in memory a sync costs
// nothing and the same code gets through several times as many inputs.
inline QString scratchRoot()
{
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    return memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
}

// Removed again when the program ends.
class ScratchFolder
{
public:
    ScratchFolder()
        : m_path(scratchRoot() + QStringLiteral("/vxl-fuzz-%1").arg(::getpid()))
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
