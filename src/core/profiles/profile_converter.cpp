#include "core/profiles/profile_converter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vxl {

namespace {

constexpr int kScrambleOffset = 70;
constexpr char kMagic[] = "TVQ-CON";

char descramble(char stored)
{
    return static_cast<char>((static_cast<unsigned char>(stored) + kScrambleOffset) & 0xFF);
}

QByteArray readHead(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(size);
}

// Little-endian fields of a block; reading outside the file is an error.
class BlockReader
{
public:
    BlockReader(const QByteArray &bytes, int base)
        : m_bytes(bytes)
        , m_base(base)
    {}
    [[nodiscard]] bool ok() const { return m_ok; }
    std::uint32_t u8(int offset) { return read(offset, 1); }
    std::uint32_t u16(int offset) { return read(offset, 2); }
    std::uint32_t u32(int offset) { return read(offset, 4); }

private:
    std::uint32_t read(int offset, int size)
    {
        const qsizetype start = qsizetype(m_base) + offset;
        if (start < 0 || start + size > m_bytes.size()) {
            m_ok = false;
            return 0;
        }
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(m_bytes.at(start + i));
        return value;
    }

    const QByteArray &m_bytes;
    int m_base;
    bool m_ok = true;
};

struct LayoutOffsets
{
    int rs232;
    int can;
    int lin;
    int scheduler;
    int slaveData;
    int bitRecognition;
    int frameTables;     // -1: not present
    int slaveActivation; // -1: not present
};

LayoutOffsets offsetsOf(clsVLINProfileConverter::Layout layout)
{
    switch (layout) {
    case clsVLINProfileConverter::Layout::Short:
        return {10, 18, 46, clsVLINProfileConverter::kShortBase, 40, 56, -1, -1};
    case clsVLINProfileConverter::Layout::Long:
        return {10, 18, 46, clsVLINProfileConverter::kLongBase, 40, 56, 57, -1};
    case clsVLINProfileConverter::Layout::Version10:
        break;
    }
    return {10, 20, 60, clsVLINProfileConverter::kVersion10Scheduler, 89, 40, 49, 104};
}

} // namespace

void clsVLINProfileConverter::SetSource(const QString &path)
{
    m_source = path;
    const QFileInfo info(path);
    if (!info.exists() || path.isEmpty()) {
        m_target.clear();
        return;
    }
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? QString() : name.left(dot);
    QString folder = info.absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    m_target = ProposeTarget(folder, base);
}

QString clsVLINProfileConverter::ProposeTarget(const QString &folder, const QString &base)
{
    const QString extension = QStringLiteral(".vxlin");
    QString candidate = folder + base + extension;
    for (int n = 1; QFileInfo::exists(candidate); ++n)
        candidate = folder + base + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')')
                    + extension;
    return candidate;
}

std::optional<QString> clsVLINProfileConverter::TargetFromText(const QString &text,
                                                               const QString &currentFolder)
{
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    QString folder = slash < 0 ? currentFolder : text.left(slash + 1);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return std::nullopt;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    QString name = text.mid(slash + 1);
    if (name.isEmpty())
        name = QStringLiteral("VXLIN");
    const QString extension = QStringLiteral(".vxlin");
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        name += extension;
    else if (name.mid(dot) != extension)
        name = name.left(dot) + extension;
    return folder + name;
}

bool clsVLINProfileConverter::Recognize() const
{
    const QByteArray head = readHead(m_source, 7);
    if (head.size() != 7)
        return false;
    QByteArray text = head;
    for (int i : {0, 1, 2, 5, 6})
        text[i] = descramble(head.at(i));
    return text == kMagic;
}

std::optional<int> clsVLINProfileConverter::LegacyVersion() const
{
    const QByteArray head = readHead(m_source, 10);
    if (head.size() != 10)
        return std::nullopt;
    const char first = descramble(head.at(7));
    if (first != 'V')
        return 0;
    QByteArray digits;
    digits.append(descramble(head.at(8)));
    digits.append(descramble(head.at(9)));
    bool ok = false;
    const int version = digits.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return version;
}

std::optional<clsVLINProfileConverter::Layout> clsVLINProfileConverter::DetectLayout() const
{
    const QFileInfo info(m_source);
    const QByteArray head = readHead(m_source, 72);
    if (head.size() != 72)
        return std::nullopt;
    BlockReader reader(head, 0);
    const qint64 count = reader.u16(70);
    if (kShortBase + 4 * count == info.size())
        return Layout::Short;
    if (kLongBase + 4 * count == info.size())
        return Layout::Long;
    return std::nullopt;
}

bool clsVLINProfileConverter::parseLegacy(const QByteArray &bytes, Layout layout)
{
    m_lin.SchedulerCount = 0;
    if (!m_profile.LoadDefault() || !m_profile.ReadAll(&m_rs232Baudrate, &m_can, &m_lin))
        return false;
    const LayoutOffsets at = offsetsOf(layout);
    // The three blocks end where the scheduler entries begin: a shorter file lacks part of them.
    if (bytes.size() < at.scheduler)
        return false;

    BlockReader rs232(bytes, at.rs232);
    m_rs232Baudrate = layout == Layout::Version10 ? rs232.u32(0) : rs232.u16(0);

    BlockReader can(bytes, at.can);
    m_can.Active = static_cast<std::uint16_t>(can.u16(0));
    m_can.Baudrate = static_cast<std::uint16_t>(can.u16(2));
    m_can.ForwardMask = static_cast<std::uint16_t>(can.u16(4));
    m_can.FilterMask = can.u32(8);
    m_can.FilterCode = can.u32(12);
    m_can.IdOffset = can.u32(16);
    if (layout == Layout::Version10)
        m_can.ErrorId = can.u32(28);

    BlockReader lin(bytes, at.lin);
    m_lin.Active = static_cast<std::uint16_t>(lin.u16(0));
    m_lin.Baudrate = static_cast<std::uint16_t>(lin.u16(2));
    m_lin.ForwardMask = static_cast<std::uint8_t>(lin.u8(4));
    m_lin.FilterMask = static_cast<std::uint16_t>(lin.u16(6));
    m_lin.FilterCode = static_cast<std::uint16_t>(lin.u16(8));
    m_lin.MasterStatus = static_cast<std::uint16_t>(lin.u16(10));
    m_lin.BusTermination = static_cast<std::uint16_t>(lin.u16(12));
    m_lin.Retries = static_cast<std::uint16_t>(lin.u16(22));
    const std::uint32_t count = lin.u16(24);
    m_lin.SlaveIdData.Active = static_cast<std::uint8_t>(lin.u8(at.slaveData));
    m_lin.SlaveIdData.ID = static_cast<std::uint8_t>(lin.u8(at.slaveData + 1));
    m_lin.SlaveIdData.Length = static_cast<std::uint8_t>(lin.u8(at.slaveData + 2));
    for (int i = 0; i < kFrameDataBytes; ++i)
        m_lin.SlaveIdData.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(
            lin.u8(at.slaveData + 3 + i));
    m_lin.BitRecognitionStatus = static_cast<std::uint8_t>(lin.u8(at.bitRecognition));
    if (at.frameTables >= 0) {
        for (int i = 0; i < 32; ++i)
            m_lin.FrameLengths[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(
                lin.u8(at.frameTables + i));
        for (int i = 0; i < 8; ++i)
            m_lin.FrameFormats[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(
                lin.u8(at.frameTables + 32 + i));
    }
    if (at.slaveActivation >= 0)
        m_lin.SlaveActivationId = lin.u32(at.slaveActivation);
    if (!rs232.ok() || !can.ok() || !lin.ok())
        return false;

    // The record holds 50 scheduler entries, 64 frames and 8 data bytes: a file claiming more
    // is not one this tool wrote.
    if (count > kMaxSchedulerEntries || m_lin.SlaveIdData.ID > kMaxLinId
        || m_lin.SlaveIdData.Length > kFrameDataBytes)
        return false;
    for (int i = 0; i < kMaxLinId + 1; ++i) {
        if (GetNibble(m_lin.FrameLengths, i) > kFrameDataBytes)
            return false;
    }

    BlockReader scheduler(bytes, at.scheduler);
    for (std::uint32_t i = 0; i < count; ++i) {
        LIN_SchedulerEntry &entry = m_lin.SchedulerEntries[i];
        entry.Time = static_cast<std::uint16_t>(scheduler.u16(static_cast<int>(4 * i)));
        entry.ID = static_cast<std::uint8_t>(scheduler.u8(static_cast<int>(4 * i + 2)));
    }
    if (!scheduler.ok())
        return false;
    m_lin.SchedulerCount = static_cast<std::uint16_t>(count);
    return true;
}

bool clsVLINProfileConverter::Convert()
{
    if (!Recognize())
        return false;
    const std::optional<int> version = LegacyVersion();
    if (!version)
        return false;
    Layout layout = Layout::Version10;
    if (*version == 0) {
        const std::optional<Layout> detected = DetectLayout();
        if (!detected)
            return false;
        layout = *detected;
    } else if (*version != 10) {
        return false;
    }
    QFile file(m_source);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || !parseLegacy(bytes, layout))
        return false;

    LIN_FrameEntry &frame = m_lin.Frames[m_lin.SlaveIdData.ID];
    frame = m_lin.SlaveIdData;
    return m_profile.WriteAll(m_rs232Baudrate, m_can, m_lin) && m_profile.SaveAs(m_target);
}

} // namespace vxl
