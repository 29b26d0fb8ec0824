#include "core/profiles/backup_recovery.h"

#include "core/profiles/bounded_file.h"
#include "core/profiles/file_sync.h"
#include "core/profiles/profile_document.h"
#include "core/profiles/write_steps.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace vxl {

namespace {

// A backup never holds more than the file it was made from; a profile is far smaller.
constexpr qint64 kMaxBackupBytes = 64 * 1024 * 1024;

bool opensAsProfile(const QString &path)
{
    clsVLINXMLProfile document;
    ModuleConfig values = ModuleConfig::NewProfile();
    return document.OpenFile(path)
           && document.ReadAll(&values.RS232.Baudrate, &values.CAN, &values.LIN);
}

} // namespace

std::vector<BackupRecord> RecoverableBackupsOf(const QString &path)
{
    std::vector<BackupRecord> usable;
    for (BackupRecord &record : BackupRecordsOf(path)) {
        if (WriterMayBeRunning(record))
            continue;
        if (BackupStillOurs(record))
            usable.push_back(std::move(record));
        else
            RemoveBackupRecord(record);
    }
    return usable;
}

std::optional<BackupRecord> RestorableProfileBackup(const QString &path)
{
    for (BackupRecord &record : RecoverableBackupsOf(path)) {
        if (opensAsProfile(record.backup))
            return std::move(record);
    }
    return std::nullopt;
}

QString BackupDisplayName(const BackupRecord &record)
{
    const QFileInfo backup(record.backup);
    if (backup.absolutePath() == QFileInfo(record.target).absolutePath())
        return backup.fileName();
    return record.backup;
}

WriteResult RestoreBackup(const BackupRecord &record, const SafeWriteOptions &options)
{
    if (WriterMayBeRunning(record) || !BackupStillOurs(record))
        return WriteFailure(ESTALE);
    const std::optional<QByteArray> old = ReadRegularFile(record.backup, kMaxBackupBytes);
    if (!old)
        return WriteFailure(errno);
    const QByteArray target = QFile::encodeName(record.target);
    FileDescriptor out(::open(target.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    WriteSteps steps(options);
    if (out.get() < 0)
        return WriteFailure(errno);
    if (!ReplaceContent(out.get(), *old, options.writer, &steps) || !out.close())
        return steps.abandoned() ? WriteAbandoned() : WriteFailure(errno);
    const QByteArray backup = QFile::encodeName(record.backup);
    if (::unlink(backup.constData()) != 0 || !steps.passed(WriteStep::BackupRemoved))
        return steps.abandoned() ? WriteAbandoned() : WriteResult{true, {}, {}};
    const bool synced = SyncFolder(FolderOf(backup));
    if ((!steps.passed(WriteStep::BackupRemovalSynced) || !synced) && steps.abandoned())
        return WriteAbandoned();
    RemoveBackupRecord(record);
    if (!steps.passed(WriteStep::RecordRemoved) && steps.abandoned())
        return WriteAbandoned();
    return {true, {}, {}};
}

} // namespace vxl
