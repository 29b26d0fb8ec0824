#pragma once

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <functional>

namespace vxl {

// Writes bytes through an open descriptor; true when every byte was written. On failure errno
// tells why.
using RawWriter = std::function<bool(int fd, const QByteArray &bytes)>;

[[nodiscard]] bool WriteAllBytes(int fd, const QByteArray &bytes);

// The points of a save, in order. A save killed between any two of them leaves the old file,
// the new file, or a cut-short file whose old content is in a recorded backup.
enum class WriteStep {
    // Saving over an existing file.
    BackupBeside,        // the backup is about to be made beside the file (failing: the folder
                         // refuses it, and it goes to the state folder)
    BackupCreated,       // the backup's name exists, still empty
    RecordSynced,        // the record naming the file and its backup is durable
    BackupSynced,        // the old content is durable in the backup
    BackupFolderSynced,  // the backup's name is durable
    RecordCompleted,     // the backup's size and time are recorded
    TargetTruncated,     // the file is empty
    TargetWritten,       // the new bytes are in the file
    TargetSynced,        // the new bytes are durable
    BackupRemoved,       // the backup is gone
    BackupRemovalSynced, // its removal is durable
    RecordRemoved,       // done
    // A file that does not exist yet: written, synced, then these.
    TargetRenamed,      // the new file is in place under its name
    TargetFolderSynced, // the new name is durable
};

// What a test seam makes of a step: go on, fail there as an I/O error would, or stop dead as a
// killed process would (nothing is cleaned up).
enum class StepAction { Continue, Fail, Abandon };

struct SafeWriteOptions
{
    RawWriter writer = WriteAllBytes;
    std::function<StepAction(WriteStep)> afterStep;
    // The error a step that fails reports.
    int stepError = EIO;
    // Whether the old content was a sound file of its kind. Only then does a successful save
    // remove the file's other recorded backups, which a broken file may still need.
    std::function<bool(const QByteArray &old)> oldContentSound;
};

struct WriteResult
{
    bool ok = false;
    QString error;      // the system's reason when the save failed
    QString keptBackup; // set when even the old content could not be put back: where it is now
    explicit operator bool() const { return ok; }
};

// The backup of `path` while it is being saved over: a file beside it, never overwritten.
[[nodiscard]] QString BackupPathFor(const QString &path, int attempt = 0);

// Replaces the content of a file in place, so the file keeps its identity (links, owner,
// creation time), without ever destroying it. The old content first goes to a backup beside the
// file (in the state folder when the folder refuses it), recorded in the state folder and made
// durable; it is put back when anything goes wrong, and only a failed put-back leaves the backup
// (the result then names it). A save killed half-way leaves the record, from which the old
// content can be restored. A file that does not exist yet is written beside its place and moved
// there whole; through a link that leads nowhere yet, at the place the link leads to.
[[nodiscard]] WriteResult WriteFileSafely(const QString &path,
                                          const QByteArray &bytes,
                                          const SafeWriteOptions &options = {});

[[nodiscard]] bool WriteFileInPlace(const QString &path,
                                    const QByteArray &bytes,
                                    const RawWriter &writer = WriteAllBytes);

} // namespace vxl
