#include "core/operations/module_read.h"

#include "core/link/command_builders.h"
#include "core/link/lin_port.h"
#include "core/link/status_text.h"
#include "core/module/module_grid_text.h"
#include "core/operations/connection.h"
#include "core/operations/operations.h"
#include "core/operations/scheduler_control.h"
#include "core/profiles/profile_document.h"

#include <QFileInfo>

#include <algorithm>

namespace vxl {

namespace {

constexpr auto kRead = TransactionKind::tkModuleRead;

int sequenceOf(const LIN_Msg &msg)
{
    return HeaderField(msg.header, 1);
}

template<std::size_t N>
void storeCounters(std::array<std::uint16_t, N> &counters, const LIN_Msg &msg)
{
    for (std::size_t i = 0; i < N; ++i)
        counters[i] = std::uint16_t(ReplyValue(msg, int(2 * i), 2));
}

void storeFrameEntry(LIN_FrameEntry &entry, const LIN_Msg &msg, int length)
{
    entry.Active = msg.data[0];
    entry.ID = msg.data[1];
    entry.Length = std::uint8_t(length);
    for (int j = 0; j < length && j < kFrameDataBytes; ++j)
        entry.Data[std::size_t(j)] = msg.data[std::size_t(2 + j)];
}

} // namespace

std::uint32_t ReplyValue(const LIN_Msg &msg, int offset, int bytes)
{
    std::uint32_t value = 0;
    const int n = ReplyDataCount(msg);
    for (int j = bytes - 1; j >= 0; --j) {
        const int at = offset + j;
        value = (value << 8) | (at < n ? msg.data[std::size_t(at)] : 0u);
    }
    return value;
}

int ReplyDataCount(const LIN_Msg &msg)
{
    return std::clamp(int(msg.count), 0, kMaxDataBytes);
}

QString ReplyText(const LIN_Msg &msg)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(msg.data.data()), ReplyDataCount(msg));
}

std::uint8_t ReplyStatusOf(const LIN_Msg &msg)
{
    return msg.count == 1 ? msg.data[0] : 0;
}

ModuleReader::ModuleReader(Operations &ops)
    : m_ops(ops)
{}

void ModuleReader::StartModuleRead()
{
    m_ops.ModuleCopy().LIN.SchedulerCount = 0;
    if (!m_ops.StartChecks())
        return;
    auto &link = m_ops.Link();
    auto &engine = m_ops.Engine();
    link.SetBinaryMode(true);
    engine.Phase = 0;
    if (SendCommand(link, 3, 0, 0) != 0 || SendCommand(link, 3, 1, 1) != 0)
        return;
    // The identification a profiles-view activation asked for is answered to this read.
    engine.SetActive(TransactionKind::tkProgrammingMode, false);
    engine.BeginTransaction(kRead);
}

void ModuleReader::queueConfigurationBatch(int firmware)
{
    auto &link = m_ops.Link();
    auto plain = [&link](int group, int command, int sequence) {
        SendCommand(link, group, command, sequence);
    };
    auto with = [&link](int group, int command, int sequence, std::initializer_list<int> data) {
        std::vector<std::uint8_t> bytes;
        for (int b : data)
            bytes.push_back(std::uint8_t(b));
        SendCommandData(link, group, command, sequence, bytes);
    };
    plain(0, 11, 0);
    plain(0, 24, 1);
    for (int k = 0; k < 6; ++k)
        plain(1, 10 + k, k);
    plain(1, 24, 6);
    plain(1, 16, 7);
    for (int k = 0; k < 5; ++k)
        plain(2, 10 + k, k);
    with(2, 15, 5, {0, 0});
    plain(2, 16, 6);
    plain(2, 17, 7);
    plain(2, 18, 0);
    plain(2, 19, 1);
    plain(2, 20, 2);
    plain(2, 24, 3);
    plain(2, 26, 4);
    for (int k = 0; k < 4; ++k)
        with(2, 27, k, {k, 0});
    with(2, 28, 4, {0, 0});
    plain(2, 29, 5);
    plain(2, 25, 6);
    if (!HasPerIdSlaveData(firmware))
        return;
    for (int i = 0; i < kPerIdRequests; ++i)
        with(2, 25, i % 8, {i});
}

void ModuleReader::showIdentity()
{
    const auto &mod = m_ops.ModuleCopy().Module;
    m_ops.SetIdentity({mod.HardwareText, mod.FirmwareText, BuildModeText(mod.BuildMode)});
    const int firmware = FirmwareNumber(mod.FirmwareText);
    const int threshold = FirmwareNumber(m_ops.Settings().FirmwareVerUpdate);
    m_ops.SetEnabled(QStringLiteral("mniSetISPMode"),
                     firmware != -1 && threshold != -1 && firmware >= threshold);
}

void ModuleReader::ModuleReadReply(const LIN_Msg &msg)
{
    auto &engine = m_ops.Engine();
    auto &config = m_ops.ModuleCopy();
    auto &rs = config.RS232;
    auto &can = config.CAN;
    auto &lin = config.LIN;
    const int s = sequenceOf(msg);
    const std::uint8_t status = ReplyStatusOf(msg);
    const auto value16 = [&msg] { return std::uint16_t(ReplyValue(msg, 0, 2)); };
    const auto value32 = [&msg] { return ReplyValue(msg, 0, 4); };
    const QString text = ReplyText(msg);

    switch (engine.Phase) {
    case 0:
        if (s == 0) {
            config.Module.HardwareStatus = status;
            config.Module.HardwareText = text;
            config.Module.BuildMode = BuildModeFromHardware(text);
        } else if (s == 1) {
            config.Module.FirmwareStatus = status;
            config.Module.FirmwareText = text;
            engine.Phase = 1;
            showIdentity();
            queueConfigurationBatch(FirmwareNumber(text));
        }
        return;
    case 1:
        if (s == 0) {
            rs.ReplyStatus[0] = status;
            rs.Baudrate = Rs232RateFromWire(value16());
        } else if (s == 1) {
            rs.ReplyStatus[1] = status;
            storeCounters(rs.ErrorCounters, msg);
            engine.Phase = 2;
        }
        return;
    case 2:
        if (s > 7)
            return;
        can.ReplyStatus[std::size_t(s)] = status;
        switch (s) {
        case 0:
            can.Active = value16();
            break;
        case 1:
            can.Baudrate = value16();
            break;
        case 2:
            can.ForwardMask = value16();
            break;
        case 3:
            can.FilterMask = value32();
            break;
        case 4:
            can.FilterCode = value32();
            break;
        case 5:
            can.IdOffset = value32();
            break;
        case 6:
            storeCounters(can.ErrorCounters, msg);
            break;
        case 7:
            can.ErrorId = value32();
            engine.Phase = 3;
            break;
        }
        return;
    case 3:
        switch (s) {
        case 0:
            lin.Active = value16();
            lin.ReplyStatus[LinActiveStatus] = status;
            break;
        case 1:
            lin.Baudrate = value16();
            lin.ReplyStatus[LinBaudrateStatus] = status;
            break;
        case 2:
            lin.ForwardMask = msg.data[0];
            lin.ReplyStatus[LinForwardMaskStatus] = status;
            break;
        case 3:
            lin.FilterMask = value16();
            lin.ReplyStatus[LinFilterMaskStatus] = status;
            break;
        case 4:
            lin.FilterCode = value16();
            lin.ReplyStatus[LinFilterCodeStatus] = status;
            break;
        case 5:
            lin.SlaveMask.fill(0);
            StoreReplyBytes(lin.SlaveMask, 0, msg);
            lin.ReplyStatus[LinSlaveMaskStatus] = status;
            break;
        case 6:
            lin.MasterStatus = value16();
            lin.ReplyStatus[LinMasterStatusStatus] = status;
            break;
        case 7:
            lin.BusTermination = value16();
            lin.ReplyStatus[LinBusTerminationStatus] = status;
            engine.Phase = 4;
            break;
        }
        return;
    case 4:
        switch (s) {
        case 0:
            storeCounters(lin.MessageTimeouts, msg);
            lin.ReplyStatus[LinMessageTimeoutsStatus] = status;
            break;
        case 1:
            lin.Retries = value16();
            lin.ReplyStatus[LinRetriesStatus] = status;
            break;
        case 2:
            // An empty scheduler is reported with the one-byte code 6, not with a count: taking
            // the code for a count would read entries that do not exist.
            lin.SchedulerCount = msg.count == 1 ? 0 : value16();
            lin.ReplyStatus[LinSchedulerCountStatus] = status;
            break;
        case 3:
            storeCounters(lin.ErrorCounters, msg);
            lin.ReplyStatus[LinErrorCountersStatus] = status;
            break;
        case 4:
            lin.BitRecognitionStatus = msg.data[0];
            lin.ReplyStatus[LinBitRecognitionStatus] = status;
            engine.Phase = 5;
            break;
        }
        return;
    case 5:
        if (s <= 3) {
            StoreReplyBytes(lin.FrameLengths, std::size_t(8 * s), msg);
            lin.ReplyStatus[LinFrameLengthsStatus] = status;
        } else if (s == 4) {
            StoreReplyBytes(lin.FrameFormats, 0, msg);
            lin.ReplyStatus[LinFrameFormatsStatus] = status;
        } else if (s == 5) {
            lin.SlaveActivationId = value32();
            lin.ReplyStatus[LinSlaveActivationIdStatus] = status;
        } else if (s == 6) {
            storeSlaveIdData(msg);
        }
        return;
    case 6: {
        auto &entry = lin.Frames[std::size_t(std::clamp(engine.PhaseCounter, 0, kFrameCount - 1))];
        storeFrameEntry(entry, msg, SlaveDataLength(config, msg.data[1]));
        if (engine.PhaseCounter < kFrameCount - 1) {
            ++engine.PhaseCounter;
            return;
        }
        completeRead();
        return;
    }
    default:
        return;
    }
}

void ModuleReader::storeSlaveIdData(const LIN_Msg &msg)
{
    auto &config = m_ops.ModuleCopy();
    auto &lin = config.LIN;
    lin.ReplyStatus[LinSlaveIdDataStatus] = ReplyStatusOf(msg);
    storeFrameEntry(lin.SlaveIdData, msg, SlaveDataLength(config, msg.data[1]));
    if (HasPerIdSlaveData(FirmwareNumber(config.Module.FirmwareText))) {
        m_ops.Engine().Phase = 6;
        m_ops.Engine().PhaseCounter = 0;
        return;
    }
    // Older firmware keeps one slave data entry: every identifier shows it.
    for (int i = 0; i < kFrameCount; ++i) {
        auto &frame = lin.Frames[std::size_t(i)];
        frame.Active = std::uint8_t(TestBit(lin.SlaveMask, i));
        frame.ID = std::uint8_t(i);
        frame.Length = std::uint8_t(FrameByteCount(lin, i));
        frame.Data = lin.SlaveIdData.Data;
    }
    completeRead();
}

void ModuleReader::completeRead()
{
    auto &engine = m_ops.Engine();
    engine.Phase = 0;
    engine.PhaseCounter = 0;
    const auto &config = m_ops.ModuleCopy();
    m_ops.SetGrid(FillModuleGrid(config));
    auto &scheduler = m_ops.Scheduler();
    scheduler.SetEntryCount(config.LIN.SchedulerCount);
    const bool entries = config.LIN.SchedulerCount != 0;
    m_ops.SetEnabled(QStringLiteral("btbDiscardScheduler"), entries);
    m_ops.SetEnabled(QStringLiteral("btbMasterOn"), entries);
    m_ops.SetEnabled(QStringLiteral("btbMasterOff"), entries);
    engine.EndTransaction(kRead);
    m_ops.SetEnabled(QStringLiteral("btbSaveDataAs"), true);
    if (entries) {
        m_entriesPending = true;
        ReadSchedulerEntries();
        return;
    }
    NewFromModuleContinuation();
}

void ModuleReader::OnTimeout()
{
    m_ops.ClearGrid();
    m_ops.Conn().UpdateConnectionState();
    m_ops.Error(OperatorMessage(5));
}

void ModuleReader::ReadSchedulerEntries()
{
    auto &collected = m_ops.CollectedEntries();
    collected.clear();
    if (!m_ops.StartChecks())
        return;
    auto &engine = m_ops.Engine();
    const int count = std::min(m_ops.Scheduler().EntryCount(), kMaxSchedulerEntries);
    engine.PendingReplies = count;
    engine.SetActive(TransactionKind::tkScheduler, true);
    m_ops.PaintBusy();
    for (int i = 1; i <= count; ++i) {
        const std::uint8_t number = std::uint8_t(i);
        SendCommandData(m_ops.Link(), 2, 21, 4, {&number, 1});
    }
    engine.SchedulerCode = 21;
    engine.Arm();
}

void ModuleReader::SchedulerEntryReply(const LIN_Msg &msg)
{
    auto &engine = m_ops.Engine();
    auto &collected = m_ops.CollectedEntries();
    --engine.PendingReplies;
    collected.push_back({std::uint16_t(ReplyValue(msg, 0, 2)), msg.data[2]});
    if (engine.PendingReplies > 0) {
        engine.Rearm(TransactionKind::tkScheduler);
        return;
    }
    if (m_entriesPending) {
        StoreSchedulerEntries();
        return;
    }
    m_ops.Scheduler().AdjustContinuation();
}

void ModuleReader::StoreSchedulerEntries()
{
    auto &collected = m_ops.CollectedEntries();
    auto &entries = m_ops.ModuleCopy().LIN.SchedulerEntries;
    const std::size_t count = std::min(collected.size(), entries.size());
    std::copy_n(collected.begin(), count, entries.begin());
    collected.clear();
    m_ops.PaintIdle();
    m_entriesPending = false;
    NewFromModuleContinuation();
}

void ModuleReader::NewFromModule()
{
    if (!m_ops.IsIdle()) {
        m_ops.ShowBusyNotice();
        return;
    }
    m_newProfilePending = true;
    auto &op = m_ops.Operator();
    if (op.CurrentView() == View::ModuleData) {
        NewFromModuleContinuation();
        return;
    }
    if (op.CurrentView() != View::Profiles)
        op.SwitchView(View::Profiles);
    StartModuleRead();
}

void ModuleReader::NewFromModuleContinuation()
{
    if (!m_newProfilePending)
        return;
    m_newProfilePending = false;
    auto &op = m_ops.Operator();
    if (op.CurrentView() != View::Profiles)
        op.SwitchView(View::Profiles);
    op.NewProfileFromModule(m_ops.ModuleCopy());
}

void ModuleReader::SaveModuleDataAsProfile()
{
    if (!m_ops.IsIdle()) {
        m_ops.ShowBusyNotice();
        return;
    }
    const auto &config = m_ops.ModuleCopy();
    clsVLINXMLProfile document;
    document.WriteAll(config.RS232.Baudrate, config.CAN, config.LIN);
    const QString path = m_ops.Operator().PromptSaveFile(QStringLiteral("CurrentValues.vxlin"));
    if (path.isEmpty())
        return;
    const QString name = QFileInfo(path).fileName();
    auto &op = m_ops.Operator();
    const QString edited = op.ProfileFileName();
    if (!edited.isEmpty() && QFileInfo(edited) == QFileInfo(path) && op.ProfileModified()) {
        m_ops.Error(QStringLiteral("Error on \"") + name
                    + QStringLiteral("\". The file is being modified on \"Profiles Management\"."));
        return;
    }
    if (document.SaveAs(path))
        m_ops.Information(QStringLiteral("Current module data was saved as \"") + name
                          + QStringLiteral("\""));
    else
        m_ops.Error(QStringLiteral("Error saving module configuration as Profile"));
}

} // namespace vxl
