#include "sim/module_model.h"

#include "core/link/command_builders.h"
#include "sim/module_commands.h"

#include <algorithm>
#include <array>

namespace vxl::sim {

namespace {

constexpr std::array<std::uint32_t, 6> kRs232Rates{4800, 9600, 19200, 38400, 57600, 115200};

// A frame of the module's: as many of the bytes as a message holds, under a header whose
// other bits are given and whose length field counts them.
LIN_Msg framed(std::uint8_t headerBits, const std::vector<std::uint8_t> &bytes)
{
    const int count = std::min<int>(int(bytes.size()), kMaxDataBytes);
    LIN_Msg msg;
    msg.start = kStartByte;
    msg.header = static_cast<std::uint8_t>(headerBits | count);
    msg.count = count;
    msg.checksum = msg.header;
    for (int i = 0; i < count; ++i) {
        msg.data[std::size_t(i)] = bytes[std::size_t(i)];
        msg.checksum ^= bytes[std::size_t(i)];
    }
    return msg;
}

// A message of the module's own from one of its interfaces (1 CAN, 2 LIN).
LIN_Msg ownMessage(int source, const std::vector<std::uint8_t> &bytes)
{
    return framed(static_cast<std::uint8_t>(0x80 | (source << 4)), bytes);
}

} // namespace

ModuleModel::ModuleModel(Identity identity, std::uint32_t rate, StartupStyle style)
    : m_style(style)
{
    SetIdentity(std::move(identity));
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
    CountOne(m_config.LIN.ErrorCounters[1]);
}

void ModuleModel::CountCanFrame()
{
    CountOne(m_config.CAN.ErrorCounters[0]);
}

bool ModuleModel::MasterRunning() const
{
    return sim::MasterRunning(m_config.LIN);
}

std::vector<Output> ModuleModel::replyBytes(const LIN_Msg &request,
                                            const std::vector<std::uint8_t> &bytes,
                                            std::uint32_t rate)
{
    Output out;
    out.kind = Output::Kind::Frame;
    out.rate = rate ? rate : LineRate();
    out.frame = framed(MakeHeader(HeaderField(request.header, 1), 0), bytes);
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
    if (group == 3)
        return handleModule(request, command, length);
    if (group == 0 && command == 0)
        return initialiseRs232(request);
    if (group == 0 && command == 31)
        return setRs232Rate(request, length);
    const ModuleRequest moduleRequest{m_config, group, m_firmware, m_buildMode, request, length};
    return replyBytes(request, AnswerGroupCommand(moduleRequest, command));
}

std::vector<Output> ModuleModel::initialiseRs232(const LIN_Msg &request)
{
    // Initialising takes a changed bit rate into use: the answer already goes out at it.
    RS232_Group &rs = m_config.RS232;
    const std::uint32_t rate = m_pendingRs232Rate ? m_pendingRs232Rate : rs.Baudrate;
    m_pendingRs232Rate = 0;
    rs.Baudrate = rate;
    return replyBytes(request, {kOk}, rate);
}

std::vector<Output> ModuleModel::setRs232Rate(const LIN_Msg &request, int length)
{
    if (length != 2)
        return reply(request, {kBadParameters});
    const auto wire = static_cast<std::uint16_t>(request.data[0] | (request.data[1] << 8));
    const std::uint32_t rate = Rs232RateFromWire(wire);
    if (std::find(kRs232Rates.begin(), kRs232Rates.end(), rate) == kRs232Rates.end())
        return reply(request, {kOutOfRange});
    m_pendingRs232Rate = rate;
    return reply(request, {kOk});
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
        CopyToFlash();
        return reply(request, {kOk});
    case 4: {
        // The module restarts as at power-up, from its flash memory.
        PowerUp();
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
    PutLittleEndian(bytes, id & 0xFFFF, 2);
    if (extended)
        PutLittleEndian(bytes, id >> 16, 2);
    if (!remote)
        bytes.insert(bytes.end(), data.begin(), data.begin() + dlc);
    return ownMessage(1, bytes);
}

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
