#include "core/profiles/bounded_file.h"

#include "core/profiles/file_sync.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vxl {

namespace {

// Opening without blocking: a FIFO without writer would otherwise hold the open until one
// comes. Whatever is not a regular file is refused before a byte is read.
int openRegular(const QString &path, qint64 *size)
{
    if (path.isEmpty())
        return -1;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    *size = static_cast<qint64>(info.st_size);
    return fd;
}

// Up to limit bytes; nothing on a read error.
std::optional<QByteArray> readUpTo(int fd, qint64 limit)
{
    QByteArray bytes;
    qint64 total = 0;
    while (total < limit) {
        const qint64 chunk = std::min<qint64>(limit - total, 64 * 1024);
        bytes.resize(static_cast<qsizetype>(total + chunk));
        const ssize_t got = ::read(fd, bytes.data() + total, static_cast<size_t>(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        total += got;
    }
    bytes.resize(static_cast<qsizetype>(total));
    return bytes;
}

} // namespace

std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxBytes)
{
    qint64 size = 0;
    const FileDescriptor fd(openRegular(path, &size));
    if (fd.get() < 0 || size > maxBytes)
        return std::nullopt;
    // One byte past the limit tells a file that grew since it was measured.
    std::optional<QByteArray> bytes = readUpTo(fd.get(), maxBytes + 1);
    if (!bytes || bytes->size() > maxBytes)
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> ReadRegularFileHead(const QString &path, qint64 count)
{
    qint64 size = 0;
    const FileDescriptor fd(openRegular(path, &size));
    if (fd.get() < 0)
        return std::nullopt;
    return readUpTo(fd.get(), count);
}

} // namespace vxl
