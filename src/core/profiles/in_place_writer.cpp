#include "core/profiles/in_place_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vxl {

namespace {

class FdGuard
{
public:
    explicit FdGuard(int fd)
        : m_fd(fd)
    {}
    ~FdGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdGuard(const FdGuard &) = delete;
    FdGuard &operator=(const FdGuard &) = delete;
    [[nodiscard]] int get() const { return m_fd; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool replaceContent(int fd, const QByteArray &bytes, const RawWriter &writer)
{
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    if (!writer(fd, bytes))
        return false;
    return ::fsync(fd) == 0 || errno == EINVAL;
}

} // namespace

bool WriteAllBytes(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd,
                                  bytes.constData() + done,
                                  static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool WriteFileInPlace(const QString &path, const QByteArray &bytes, const RawWriter &writer)
{
    const QByteArray nativePath = QFile::encodeName(path);
    const bool existed = QFile::exists(path);
    // A FIFO or a device would block reading the old content, or never end it.
    struct stat info
    {};
    if (existed && (::stat(nativePath.constData(), &info) != 0 || !S_ISREG(info.st_mode)))
        return false;

    QByteArray oldContent;
    QTemporaryFile backup(QDir::tempPath() + QStringLiteral("/vxlin-backup-XXXXXX"));
    if (existed) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly))
            return false;
        oldContent = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return false;
        // On disk too, so a crash in the middle leaves a copy behind.
        if (!backup.open() || backup.write(oldContent) != oldContent.size() || !backup.flush())
            return false;
    }

    FdGuard fd(::open(nativePath.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return false;
    if (replaceContent(fd.get(), bytes, writer) && fd.close())
        return true;

    if (!existed) {
        QFile::remove(path);
        return false;
    }
    const int restoreFd = fd.get() >= 0 ? fd.get()
                                        : ::open(nativePath.constData(), O_WRONLY | O_CLOEXEC);
    if (restoreFd >= 0) {
        const bool restored = replaceContent(restoreFd, oldContent, WriteAllBytes);
        if (restoreFd != fd.get())
            ::close(restoreFd);
        if (restored)
            return false;
    }
    // The old content could not be put back: keep the backup for the user.
    backup.setAutoRemove(false);
    return false;
}

} // namespace vxl
