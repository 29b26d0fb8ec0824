#include "core/editing/profile_editor_model.h"

#include "core/editing/node_defaults.h"
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

// What the activation, bit rate and forward mask of a bus group show in the panel: the controls
// they fill, how the group's values read there and how the controls' contents are stored.
struct BusPanel
{
    int EditorControls::*activation;
    int EditorControls::*bitrate;
    QString EditorControls::*user;
    int EditorControls::*forward;
    bool EditorControls::*errorsViaRs232;
    int userIndex;                      // the bit-rate entry "User"
    int (*rateIndex)(std::uint32_t);    // the bit-rate entry of a rate
    QString (*userText)(std::uint32_t); // the "User" field of a rate
    std::uint32_t firstTarget;          // forward-mask bits of the selector's two targets
    std::uint32_t secondTarget;
    const std::array<std::uint8_t, 4> *forwardMasks; // the forward mask of each selector entry
    std::uint16_t (*userRate)(QString &user);        // normalises the "User" field, its rate
    std::uint16_t (*entryRate)(int index);           // the rate of a bit-rate entry
};

constexpr BusPanel kCanPanel{
    .activation = &EditorControls::activationCan,
    .bitrate = &EditorControls::bitrateCan,
    .user = &EditorControls::userCan,
    .forward = &EditorControls::canMask,
    .errorsViaRs232 = &EditorControls::canErrorMask,
    .userIndex = kCanUserIndex,
    .rateIndex = [](std::uint32_t timing) { return CanTimingIndex(std::uint16_t(timing)); },
    .userText = [](std::uint32_t timing) { return HexText(timing, kUserCanDigits); },
    .firstTarget = 0x02,
    .secondTarget = 0x04,
    .forwardMasks = &kCanForwardMasks,
    .userRate =
        [](QString &user) {
            user = PadHex(user, kUserCanDigits);
            return std::uint16_t(HexValue(user));
        },
    .entryRate = [](int index) { return TimingOfEntry(CanBitRateEntries().value(index)); },
};
constexpr BusPanel kLinPanel{
    .activation = &EditorControls::activationLin,
    .bitrate = &EditorControls::bitrateLin,
    .user = &EditorControls::userLin,
    .forward = &EditorControls::linMask,
    .errorsViaRs232 = &EditorControls::linErrorMask,
    .userIndex = kLinUserRateIndex,
    .rateIndex = LinRateIndex,
    .userText = [](std::uint32_t rate) { return QString::number(rate); },
    .firstTarget = 0x01,
    .secondTarget = 0x04,
    .forwardMasks = &kLinForwardMasks,
    .userRate =
        [](QString &user) {
            user = LeftUserLinRate(user);
            return std::uint16_t(user.toUInt());
        },
    .entryRate = [](int index) { return std::uint16_t(LinBitRateEntries().value(index).toUInt()); },
};

// Fills the controls of a node both bus groups have; false for a node of one group only.
template<typename Group>
bool fillBus(ParamCode code, const Group &group, const BusPanel &panel, EditorControls &c)
{
    switch (code) {
    case CodeActivation:
        c.*panel.activation = onOffIndex(group.Active);
        return true;
    case CodeBitRate:
        c.*panel.bitrate = panel.rateIndex(group.Baudrate);
        if (c.*panel.bitrate == panel.userIndex)
            c.*panel.user = panel.userText(group.Baudrate);
        return true;
    case CodeForwardMask:
        c.*panel.forward = forwardIndex(group.ForwardMask, panel.firstTarget, panel.secondTarget);
        c.*panel.errorsViaRs232 = (group.ForwardMask & kErrorsViaRs232) != 0;
        return true;
    default:
        return false;
    }
}

// Stores the controls of a node both bus groups have; false for a node of one group only.
template<typename Group>
bool storeBus(ParamCode code, Group &group, const BusPanel &panel, EditorControls &c)
{
    switch (code) {
    case CodeActivation:
        group.Active = onOffValue(c.*panel.activation);
        return true;
    case CodeBitRate:
        group.Baudrate = c.*panel.bitrate == panel.userIndex ? panel.userRate(c.*panel.user)
                                                             : panel.entryRate(c.*panel.bitrate);
        return true;
    case CodeForwardMask:
        group.ForwardMask = maskAt(*panel.forwardMasks, c.*panel.forward)
                            | (c.*panel.errorsViaRs232 ? kErrorsViaRs232 : 0);
        return true;
    default:
        return false;
    }
}

// The nodes of the LIN group alone: how each fills its controls and stores them.
struct LinField
{
    ParamCode code;
    void (*fill)(const LIN_Group &lin, EditorControls &c);
    void (*store)(LIN_Group &lin, EditorControls &c);
};

// A LIN filter byte, shown as two hexadecimal digits.
template<QString EditorControls::*Text, std::uint16_t LIN_Group::*Value>
constexpr LinField filterByteField(ParamCode code)
{
    return {code,
            [](const LIN_Group &lin, EditorControls &c) {
                c.*Text = HexText(lin.*Value & 0xFF, kLinFilterDigits);
            },
            [](LIN_Group &lin, EditorControls &c) {
                c.*Text = PadHex(c.*Text, kLinFilterDigits);
                lin.*Value = std::uint16_t(HexValue(c.*Text) & 0xFF);
            }};
}

// A LIN switch, shown in an "on"/"off" selector.
template<int EditorControls::*Index, std::uint16_t LIN_Group::*Value>
constexpr LinField onOffField(ParamCode code)
{
    return {code,
            [](const LIN_Group &lin, EditorControls &c) { c.*Index = onOffIndex(lin.*Value); },
            [](LIN_Group &lin, EditorControls &c) { lin.*Value = onOffValue(c.*Index); }};
}

constexpr std::array kLinFields = {
    filterByteField<&EditorControls::linFilterMask, &LIN_Group::FilterMask>(CodeFilterMask),
    filterByteField<&EditorControls::linFilterCode, &LIN_Group::FilterCode>(CodeFilterCode),
    onOffField<&EditorControls::masterStatus, &LIN_Group::MasterStatus>(CodeErrorIdOrMaster),
    onOffField<&EditorControls::linTermination, &LIN_Group::BusTermination>(CodeBusTermination),
    LinField{CodeSlaveActivationId,
             [](const LIN_Group &lin, EditorControls &c) {
                 c.lin29 = (lin.SlaveActivationId & kExtendedIdFlag) != 0;
                 c.slaveActivationActive = (lin.SlaveActivationId & kActiveIdFlag) != 0;
                 c.slaveActivationId = idFieldText(lin.SlaveActivationId, c.lin29);
             },
             [](LIN_Group &lin, EditorControls &c) {
                 lin.SlaveActivationId = storeIdField(c.slaveActivationId, c.lin29)
                                         | (c.slaveActivationActive ? kActiveIdFlag : 0);
             }},
};

// The LIN node of that code; nullptr for one both groups have or one without controls.
const LinField *linField(ParamCode code)
{
    const auto *field = std::find_if(kLinFields.cbegin(),
                                     kLinFields.cend(),
                                     [code](const LinField &entry) { return entry.code == code; });
    return field == kLinFields.cend() ? nullptr : field;
}

void fillCan(ParamCode code, const CAN_Group &can, EditorControls &c)
{
    if (fillBus(code, can, kCanPanel, c))
        return;
    if (code != CodeIdOffset && code != CodeErrorIdOrMaster)
        return;
    const std::uint32_t value = code == CodeIdOffset ? can.IdOffset : can.ErrorId;
    c.can29 = (value & kExtendedIdFlag) != 0;
    // The radio buttons are shared: both fields take the length.
    c.offset = FitIdField(c.offset, IdFieldLength(c.can29));
    c.canErrorId = FitIdField(c.canErrorId, IdFieldLength(c.can29));
    (code == CodeIdOffset ? c.offset : c.canErrorId) = idFieldText(value, c.can29);
}

void fillLin(ParamCode code, const LIN_Group &lin, EditorControls &c)
{
    if (fillBus(code, lin, kLinPanel, c)) {
        if (code == CodeForwardMask)
            c.linCanErrorMask = (lin.ForwardMask & kErrorsViaCan) != 0;
        return;
    }
    if (const LinField *field = linField(code))
        field->fill(lin, c);
}

// The caption over the controls of each node of the bus groups.
struct ActionCaptionOf
{
    EditGroup group;
    ParamCode code;
    const char *caption;
};

constexpr std::array kActionCaptions = {
    ActionCaptionOf{CanGroup, CodeActivation, "Activation:"},
    ActionCaptionOf{CanGroup, CodeBitRate, "Bit rate:"},
    ActionCaptionOf{CanGroup, CodeForwardMask, "Forward Mask:"},
    ActionCaptionOf{CanGroup, CodeFilterMask, "SJA1000 Filter:"},
    ActionCaptionOf{CanGroup, CodeFilterCode, "SJA1000 Filter:"},
    ActionCaptionOf{CanGroup, CodeIdOffset, "CAN ID Offset:"},
    ActionCaptionOf{CanGroup, CodeErrorIdOrMaster, "CAN Error ID:"},
    ActionCaptionOf{LinGroup, CodeActivation, "Activation:"},
    ActionCaptionOf{LinGroup, CodeBitRate, "Bit rate:"},
    ActionCaptionOf{LinGroup, CodeForwardMask, "Forward Mask:"},
    ActionCaptionOf{LinGroup, CodeFilterMask, "Filter Mask:"},
    ActionCaptionOf{LinGroup, CodeFilterCode, "Filter Code:"},
    ActionCaptionOf{LinGroup, CodeErrorIdOrMaster, "Master Status:"},
    ActionCaptionOf{LinGroup, CodeBusTermination, "LIN Bus Termination:"},
    ActionCaptionOf{LinGroup, CodeSchedulerEntries, "Scheduler Entries:"},
    ActionCaptionOf{LinGroup, CodeSlaveIdData, "Slave ID + Data Configuration"},
    ActionCaptionOf{LinGroup, CodeFrameConfig, "Frame Configuration:"},
    ActionCaptionOf{LinGroup, CodeSlaveActivationId, "CAN ID for Slave Activation:"},
};

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
    const auto *node = std::find_if(kActionCaptions.cbegin(),
                                    kActionCaptions.cend(),
                                    [this](const ActionCaptionOf &entry) {
                                        return entry.group == m_group && entry.code == m_code;
                                    });
    return node == kActionCaptions.cend() ? QString() : QString::fromLatin1(node->caption);
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
    if (storeBus(m_code, can, kCanPanel, c))
        return;
    if (m_code == CodeIdOffset)
        can.IdOffset = storeIdField(c.offset, c.can29);
    else if (m_code == CodeErrorIdOrMaster)
        can.ErrorId = storeIdField(c.canErrorId, c.can29);
}

void ProfileEditorModel::storeLin(EditorControls &c)
{
    LIN_Group &lin = m_profile.LIN;
    if (storeBus(m_code, lin, kLinPanel, c)) {
        if (m_code == CodeForwardMask && c.linCanErrorMask)
            lin.ForwardMask |= kErrorsViaCan;
        return;
    }
    if (const LinField *field = linField(m_code))
        field->store(lin, c);
}

EditGroup ProfileEditorModel::Default()
{
    StoreNodeDefault(m_profile, m_group, m_code);
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
