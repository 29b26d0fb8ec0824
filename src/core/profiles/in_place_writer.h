#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace vxl {

// Writes bytes through an open descriptor; true when every byte was written.
using RawWriter = std::function<bool(int fd, const QByteArray &bytes)>;

[[nodiscard]] bool WriteAllBytes(int fd, const QByteArray &bytes);

// Replaces the content of a file in place, so the file keeps its identity (links, owner,
// creation time), without ever destroying it: the old content is first copied to a temporary
// backup and put back if anything goes wrong, so the file is either the old one or the new one.
[[nodiscard]] bool WriteFileInPlace(const QString &path,
                                    const QByteArray &bytes,
                                    const RawWriter &writer = WriteAllBytes);

} // namespace vxl
