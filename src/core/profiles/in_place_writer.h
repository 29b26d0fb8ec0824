#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace vxl {

// Writes bytes through an open descriptor; true when every byte was written. On failure errno
// tells why.
using RawWriter = std::function<bool(int fd, const QByteArray &bytes)>;

[[nodiscard]] bool WriteAllBytes(int fd, const QByteArray &bytes);

// The points of a save over an existing file, in order. A save killed between any two of them
// leaves the old file, the new file or the old content in the named backup.
enum class WriteStep {
    BackupSynced,    // the old content is durable in the backup beside the file
    TargetTruncated, // the file is empty
    TargetWritten,   // the new bytes are in the file
    TargetSynced,    // the new bytes are durable
    BackupRemoved,   // done
};

// What a test seam makes of a step: go on, fail there as an I/O error would, or stop dead as a
// killed process would (nothing is cleaned up).
enum class StepAction { Continue, Fail, Abandon };

struct SafeWriteOptions
{
    RawWriter writer = WriteAllBytes;
    std::function<StepAction(WriteStep)> afterStep;
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
// creation time), without ever destroying it: the old content first goes to a named backup in the
// same folder, made durable, and is put back when anything goes wrong; only a failed restore
// leaves the backup, and the result then names it. A file that does not exist yet is written
// beside its place and moved there whole.
[[nodiscard]] WriteResult WriteFileSafely(const QString &path,
                                          const QByteArray &bytes,
                                          const SafeWriteOptions &options = {});

[[nodiscard]] bool WriteFileInPlace(const QString &path,
                                    const QByteArray &bytes,
                                    const RawWriter &writer = WriteAllBytes);

} // namespace vxl
