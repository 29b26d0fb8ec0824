#include "cli/profile_compare.h"

#include <algorithm>

namespace vxl::cli {

namespace {

class Comparer
{
public:
    QStringList lines;

    void value(const QString &name, std::uint32_t profile, std::uint32_t module)
    {
        if (profile != module)
            lines << QStringLiteral("%1: profile %2, module %3")
                         .arg(name, number(profile), number(module));
    }
    void bytes(const QString &name,
               const QList<std::uint8_t> &profile,
               const QList<std::uint8_t> &module)
    {
        if (profile != module)
            lines << QStringLiteral("%1: profile %2, module %3")
                         .arg(name, hexList(profile), hexList(module));
    }

private:
    static QString number(std::uint32_t v)
    {
        return v < 10 ? QString::number(v)
                      : QStringLiteral("%1 (0x%2)")
                            .arg(v)
                            .arg(v, 0, 16)
                            .toUpper()
                            .replace(QStringLiteral("0X"), QStringLiteral("0x"));
    }
    static QString hexList(const QList<std::uint8_t> &bytes)
    {
        QStringList parts;
        for (auto b : bytes)
            parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        return QLatin1Char('[') + parts.join(QLatin1Char(' ')) + QLatin1Char(']');
    }
};

template<std::size_t N>
QList<std::uint8_t> listOf(const std::array<std::uint8_t, N> &table, std::size_t count = N)
{
    return QList<std::uint8_t>(table.begin(), table.begin() + std::min(count, N));
}

void compareFrame(
    Comparer &c, const QString &name, const LIN_FrameEntry &p, const LIN_FrameEntry &m, int length)
{
    c.value(name + QStringLiteral("/Active"), p.Active, m.Active);
    c.bytes(name + QStringLiteral("/Data"),
            listOf(p.Data, std::size_t(length)),
            listOf(m.Data, std::size_t(length)));
}

void compareCan(Comparer &c, const CAN_Group &p, const CAN_Group &m, int firmware)
{
    c.value(QStringLiteral("CAN/Active"), p.Active & 0xFF, m.Active);
    c.value(QStringLiteral("CAN/Baudrate"), p.Baudrate, m.Baudrate);
    c.value(QStringLiteral("CAN/Forward_Mask"), p.ForwardMask & 0xFF, m.ForwardMask);
    c.value(QStringLiteral("CAN/Filter_Mask"), p.FilterMask, m.FilterMask);
    c.value(QStringLiteral("CAN/Filter_Code"), p.FilterCode, m.FilterCode);
    c.value(QStringLiteral("CAN/ID_Offset"), p.IdOffset, m.IdOffset);
    if (HasErrorId(firmware))
        c.value(QStringLiteral("CAN/Error_ID"), p.ErrorId, m.ErrorId);
}

void compareLinValues(Comparer &c, const LIN_Group &p, const LIN_Group &m)
{
    c.value(QStringLiteral("LIN/Active"), p.Active & 0xFF, m.Active);
    c.value(QStringLiteral("LIN/Baudrate"), p.Baudrate, m.Baudrate);
    c.value(QStringLiteral("LIN/Forward_Mask"), p.ForwardMask, m.ForwardMask);
    c.value(QStringLiteral("LIN/Filter_Mask"), p.FilterMask & 0xFF, m.FilterMask);
    c.value(QStringLiteral("LIN/Filter_Code"), p.FilterCode & 0xFF, m.FilterCode);
    c.value(QStringLiteral("LIN/Master_Status"), p.MasterStatus & 0xFF, m.MasterStatus);
    c.value(QStringLiteral("LIN/Bus_Termination"), p.BusTermination & 0xFF, m.BusTermination);
    c.value(QStringLiteral("LIN/Retries"), p.Retries & 0xFF, m.Retries);
    for (std::size_t i = 0; i < p.MessageTimeouts.size(); ++i)
        c.value(QStringLiteral("LIN/Message_Timeouts[%1]").arg(i),
                p.MessageTimeouts[i],
                m.MessageTimeouts[i]);
    c.value(QStringLiteral("LIN/Bit_Recognition_Status"),
            p.BitRecognitionStatus,
            m.BitRecognitionStatus);
}

void compareScheduler(Comparer &c, const LIN_Group &p, const LIN_Group &m)
{
    const int count = std::min<int>(p.SchedulerCount, kMaxSchedulerEntries);
    c.value(QStringLiteral("LIN/Scheduler_Entries/Count"), std::uint32_t(count), m.SchedulerCount);
    for (int i = 0; i < std::min<int>(count, m.SchedulerCount); ++i) {
        const auto &pe = p.SchedulerEntries[std::size_t(i)];
        const auto &me = m.SchedulerEntries[std::size_t(i)];
        const QString name = QStringLiteral("LIN/Scheduler_Entries/Entry[%1]").arg(i);
        c.value(name + QStringLiteral("/Time"), pe.Time, me.Time);
        c.value(name + QStringLiteral("/ID"), pe.ID, me.ID);
    }
}

void compareFrameTables(
    Comparer &c, const LIN_Group &p, const LIN_Group &m, int firmware, std::uint8_t build)
{
    if (HasFrameTables(firmware)) {
        for (int id = 0; id <= kMaxLinId; ++id) {
            const QString name = QStringLiteral("LIN/Frame_Configuration/Frame[%1]").arg(id);
            c.value(name + QStringLiteral("/Length"),
                    std::uint32_t(GetNibble(p.FrameLengths, id)),
                    std::uint32_t(GetNibble(m.FrameLengths, id)));
            c.value(name + QStringLiteral("/Format"),
                    std::uint32_t(TestBit(p.FrameFormats, id)),
                    std::uint32_t(TestBit(m.FrameFormats, id)));
        }
    }
    if (HasSlaveActivation(firmware, build)) {
        c.value(QStringLiteral("LIN/Slave_Activation_ID"), p.SlaveActivationId, m.SlaveActivationId);
        c.bytes(QStringLiteral("LIN/Slave_Mask"), listOf(p.SlaveMask), listOf(m.SlaveMask));
    }
}

void compareSlaveData(Comparer &c, const LIN_Group &p, const LIN_Group &m, int firmware)
{
    if (!HasPerIdSlaveData(firmware)) {
        c.value(QStringLiteral("LIN/SlaveId_Data/ID"), p.SlaveIdData.ID, m.SlaveIdData.ID);
        compareFrame(c,
                     QStringLiteral("LIN/SlaveId_Data"),
                     p.SlaveIdData,
                     m.SlaveIdData,
                     p.SlaveIdData.Length);
        return;
    }
    // Per identifier the module keeps what the frame entry of that identifier sent last.
    for (int id = 0; id <= kMaxLinId; ++id) {
        const auto same = [id](const LIN_FrameEntry &e) { return e.ID == id; };
        const auto pf = std::find_if(p.Frames.begin(), p.Frames.end(), same);
        const auto mf = std::find_if(m.Frames.begin(), m.Frames.end(), same);
        if (pf == p.Frames.end())
            continue;
        if (mf == m.Frames.end()) {
            c.lines << QStringLiteral("LIN/Frame_Configuration/Frame[%1]: not in the module").arg(id);
            continue;
        }
        compareFrame(c,
                     QStringLiteral("LIN/Frame_Configuration/Frame[%1]").arg(id),
                     *pf,
                     *mf,
                     std::min<int>(pf->Length, kFrameDataBytes));
    }
}

} // namespace

QStringList ProfileDifferences(const ModuleConfig &profile, const ModuleConfig &module)
{
    const int firmware = FirmwareNumber(module.Module.FirmwareText);
    Comparer c;
    compareCan(c, profile.CAN, module.CAN, firmware);
    compareLinValues(c, profile.LIN, module.LIN);
    compareScheduler(c, profile.LIN, module.LIN);
    compareFrameTables(c, profile.LIN, module.LIN, firmware, module.Module.BuildMode);
    compareSlaveData(c, profile.LIN, module.LIN, firmware);
    return c.lines;
}

} // namespace vxl::cli
