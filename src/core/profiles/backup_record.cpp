#include "core/profiles/backup_record.h"

#include "core/profiles/file_sync.h"
#include "core/profiles/in_place_writer.h"
#include "core/profiles/state_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vxl {

namespace {

std::mutex g_savesMutex;
std::set<std::uint64_t> g_saves; // guarded by g_savesMutex

QString bootId()
{
    static const QString id = [] {
        QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed())
                                              : QString();
    }();
    return id;
}

QString resolved(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

QByteArray encodedPath(const QString &path)
{
    return QFile::encodeName(path).toPercentEncoding("/");
}

QString decodedPath(const QByteArray &text)
{
    return QFile::decodeName(QByteArray::fromPercentEncoding(text));
}

bool writeDurably(int fd, const QByteArray &text)
{
    return WriteAllBytes(fd, text) && ::fsync(fd) == 0;
}

void applyField(BackupRecord *record, const QByteArray &key, const QByteArray &value)
{
    if (key == "target")
        record->target = decodedPath(value);
    else if (key == "backup")
        record->backup = decodedPath(value);
    else if (key == "device")
        record->device = value.toULongLong();
    else if (key == "inode")
        record->inode = value.toULongLong();
    else if (key == "pid")
        record->pid = value.toLongLong();
    else if (key == "boot")
        record->bootId = QString::fromLatin1(value);
    else if (key == "token")
        record->token = value.toULongLong();
    else if (key == "created")
        record->createdNs = value.toLongLong();
    else if (key == "size")
        record->size = value.toLongLong();
    else if (key == "modified")
        record->modifiedNs = value.toLongLong();
}

// Only whole lines count: a completion cut short by a crash leaves the record incomplete.
std::optional<BackupRecord> parseRecord(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = in.read(64 * 1024);
    BackupRecord record;
    record.recordFile = file;
    qsizetype start = 0;
    for (qsizetype end = text.indexOf('\n'); end >= 0; end = text.indexOf('\n', start)) {
        const QByteArray line = text.mid(start, end - start);
        start = end + 1;
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            applyField(&record, line.left(equals), line.mid(equals + 1));
    }
    if (record.target.isEmpty() || record.backup.isEmpty() || record.pid <= 0)
        return std::nullopt;
    return record;
}

qint64 modifiedNsOf(const struct stat &status)
{
    return qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

} // namespace

SaveInProgress::SaveInProgress()
    : m_token(QRandomGenerator::global()->generate64() | 1)
{
    std::lock_guard lock(g_savesMutex);
    g_saves.insert(m_token);
}

SaveInProgress::~SaveInProgress()
{
    std::lock_guard lock(g_savesMutex);
    g_saves.erase(m_token);
}

std::optional<BackupRecord> WriteBackupRecord(const QString &target,
                                              const QString &backup,
                                              std::uint64_t saveToken)
{
    struct stat status
    {};
    if (::stat(QFile::encodeName(backup).constData(), &status) != 0)
        return std::nullopt;
    if (!MakeDurableFolder(StateFolder()))
        return std::nullopt;
    BackupRecord record;
    record.target = resolved(target);
    record.backup = resolved(backup);
    record.device = status.st_dev;
    record.inode = status.st_ino;
    record.pid = ::getpid();
    record.bootId = bootId();
    record.token = saveToken;
    record.createdNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    record.recordFile = StateFolder()
                        + QStringLiteral("/save-%1-%2.record").arg(record.pid).arg(saveToken, 0, 16);
    const QByteArray text = "target=" + encodedPath(record.target)
                            + "\nbackup=" + encodedPath(record.backup)
                            + "\ndevice=" + QByteArray::number(qulonglong(record.device))
                            + "\ninode=" + QByteArray::number(qulonglong(record.inode)) + "\npid="
                            + QByteArray::number(record.pid) + "\nboot=" + record.bootId.toLatin1()
                            + "\ntoken=" + QByteArray::number(qulonglong(saveToken))
                            + "\ncreated=" + QByteArray::number(record.createdNs) + '\n';
    const QByteArray native = QFile::encodeName(record.recordFile);
    FileDescriptor fd(::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return std::nullopt;
    if (!writeDurably(fd.get(), text) || !fd.close() || !SyncFolder(FolderOf(native))) {
        const int error = errno;
        ::unlink(native.constData());
        errno = error;
        return std::nullopt;
    }
    return record;
}

bool CompleteBackupRecord(BackupRecord *record)
{
    struct stat status
    {};
    if (::stat(QFile::encodeName(record->backup).constData(), &status) != 0)
        return false;
    const QByteArray text = "size=" + QByteArray::number(qint64(status.st_size))
                            + "\nmodified=" + QByteArray::number(modifiedNsOf(status)) + '\n';
    FileDescriptor fd(
        ::open(QFile::encodeName(record->recordFile).constData(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (fd.get() < 0 || !writeDurably(fd.get(), text) || !fd.close())
        return false;
    record->size = qint64(status.st_size);
    record->modifiedNs = modifiedNsOf(status);
    return true;
}

bool RemoveBackupRecord(const BackupRecord &record)
{
    const QByteArray native = QFile::encodeName(record.recordFile);
    return ::unlink(native.constData()) == 0 && SyncFolder(FolderOf(native));
}

std::vector<BackupRecord> BackupRecordsOf(const QString &target)
{
    const QString wanted = resolved(target);
    std::vector<BackupRecord> records;
    const QDir folder(StateFolder());
    for (const QString &name : folder.entryList({QStringLiteral("save-*.record")}, QDir::Files)) {
        std::optional<BackupRecord> record = parseRecord(folder.filePath(name));
        if (record && record->target == wanted)
            records.push_back(std::move(*record));
    }
    std::stable_sort(records.begin(), records.end(), [](const auto &a, const auto &b) {
        return a.createdNs > b.createdNs;
    });
    return records;
}

bool WriterMayBeRunning(const BackupRecord &record)
{
    const QString boot = bootId();
    if (!boot.isEmpty() && !record.bootId.isEmpty() && boot != record.bootId)
        return false;
    if (record.pid == ::getpid()) {
        std::lock_guard lock(g_savesMutex);
        return g_saves.count(record.token) != 0;
    }
    return ::kill(pid_t(record.pid), 0) == 0 || errno == EPERM;
}

bool BackupStillOurs(const BackupRecord &record)
{
    struct stat status
    {};
    if (!record.complete() || ::lstat(QFile::encodeName(record.backup).constData(), &status) != 0)
        return false;
    return S_ISREG(status.st_mode) && status.st_dev == record.device
           && status.st_ino == record.inode && qint64(status.st_size) == *record.size
           && modifiedNsOf(status) == *record.modifiedNs;
}

} // namespace vxl
