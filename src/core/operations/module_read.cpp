#include "core/operations/module_read.h"

#include "core/editing/module_profile_values.h"
#include "core/link/command_builders.h"
#include "core/link/lin_port.h"
#include "core/link/read_refusal.h"
#include "core/link/status_text.h"
#include "core/module/module_grid_text.h"
#include "core/operations/operation_context.h"
#include "core/profiles/profile_document.h"

#include <QFileInfo>

#include <algorithm>
#include <type_traits>

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

// Stores a reply's value in a field of a group: a list of 16-bit counters, the one byte of a
// one-byte field, or a number as wide as the field.
template<auto Field, typename Group>
void storeField(Group &group, const LIN_Msg &msg)
{
    auto &field = group.*Field;
    using Type = std::remove_reference_t<decltype(field)>;
    if constexpr (!std::is_integral_v<Type>)
        storeCounters(field, msg);
    else if constexpr (sizeof(Type) == 1)
        field = msg.data[0];
    else
        field = Type(ReplyValue(msg, 0, int(sizeof(Type))));
}

// One value of a block of the read: the reply-status slot it fills and where its value goes.
template<typename Group>
struct BlockValue
{
    int slot;
    void (*store)(Group &group, const LIN_Msg &msg);
};

// The values of the blocks, by sequence number.
constexpr std::array<BlockValue<RS232_Group>, 2> kRs232Block = {{
    {0,
     [](RS232_Group &rs, const LIN_Msg &msg) {
         rs.Baudrate = Rs232RateFromWire(std::uint16_t(ReplyValue(msg, 0, 2)));
     }},
    {1, storeField<&RS232_Group::ErrorCounters>},
}};

constexpr std::array<BlockValue<CAN_Group>, 8> kCanBlock = {{
    {CanActiveStatus, storeField<&CAN_Group::Active>},
    {CanBaudrateStatus, storeField<&CAN_Group::Baudrate>},
    {CanForwardMaskStatus, storeField<&CAN_Group::ForwardMask>},
    {CanFilterMaskStatus, storeField<&CAN_Group::FilterMask>},
    {CanFilterCodeStatus, storeField<&CAN_Group::FilterCode>},
    {CanIdOffsetStatus, storeField<&CAN_Group::IdOffset>},
    {CanErrorCountersStatus, storeField<&CAN_Group::ErrorCounters>},
    {CanErrorIdStatus, storeField<&CAN_Group::ErrorId>},
}};

constexpr std::array<BlockValue<LIN_Group>, 8> kLinBlock = {{
    {LinActiveStatus, storeField<&LIN_Group::Active>},
    {LinBaudrateStatus, storeField<&LIN_Group::Baudrate>},
    {LinForwardMaskStatus, storeField<&LIN_Group::ForwardMask>},
    {LinFilterMaskStatus, storeField<&LIN_Group::FilterMask>},
    {LinFilterCodeStatus, storeField<&LIN_Group::FilterCode>},
    {LinSlaveMaskStatus,
     [](LIN_Group &lin, const LIN_Msg &msg) {
         lin.SlaveMask.fill(0);
         StoreReplyBytes(lin.SlaveMask, 0, msg);
     }},
    {LinMasterStatusStatus, storeField<&LIN_Group::MasterStatus>},
    {LinBusTerminationStatus, storeField<&LIN_Group::BusTermination>},
}};

constexpr std::array<BlockValue<LIN_Group>, 5> kLinCountersBlock = {{
    {LinMessageTimeoutsStatus, storeField<&LIN_Group::MessageTimeouts>},
    {LinRetriesStatus, storeField<&LIN_Group::Retries>},
    {LinSchedulerCountStatus,
     [](LIN_Group &lin, const LIN_Msg &msg) {
         // An empty scheduler is reported with the one-byte code 6, not with a count: taking
         // the code for a count would read entries that do not exist.
         lin.SchedulerCount = msg.count == 1 ? 0 : std::uint16_t(ReplyValue(msg, 0, 2));
     }},
    {LinErrorCountersStatus, storeField<&LIN_Group::ErrorCounters>},
    {LinBitRecognitionStatus, storeField<&LIN_Group::BitRecognitionStatus>},
}};

// Stores a reply of a block; the reply with the block's last sequence number moves the read on
// to the next phase.
template<typename Group, std::size_t N>
void storeBlock(clsTransactionEngine &engine,
                Group &group,
                const std::array<BlockValue<Group>, N> &block,
                const LIN_Msg &msg,
                int nextPhase)
{
    const auto s = std::size_t(sequenceOf(msg));
    if (s >= N)
        return;
    block[s].store(group, msg);
    group.ReplyStatus[std::size_t(block[s].slot)] = ReplyStatusOf(msg);
    if (s == N - 1)
        engine.SetPhase(nextPhase);
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

std::uint8_t RefusalCodeOf(const LIN_Msg &msg, int group, int command)
{
    const std::uint8_t status = ReplyStatusOf(msg);
    return status != 0 && IsReadRefusal(group, command, status) ? status : 0;
}

ModuleReader::ModuleReader(OperationContext &context, Handoffs handoffs)
    : m_ctx(context)
    , m_handoffs(std::move(handoffs))
{}

void ModuleReader::StartModuleRead()
{
    m_ctx.ModuleCopy().LIN.SchedulerCount = 0;
    m_ctx.ModuleCopy().LIN.FrameRefusals.fill(0);
    m_ctx.ModuleCopy().LIN.EntryRefusals.fill(0);
    // A "New from Module" waits for this read only: a read that never starts must not leave it
    // to the next one.
    if (!m_ctx.StartChecks()) {
        m_newProfilePending = false;
        return;
    }
    auto &link = m_ctx.Link();
    auto &engine = m_ctx.Engine();
    link.SetBinaryMode(true);
    engine.SetPhase(0);
    if (SendCommand(link, 3, 0, 0) != 0 || SendCommand(link, 3, 1, 1) != 0) {
        m_newProfilePending = false;
        return;
    }
    engine.BeginTransaction(kRead);
}

void ModuleReader::queueConfigurationBatch(int firmware)
{
    auto &link = m_ctx.Link();
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
    const auto &mod = m_ctx.ModuleCopy().Module;
    m_handoffs.identityRead({mod.HardwareText, mod.FirmwareText, BuildModeText(mod.BuildMode)});
    m_ctx.SetEnabled(Command::ProgrammingMode,
                     ProgrammingModeAllowed(FirmwareNumber(mod.FirmwareText),
                                            FirmwareNumber(m_ctx.Settings().FirmwareVerUpdate)));
}

// Each phase takes the replies of one block of the read; the reply with the block's last
// sequence number moves the read on.
void ModuleReader::ModuleReadReply(const LIN_Msg &msg)
{
    auto &engine = m_ctx.Engine();
    auto &copy = m_ctx.ModuleCopy();
    switch (engine.Phase()) {
    case 0:
        storeIdentity(msg);
        return;
    case 1:
        storeBlock(engine, copy.RS232, kRs232Block, msg, 2);
        return;
    case 2:
        storeBlock(engine, copy.CAN, kCanBlock, msg, 3);
        return;
    case 3:
        storeBlock(engine, copy.LIN, kLinBlock, msg, 4);
        return;
    case 4:
        storeBlock(engine, copy.LIN, kLinCountersBlock, msg, 5);
        return;
    case 5:
        storeFrameTables(msg);
        return;
    case 6:
        storePerIdEntry(msg);
        return;
    default:
        return;
    }
}

void ModuleReader::storeIdentity(const LIN_Msg &msg)
{
    auto &module = m_ctx.ModuleCopy().Module;
    const QString text = ReplyText(msg);
    const int s = sequenceOf(msg);
    if (s == 0) {
        module.HardwareStatus = ReplyStatusOf(msg);
        module.HardwareText = text;
        module.BuildMode = BuildModeFromHardware(text);
    } else if (s == 1) {
        module.FirmwareStatus = ReplyStatusOf(msg);
        module.FirmwareText = text;
        m_ctx.Engine().SetPhase(1);
        showIdentity();
        queueConfigurationBatch(FirmwareNumber(text));
    }
}

void ModuleReader::storeFrameTables(const LIN_Msg &msg)
{
    auto &lin = m_ctx.ModuleCopy().LIN;
    const int s = sequenceOf(msg);
    const std::uint8_t status = ReplyStatusOf(msg);
    if (s <= 3) {
        StoreReplyBytes(lin.FrameLengths, std::size_t(8 * s), msg);
        // The four blocks share one status: a later block that answers must not hide that an
        // earlier one was refused.
        if (s == 0 || status != 0)
            lin.ReplyStatus[LinFrameLengthsStatus] = status;
    } else if (s == 4) {
        StoreReplyBytes(lin.FrameFormats, 0, msg);
        lin.ReplyStatus[LinFrameFormatsStatus] = status;
    } else if (s == 5) {
        lin.SlaveActivationId = ReplyValue(msg, 0, 4);
        lin.ReplyStatus[LinSlaveActivationIdStatus] = status;
    } else if (s == 6) {
        storeSlaveIdData(msg);
    }
}

void ModuleReader::storePerIdEntry(const LIN_Msg &msg)
{
    auto &engine = m_ctx.Engine();
    auto &config = m_ctx.ModuleCopy();
    const int counter = engine.PhaseCounter();
    const auto at = std::size_t(std::clamp(counter, 0, kFrameCount - 1));
    storeFrameEntry(config.LIN.Frames[at], msg, SlaveDataLength(config, msg.data[1]));
    config.LIN.FrameRefusals[at] = RefusalCodeOf(msg, 2, 25);
    if (counter < kFrameCount - 1) {
        engine.SetPhaseCounter(counter + 1);
        return;
    }
    completeRead();
}

void ModuleReader::storeSlaveIdData(const LIN_Msg &msg)
{
    auto &config = m_ctx.ModuleCopy();
    auto &lin = config.LIN;
    lin.ReplyStatus[LinSlaveIdDataStatus] = ReplyStatusOf(msg);
    storeFrameEntry(lin.SlaveIdData, msg, SlaveDataLength(config, msg.data[1]));
    if (HasPerIdSlaveData(FirmwareNumber(config.Module.FirmwareText))) {
        m_ctx.Engine().SetPhase(6);
        m_ctx.Engine().SetPhaseCounter(0);
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
    auto &engine = m_ctx.Engine();
    engine.SetPhase(0);
    engine.SetPhaseCounter(0);
    const auto &config = m_ctx.ModuleCopy();
    m_handoffs.gridFilled(FillModuleGrid(config));
    const int count = config.LIN.SchedulerCount;
    m_handoffs.schedulerCountRead(count);
    const bool entries = count != 0;
    m_ctx.SetEnabled(Command::DiscardScheduler, entries);
    m_ctx.SetEnabled(Command::MasterOn, entries);
    m_ctx.SetEnabled(Command::MasterOff, entries);
    engine.EndTransaction(kRead);
    m_ctx.SetEnabled(Command::SaveDataAs, true);
    if (entries) {
        m_entriesPending = true;
        ReadSchedulerEntries(count);
        return;
    }
    NewFromModuleContinuation();
}

void ModuleReader::OnTimeout()
{
    m_handoffs.gridFilled(FixedGridTexts());
    m_handoffs.connectionLost();
    m_ctx.Error(OperatorMessage(5));
}

void ModuleReader::ReadSchedulerEntries(int count)
{
    auto &collected = m_ctx.CollectedEntries();
    collected.clear();
    m_entryRefusals.clear();
    if (!m_ctx.StartChecks())
        return;
    auto &engine = m_ctx.Engine();
    count = std::min(count, kMaxSchedulerEntries);
    engine.SetPendingReplies(count);
    engine.SetActive(TransactionKind::tkScheduler, true);
    m_ctx.PaintBusy();
    for (int i = 1; i <= count; ++i) {
        const std::uint8_t number = std::uint8_t(i);
        SendCommandData(m_ctx.Link(), 2, 21, 4, {&number, 1});
    }
    engine.SetSchedulerCode(21);
    engine.Arm();
}

void ModuleReader::SchedulerEntryReply(const LIN_Msg &msg)
{
    auto &engine = m_ctx.Engine();
    auto &collected = m_ctx.CollectedEntries();
    engine.SetPendingReplies(engine.PendingReplies() - 1);
    collected.push_back({std::uint16_t(ReplyValue(msg, 0, 2)), msg.data[2]});
    m_entryRefusals.push_back(RefusalCodeOf(msg, 2, 21));
    if (engine.PendingReplies() > 0) {
        engine.Rearm(TransactionKind::tkScheduler);
        return;
    }
    if (m_entriesPending) {
        StoreSchedulerEntries();
        return;
    }
    m_handoffs.entriesForAdjust();
}

void ModuleReader::StoreSchedulerEntries()
{
    auto &collected = m_ctx.CollectedEntries();
    auto &lin = m_ctx.ModuleCopy().LIN;
    const std::size_t count = std::min(collected.size(), lin.SchedulerEntries.size());
    std::copy_n(collected.begin(), count, lin.SchedulerEntries.begin());
    lin.EntryRefusals.fill(0);
    std::copy_n(m_entryRefusals.begin(),
                std::min(m_entryRefusals.size(), lin.EntryRefusals.size()),
                lin.EntryRefusals.begin());
    collected.clear();
    m_entryRefusals.clear();
    m_ctx.PaintIdle();
    m_entriesPending = false;
    NewFromModuleContinuation();
}

void ModuleReader::NewFromModule()
{
    if (!m_ctx.IsIdle()) {
        m_ctx.ShowBusyNotice();
        return;
    }
    m_newProfilePending = true;
    auto &op = m_ctx.Operator();
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
    auto &op = m_ctx.Operator();
    if (op.CurrentView() != View::Profiles)
        op.SwitchView(View::Profiles);
    const ModuleProfileValues profile = ProfileValuesFromModule(m_ctx.ModuleCopy());
    if (op.NewProfileFromModule(profile.values) && !profile.refused.isEmpty())
        m_ctx.Information(RefusedValuesText(profile.refused));
}

void ModuleReader::SaveModuleDataAsProfile()
{
    if (!m_ctx.IsIdle()) {
        m_ctx.ShowBusyNotice();
        return;
    }
    const ModuleProfileValues profile = ProfileValuesFromModule(m_ctx.ModuleCopy());
    const auto &config = profile.values;
    clsVLINXMLProfile document;
    document.WriteAll(config.RS232.Baudrate, config.CAN, config.LIN);
    auto &op = m_ctx.Operator();
    const QString path = op.PromptFile({true,
                                        QStringLiteral("Save As"),
                                        QStringLiteral("VEXA-LIN profiles (*.vxlin)"),
                                        QString(),
                                        QStringLiteral("CurrentValues.vxlin")});
    if (path.isEmpty())
        return;
    const QString name = QFileInfo(path).fileName();
    const QString edited = op.ProfileFileName();
    if (!edited.isEmpty() && QFileInfo(edited) == QFileInfo(path) && op.ProfileModified()) {
        m_ctx.Error(QStringLiteral("Error on \"") + name
                    + QStringLiteral("\". The file is being modified on \"Profiles Management\"."));
        return;
    }
    if (!document.SaveAs(path)) {
        m_ctx.Error(QStringLiteral("Error saving module configuration as Profile"));
        return;
    }
    m_ctx.Information(QStringLiteral("Current module data was saved as \"") + name
                      + QStringLiteral("\""));
    if (!profile.refused.isEmpty())
        m_ctx.Information(RefusedValuesText(profile.refused));
}

} // namespace vxl
