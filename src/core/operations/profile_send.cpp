#include "core/operations/profile_send.h"

#include "core/link/command_builders.h"
#include "core/link/status_text.h"
#include "core/operations/operation_context.h"

#include <QtEndian>

#include <algorithm>

namespace vxl {

namespace {

constexpr auto kSend = TransactionKind::tkProfileSend;

void put16(QByteArray &data, std::uint32_t value)
{
    data.append(char(value & 0xFF));
    data.append(char((value >> 8) & 0xFF));
}

void put32(QByteArray &data, std::uint32_t value)
{
    put16(data, value & 0xFFFF);
    put16(data, value >> 16);
}

QByteArray byte(std::uint32_t value)
{
    return QByteArray(1, char(value & 0xFF));
}

QByteArray frameEntryData(const LIN_FrameEntry &entry)
{
    QByteArray data;
    data.append(char(entry.Active));
    data.append(char(entry.ID));
    const int length = std::min<int>(entry.Length, kFrameDataBytes);
    for (int j = 0; j < length; ++j)
        data.append(char(entry.Data[std::size_t(j)]));
    return data;
}

template<std::size_t N>
QByteArray bytesOf(const std::array<std::uint8_t, N> &table, std::size_t first, std::size_t count)
{
    return QByteArray(reinterpret_cast<const char *>(table.data() + first), qsizetype(count));
}

// The frame entry a send writes last: the first whose ID is the slave ID's.
const LIN_FrameEntry *slaveEntryOf(const LIN_Group &lin)
{
    const auto found = std::find_if(lin.Frames.cbegin(), lin.Frames.cend(), [&lin](const auto &e) {
        return e.ID == lin.SlaveIdData.ID;
    });
    return found == lin.Frames.cend() ? nullptr : &*found;
}

// The module publishes the frames its entries say are active, whatever mask came before them.
// Editing the slave ID data and the frame table's defaults change the frames but not the mask,
// so the mask is taken from the frames, in the order their entries are sent.
void maskFromFrames(LIN_Group &lin)
{
    auto follow = [&lin](const LIN_FrameEntry &entry) {
        if (entry.ID <= kMaxLinId)
            SetBit(lin.SlaveMask, entry.ID, entry.Active != 0);
    };
    std::for_each(lin.Frames.cbegin(), lin.Frames.cend(), follow);
    if (const auto *slaveEntry = slaveEntryOf(lin))
        follow(*slaveEntry);
}

} // namespace

void PrepareProfileForSend(ModuleConfig &profile, const ModuleConfig &module)
{
    auto &lin = profile.LIN;
    lin.MessageTimeouts = module.LIN.MessageTimeouts;
    lin.BitRecognitionStatus = 1;
    lin.Retries = 0;
    const int firmware = FirmwareNumber(module.Module.FirmwareText);
    const int id = lin.SlaveIdData.ID;
    lin.SlaveIdData.Length = std::uint8_t(HasFrameTables(firmware) ? FrameByteCount(lin, id)
                                                                   : DefaultFrameLength(id));
    maskFromFrames(lin);
}

std::vector<SendRequest> ProfileSendRequests(const ModuleConfig &profile,
                                             int firmware,
                                             bool slaveSim)
{
    std::vector<SendRequest> out;
    auto add = [&out](int group, int command, int sequence, QByteArray data) {
        out.push_back({group, command, sequence, std::move(data)});
    };
    const auto &can = profile.CAN;
    const auto &lin = profile.LIN;

    QByteArray rate;
    put16(rate, Rs232RateToWire(profile.RS232.Baudrate));
    add(0, 31, 0, rate);

    QByteArray d;
    add(1, 30, 0, byte(can.Active));
    d.clear(), put16(d, can.Baudrate), add(1, 31, 1, d);
    add(1, 32, 2, byte(can.ForwardMask));
    d.clear(), put32(d, can.FilterMask), add(1, 33, 3, d);
    d.clear(), put32(d, can.FilterCode), add(1, 34, 4, d);
    d.clear(), put32(d, can.IdOffset), add(1, 35, 5, d);
    if (HasErrorId(firmware))
        d.clear(), put32(d, can.ErrorId), add(1, 36, 6, d);

    add(2, 30, 0, byte(lin.Active));
    d.clear(), put16(d, lin.Baudrate), add(2, 31, 1, d);
    add(2, 32, 2, byte(lin.ForwardMask));
    add(2, 33, 3, byte(lin.FilterMask));
    add(2, 34, 4, byte(lin.FilterCode));
    d.clear();
    for (auto t : lin.MessageTimeouts)
        put16(d, t);
    add(2, 38, 5, d);
    add(2, 39, 6, byte(lin.Retries));
    add(2, 42, 0, byte(lin.BitRecognitionStatus));

    if (HasFrameTables(firmware)) {
        for (int k = 0; k < 4; ++k)
            add(2, 43, k, byte(std::uint32_t(k)) + bytesOf(lin.FrameLengths, std::size_t(8 * k), 8));
        add(2, 41, 4, frameEntryData(lin.SlaveIdData));
        add(2, 44, 5, byte(0) + bytesOf(lin.FrameFormats, 0, 8));
    } else {
        add(2, 41, 1, frameEntryData(lin.SlaveIdData));
    }
    if (HasSlaveActivation(firmware, slaveSim ? kBuildSlaveSim : 0)) {
        d.clear(), put32(d, lin.SlaveActivationId), add(2, 45, 0, d);
        add(2, 46, 1, byte(0) + bytesOf(lin.SlaveMask, 0, 8));
    }
    if (HasPerIdSlaveData(firmware)) {
        // The slave ID's own entry goes last, so the module ends with it configured.
        int position = 0;
        const LIN_FrameEntry *slaveEntry = slaveEntryOf(lin);
        for (const auto &entry : lin.Frames) {
            if (&entry != slaveEntry)
                add(2, 41, position++ % 8, frameEntryData(entry));
        }
        add(2, 41, 7, slaveEntry ? frameEntryData(*slaveEntry) : QByteArray());
    }
    const int entries = std::min<int>(lin.SchedulerCount, kMaxSchedulerEntries);
    for (int i = 0; i < entries; ++i) {
        const auto &entry = lin.SchedulerEntries[std::size_t(i)];
        d.clear(), put16(d, entry.Time), d.append(char(entry.ID)), add(2, 40, 0, d);
    }
    add(2, 36, 1, byte(lin.MasterStatus));
    add(2, 37, 2, byte(lin.BusTermination));
    return out;
}

QString SendGateText(int firmware, bool slaveSim)
{
    const QString head = QStringLiteral("\r\n The following data was not sent to the module.\r\n"
                                        "Reasons: Firmware does not support these features.\r\n");
    const QString tail = QStringLiteral("* LIN: Slave Mask\r\n* LIN: CAN ID For Slave Activation.");
    if (firmware < kFirmwareFrameTables)
        return head + QStringLiteral("* CAN: CAN Error ID\r\n* LIN: Frame Configuration\r\n")
               + tail;
    if (firmware == kFirmwareFrameTables)
        return head + QStringLiteral("* CAN: CAN Error ID\r\n") + tail;
    if (!slaveSim)
        return head + tail;
    return {};
}

ProfileSender::ProfileSender(OperationContext &context, Handoffs handoffs)
    : m_ctx(context)
    , m_handoffs(std::move(handoffs))
{}

int ProfileSender::ProfileSchedulerCount() const
{
    const auto profile = m_ctx.Operator().CurrentProfile();
    return profile ? profile->LIN.SchedulerCount : 0;
}

void ProfileSender::SendProfile()
{
    if (!m_ctx.StartChecks())
        return;
    if (m_schedulerStep == 2) {
        m_schedulerStep = 0;
    } else {
        m_schedulerStep = 1;
        m_handoffs.emptyScheduler();
        return;
    }
    const auto profile = m_ctx.Operator().CurrentProfile();
    if (!profile) {
        m_ctx.Information(QStringLiteral("You have to provide a profile to send"));
        return;
    }
    const auto &module = m_ctx.ModuleCopy();
    m_sent = *profile;
    PrepareProfileForSend(m_sent, module);
    m_firmware = FirmwareNumber(module.Module.FirmwareText);
    m_slaveSim = module.Module.BuildMode == kBuildSlaveSim;
    m_ctx.SetFlashWriteTicked(true);
    auto &engine = m_ctx.Engine();
    m_sendOk = true;
    for (const auto &request : ProfileSendRequests(m_sent, m_firmware, m_slaveSim)) {
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(request.data.constData());
        if (SendCommandData(m_ctx.Link(),
                            request.group,
                            request.command,
                            request.sequence,
                            {bytes, std::size_t(request.data.size())})
            != 0)
            return;
    }
    engine.SetPhase(1);
    engine.SetPendingReplies(0);
    engine.BeginTransaction(kSend);
}

void ProfileSender::check(std::uint8_t code)
{
    m_sendOk = m_sendOk && code == 0;
}

void ProfileSender::ProfileSendReply(const LIN_Msg &msg)
{
    // The highest sequence number each phase answers to; other replies are not the send's.
    static constexpr int kLastSequence[] = {-1, 0, 6, 6, 1, 5, 1, 7, 2};
    auto &engine = m_ctx.Engine();
    const int phase = engine.Phase();
    const int s = HeaderField(msg.header, 1);
    const std::uint8_t c = msg.data[0];
    if (phase < 1 || phase > 8 || s > kLastSequence[phase])
        return;
    check(c);
    bool ends = false;
    if (phase == 8) {
        if (s == 0) {
            if (m_sendOk)
                engine.SetPendingReplies(engine.PendingReplies() + 1);
            else if (c == 2)
                m_sendOk = true; // the entry was left out; the send goes on
        }
        ends = s == 2;
    } else if (m_sendOk) {
        advance(phase, s);
    }
    if (!m_sendOk || ends)
        endSend(c);
}

void ProfileSender::advance(int phase, int sequence)
{
    auto &engine = m_ctx.Engine();
    const int n = m_firmware;
    const auto afterSlaveData = [&engine, n] {
        if (!HasPerIdSlaveData(n)) {
            engine.SetPhase(8);
            return;
        }
        engine.SetPhase(7);
        engine.SetPhaseCounter(0);
    };
    switch (phase) {
    case 1:
        engine.SetPhase(2);
        break;
    case 2:
        if ((sequence == 5 && !HasErrorId(n)) || sequence == 6)
            engine.SetPhase(3);
        break;
    case 3:
        if (sequence == 6)
            engine.SetPhase(4);
        break;
    case 4:
        if (sequence == 0 && HasFrameTables(n))
            engine.SetPhase(5);
        else if (sequence == 1)
            engine.SetPhase(8);
        break;
    case 5:
        if (sequence == 5 && HasSlaveActivation(n, m_slaveSim ? kBuildSlaveSim : 0))
            engine.SetPhase(6);
        else if (sequence == 5)
            afterSlaveData();
        break;
    case 6:
        if (sequence == 1)
            afterSlaveData();
        break;
    case 7:
        if (engine.PhaseCounter() < kFrameCount - 1)
            engine.SetPhaseCounter(engine.PhaseCounter() + 1);
        else
            engine.SetPhase(8);
        break;
    default:
        break;
    }
}

void ProfileSender::endSend(std::uint8_t lastCode)
{
    auto &engine = m_ctx.Engine();
    engine.EndTransaction(kSend);
    m_handoffs.entriesAdded(engine.PendingReplies());
    report(m_sendOk, lastCode);
    engine.SetPendingReplies(0);
    m_sendOk = true;
    if (!m_ctx.FlashWriteTicked())
        m_handoffs.activateView();
}

void ProfileSender::report(bool success, std::uint8_t lastCode)
{
    auto &engine = m_ctx.Engine();
    if (!success) {
        m_ctx.Error(OperatorMessage(6, std::uint32_t(engine.Phase()), std::uint32_t(lastCode) + 4));
        return;
    }
    const QString gate = SendGateText(m_firmware, m_slaveSim);
    const int wanted = std::min<int>(m_sent.LIN.SchedulerCount, kMaxSchedulerEntries);
    const int included = engine.PendingReplies();
    if (included == wanted)
        m_ctx.Information(QStringLiteral("The Profile was successfully sent to the module. ")
                          + gate);
    else
        m_ctx.Information(
            gate
            + QStringLiteral(" Only %1 from %2 entries could be included in the scheduler")
                  .arg(included)
                  .arg(wanted));
    if (m_ctx.FlashWriteTicked())
        m_handoffs.saveToFlash();
    auto &module = m_ctx.ModuleCopy();
    module.LIN.FrameLengths = m_sent.LIN.FrameLengths;
    module.LIN.FrameFormats = m_sent.LIN.FrameFormats;
    module.LIN.SlaveIdData.Length = std::uint8_t(SlaveDataLength(module, module.LIN.SlaveIdData.ID));
}

void ProfileSender::OnTimeout()
{
    m_ctx.Error(OperatorMessage(6, std::uint32_t(m_ctx.Engine().Phase()), 0));
}

} // namespace vxl
