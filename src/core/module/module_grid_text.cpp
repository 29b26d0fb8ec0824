#include "core/module/module_grid_text.h"

#include <QLocale>

namespace vxl {

namespace {

QString dec(std::uint32_t v)
{
    return QString::number(v);
}

QString hex(std::uint32_t v, int digits)
{
    return QString::number(v, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

QString enabledText(std::uint16_t active)
{
    return active != 0 ? QStringLiteral("Enabled") : QStringLiteral("Disabled");
}

QString counter(std::uint16_t value)
{
    return QStringLiteral(" ") + dec(value);
}

QString notAvailable(std::uint8_t status)
{
    return QStringLiteral("Not Available. Error: ") + dec(status);
}

} // namespace

QString ForwardMaskText(std::uint8_t mask)
{
    if (mask == 0)
        return QStringLiteral("No Forwarding");
    static const std::pair<std::uint8_t, const char *> targets[] = {
        {0x01, "/ CAN "},
        {0x02, "/ LIN "},
        {0x04, "/ RS-232 "},
        {0x40, "/ Errors Via CAN "},
        {0x80, "/ Errors Via RS-232 "},
    };
    QString text;
    for (const auto &[bit, name] : targets) {
        if (mask & bit)
            text += QLatin1String(name);
    }
    return text.mid(1);
}

QString CanBitRateText(std::uint16_t timing)
{
    const int brp = (timing >> 8) & 0x3F;
    const int tseg1 = timing & 0x0F;
    const int tseg2 = (timing >> 4) & 0x07;
    const float rate = 8000.0f / float(brp + 1) / float(tseg1 + tseg2 + 3);
    return QLocale::system().toString(rate, 'f', 1) + QStringLiteral(" kbit/s (0x") + hex(timing, 4)
           + QStringLiteral(")");
}

QString CanIdText(std::uint32_t value)
{
    if (value & 0x80000000u)
        return QStringLiteral("0x") + hex(value & 0x3FFFFFFF, 8) + QStringLiteral(" (29 bits)");
    return QStringLiteral("0x") + hex(value & 0x3FFFFFFF, 3) + QStringLiteral(" (11 bits)");
}

QString SlaveDataText(const LIN_FrameEntry &entry)
{
    QStringList bytes;
    const int length = std::min<int>(entry.Length, kFrameDataBytes);
    for (int j = 0; j < length; ++j)
        bytes << hex(entry.Data[std::size_t(j)], 2);
    return (entry.Active != 0 ? QStringLiteral("Enabled: ") : QStringLiteral("Disabled: "))
           + hex(entry.ID, 2) + QStringLiteral(" - ") + bytes.join(QLatin1Char(' '));
}

QString SlaveActivationText(std::uint32_t value)
{
    return ((value & 0x40000000u) ? QStringLiteral("Enabled: ") : QStringLiteral("Disabled: "))
           + QStringLiteral(" ") + CanIdText(value);
}

GridTexts FixedGridTexts()
{
    GridTexts grid;
    grid[0][1] = QStringLiteral("    RS-232 ");
    grid[0][2] = QStringLiteral("      CAN  ");
    grid[0][3] = QStringLiteral("                      LIN  ");
    static const char *const captions[kGridRows] = {
        "",
        " Activation",
        " Bit rate",
        " Forward Mask",
        " Filter Mask",
        " Filter Code",
        " CAN ID Offset",
        " Master Status",
        " LIN Bus Termination",
        " Message Transmission Timeouts",
        " Scheduler Entries",
        " CAN Error ID",
        " Slave ID/Data Configuration",
        " CAN ID for Slave Activation",
        " ERROR COUNTERS",
        "       Reception (RCV)",
        "       Transmission (XMT)",
        "       Checksum",
        "       Passive",
        "       Bus-Off",
        "       Bit",
        "       ID Parity",
        "       Slave Not Responding",
        "       Sync",
    };
    for (int row = 1; row < kGridRows; ++row)
        grid[std::size_t(row)][0] = QLatin1String(captions[row]);
    return grid;
}

GridTexts FillModuleGrid(const ModuleConfig &module)
{
    GridTexts grid = FixedGridTexts();
    const auto &rs = module.RS232;
    const auto &can = module.CAN;
    const auto &lin = module.LIN;
    const QString four = QStringLiteral("    ");
    const QString two = QStringLiteral("  ");
    const QString one = QStringLiteral(" ");
    auto row = [&grid](int r, QString c1, QString c2, QString c3) {
        grid[std::size_t(r)][1] = std::move(c1);
        grid[std::size_t(r)][2] = std::move(c2);
        grid[std::size_t(r)][3] = std::move(c3);
    };
    row(1, four, enabledText(can.Active), enabledText(lin.Active));
    row(2,
        dec(rs.Baudrate) + QStringLiteral(" bit/s"),
        CanBitRateText(can.Baudrate),
        dec(lin.Baudrate) + QStringLiteral(" bit/s"));
    row(3, four, ForwardMaskText(std::uint8_t(can.ForwardMask)), ForwardMaskText(lin.ForwardMask));
    row(4,
        four,
        QStringLiteral("0x") + hex(can.FilterMask, 8),
        QStringLiteral("0x") + hex(lin.FilterMask, 2));
    row(5,
        four,
        QStringLiteral("0x") + hex(can.FilterCode, 8),
        QStringLiteral("0x") + hex(lin.FilterCode, 2));
    row(6, four, CanIdText(can.IdOffset), one);
    row(7,
        four,
        two,
        lin.MasterStatus != 0 ? QStringLiteral("Working Scheduler")
                              : QStringLiteral("Scheduler not Active"));
    row(8,
        four,
        two,
        lin.BusTermination != 0 ? QStringLiteral("LIN Master Termination")
                                : QStringLiteral("LIN Slave Termination"));
    const auto &t = lin.MessageTimeouts;
    row(9,
        four,
        two,
        dec(t[0]) + QStringLiteral(" - ") + dec(t[1]) + QStringLiteral(" - ") + dec(t[2])
            + QStringLiteral(" - ") + dec(t[3]));
    row(10, four, two, one + dec(lin.SchedulerCount));
    const std::uint8_t errorIdStatus = can.ReplyStatus[CanErrorIdStatus];
    row(11, four, errorIdStatus != 0 ? notAvailable(errorIdStatus) : CanIdText(can.ErrorId), one);
    row(12, four, two, SlaveDataText(lin.SlaveIdData));
    const std::uint8_t activationStatus = lin.ReplyStatus[LinSlaveActivationIdStatus];
    row(13,
        four,
        two,
        activationStatus != 0 ? notAvailable(activationStatus)
                              : SlaveActivationText(lin.SlaveActivationId));
    const QString dashes(377, QLatin1Char('-'));
    row(14, dashes, dashes, dashes);
    // Counters by name: RS-232 RCV, XMT, checksum; CAN RCV, XMT, passive, bus-off;
    // LIN RCV, XMT, bit, checksum, ID parity, slave not responding, sync.
    const auto &rc = rs.ErrorCounters;
    const auto &cc = can.ErrorCounters;
    const auto &lc = lin.ErrorCounters;
    row(15, counter(rc[0]), counter(cc[0]), counter(lc[0]));
    row(16, counter(rc[1]), counter(cc[1]), counter(lc[1]));
    row(17, counter(rc[2]), one, counter(lc[3]));
    row(18, QString(), counter(cc[2]), one);
    row(19, QString(), counter(cc[3]), one);
    row(20, QString(), one, counter(lc[2]));
    row(21, QString(), one, counter(lc[4]));
    row(22, QString(), one, counter(lc[5]));
    row(23, QString(), one, counter(lc[6]));
    return grid;
}

} // namespace vxl
