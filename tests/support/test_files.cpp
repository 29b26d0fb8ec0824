#include "test_files.h"

#include <QFile>

namespace vxl::test {

namespace {

// Legacy profiles store the magic and version with every byte lowered by 70.
char scramble(char c)
{
    return static_cast<char>((static_cast<unsigned char>(c) - 70) & 0xFF);
}

} // namespace

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray legacyHead(const QByteArray &version)
{
    QByteArray bytes;
    const QByteArray magic("TVQ-CON");
    for (int i = 0; i < 7; ++i)
        bytes.append(i == 3 || i == 4 ? magic.at(i) : scramble(magic.at(i)));
    for (char c : version)
        bytes.append(scramble(c));
    return bytes;
}

QByteArray legacyProfile()
{
    QByteArray bytes = legacyHead();
    bytes.resize(1088, '\0');
    bytes[10] = char(0x00); // 57600 = 0xE100, little-endian
    bytes[11] = char(0xE1);
    return bytes;
}

} // namespace vxl::test
