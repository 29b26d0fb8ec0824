#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace vxl::test {

// What Debian's tshark makes of a capture. tshark is installed by `make deps`; a test that
// needs it fails without it.
struct TsharkRead
{
    bool ran = false;     // tshark started and ended on its own with code 0
    QString failure;      // why not, with what tshark wrote to stderr
    QJsonArray packets;   // -T json -x: one object per packet, in file order
    QStringList problems; // expert information of error severity, malformed packets first
};

// Reads the file (or, for "-", `input` through standard input) with `tshark -r FILE -T json -x`,
// then its expert information with `tshark -r FILE -q -z expert,error`.
[[nodiscard]] TsharkRead ReadWithTshark(const QString &file, const QByteArray &input = {});

// A field of one packet's layer ("can", "lin", "frame"...): its shown value, empty when absent.
// Nested trees of the layer are searched too.
[[nodiscard]] QString TsharkField(const QJsonObject &packet,
                                  const QString &layer,
                                  const QString &field);
// The packet's bytes from -x.
[[nodiscard]] QByteArray TsharkBytes(const QJsonObject &packet);

} // namespace vxl::test
