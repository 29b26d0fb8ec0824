#include "core/profiles/state_folder.h"

#include "core/profiles/file_sync.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace vxl {

QString StateFolder()
{
#ifdef Q_OS_WIN
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#else
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG's base directory rules ignore a relative path.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
#endif
    return base + QStringLiteral("/Norvel/VEXALIN");
}

QString StateBackupsFolder()
{
    return StateFolder() + QStringLiteral("/backups");
}

bool MakeDurableFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    struct stat status
    {};
    if (::stat(native.constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    const QByteArray parent = FolderOf(native);
    if (parent != native && !MakeDurableFolder(QFile::decodeName(parent)))
        return false;
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return SyncFolder(parent);
}

} // namespace vxl
