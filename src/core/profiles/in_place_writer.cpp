#include "core/profiles/in_place_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
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

QString reasonOf(int error)
{
    return QString::fromStdString(std::generic_category().message(error != 0 ? error : EIO));
}

WriteResult failure(int error)
{
    return {false, reasonOf(error), {}};
}

QByteArray folderOf(const QByteArray &nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : nativePath.left(slash);
}

// A new or removed name only survives a crash once its folder is synced too.
void syncFolder(const QByteArray &nativePath)
{
    FdGuard folder(::open(folderOf(nativePath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
}

bool readAll(int fd, QByteArray *out)
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

// Runs the writer; a writer that fails without saying why counts as an I/O error.
bool runWriter(const RawWriter &writer, int fd, const QByteArray &bytes)
{
    errno = 0;
    if (writer(fd, bytes))
        return true;
    if (errno == 0)
        errno = EIO;
    return false;
}

class Steps
{
public:
    explicit Steps(const SafeWriteOptions &options)
        : m_options(options)
    {}
    // False when the save stops here: errno is set unless it was abandoned.
    bool passed(WriteStep step)
    {
        if (!m_options.afterStep)
            return true;
        switch (m_options.afterStep(step)) {
        case StepAction::Continue:
            return true;
        case StepAction::Fail:
            errno = EIO;
            return false;
        case StepAction::Abandon:
            m_abandoned = true;
            return false;
        }
        return true;
    }
    [[nodiscard]] bool abandoned() const { return m_abandoned; }

private:
    const SafeWriteOptions &m_options;
    bool m_abandoned = false;
};

WriteResult abandonedResult()
{
    return {false, QStringLiteral("abandoned"), {}};
}

bool replaceContent(int fd, const QByteArray &bytes, const RawWriter &writer, Steps *steps)
{
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    if (steps && !steps->passed(WriteStep::TargetTruncated))
        return false;
    if (!runWriter(writer, fd, bytes) || (steps && !steps->passed(WriteStep::TargetWritten)))
        return false;
    if (::fsync(fd) != 0)
        return false;
    return !steps || steps->passed(WriteStep::TargetSynced);
}

// Writes the old content to a backup of its own beside the file; never reuses an existing name,
// which may be the only copy left by an earlier failure.
bool writeBackup(const QString &path, const QByteArray &old, mode_t mode, QString *backupPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = BackupPathFor(path, attempt);
        const QByteArray native = QFile::encodeName(candidate);
        FdGuard fd(::open(native.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          (mode & 0777) | S_IRUSR | S_IWUSR));
        if (fd.get() < 0 && errno == EEXIST)
            continue;
        if (fd.get() < 0)
            return false;
        if (!WriteAllBytes(fd.get(), old) || ::fsync(fd.get()) != 0 || !fd.close()) {
            const int error = errno;
            ::unlink(native.constData());
            errno = error;
            return false;
        }
        syncFolder(native);
        *backupPath = candidate;
        return true;
    }
    errno = EEXIST;
    return false;
}

void removeBackup(const QString &backupPath)
{
    const QByteArray native = QFile::encodeName(backupPath);
    if (::unlink(native.constData()) == 0)
        syncFolder(native);
}

WriteResult overwriteExisting(const QString &path,
                              const QByteArray &bytes,
                              mode_t mode,
                              const SafeWriteOptions &options)
{
    const QByteArray native = QFile::encodeName(path);
    QByteArray old;
    {
        FdGuard in(::open(native.constData(), O_RDONLY | O_CLOEXEC));
        if (in.get() < 0 || !readAll(in.get(), &old))
            return failure(errno);
    }
    // Opened before the backup exists, so a file that cannot be written costs nothing.
    FdGuard out(::open(native.constData(), O_WRONLY | O_CLOEXEC));
    if (out.get() < 0)
        return failure(errno);
    QString backupPath;
    if (!writeBackup(path, old, mode, &backupPath))
        return failure(errno);
    Steps steps(options);
    if (!steps.passed(WriteStep::BackupSynced)) {
        if (steps.abandoned())
            return abandonedResult();
        const int error = errno;
        removeBackup(backupPath);
        return failure(error);
    }
    if (replaceContent(out.get(), bytes, options.writer, &steps) && out.close()) {
        removeBackup(backupPath);
        if (steps.passed(WriteStep::BackupRemoved) || !steps.abandoned())
            return {true, {}, {}};
        return abandonedResult();
    }
    if (steps.abandoned())
        return abandonedResult();
    const int error = errno;
    FdGuard reopened(out.get() >= 0 ? -1 : ::open(native.constData(), O_WRONLY | O_CLOEXEC));
    const int restoreFd = out.get() >= 0 ? out.get() : reopened.get();
    if (restoreFd >= 0 && replaceContent(restoreFd, old, WriteAllBytes, nullptr)) {
        removeBackup(backupPath);
        return failure(error);
    }
    return {false, reasonOf(error), backupPath};
}

// A file that does not exist yet is written under a hidden name beside it and then moved into
// place, so its name never shows a part of the content.
WriteResult createNew(const QByteArray &native,
                      const QByteArray &bytes,
                      const SafeWriteOptions &options)
{
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray prefix = native.left(slash + 1) + '.' + native.mid(slash + 1);
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = prefix + ".new-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failure(errno);
    }
    FdGuard out(fd);
    if (out.get() < 0)
        return failure(errno);
    Steps steps(options);
    const bool written = runWriter(options.writer, out.get(), bytes)
                         && steps.passed(WriteStep::TargetWritten) && ::fsync(out.get()) == 0
                         && steps.passed(WriteStep::TargetSynced) && out.close()
                         && ::rename(temp.constData(), native.constData()) == 0;
    if (steps.abandoned())
        return abandonedResult();
    if (!written) {
        const int error = errno;
        ::unlink(temp.constData());
        return failure(error);
    }
    syncFolder(native);
    return {true, {}, {}};
}

// Devices and pipes have no content to keep: the bytes go straight through.
WriteResult writeThrough(const QByteArray &native, const QByteArray &bytes, const RawWriter &writer)
{
    FdGuard out(::open(native.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (out.get() < 0 || !runWriter(writer, out.get(), bytes) || !out.close())
        return failure(errno);
    return {true, {}, {}};
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
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

QString BackupPathFor(const QString &path, int attempt)
{
    const QString base = path + QStringLiteral(".bak");
    return attempt == 0 ? base : base + QString::number(attempt + 1);
}

WriteResult WriteFileSafely(const QString &path,
                            const QByteArray &bytes,
                            const SafeWriteOptions &options)
{
    if (path.isEmpty())
        return failure(ENOENT);
    const QByteArray native = QFile::encodeName(path);
    struct stat status
    {};
    if (::stat(native.constData(), &status) != 0) {
        if (errno != ENOENT)
            return failure(errno);
        return createNew(native, bytes, options);
    }
    if (S_ISDIR(status.st_mode))
        return failure(EISDIR);
    if (!S_ISREG(status.st_mode))
        return writeThrough(native, bytes, options.writer);
    // Through a symbolic link the backup belongs beside the file itself.
    const QString real = QFileInfo(path).canonicalFilePath();
    return overwriteExisting(real.isEmpty() ? path : real, bytes, status.st_mode, options);
}

bool WriteFileInPlace(const QString &path, const QByteArray &bytes, const RawWriter &writer)
{
    SafeWriteOptions options;
    options.writer = writer;
    return WriteFileSafely(path, bytes, options).ok;
}

} // namespace vxl
