#include "core/profiles/in_place_writer.h"

#include "core/profiles/backup_record.h"
#include "core/profiles/file_sync.h"
#include "core/profiles/state_folder.h"
#include "core/profiles/write_steps.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vxl {

namespace {

constexpr int kBackupNamesBeside = 100;
constexpr int kLinkHops = 40;

// The old content of a file being saved over, while the save lasts.
struct Backup
{
    QString path;
    std::optional<BackupRecord> record;
};

// A folder that will not take the backup beside the file: it is kept in the state folder
// instead. So are the backups of a file whose names beside it are all taken.
bool folderRefuses(int error)
{
    return error == EACCES || error == EPERM || error == EROFS || error == EEXIST;
}

// Never reuses an existing name, which may be the only copy left by an earlier failure.
int createBeside(const QString &path, mode_t mode, QString *name)
{
    for (int attempt = 0; attempt < kBackupNamesBeside; ++attempt) {
        *name = BackupPathFor(path, attempt);
        const int fd = ::open(QFile::encodeName(*name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              (mode & 0777) | S_IRUSR | S_IWUSR);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

int createInStateFolder(const QString &path, QString *name)
{
    if (!MakeDurableFolder(StateBackupsFolder()))
        return -1;
    for (;;) {
        *name = StateBackupsFolder() + QLatin1Char('/') + QFileInfo(path).fileName()
                + QStringLiteral(".%1.bak").arg(QRandomGenerator::global()->generate(),
                                                8,
                                                16,
                                                QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(*name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              S_IRUSR | S_IWUSR);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

int createBackupFile(const QString &path, mode_t mode, WriteSteps &steps, QString *name)
{
    int fd = -1;
    if (steps.passed(WriteStep::BackupBeside)) {
        fd = createBeside(path, mode, name);
        if (fd >= 0 || !folderRefuses(errno))
            return fd;
    } else if (steps.abandoned()) {
        return -1;
    }
    return createInStateFolder(path, name);
}

// The order makes every crash recoverable: the backup's name and its record are durable before
// its content, and the content, its name and its size are durable before the file is touched.
bool fillBackup(const QString &path,
                const QByteArray &old,
                std::uint64_t token,
                int fd,
                WriteSteps &steps,
                Backup *backup)
{
    FileDescriptor out(fd);
    if (!steps.passed(WriteStep::BackupCreated))
        return false;
    backup->record = WriteBackupRecord(path, backup->path, token);
    if (!backup->record || !steps.passed(WriteStep::RecordSynced))
        return false;
    if (!WriteAllBytes(out.get(), old) || ::fsync(out.get()) != 0 || !out.close()
        || !steps.passed(WriteStep::BackupSynced))
        return false;
    if (!SyncFolder(FolderOf(QFile::encodeName(backup->path)))
        || !steps.passed(WriteStep::BackupFolderSynced))
        return false;
    return CompleteBackupRecord(&*backup->record) && steps.passed(WriteStep::RecordCompleted);
}

// Removes the backup and its record. A backup that cannot be removed keeps its record; a failure
// to make the removal durable costs nothing.
void dropBackup(const Backup &backup, WriteSteps *steps)
{
    const QByteArray native = QFile::encodeName(backup.path);
    if (::unlink(native.constData()) != 0 || (steps && !steps->passed(WriteStep::BackupRemoved)))
        return;
    const bool synced = SyncFolder(FolderOf(native));
    if (steps && (!steps->passed(WriteStep::BackupRemovalSynced) || !synced) && steps->abandoned())
        return;
    if (backup.record)
        RemoveBackupRecord(*backup.record);
    if (steps)
        (void) steps->passed(WriteStep::RecordRemoved);
}

bool makeBackup(const QString &path,
                const QByteArray &old,
                mode_t mode,
                std::uint64_t token,
                WriteSteps &steps,
                Backup *backup)
{
    const int fd = createBackupFile(path, mode, steps, &backup->path);
    if (fd < 0)
        return false;
    if (fillBackup(path, old, token, fd, steps, backup))
        return true;
    if (steps.abandoned())
        return false;
    const int error = errno;
    dropBackup(*backup, nullptr);
    errno = error;
    return false;
}

// Backups of earlier saves cut short are no longer needed once a sound file has been saved
// over: the file held its own content. Those whose writer may still run, or that are no longer
// the file we made, are left alone.
void discardEarlierBackups(const QString &path,
                           const QByteArray &old,
                           const SafeWriteOptions &options)
{
    std::vector<BackupRecord> records = BackupRecordsOf(path);
    std::erase_if(records, [](const BackupRecord &r) { return WriterMayBeRunning(r); });
    if (records.empty() || !options.oldContentSound || !options.oldContentSound(old))
        return;
    for (const BackupRecord &record : records) {
        if (BackupStillOurs(record))
            dropBackup({record.backup, record}, nullptr);
        else
            RemoveBackupRecord(record);
    }
}

WriteResult overwriteExisting(const QString &path,
                              const QByteArray &bytes,
                              mode_t mode,
                              const SafeWriteOptions &options)
{
    const QByteArray native = QFile::encodeName(path);
    QByteArray old;
    {
        FileDescriptor in(::open(native.constData(), O_RDONLY | O_CLOEXEC));
        if (in.get() < 0 || !ReadToEnd(in.get(), &old))
            return WriteFailure(errno);
    }
    // Opened before the backup exists, so a file that cannot be written costs nothing.
    FileDescriptor out(::open(native.constData(), O_WRONLY | O_CLOEXEC));
    if (out.get() < 0)
        return WriteFailure(errno);
    const SaveInProgress save;
    WriteSteps steps(options);
    Backup backup;
    if (!makeBackup(path, old, mode, save.token(), steps, &backup))
        return steps.abandoned() ? WriteAbandoned() : WriteFailure(errno);
    if (ReplaceContent(out.get(), bytes, options.writer, &steps) && out.close()) {
        dropBackup(backup, &steps);
        if (steps.abandoned())
            return WriteAbandoned();
        discardEarlierBackups(path, old, options);
        return {true, {}, {}};
    }
    if (steps.abandoned())
        return WriteAbandoned();
    const int error = errno;
    FileDescriptor reopened(out.get() >= 0 ? -1 : ::open(native.constData(), O_WRONLY | O_CLOEXEC));
    const int restoreFd = out.get() >= 0 ? out.get() : reopened.get();
    if (restoreFd >= 0 && ReplaceContent(restoreFd, old, WriteAllBytes, nullptr)) {
        dropBackup(backup, nullptr);
        return WriteFailure(error);
    }
    return {false, ErrorText(error), backup.path};
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
            return WriteFailure(errno);
    }
    FileDescriptor out(fd);
    if (out.get() < 0)
        return WriteFailure(errno);
    WriteSteps steps(options);
    const bool written = RunWriter(options.writer, out.get(), bytes)
                         && steps.passed(WriteStep::TargetWritten) && ::fsync(out.get()) == 0
                         && steps.passed(WriteStep::TargetSynced) && out.close()
                         && ::rename(temp.constData(), native.constData()) == 0
                         && steps.passed(WriteStep::TargetRenamed);
    if (steps.abandoned())
        return WriteAbandoned();
    if (!written) {
        const int error = errno;
        if (::access(temp.constData(), F_OK) == 0)
            ::unlink(temp.constData());
        return WriteFailure(error);
    }
    if (SyncFolder(FolderOf(native)) && steps.passed(WriteStep::TargetFolderSynced))
        return {true, {}, {}};
    if (steps.abandoned())
        return WriteAbandoned();
    // The file is whole; only its name might not survive a power cut.
    return {false,
            ErrorText(errno)
                + QStringLiteral(" (\"%1\" is complete, but its name may not survive a power cut)")
                      .arg(QFileInfo(QFile::decodeName(native)).fileName()),
            {}};
}

// Devices and pipes have no content to keep: the bytes go straight through.
WriteResult writeThrough(const QByteArray &native, const QByteArray &bytes, const RawWriter &writer)
{
    FileDescriptor out(::open(native.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (out.get() < 0 || !RunWriter(writer, out.get(), bytes) || !out.close())
        return WriteFailure(errno);
    return {true, {}, {}};
}

// Where a link that leads nowhere yet leads: the file a save through it creates. The path
// itself when it is no link.
QByteArray endOfLinks(QByteArray native)
{
    for (int hop = 0; hop < kLinkHops; ++hop) {
        struct stat status
        {};
        if (::lstat(native.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            return native;
        QByteArray target(qsizetype(status.st_size) + 256, '\0');
        const ssize_t length = ::readlink(native.constData(), target.data(), size_t(target.size()));
        if (length <= 0)
            return native;
        target.truncate(length);
        native = target.startsWith('/') ? target : FolderOf(native) + '/' + target;
    }
    return native;
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
        return WriteFailure(ENOENT);
    const QByteArray native = QFile::encodeName(path);
    struct stat status
    {};
    if (::stat(native.constData(), &status) != 0) {
        if (errno != ENOENT)
            return WriteFailure(errno);
        return createNew(endOfLinks(native), bytes, options);
    }
    if (S_ISDIR(status.st_mode))
        return WriteFailure(EISDIR);
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
