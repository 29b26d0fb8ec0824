#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace vxl {

// What a save writes down, in the state folder, before it touches a file: which file it saves
// over, where the old content goes, and who is saving. It lets a later run find the old content
// of a file the save left cut short, and tell a backup of ours from a user's own file of that
// name.
struct BackupRecord
{
    QString recordFile; // the record's own path
    QString target;     // the file being saved over, its links resolved
    QString backup;     // where its old content is kept
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    qint64 pid = 0;
    QString bootId;
    std::uint64_t token = 0; // which save of that process
    qint64 createdNs = 0;    // when the save began, to list the newest first
    // Added once the backup's content is durable: a record without them never had a complete
    // backup.
    std::optional<qint64> size;
    std::optional<qint64> modifiedNs;

    [[nodiscard]] bool complete() const { return size && modifiedNs; }
};

// Writes the record of a save that has just created its backup (still empty) and makes it
// durable with its folder. Nothing, errno set, when it cannot be written.
[[nodiscard]] std::optional<BackupRecord> WriteBackupRecord(const QString &target,
                                                            const QString &backup,
                                                            std::uint64_t saveToken);

// Adds the size and modification time of the now durable backup to the record, durably.
[[nodiscard]] bool CompleteBackupRecord(BackupRecord *record);

// Removes the record; false when its name could not be removed or made durable.
bool RemoveBackupRecord(const BackupRecord &record);

// Every record in the state folder about this file (links resolved), newest first.
[[nodiscard]] std::vector<BackupRecord> BackupRecordsOf(const QString &target);

// True while the save that wrote the record may still be running: the same boot, a live process
// and, for this process, a save that has not ended.
[[nodiscard]] bool WriterMayBeRunning(const BackupRecord &record);

// True when the recorded backup is still the file the save made and completed: same device,
// inode, size and modification time.
[[nodiscard]] bool BackupStillOurs(const BackupRecord &record);

// The saves of this process, for WriterMayBeRunning: a save counts as running from the
// construction of its marker to its destruction.
class SaveInProgress
{
public:
    SaveInProgress();
    ~SaveInProgress();
    SaveInProgress(const SaveInProgress &) = delete;
    SaveInProgress &operator=(const SaveInProgress &) = delete;
    [[nodiscard]] std::uint64_t token() const { return m_token; }

private:
    std::uint64_t m_token;
};

} // namespace vxl
