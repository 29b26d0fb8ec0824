#include "core/profiles/file_sync.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace vxl {

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileDescriptor::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || ::close(fd) == 0;
}

QByteArray FolderOf(const QByteArray &nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : nativePath.left(slash);
}

bool SyncFolder(const QByteArray &folder)
{
    FileDescriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    return ::fsync(fd.get()) == 0 || FolderSyncUnsupported(errno);
}

bool FolderSyncUnsupported(int error)
{
    return error == EINVAL || error == ENOTSUP;
}

bool ReadToEnd(int fd, QByteArray *out)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out->append(buffer, n);
    }
}

QString ErrorText(int error)
{
    return QString::fromStdString(std::generic_category().message(error != 0 ? error : EIO));
}

} // namespace vxl
