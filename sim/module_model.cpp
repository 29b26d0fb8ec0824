#include "sim/module_model.h"

#include "core/link/command_builders.h"
#include "core/link/command_catalogue.h"

#include <algorithm>
#include <array>

namespace vxl::sim {

namespace {

// Module return codes.
constexpr std::uint8_t kOk = 0;
constexpr std::uint8_t kBadChecksum = 1;
constexpr std::uint8_t kOverrun = 2;
constexpr std::uint8_t kBadForwardMask = 3;
constexpr std::uint8_t kNotForGroup = 4;
constexpr std::uint8_t kOutOfRange = 5;
constexpr std::uint8_t kSchedulerEmpty = 6;
constexpr std::uint8_t kBadParameters = 7;
constexpr std::uint8_t kNotSupported = 9;
constexpr std::uint8_t kSchedulerRunning = 11;
constexpr std::uint8_t kBadTimestamp = 12;

constexpr std::array<std::uint32_t, 6> kRs232Rates{4800, 9600, 19200, 38400, 57600, 115200};

void put16(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::uint32_t get16(const LIN_Msg &msg, int at)
{
    return msg.data[std::size_t(at)] | (std::uint32_t(msg.data[std::size_t(at + 1)]) << 8);
}

std::uint32_t get32(const LIN_Msg &msg, int at)
{
    return get16(msg, at) | (get16(msg, at + 2) << 16);
}

bool onlyBits(std::uint32_t value, std::uint32_t allowed)
{
    return (value & ~allowed) == 0;
}

} // namespace

ModuleModel::ModuleModel(Identity identity, std::uint32_t rate, StartupStyle style)
    : m_identity(std::move(identity))
    , m_firmware(FirmwareNumber(m_identity.firmware))
    , m_buildMode(BuildModeFromHardware(m_identity.hardware))
    , m_style(style)
{
    applyDefaults();
    m_config.RS232.Baudrate = rate;
    m_flash = m_config;
}

void ModuleModel::applyDefaults()
{
    m_config = ModuleConfig::NewProfile();
    // The module has no single slave entry of its own beyond frame 63's.
    m_config.LIN.SlaveIdData = m_config.LIN.Frames[kMaxLinId];
}

QByteArray ModuleModel::StartupText() const
{
    if (m_style == StartupStyle::CarriageReturn) {
        return QByteArrayLiteral("PVXL-LIN2 HW ") + m_identity.hardware.trimmed().toLatin1()
               + QByteArrayLiteral(" FW ") + m_identity.firmware.toLatin1()
               + QByteArrayLiteral(" ready\r");
    }
    QByteArray text = QByteArrayLiteral("PVXL-LIN-") + m_identity.firmware.toLatin1()
                      + QByteArrayLiteral(" ") + m_identity.hardware.trimmed().toLatin1();
    text = text.leftJustified(66, '.', true);
    return text;
}

void ModuleModel::SetIdentity(Identity identity)
{
    m_identity = std::move(identity);
    m_firmware = FirmwareNumber(m_identity.firmware);
    m_buildMode = BuildModeFromHardware(m_identity.hardware);
}

void ModuleModel::PowerUp()
{
    m_config = m_flash;
    m_pendingRs232Rate = 0;
    m_programming = false;
}

void ModuleModel::ForceReturnCodeOnce(int group, int command, int nth, std::uint8_t code)
{
    m_forcedOnce[{group, command}] = {nth, code};
}

void ModuleModel::ForceReturnCode(int group, int command, std::uint8_t code)
{
    m_forced[{group, command}] = code;
}

void ModuleModel::ClearForcedCodes()
{
    m_forced.clear();
    m_forcedOnce.clear();
}

void ModuleModel::CountLinFrame()
{
    auto &counters = m_config.LIN.ErrorCounters;
    counters[1] = static_cast<std::uint16_t>(counters[1] + 1);
}

void ModuleModel::CountCanFrame()
{
    auto &counters = m_config.CAN.ErrorCounters;
    counters[0] = static_cast<std::uint16_t>(counters[0] + 1);
}

std::vector<Output> ModuleModel::replyBytes(const LIN_Msg &request,
                                            const std::vector<std::uint8_t> &bytes,
                                            std::uint32_t rate)
{
    Output out;
    out.kind = Output::Kind::Frame;
    out.rate = rate ? rate : LineRate();
    const int count = std::min<int>(int(bytes.size()), kMaxDataBytes);
    out.frame.start = kStartByte;
    out.frame.header = MakeHeader(HeaderField(request.header, 1), count);
    out.frame.count = count;
    std::uint8_t sum = out.frame.header;
    for (int i = 0; i < count; ++i) {
        out.frame.data[std::size_t(i)] = bytes[std::size_t(i)];
        sum ^= bytes[std::size_t(i)];
    }
    out.frame.checksum = sum;
    return {out};
}

std::vector<Output> ModuleModel::reply(const LIN_Msg &request,
                                       std::initializer_list<std::uint8_t> bytes)
{
    return replyBytes(request, std::vector<std::uint8_t>(bytes));
}

std::vector<Output> ModuleModel::Handle(const LIN_Msg &request, bool checksumOk)
{
    if (m_programming)
        return {};
    if (!checksumOk)
        return reply(request, {kBadChecksum});
    const int group = request.code >> 6;
    const int command = request.code & 0x3F;
    const int length = HeaderField(request.header, 2);
    if (const auto forced = m_forced.find({group, command}); forced != m_forced.end())
        return reply(request, {forced->second});
    if (auto once = m_forcedOnce.find({group, command}); once != m_forcedOnce.end()) {
        if (--once->second.first == 0) {
            const std::uint8_t code = once->second.second;
            m_forcedOnce.erase(once);
            return reply(request, {code});
        }
    }
    switch (group) {
    case 0:
        return handleRs232(request, command, length);
    case 1:
        return handleCan(request, command, length);
    case 2:
        return handleLin(request, command, length);
    default:
        return handleModule(request, command, length);
    }
}

std::vector<Output> ModuleModel::handleRs232(const LIN_Msg &request, int command, int length)
{
    RS232_Group &rs = m_config.RS232;
    std::vector<std::uint8_t> out;
    switch (command) {
    case 0: {
        // Initialising takes a changed bit rate into use: the answer already goes out at it.
        const std::uint32_t rate = m_pendingRs232Rate ? m_pendingRs232Rate : rs.Baudrate;
        m_pendingRs232Rate = 0;
        rs.Baudrate = rate;
        return replyBytes(request, {kOk}, rate);
    }
    case 11:
        put16(out, Rs232RateToWire(rs.Baudrate));
        return replyBytes(request, out);
    case 22:
        put16(out, rs.ErrorCounters[0]);
        return replyBytes(request, out);
    case 23:
        put16(out, rs.ErrorCounters[1]);
        return replyBytes(request, out);
    case 24:
        for (std::uint16_t counter : rs.ErrorCounters)
            put16(out, counter);
        return replyBytes(request, out);
    case 31: {
        if (length != 2)
            return reply(request, {kBadParameters});
        const std::uint32_t rate = Rs232RateFromWire(static_cast<std::uint16_t>(get16(request, 0)));
        if (std::find(kRs232Rates.begin(), kRs232Rates.end(), rate) == kRs232Rates.end())
            return reply(request, {kOutOfRange});
        m_pendingRs232Rate = rate;
        return reply(request, {kOk});
    }
    case 52:
        rs.ErrorCounters[0] = 0;
        return reply(request, {kOk});
    case 53:
        rs.ErrorCounters[1] = 0;
        return reply(request, {kOk});
    case 55:
        rs.ErrorCounters[2] = 0;
        return reply(request, {kOk});
    default:
        return reply(request, {kNotForGroup});
    }
}

std::vector<Output> ModuleModel::handleCan(const LIN_Msg &request, int command, int length)
{
    CAN_Group &can = m_config.CAN;
    std::vector<std::uint8_t> out;
    const auto needs = [&](int count) { return length == count; };
    switch (command) {
    case 0:
        return reply(request, {kOk});
    case 1: {
        if (length < 1)
            return reply(request, {kBadParameters});
        const int kind = request.data[0] >> 4;
        const int dlc = request.data[0] & 0x0F;
        const bool extended = kind == 0x8 || kind == 0xC;
        const bool remote = kind == 0x4 || kind == 0xC;
        if ((kind != 0 && kind != 4 && kind != 8 && kind != 0xC) || dlc > 8)
            return reply(request, {kOutOfRange});
        if (length != 1 + (extended ? 4 : 2) + (remote ? 0 : dlc))
            return reply(request, {kBadParameters});
        CountCanFrame();
        return reply(request, {kOk});
    }
    case 10:
        return reply(request, {static_cast<std::uint8_t>(can.Active)});
    case 11:
        put16(out, can.Baudrate);
        return replyBytes(request, out);
    case 12:
        return reply(request, {static_cast<std::uint8_t>(can.ForwardMask & 0xFF)});
    case 13:
        put32(out, can.FilterMask);
        return replyBytes(request, out);
    case 14:
        put32(out, can.FilterCode);
        return replyBytes(request, out);
    case 15:
        put32(out, can.IdOffset);
        return replyBytes(request, out);
    case 16:
        if (!HasErrorId(m_firmware))
            return reply(request, {kNotSupported});
        put32(out, can.ErrorId);
        return replyBytes(request, out);
    case 22:
        put16(out, can.ErrorCounters[0]);
        return replyBytes(request, out);
    case 23:
        put16(out, can.ErrorCounters[1]);
        return replyBytes(request, out);
    case 24:
        for (std::uint16_t counter : can.ErrorCounters)
            put16(out, counter);
        return replyBytes(request, out);
    case 30:
        if (!needs(1))
            return reply(request, {kBadParameters});
        if (request.data[0] > 1)
            return reply(request, {kOutOfRange});
        can.Active = request.data[0];
        return reply(request, {kOk});
    case 31:
        if (!needs(2))
            return reply(request, {kBadParameters});
        can.Baudrate = static_cast<std::uint16_t>(get16(request, 0));
        return reply(request, {kOk});
    case 32:
        if (!needs(1))
            return reply(request, {kBadParameters});
        if (!onlyBits(request.data[0], 0x80 | 0x40 | 0x04 | 0x02))
            return reply(request, {kBadForwardMask});
        can.ForwardMask = request.data[0];
        return reply(request, {kOk});
    case 33:
    case 34:
    case 35:
    case 36: {
        if (!needs(4))
            return reply(request, {kBadParameters});
        if (command == 36 && !HasErrorId(m_firmware))
            return reply(request, {kNotSupported});
        const std::uint32_t value = get32(request, 0);
        (command == 33   ? can.FilterMask
         : command == 34 ? can.FilterCode
         : command == 35 ? can.IdOffset
                         : can.ErrorId)
            = value;
        return reply(request, {kOk});
    }
    default:
        return reply(request, {kNotForGroup});
    }
}

std::vector<Output> ModuleModel::handleLin(const LIN_Msg &request, int command, int length)
{
    if (command < 30 && command != 0 && command != 1)
        return handleLinRead(request, command, length);
    return handleLinSet(request, command, length);
}

std::vector<std::uint8_t> ModuleModel::slaveEntryBytes(const LIN_FrameEntry &entry) const
{
    std::vector<std::uint8_t> out{entry.Active, entry.ID};
    const int count = UsesDefaultSlaveDataLength(m_firmware)
                          ? DefaultFrameLength(entry.ID)
                          : FrameByteCount(m_config.LIN, entry.ID);
    for (int i = 0; i < count; ++i)
        out.push_back(entry.Data[std::size_t(i)]);
    return out;
}

std::vector<Output> ModuleModel::handleLinRead(const LIN_Msg &request, int command, int length)
{
    LIN_Group &lin = m_config.LIN;
    std::vector<std::uint8_t> out;
    switch (command) {
    case 10:
        return reply(request, {static_cast<std::uint8_t>(lin.Active)});
    case 11:
        put16(out, lin.Baudrate);
        return replyBytes(request, out);
    case 12:
        return reply(request, {lin.ForwardMask});
    case 13:
        return reply(request, {static_cast<std::uint8_t>(lin.FilterMask & 0xFF)});
    case 14:
        return reply(request, {static_cast<std::uint8_t>(lin.FilterCode & 0xFF)});
    case 15:
        if (length != 2 || request.data[0] > 1
            || (request.data[0] == 1 && request.data[1] > kMaxLinId))
            return reply(request, {kBadParameters});
        if (request.data[0] == 1)
            return reply(request,
                         {static_cast<std::uint8_t>(TestBit(lin.SlaveMask, request.data[1]))});
        return replyBytes(request, {lin.SlaveMask.begin(), lin.SlaveMask.end()});
    case 16:
        return reply(request, {static_cast<std::uint8_t>(lin.MasterStatus)});
    case 17:
        return reply(request, {static_cast<std::uint8_t>(lin.BusTermination)});
    case 18:
        for (std::uint16_t t : lin.MessageTimeouts)
            put16(out, t);
        return replyBytes(request, out);
    case 19:
        return reply(request, {static_cast<std::uint8_t>(lin.Retries)});
    case 20:
        if (lin.SchedulerCount == 0)
            return reply(request, {kSchedulerEmpty});
        put16(out, lin.SchedulerCount);
        return replyBytes(request, out);
    case 21: {
        if (length != 1)
            return reply(request, {kBadParameters});
        const int number = request.data[0];
        if (number < 1 || number > lin.SchedulerCount)
            return reply(request, {kOutOfRange});
        const LIN_SchedulerEntry &entry = lin.SchedulerEntries[std::size_t(number - 1)];
        return reply(request,
                     {static_cast<std::uint8_t>(entry.Time & 0xFF),
                      static_cast<std::uint8_t>(entry.Time >> 8),
                      entry.ID});
    }
    case 22:
        put16(out, lin.ErrorCounters[0]);
        return replyBytes(request, out);
    case 23:
        put16(out, lin.ErrorCounters[1]);
        return replyBytes(request, out);
    case 24:
        for (std::uint16_t counter : lin.ErrorCounters)
            put16(out, counter);
        return replyBytes(request, out);
    case 25:
        if (length == 0)
            return replyBytes(request, slaveEntryBytes(lin.SlaveIdData));
        if (!HasPerIdSlaveData(m_firmware))
            return reply(request, {kNotSupported});
        if (length != 1 || request.data[0] > kMaxLinId)
            return reply(request, {kOutOfRange});
        return replyBytes(request, slaveEntryBytes(lin.Frames[request.data[0]]));
    case 26:
        return reply(request, {lin.BitRecognitionStatus});
    case 27: {
        if (!HasFrameTables(m_firmware))
            return reply(request, {kNotSupported});
        if (length != 2 || request.data[0] > 4 || request.data[1] > kMaxLinId)
            return reply(request, {kOutOfRange});
        const int range = request.data[0];
        if (range == 4)
            return reply(request,
                         {static_cast<std::uint8_t>(GetNibble(lin.FrameLengths, request.data[1]))});
        return replyBytes(request,
                          {lin.FrameLengths.begin() + 8 * range,
                           lin.FrameLengths.begin() + 8 * range + 8});
    }
    case 28:
        if (!HasFrameTables(m_firmware))
            return reply(request, {kNotSupported});
        if (length != 2 || request.data[0] > 1 || request.data[1] > kMaxLinId)
            return reply(request, {kOutOfRange});
        if (request.data[0] == 1)
            return reply(request,
                         {static_cast<std::uint8_t>(TestBit(lin.FrameFormats, request.data[1]))});
        return replyBytes(request, {lin.FrameFormats.begin(), lin.FrameFormats.end()});
    case 29:
        if (!HasSlaveActivation(m_firmware, m_buildMode))
            return reply(request, {kNotSupported});
        put32(out, lin.SlaveActivationId);
        return replyBytes(request, out);
    default:
        return reply(request, {kNotSupported});
    }
}

std::vector<Output> ModuleModel::handleLinSet(const LIN_Msg &request, int command, int length)
{
    LIN_Group &lin = m_config.LIN;
    const auto oneOf01 = [&](auto &field) -> std::vector<Output> {
        if (length != 1)
            return reply(request, {kBadParameters});
        if (request.data[0] > 1)
            return reply(request, {kOutOfRange});
        field = request.data[0];
        return reply(request, {kOk});
    };
    switch (command) {
    case 0:
        return reply(request, {kOk});
    case 1: {
        if (length < 1)
            return reply(request, {kBadParameters});
        const int id = request.data[0];
        if (id >= 0x40 && id < 0x80)
            return reply(request, {kOutOfRange});
        if (id < 0x40 && length != 1 + DefaultFrameLength(id))
            return reply(request, {kBadParameters});
        if (id >= 0x80 && (length != 1 || (id & 0x7F) > kMaxLinId))
            return reply(request, {kBadParameters});
        CountLinFrame();
        return reply(request, {kOk});
    }
    case 30:
        return oneOf01(lin.Active);
    case 31: {
        if (length != 2)
            return reply(request, {kBadParameters});
        const std::uint32_t rate = get16(request, 0);
        if (rate < 1000 || rate > 20000)
            return reply(request, {kOutOfRange});
        lin.Baudrate = static_cast<std::uint16_t>(rate);
        return reply(request, {kOk});
    }
    case 32:
        if (length != 1)
            return reply(request, {kBadParameters});
        if (!onlyBits(request.data[0], 0x80 | 0x40 | 0x04 | 0x01))
            return reply(request, {kBadForwardMask});
        lin.ForwardMask = request.data[0];
        return reply(request, {kOk});
    case 33:
    case 34:
        if (length != 1)
            return reply(request, {kBadParameters});
        (command == 33 ? lin.FilterMask : lin.FilterCode) = request.data[0];
        return reply(request, {kOk});
    case 36:
        if (length == 1 && request.data[0] == 1 && lin.SchedulerCount == 0)
            return reply(request, {kSchedulerEmpty});
        return oneOf01(lin.MasterStatus);
    case 37:
        return oneOf01(lin.BusTermination);
    case 38:
        if (length != 8)
            return reply(request, {kBadParameters});
        for (int i = 0; i < 4; ++i)
            lin.MessageTimeouts[std::size_t(i)] = static_cast<std::uint16_t>(get16(request, 2 * i));
        return reply(request, {kOk});
    case 39:
        if (length != 1)
            return reply(request, {kBadParameters});
        lin.Retries = request.data[0];
        return reply(request, {kOk});
    case 40: {
        if (length != 3)
            return reply(request, {kBadParameters});
        if (MasterRunning())
            return reply(request, {kSchedulerRunning});
        const auto time = static_cast<std::uint16_t>(get16(request, 0));
        if (time == 0)
            return reply(request, {kBadTimestamp});
        if (request.data[2] > kMaxLinId)
            return reply(request, {kOutOfRange});
        if (lin.SchedulerCount >= kMaxSchedulerEntries)
            return reply(request, {kOverrun});
        lin.SchedulerEntries[lin.SchedulerCount++] = {time, request.data[2]};
        return reply(request, {kOk});
    }
    case 41: {
        if (length < 2 || length > 10)
            return reply(request, {kBadParameters});
        const int id = request.data[1];
        if (request.data[0] > 1 || id > kMaxLinId)
            return reply(request, {kOutOfRange});
        LIN_FrameEntry entry = HasPerIdSlaveData(m_firmware) ? lin.Frames[std::size_t(id)]
                                                             : lin.SlaveIdData;
        entry.Active = request.data[0];
        entry.ID = static_cast<std::uint8_t>(id);
        for (int i = 2; i < length; ++i)
            entry.Data[std::size_t(i - 2)] = request.data[std::size_t(i)];
        if (HasPerIdSlaveData(m_firmware)) {
            entry.Length = static_cast<std::uint8_t>(FrameByteCount(lin, id));
            lin.Frames[std::size_t(id)] = entry;
        } else {
            entry.Length = static_cast<std::uint8_t>(length - 2);
            lin.SlaveIdData = entry;
        }
        SetBit(lin.SlaveMask, id, entry.Active != 0);
        return reply(request, {kOk});
    }
    case 42:
        return oneOf01(lin.BitRecognitionStatus);
    case 43: {
        if (!HasFrameTables(m_firmware))
            return reply(request, {kNotSupported});
        if (length < 1 || request.data[0] > 4)
            return reply(request, {kOutOfRange});
        const int range = request.data[0];
        if (range == 4) {
            if (length != 3)
                return reply(request, {kBadParameters});
            if (request.data[1] > kMaxLinId || request.data[2] < 1 || request.data[2] > 8)
                return reply(request, {kOutOfRange});
            SetNibble(lin.FrameLengths, request.data[1], request.data[2]);
            return reply(request, {kOk});
        }
        if (length != 9)
            return reply(request, {kBadParameters});
        for (int i = 0; i < 8; ++i) {
            const std::uint8_t byte = request.data[std::size_t(1 + i)];
            if ((byte & 0x0F) > 8 || (byte >> 4) > 8)
                return reply(request, {kOutOfRange});
        }
        std::copy_n(request.data.begin() + 1, 8, lin.FrameLengths.begin() + 8 * range);
        return reply(request, {kOk});
    }
    case 44:
    case 46: {
        const bool formats = command == 44;
        if (formats ? !HasFrameTables(m_firmware) : !HasSlaveActivation(m_firmware, m_buildMode))
            return reply(request, {kNotSupported});
        auto &set = formats ? lin.FrameFormats : lin.SlaveMask;
        if (length == 9 && request.data[0] == 0) {
            std::copy_n(request.data.begin() + 1, 8, set.begin());
        } else if (length == 3 && request.data[0] == 1) {
            if (request.data[1] > kMaxLinId || request.data[2] > 1)
                return reply(request, {kOutOfRange});
            SetBit(set, request.data[1], request.data[2] != 0);
        } else {
            return reply(request, {kBadParameters});
        }
        if (!formats) {
            for (int id = 0; id < kFrameCount; ++id)
                lin.Frames[std::size_t(id)].Active = static_cast<std::uint8_t>(TestBit(set, id));
        }
        return reply(request, {kOk});
    }
    case 45:
        if (!HasSlaveActivation(m_firmware, m_buildMode))
            return reply(request, {kNotSupported});
        if (length != 4)
            return reply(request, {kBadParameters});
        lin.SlaveActivationId = get32(request, 0);
        return reply(request, {kOk});
    case 50:
        lin.MessageTimeouts = {1000, 30, 20, 15};
        return reply(request, {kOk});
    case 51:
        // Emptying the scheduler stops the master.
        lin.SchedulerCount = 0;
        lin.MasterStatus = 0;
        return reply(request, {kOk});
    case 52:
    case 53:
    case 54:
    case 55:
    case 56:
    case 57:
    case 58:
        lin.ErrorCounters[std::size_t(command - 52)] = 0;
        return reply(request, {kOk});
    case 59:
        lin.ErrorCounters.fill(0);
        return reply(request, {kOk});
    default:
        return reply(request, {kNotSupported});
    }
}

std::vector<Output> ModuleModel::handleModule(const LIN_Msg &request, int command, int length)
{
    switch (command) {
    case 0:
    case 1: {
        const QByteArray text = (command == 0 ? m_identity.hardware : m_identity.firmware).toLatin1();
        return replyBytes(request, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    case 2:
        // The module is back at its factory rate before it answers.
        applyDefaults();
        m_config.RS232.Baudrate = kFactoryRate;
        m_pendingRs232Rate = 0;
        return replyBytes(request, {kOk}, kFactoryRate);
    case 3:
        m_flash = m_config;
        return reply(request, {kOk});
    case 4: {
        m_config = m_flash;
        m_pendingRs232Rate = 0;
        Output text;
        text.kind = Output::Kind::Text;
        text.text = StartupText();
        text.rate = LineRate();
        return {text};
    }
    case 63: {
        const QByteArray access(kIspAccessText);
        if (length != access.size()
            || QByteArray(reinterpret_cast<const char *>(request.data.data()), length) != access)
            return reply(request, {kBadParameters});
        m_programming = true;
        return {};
    }
    default:
        return reply(request, {kNotSupported});
    }
}

LIN_Msg MakeCanFrameMessage(std::uint32_t id,
                            bool extended,
                            bool remote,
                            const std::vector<std::uint8_t> &data)
{
    std::vector<std::uint8_t> bytes;
    const int dlc = std::min<int>(int(data.size()), 8);
    bytes.push_back(static_cast<std::uint8_t>((extended ? 0x80 : 0) | (remote ? 0x40 : 0) | dlc));
    put16(bytes, id & 0xFFFF);
    if (extended)
        put16(bytes, id >> 16);
    if (!remote)
        bytes.insert(bytes.end(), data.begin(), data.begin() + dlc);
    LIN_Msg msg;
    msg.start = kStartByte;
    msg.header = static_cast<std::uint8_t>(0x80 | (1 << 4) | bytes.size());
    msg.count = int(bytes.size());
    msg.checksum = msg.header;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        msg.data[i] = bytes[i];
        msg.checksum ^= bytes[i];
    }
    return msg;
}

namespace {

LIN_Msg ownMessage(int source, const std::vector<std::uint8_t> &bytes)
{
    const int count = std::min<int>(int(bytes.size()), kMaxDataBytes);
    LIN_Msg msg;
    msg.start = kStartByte;
    msg.header = static_cast<std::uint8_t>(0x80 | (source << 4) | count);
    msg.count = count;
    msg.checksum = msg.header;
    for (int i = 0; i < count; ++i) {
        msg.data[std::size_t(i)] = bytes[std::size_t(i)];
        msg.checksum ^= bytes[std::size_t(i)];
    }
    return msg;
}

} // namespace

LIN_Msg MakeCanEventMessage(std::uint8_t events,
                            std::uint8_t captureCode,
                            std::uint8_t rxErrors,
                            std::uint8_t txErrors)
{
    return ownMessage(1, {0x20, events, captureCode, rxErrors, txErrors});
}

LIN_Msg MakeLinFrameMessage(std::uint8_t id, const std::vector<std::uint8_t> &data)
{
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(id & 0x3F)};
    bytes.insert(bytes.end(), data.begin(), data.begin() + std::min<std::size_t>(data.size(), 8));
    return ownMessage(2, bytes);
}

LIN_Msg MakeLinErrorMessage(std::uint8_t code, std::optional<std::uint8_t> id)
{
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(0x40 | (code & 0x3F))};
    if (id)
        bytes.push_back(*id);
    return ownMessage(2, bytes);
}

QByteArray ModuleFrameBytes(const LIN_Msg &msg)
{
    QByteArray bytes;
    bytes.append(char(msg.start));
    bytes.append(char(msg.header));
    const int count = std::min(HeaderField(msg.header, 2), kMaxDataBytes);
    for (int i = 0; i < count; ++i)
        bytes.append(char(msg.data[std::size_t(i)]));
    bytes.append(char(msg.checksum));
    return bytes;
}

} // namespace vxl::sim
