#pragma once

#include <QByteArray>
#include <QString>

namespace vxl::test {

// The whole file; empty when it cannot be read.
[[nodiscard]] QByteArray readFile(const QString &path);
// True when every byte was written.
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);

// The head of a legacy binary profile of that version: the scrambled magic and version.
[[nodiscard]] QByteArray legacyHead(const QByteArray &version = QByteArrayLiteral("V10"));
// A version 10 legacy profile: the head, then zeros but for the RS-232 bit rate 57600.
[[nodiscard]] QByteArray legacyProfile();

} // namespace vxl::test
