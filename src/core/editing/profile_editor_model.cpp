#include "core/editing/profile_editor_model.h"

#include "core/editing/frame_rules.h"
#include "core/editing/profile_fields.h"

#include <algorithm>
#include <array>

namespace vxl {

namespace {

constexpr std::array<std::uint8_t, 4> kCanForwardMasks = {0x00, 0x02, 0x04, 0x06};
constexpr std::array<std::uint8_t, 4> kLinForwardMasks = {0x00, 0x01, 0x04, 0x05};
constexpr std::uint8_t kErrorsViaRs232 = 0x80;
constexpr std::uint8_t kErrorsViaCan = 0x40;

// Index of a two-entry "on"/"off" selector: the first entry for a non-zero value.
constexpr int onOffIndex(std::uint32_t value)
{
    return value != 0 ? 0 : 1;
}

constexpr std::uint16_t onOffValue(int index)
{
    return index == 0 ? 1 : 0;
}

template<std::size_t N>
std::uint8_t maskAt(const std::array<std::uint8_t, N> &masks, int index)
{
    return masks[std::size_t(std::clamp(index, 0, int(N) - 1))];
}

// The forward-mask selector's entry: both targets, the first only, the second only, none.
int forwardIndex(std::uint32_t mask, std::uint32_t first, std::uint32_t second)
{
    const bool a = (mask & first) != 0;
    const bool b = (mask & second) != 0;
    if (a && b)
        return 3;
    if (a)
        return 1;
    return b ? 2 : 0;
}

QString idFieldText(std::uint32_t value, bool extended)
{
    return FitIdField(HexText(value & ~kIdFlags, kId29Digits), IdFieldLength(extended));
}

// Fits an identifier field and answers its value with the 29-bit flag.
std::uint32_t storeIdField(QString &field, bool extended)
{
    field = FitIdField(field, IdFieldLength(extended));
    return HexValue(field) | (extended ? kExtendedIdFlag : 0);
}

void fillCan(ParamCode code, const CAN_Group &can, EditorControls &c)
{
    switch (code) {
    case CodeActivation:
        c.activationCan = onOffIndex(can.Active);
        break;
    case CodeBitRate:
        c.bitrateCan = CanTimingIndex(can.Baudrate);
        if (c.bitrateCan == kCanUserIndex)
            c.userCan = HexText(can.Baudrate, kUserCanDigits);
        break;
    case CodeForwardMask:
        c.canMask = forwardIndex(can.ForwardMask, 0x02, 0x04);
        c.canErrorMask = (can.ForwardMask & kErrorsViaRs232) != 0;
        break;
    case CodeIdOffset:
    case CodeErrorIdOrMaster: {
        const std::uint32_t value = code == CodeIdOffset ? can.IdOffset : can.ErrorId;
        c.can29 = (value & kExtendedIdFlag) != 0;
        // The radio buttons are shared: both fields take the length.
        c.offset = FitIdField(c.offset, IdFieldLength(c.can29));
        c.canErrorId = FitIdField(c.canErrorId, IdFieldLength(c.can29));
        (code == CodeIdOffset ? c.offset : c.canErrorId) = idFieldText(value, c.can29);
        break;
    }
    default:
        break;
    }
}

void fillLin(ParamCode code, const LIN_Group &lin, EditorControls &c)
{
    switch (code) {
    case CodeActivation:
        c.activationLin = onOffIndex(lin.Active);
        break;
    case CodeBitRate:
        c.bitrateLin = LinRateIndex(lin.Baudrate);
        if (c.bitrateLin == kLinUserRateIndex)
            c.userLin = QString::number(lin.Baudrate);
        break;
    case CodeForwardMask:
        c.linMask = forwardIndex(lin.ForwardMask, 0x01, 0x04);
        c.linErrorMask = (lin.ForwardMask & kErrorsViaRs232) != 0;
        c.linCanErrorMask = (lin.ForwardMask & kErrorsViaCan) != 0;
        break;
    case CodeFilterMask:
        c.linFilterMask = HexText(lin.FilterMask & 0xFF, kLinFilterDigits);
        break;
    case CodeFilterCode:
        c.linFilterCode = HexText(lin.FilterCode & 0xFF, kLinFilterDigits);
        break;
    case CodeErrorIdOrMaster:
        c.masterStatus = onOffIndex(lin.MasterStatus);
        break;
    case CodeBusTermination:
        c.linTermination = onOffIndex(lin.BusTermination);
        break;
    case CodeSlaveActivationId:
        c.lin29 = (lin.SlaveActivationId & kExtendedIdFlag) != 0;
        c.slaveActivationActive = (lin.SlaveActivationId & kActiveIdFlag) != 0;
        c.slaveActivationId = idFieldText(lin.SlaveActivationId, c.lin29);
        break;
    default:
        break;
    }
}

void defaultCan(ParamCode code, CAN_Group &can)
{
    switch (code) {
    case CodeActivation:
        can.Active = 1;
        break;
    case CodeBitRate:
        can.Baudrate = 0x001C;
        break;
    case CodeForwardMask:
        can.ForwardMask = 0;
        break;
    case CodeFilterMask:
    case CodeFilterCode:
        can.FilterMask = 0xFFFFFFFF;
        can.FilterCode = 0;
        break;
    case CodeIdOffset:
        can.IdOffset = 0;
        break;
    case CodeErrorIdOrMaster:
        can.ErrorId = 0;
        break;
    default:
        break;
    }
}

void defaultLin(ParamCode code, LIN_Group &lin)
{
    switch (code) {
    case CodeActivation:
        lin.Active = 1;
        break;
    case CodeBitRate:
        lin.Baudrate = kDefaultLinRate;
        break;
    case CodeForwardMask:
        lin.ForwardMask = 0;
        break;
    case CodeFilterMask:
        lin.FilterMask = 255;
        break;
    case CodeFilterCode:
        lin.FilterCode = 0;
        break;
    case CodeErrorIdOrMaster:
        lin.MasterStatus = 0;
        break;
    case CodeBusTermination:
        lin.BusTermination = 1;
        break;
    case CodeSchedulerEntries:
        lin.SchedulerCount = 0;
        break;
    case CodeSlaveIdData: {
        LIN_FrameEntry &slave = lin.SlaveIdData;
        slave.ID = kMaxLinId;
        slave.Active = 0;
        slave.Length = std::uint8_t(FrameByteCount(lin, kMaxLinId));
        std::fill_n(slave.Data.begin(), slave.Length, std::uint8_t(0xFF));
        vxl::CopySlaveIdIntoFrames(lin);
        break;
    }
    case CodeFrameConfig:
        ApplyDefaultTables(lin, DefaultFrameConfig());
        break;
    case CodeSlaveActivationId:
        lin.SlaveActivationId = 0;
        break;
    default:
        break;
    }
}

} // namespace

void CopySlaveIdIntoFrames(LIN_Group &lin)
{
    // A module's own slave ID may lie beyond the 64 frames.
    const int id = lin.SlaveIdData.ID;
    if (id > kMaxLinId)
        return;
    lin.Frames[std::size_t(id)] = lin.SlaveIdData;
}

void CopyFramesIntoSlaveId(LIN_Group &lin)
{
    const int id = lin.SlaveIdData.ID;
    if (id > kMaxLinId)
        return;
    lin.SlaveIdData = lin.Frames[std::size_t(id)];
}

ProfileEditorModel::ProfileEditorModel()
    : m_profile(ModuleConfig::NewProfile())
    , m_captions(StartCaptions())
{}

void ProfileEditorModel::Load(const ModuleConfig &profile)
{
    m_profile = profile;
    m_loaded = true;
    RefreshProfileCaptions(m_captions, m_profile.RS232.Baudrate, &m_profile.CAN, &m_profile.LIN);
}

void ProfileEditorModel::Clear()
{
    m_profile = ModuleConfig::NewProfile();
    m_loaded = false;
    m_captions = ClearedCaptions();
}

bool ProfileEditorModel::Select(int node)
{
    const ProfileNode &info = ProfileNodeAt(node);
    m_group = info.group;
    m_code = info.code;
    return m_group != NoGroup;
}

QString ProfileEditorModel::ActionCaption() const
{
    if (m_group == Rs232Group)
        return QStringLiteral("Allow Bit rates:");
    if (m_group == CanGroup) {
        switch (m_code) {
        case CodeActivation:
            return QStringLiteral("Activation:");
        case CodeBitRate:
            return QStringLiteral("Bit rate:");
        case CodeForwardMask:
            return QStringLiteral("Forward Mask:");
        case CodeFilterMask:
        case CodeFilterCode:
            return QStringLiteral("SJA1000 Filter:");
        case CodeIdOffset:
            return QStringLiteral("CAN ID Offset:");
        case CodeErrorIdOrMaster:
            return QStringLiteral("CAN Error ID:");
        default:
            return QString();
        }
    }
    switch (m_code) {
    case CodeActivation:
        return QStringLiteral("Activation:");
    case CodeBitRate:
        return QStringLiteral("Bit rate:");
    case CodeForwardMask:
        return QStringLiteral("Forward Mask:");
    case CodeFilterMask:
        return QStringLiteral("Filter Mask:");
    case CodeFilterCode:
        return QStringLiteral("Filter Code:");
    case CodeErrorIdOrMaster:
        return QStringLiteral("Master Status:");
    case CodeBusTermination:
        return QStringLiteral("LIN Bus Termination:");
    case CodeSchedulerEntries:
        return QStringLiteral("Scheduler Entries:");
    case CodeSlaveIdData:
        return QStringLiteral("Slave ID + Data Configuration");
    case CodeFrameConfig:
        return QStringLiteral("Frame Configuration:");
    case CodeSlaveActivationId:
        return QStringLiteral("CAN ID for Slave Activation:");
    default:
        return QString();
    }
}

void ProfileEditorModel::Fill(EditorControls &controls) const
{
    switch (m_group) {
    case Rs232Group:
        controls.portModBaud = Rs232RateIndex(m_profile.RS232.Baudrate);
        break;
    case CanGroup:
        fillCan(m_code, m_profile.CAN, controls);
        break;
    case LinGroup:
        fillLin(m_code, m_profile.LIN, controls);
        break;
    default:
        break;
    }
}

SetAction ProfileEditorModel::Set(EditorControls &controls)
{
    switch (m_group) {
    case Rs232Group:
        m_profile.RS232.Baudrate = Rs232RateEntries().value(controls.portModBaud).toUInt();
        break;
    case CanGroup:
        if (m_code == CodeFilterMask || m_code == CodeFilterCode)
            return SetAction::FilterDialog;
        storeCan(controls);
        break;
    case LinGroup:
        if (m_code == CodeSchedulerEntries)
            return SetAction::SchedulerDialog;
        if (m_code == CodeSlaveIdData)
            return SetAction::SlaveDialog;
        if (m_code == CodeFrameConfig)
            return SetAction::FrameDialog;
        storeLin(controls);
        break;
    default:
        return SetAction::Nothing;
    }
    refresh(m_group);
    return SetAction::Stored;
}

void ProfileEditorModel::storeCan(EditorControls &c)
{
    CAN_Group &can = m_profile.CAN;
    switch (m_code) {
    case CodeActivation:
        can.Active = onOffValue(c.activationCan);
        break;
    case CodeBitRate:
        if (c.bitrateCan == kCanUserIndex) {
            c.userCan = PadHex(c.userCan, kUserCanDigits);
            can.Baudrate = std::uint16_t(HexValue(c.userCan));
        } else {
            can.Baudrate = TimingOfEntry(CanBitRateEntries().value(c.bitrateCan));
        }
        break;
    case CodeForwardMask:
        can.ForwardMask = maskAt(kCanForwardMasks, c.canMask)
                          | (c.canErrorMask ? kErrorsViaRs232 : 0);
        break;
    case CodeIdOffset:
        can.IdOffset = storeIdField(c.offset, c.can29);
        break;
    case CodeErrorIdOrMaster:
        can.ErrorId = storeIdField(c.canErrorId, c.can29);
        break;
    default:
        break;
    }
}

void ProfileEditorModel::storeLin(EditorControls &c)
{
    LIN_Group &lin = m_profile.LIN;
    switch (m_code) {
    case CodeActivation:
        lin.Active = onOffValue(c.activationLin);
        break;
    case CodeBitRate:
        if (c.bitrateLin == kLinUserRateIndex) {
            c.userLin = LeftUserLinRate(c.userLin);
            lin.Baudrate = std::uint16_t(c.userLin.toUInt());
        } else {
            lin.Baudrate = std::uint16_t(LinBitRateEntries().value(c.bitrateLin).toUInt());
        }
        break;
    case CodeForwardMask:
        lin.ForwardMask = maskAt(kLinForwardMasks, c.linMask)
                          | (c.linErrorMask ? kErrorsViaRs232 : 0)
                          | (c.linCanErrorMask ? kErrorsViaCan : 0);
        break;
    case CodeFilterMask:
        c.linFilterMask = PadHex(c.linFilterMask, kLinFilterDigits);
        lin.FilterMask = std::uint16_t(HexValue(c.linFilterMask) & 0xFF);
        break;
    case CodeFilterCode:
        c.linFilterCode = PadHex(c.linFilterCode, kLinFilterDigits);
        lin.FilterCode = std::uint16_t(HexValue(c.linFilterCode) & 0xFF);
        break;
    case CodeErrorIdOrMaster:
        lin.MasterStatus = onOffValue(c.masterStatus);
        break;
    case CodeBusTermination:
        lin.BusTermination = onOffValue(c.linTermination);
        break;
    case CodeSlaveActivationId:
        lin.SlaveActivationId = storeIdField(c.slaveActivationId, c.lin29)
                                | (c.slaveActivationActive ? kActiveIdFlag : 0);
        break;
    default:
        break;
    }
}

EditGroup ProfileEditorModel::Default()
{
    if (m_group == Rs232Group)
        m_profile.RS232.Baudrate = 38400;
    else if (m_group == CanGroup)
        defaultCan(m_code, m_profile.CAN);
    else if (m_group == LinGroup)
        defaultLin(m_code, m_profile.LIN);
    refresh(m_group);
    return m_group;
}

void ProfileEditorModel::SetCanFilter(std::uint32_t code, std::uint32_t mask)
{
    m_profile.CAN.FilterCode = code;
    m_profile.CAN.FilterMask = mask;
    refresh(CanGroup);
}

void ProfileEditorModel::SetSchedulerEntries(const std::vector<LIN_SchedulerEntry> &entries)
{
    LIN_Group &lin = m_profile.LIN;
    const std::size_t count = std::min(entries.size(), lin.SchedulerEntries.size());
    std::copy_n(entries.cbegin(), count, lin.SchedulerEntries.begin());
    lin.SchedulerCount = std::uint16_t(count);
    refresh(LinGroup);
}

std::vector<LIN_SchedulerEntry> ProfileEditorModel::SchedulerEntries() const
{
    const LIN_Group &lin = m_profile.LIN;
    const std::size_t count = std::min<std::size_t>(lin.SchedulerCount, lin.SchedulerEntries.size());
    return {lin.SchedulerEntries.cbegin(), lin.SchedulerEntries.cbegin() + std::ptrdiff_t(count)};
}

void ProfileEditorModel::SetSlaveIdData(const QString &idText, bool enabled, const QString &dataText)
{
    LIN_Group &lin = m_profile.LIN;
    LIN_FrameEntry &slave = lin.SlaveIdData;
    slave.ID = std::uint8_t(HexValue(idText) & 0xFF);
    slave.Active = enabled ? 1 : 0;
    // The frame's byte count: a length entry may hold up to 15, the entry has eight bytes.
    slave.Length = std::uint8_t(FrameByteCount(lin, slave.ID));
    for (int j = 0; j < slave.Length; ++j)
        slave.Data[std::size_t(j)] = std::uint8_t(HexValue(dataText.mid(2 * j, 2)));
    refresh(LinGroup);
}

void ProfileEditorModel::CopySlaveIdIntoFrames()
{
    vxl::CopySlaveIdIntoFrames(m_profile.LIN);
}

void ProfileEditorModel::SetFrameConfig(const LIN_Group &lin)
{
    m_profile.LIN = lin;
    CopyFramesIntoSlaveId(m_profile.LIN);
    refresh(LinGroup);
}

void ProfileEditorModel::refresh(EditGroup group)
{
    if (group == Rs232Group)
        RefreshProfileCaptions(m_captions, m_profile.RS232.Baudrate, nullptr, nullptr);
    else if (group == CanGroup)
        RefreshProfileCaptions(m_captions, std::nullopt, &m_profile.CAN, nullptr);
    else if (group == LinGroup)
        RefreshProfileCaptions(m_captions, std::nullopt, nullptr, &m_profile.LIN);
}

} // namespace vxl
