#include "cli/trace_format.h"

#include "core/trace/display_entry.h"

namespace vxl::cli {

namespace {
constexpr int kCanSource = 1;
} // namespace

std::chrono::microseconds TraceClock::Now() const
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch());
}

std::chrono::microseconds TraceClock::Elapsed() const
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now() - m_start);
}

QString TraceLine(const LIN_Msg &msg, std::chrono::microseconds elapsed)
{
    const clsDisplayEntry entry = clsDisplayEntry::Decode(msg);
    const auto ms = elapsed.count() / 1000;
    return QStringLiteral("%1.%2  %3  %4  %5  %6")
        .arg(ms / 1000)
        .arg(ms % 1000, 3, 10, QLatin1Char('0'))
        .arg(entry.SourceName(), entry.TypeName(), entry.CodeIdText(), entry.Description());
}

QString CandumpLine(const LIN_Msg &msg, std::chrono::microseconds since1970)
{
    if (HeaderField(msg.header, 1) != kCanSource)
        return {};
    const std::uint8_t head = msg.data[0];
    if (head & 0x20) // a CAN controller event, not a frame
        return {};
    const bool extended = (head & 0x80) != 0;
    const bool remote = (head & 0x40) != 0;
    const int idBytes = extended ? 4 : 2;
    const int dlc = std::min(head & 0x0F, 8);
    std::uint32_t id = 0;
    for (int i = idBytes - 1; i >= 0; --i)
        id = (id << 8) | msg.data[std::size_t(1 + i)];
    id &= extended ? 0x1FFFFFFFu : 0x7FFu;
    const auto hex = [](std::uint32_t value, int digits) {
        return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
    };
    QString line = QStringLiteral("(%1.%2) vxl0 %3#")
                       .arg(since1970.count() / 1000000)
                       .arg(since1970.count() % 1000000, 6, 10, QLatin1Char('0'))
                       .arg(hex(id, extended ? 8 : 3));
    if (remote)
        return line + QLatin1Char('R');
    for (int i = 0; i < dlc && 1 + idBytes + i < kMaxDataBytes; ++i)
        line += hex(msg.data[std::size_t(1 + idBytes + i)], 2);
    return line;
}

} // namespace vxl::cli
