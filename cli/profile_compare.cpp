#include "cli/profile_compare.h"

#include "core/link/read_refusal.h"

#include <algorithm>

namespace vxl::cli {

namespace {

constexpr int kLinGroup = 2;
constexpr int kReadSchedulerCount = 20;
const QString kAllFrames = QStringLiteral("LIN/Frame_Configuration/Frame[*]");

class Comparer
{
public:
    explicit Comparer(const QString &firmwareText)
        : m_unsupported(QStringLiteral("not supported by firmware ") + firmwareText.trimmed())
    {}

    ProfileComparison result;

    void value(const QString &name, std::uint32_t profile, std::uint32_t module)
    {
        if (profile != module)
            result.differences.push_back({name, number(profile), number(module)});
    }
    // A value longer than one byte: a one-byte reply in its place was the module's refusal.
    void value(const QString &name, std::uint32_t profile, std::uint32_t module, std::uint8_t status)
    {
        if (!refused(name, status))
            value(name, profile, module);
    }
    void bytes(const QString &name,
               const QList<std::uint8_t> &profile,
               const QList<std::uint8_t> &module,
               std::uint8_t status = 0)
    {
        if (!refused(name, status) && profile != module)
            result.differences.push_back({name, hexList(profile), hexList(module)});
    }
    [[nodiscard]] bool refused(const QString &name, std::uint8_t status)
    {
        if (status == 0)
            return false;
        result.notCompared.push_back({name, QStringLiteral("refused with code %1").arg(status)});
        return true;
    }
    void unsupported(const QString &name) { result.notCompared.push_back({name, m_unsupported}); }
    void missing(const QString &name)
    {
        result.differences.push_back({name, QString(), QStringLiteral("not in the module")});
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

    QString m_unsupported;
};

template<std::size_t N>
QList<std::uint8_t> listOf(const std::array<std::uint8_t, N> &table, std::size_t count = N)
{
    return QList<std::uint8_t>(table.begin(), table.begin() + std::min(count, N));
}

void compareFrame(Comparer &c,
                  const QString &name,
                  const LIN_FrameEntry &p,
                  const LIN_FrameEntry &m,
                  int length,
                  std::uint8_t status = 0)
{
    if (c.refused(name, status))
        return;
    c.value(name + QStringLiteral("/Active"), p.Active, m.Active);
    c.bytes(name + QStringLiteral("/Data"),
            listOf(p.Data, std::size_t(length)),
            listOf(m.Data, std::size_t(length)));
}

void compareCan(Comparer &c, const CAN_Group &p, const CAN_Group &m, int firmware)
{
    const auto &s = m.ReplyStatus;
    c.value(QStringLiteral("CAN/Active"), p.Active & 0xFF, m.Active);
    c.value(QStringLiteral("CAN/Baudrate"), p.Baudrate, m.Baudrate, s[CanBaudrateStatus]);
    c.value(QStringLiteral("CAN/Forward_Mask"), p.ForwardMask & 0xFF, m.ForwardMask);
    c.value(QStringLiteral("CAN/Filter_Mask"), p.FilterMask, m.FilterMask, s[CanFilterMaskStatus]);
    c.value(QStringLiteral("CAN/Filter_Code"), p.FilterCode, m.FilterCode, s[CanFilterCodeStatus]);
    c.value(QStringLiteral("CAN/ID_Offset"), p.IdOffset, m.IdOffset, s[CanIdOffsetStatus]);
    if (HasErrorId(firmware))
        c.value(QStringLiteral("CAN/Error_ID"), p.ErrorId, m.ErrorId, s[CanErrorIdStatus]);
    else
        c.unsupported(QStringLiteral("CAN/Error_ID"));
}

void compareLinValues(Comparer &c, const LIN_Group &p, const LIN_Group &m)
{
    const auto &s = m.ReplyStatus;
    c.value(QStringLiteral("LIN/Active"), p.Active & 0xFF, m.Active);
    c.value(QStringLiteral("LIN/Baudrate"), p.Baudrate, m.Baudrate, s[LinBaudrateStatus]);
    c.value(QStringLiteral("LIN/Forward_Mask"), p.ForwardMask, m.ForwardMask);
    c.value(QStringLiteral("LIN/Filter_Mask"), p.FilterMask & 0xFF, m.FilterMask);
    c.value(QStringLiteral("LIN/Filter_Code"), p.FilterCode & 0xFF, m.FilterCode);
    c.value(QStringLiteral("LIN/Master_Status"), p.MasterStatus & 0xFF, m.MasterStatus);
    c.value(QStringLiteral("LIN/Bus_Termination"), p.BusTermination & 0xFF, m.BusTermination);
    c.value(QStringLiteral("LIN/Retries"), p.Retries & 0xFF, m.Retries);
    if (!c.refused(QStringLiteral("LIN/Message_Timeouts"), s[LinMessageTimeoutsStatus]))
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
    const std::uint8_t status = m.ReplyStatus[LinSchedulerCountStatus];
    const QString countName = QStringLiteral("LIN/Scheduler_Entries/Count");
    // The code for "no entries" is the count's answer, not a refusal.
    if (IsReadRefusal(kLinGroup, kReadSchedulerCount, status) && c.refused(countName, status))
        return;
    const int count = std::min<int>(p.SchedulerCount, kMaxSchedulerEntries);
    c.value(countName, std::uint32_t(count), m.SchedulerCount);
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
    const auto &s = m.ReplyStatus;
    const QString lengths = kAllFrames + QStringLiteral("/Length");
    const QString formats = kAllFrames + QStringLiteral("/Format");
    if (!HasFrameTables(firmware)) {
        c.unsupported(lengths);
        c.unsupported(formats);
    } else {
        const bool lengthsKnown = !c.refused(lengths, s[LinFrameLengthsStatus]);
        const bool formatsKnown = !c.refused(formats, s[LinFrameFormatsStatus]);
        for (int id = 0; id <= kMaxLinId; ++id) {
            const QString name = QStringLiteral("LIN/Frame_Configuration/Frame[%1]").arg(id);
            if (lengthsKnown)
                c.value(name + QStringLiteral("/Length"),
                        std::uint32_t(GetNibble(p.FrameLengths, id)),
                        std::uint32_t(GetNibble(m.FrameLengths, id)));
            if (formatsKnown)
                c.value(name + QStringLiteral("/Format"),
                        std::uint32_t(TestBit(p.FrameFormats, id)),
                        std::uint32_t(TestBit(m.FrameFormats, id)));
        }
    }
    if (!HasSlaveActivation(firmware, build)) {
        c.unsupported(QStringLiteral("LIN/Slave_Activation_ID"));
        c.unsupported(QStringLiteral("LIN/Slave_Mask"));
        return;
    }
    c.value(QStringLiteral("LIN/Slave_Activation_ID"),
            p.SlaveActivationId,
            m.SlaveActivationId,
            s[LinSlaveActivationIdStatus]);
    c.bytes(QStringLiteral("LIN/Slave_Mask"),
            listOf(p.SlaveMask),
            listOf(m.SlaveMask),
            s[LinSlaveMaskStatus]);
}

void compareSlaveData(Comparer &c, const LIN_Group &p, const LIN_Group &m, int firmware)
{
    if (!HasPerIdSlaveData(firmware)) {
        const QString name = QStringLiteral("LIN/SlaveId_Data");
        if (!c.refused(name, m.ReplyStatus[LinSlaveIdDataStatus])) {
            c.value(name + QStringLiteral("/ID"), p.SlaveIdData.ID, m.SlaveIdData.ID);
            compareFrame(c, name, p.SlaveIdData, m.SlaveIdData, p.SlaveIdData.Length);
        }
        c.unsupported(kAllFrames + QStringLiteral("/Active"));
        c.unsupported(kAllFrames + QStringLiteral("/Data"));
        return;
    }
    // Per identifier the module keeps what the frame entry of that identifier sent last.
    for (int id = 0; id <= kMaxLinId; ++id) {
        const auto same = [id](const LIN_FrameEntry &e) { return e.ID == id; };
        const auto pf = std::find_if(p.Frames.begin(), p.Frames.end(), same);
        const auto mf = std::find_if(m.Frames.begin(), m.Frames.end(), same);
        if (pf == p.Frames.end())
            continue;
        const QString name = QStringLiteral("LIN/Frame_Configuration/Frame[%1]").arg(id);
        if (mf == m.Frames.end()) {
            c.missing(name);
            continue;
        }
        compareFrame(c, name, *pf, *mf, std::min<int>(pf->Length, kFrameDataBytes));
    }
}

} // namespace

QString ValueDifference::Line() const
{
    if (profile.isEmpty())
        return name + QStringLiteral(": ") + module;
    return QStringLiteral("%1: profile %2, module %3").arg(name, profile, module);
}

QString ValueNotCompared::Line() const
{
    return QStringLiteral("%1 (%2)").arg(name, reason);
}

ProfileComparison CompareProfile(const ModuleConfig &profile, const ModuleConfig &module)
{
    const int firmware = FirmwareNumber(module.Module.FirmwareText);
    Comparer c(module.Module.FirmwareText);
    compareCan(c, profile.CAN, module.CAN, firmware);
    compareLinValues(c, profile.LIN, module.LIN);
    compareScheduler(c, profile.LIN, module.LIN);
    compareFrameTables(c, profile.LIN, module.LIN, firmware, module.Module.BuildMode);
    compareSlaveData(c, profile.LIN, module.LIN, firmware);
    return std::move(c.result);
}

QStringList ProfileDifferences(const ModuleConfig &profile, const ModuleConfig &module)
{
    QStringList lines;
    for (const auto &difference : CompareProfile(profile, module).differences)
        lines << difference.Line();
    return lines;
}

} // namespace vxl::cli
