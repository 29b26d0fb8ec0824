#pragma once

#include "core/profiles/backup_record.h"
#include "core/profiles/in_place_writer.h"

#include <optional>
#include <vector>

namespace vxl {

// The backups that saves cut short left of a file, newest first, that may be used: complete,
// still the very file the save made, and whose save has ended. The records of ended saves whose
// backup is gone or has changed are dropped, and such files left alone: a user's own
// "x.vxlin.bak" is never taken for ours.
[[nodiscard]] std::vector<BackupRecord> RecoverableBackupsOf(const QString &path);

// The newest of them that opens as a profile.
[[nodiscard]] std::optional<BackupRecord> RestorableProfileBackup(const QString &path);

// How messages name a backup: its file name beside its file, its whole path elsewhere.
[[nodiscard]] QString BackupDisplayName(const BackupRecord &record);

// Puts a recorded backup's content back into its file, without backing up what the file holds
// now, and makes it durable; only then are the backup and its record removed. Cut short, it
// leaves the record, so the same backup is offered again.
[[nodiscard]] WriteResult RestoreBackup(const BackupRecord &record,
                                        const SafeWriteOptions &options = {});

} // namespace vxl
