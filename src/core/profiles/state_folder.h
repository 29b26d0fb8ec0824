#pragma once

#include <QString>

namespace vxl {

// Where the tool keeps what must outlive a run without being a setting: the records of saves
// in progress and the backups that could not be kept beside their file.
// $XDG_STATE_HOME/Norvel/VEXALIN (by default ~/.local/state/Norvel/VEXALIN); on Windows the
// local application data folder.
[[nodiscard]] QString StateFolder();
[[nodiscard]] QString StateBackupsFolder();

// Creates a folder and the missing ones above it, each made durable in its parent; false with
// errno set when that fails (a file where a folder should be, a folder that refuses).
[[nodiscard]] bool MakeDurableFolder(const QString &path);

} // namespace vxl
