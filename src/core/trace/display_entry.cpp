#include "core/trace/display_entry.h"

#include "core/link/status_text.h"

#include <QStringList>

#include <array>

namespace vxl {

namespace {

// Data bytes past the fifteen a message holds do not exist; they read as 0 like the unused
// ones inside it.
std::uint8_t byteAt(const LIN_Msg &msg, int index)
{
    return index >= 0 && index < kMaxDataBytes ? msg.data[std::size_t(index)] : 0;
}

QString hexBytes(const LIN_Msg &msg, int first, int count)
{
    QStringList parts;
    for (int i = 0; i < count && first + i < kMaxDataBytes; ++i)
        parts << QStringLiteral("%1").arg(byteAt(msg, first + i), 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QStringLiteral(" - "));
}

std::int32_t canIdentifier(const LIN_Msg &msg)
{
    std::uint32_t id = byteAt(msg, 1) | (std::uint32_t(byteAt(msg, 2)) << 8);
    if (msg.data[0] & 0x80)
        id |= (std::uint32_t(byteAt(msg, 3)) << 16) | (std::uint32_t(byteAt(msg, 4)) << 24);
    return static_cast<std::int32_t>(id);
}

QString canFrameText(const LIN_Msg &msg)
{
    const std::uint8_t head = msg.data[0];
    const int dlc = head & 0x0F;
    const int idBytes = (head & 0x80) ? 4 : 2;
    QString text = idBytes == 2 ? QStringLiteral("STD: ") : QStringLiteral("EXT: ");
    if (head & 0x40)
        return text + QStringLiteral("Remote Request. Length = ") + QString::number(dlc);
    return text + hexBytes(msg, idBytes + 1, dlc);
}

QString canEventText(const LIN_Msg &msg)
{
    const std::uint8_t events = msg.data[1];
    QString text;
    for (std::uint32_t bit : {1u, 2u, 4u, 8u, 16u, 32u}) {
        if (!(events & bit))
            continue;
        text = StatusText(bit, CanStatus) + QStringLiteral(" | Error Capture Code (SJA1000): 0x")
               + QStringLiteral("%1").arg(msg.data[2], 4, 16, QLatin1Char('0')).toUpper()
               + QLatin1Char('h') + QStringLiteral(" | Rx Error Counter (SJA1000): ")
               + QString::number(msg.data[3]) + QStringLiteral(" | Tx Error Counter (SJA1000): ")
               + QString::number(msg.data[4]);
    }
    return text;
}

bool isCanEvent(const LIN_Msg &msg)
{
    return (msg.data[0] & 0x20) != 0;
}

bool isLinError(const LIN_Msg &msg)
{
    return (msg.data[0] & 0x40) != 0;
}

QString describe(const LIN_Msg &msg)
{
    switch (HeaderField(msg.header, 1)) {
    case 1:
        return isCanEvent(msg) ? canEventText(msg) : canFrameText(msg);
    case 2:
        if (isLinError(msg))
            return StatusText(std::uint32_t(msg.data[0] & 0x3F), LinError, &msg);
        return hexBytes(msg, 1, HeaderField(msg.header, 2) - 1);
    default:
        return {};
    }
}

} // namespace

clsDisplayEntry clsDisplayEntry::DecodeKey(const LIN_Msg &msg)
{
    clsDisplayEntry entry;
    entry.message = msg;
    entry.m_latest = msg;
    entry.source = static_cast<std::uint8_t>(HeaderField(msg.header, 1));
    if (entry.source == 1) {
        const bool event = isCanEvent(msg);
        entry.type = event ? TypeError : TypeMessage;
        if (!event)
            entry.codeId = canIdentifier(msg);
    } else if (entry.source == 2) {
        entry.codeId = msg.data[0] & 0x3F;
        if (!isLinError(msg)) {
            entry.type = TypeMessage;
        } else {
            // The LIN error table gives the type with the text.
            int type = TypeError;
            [[maybe_unused]] const QString text = StatusText(std::uint32_t(entry.codeId),
                                                             LinError,
                                                             nullptr,
                                                             &type);
            entry.type = static_cast<std::uint8_t>(type);
        }
    }
    return entry;
}

clsDisplayEntry clsDisplayEntry::Decode(const LIN_Msg &msg)
{
    clsDisplayEntry entry = DecodeKey(msg);
    static_cast<void>(entry.Description()); // decoded at once, unlike an entry the trace keeps
    return entry;
}

const QString &clsDisplayEntry::Description() const
{
    if (!m_described) {
        m_description = describe(m_latest);
        m_described = true;
    }
    return m_description;
}

void clsDisplayEntry::SetLatest(const LIN_Msg &msg)
{
    m_latest = msg;
    m_described = false;
}

QString TraceSourceName(int source)
{
    static const std::array<const char *, 4> names{"RS-232", "CAN", "LIN", "MODULE"};
    if (source < 0 || source > 3)
        return QStringLiteral("UNKNOWN");
    return QString::fromLatin1(names[std::size_t(source)]);
}

QString TraceTypeName(int type)
{
    static const std::array<const char *, 5> names{"MSG-ID", "ERROR", "WARNING", "STATUS", "UNKNOWN"};
    if (type < 0 || type > 4)
        return QStringLiteral("UNKNOWN");
    return QString::fromLatin1(names[std::size_t(type)]);
}

QString clsDisplayEntry::SourceName() const
{
    return TraceSourceName(source);
}

QString clsDisplayEntry::TypeName() const
{
    return TraceTypeName(type);
}

QString clsDisplayEntry::CodeIdText() const
{
    return QStringLiteral("%1").arg(std::uint32_t(codeId), 2, 16, QLatin1Char('0')).toUpper()
           + QLatin1Char('h');
}

int CompareEntries(const clsDisplayEntry &a, const clsDisplayEntry &b, TraceSortColumn column)
{
    switch (column) {
    case TraceSortColumn::Source:
        return a.SourceName().compare(b.SourceName(), Qt::CaseInsensitive);
    case TraceSortColumn::Type:
        return a.TypeName().compare(b.TypeName(), Qt::CaseInsensitive);
    case TraceSortColumn::CodeId:
        break;
    }
    return a.codeId < b.codeId ? -1 : (a.codeId > b.codeId ? 1 : 0);
}

} // namespace vxl
