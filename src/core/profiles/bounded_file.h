#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vxl {

// Reading the files a user names, with work bounded whatever the name leads to: only a regular
// file is read (a FIFO, a device or a folder never blocks the caller or streams without end),
// and never more than the caller's limit.

// The whole file when it is a regular file of at most maxBytes; nothing otherwise.
[[nodiscard]] std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxBytes);

// The first count bytes of a regular file (fewer when it is shorter); nothing when it is not a
// regular file or cannot be read.
[[nodiscard]] std::optional<QByteArray> ReadRegularFileHead(const QString &path, qint64 count);

} // namespace vxl
