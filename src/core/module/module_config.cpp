#include "core/module/module_config.h"

#include <algorithm>

namespace vxl {

ModuleConfig ModuleConfig::NewProfile()
{
    ModuleConfig config;
    DefaultFrameTables(config.LIN);
    DefaultFrames(config.LIN);
    config.LIN.SlaveIdData = DefaultSlaveIdData();
    return config;
}

int FirmwareNumber(const QString &text)
{
    const auto field = [&text](int position) {
        if (text.size() < position + 2)
            return -1;
        const QChar high = text.at(position);
        const QChar low = text.at(position + 1);
        if (high < QLatin1Char('0') || high > QLatin1Char('9') || low < QLatin1Char('0')
            || low > QLatin1Char('9'))
            return -1;
        return (high.unicode() - '0') * 10 + (low.unicode() - '0');
    };
    const int major = field(0);
    const int minor = field(3);
    const int patch = field(6);
    if (major < 0 || minor < 0 || patch < 0)
        return -1;
    return major * 10000 + minor * 100 + patch;
}

std::uint8_t BuildModeFromHardware(const QString &hardwareText)
{
    if (hardwareText.isEmpty())
        return 0;
    switch (hardwareText.at(0).unicode()) {
    case 'P':
        return kBuildPrototype;
    case 'S':
        return kBuildSlaveSim;
    case 'V':
        return kBuildVdo;
    default:
        return 0;
    }
}

QString BuildModeText(int code)
{
    switch (code) {
    case kBuildPrototype:
        return QStringLiteral("PROTOTYPE");
    case kBuildSlaveSim:
        return QStringLiteral("SLAVE SIM");
    case kBuildVdo:
        return QStringLiteral("VDO");
    default:
        return QStringLiteral("STANDARD");
    }
}

std::uint32_t Rs232RateFromWire(std::uint16_t value)
{
    return value == 0xC200 ? 115200u : value;
}

std::uint16_t Rs232RateToWire(std::uint32_t rate)
{
    return static_cast<std::uint16_t>(rate & 0xFFFF);
}

int TestBit(const std::array<std::uint8_t, 8> &set, int n)
{
    if (n < 0 || n > kMaxLinId)
        return 0;
    return (set[static_cast<std::size_t>(n / 8)] >> (n % 8)) & 1;
}

void SetBit(std::array<std::uint8_t, 8> &set, int n, bool on)
{
    if (n < 0 || n > kMaxLinId)
        return;
    auto &byte = set[static_cast<std::size_t>(n / 8)];
    const auto bit = static_cast<std::uint8_t>(1u << (n % 8));
    byte = on ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

int GetNibble(const std::array<std::uint8_t, 32> &lengths, int n)
{
    if (n < 0 || n > kMaxLinId)
        return 0;
    const std::uint8_t byte = lengths[static_cast<std::size_t>(n / 2)];
    return n % 2 == 0 ? (byte & 0x0F) : (byte >> 4);
}

void SetNibble(std::array<std::uint8_t, 32> &lengths, int n, int value)
{
    if (n < 0 || n > kMaxLinId)
        return;
    auto &byte = lengths[static_cast<std::size_t>(n / 2)];
    const auto nibble = static_cast<std::uint8_t>(value & 0x0F);
    byte = n % 2 == 0 ? static_cast<std::uint8_t>((byte & 0xF0) | nibble)
                      : static_cast<std::uint8_t>((byte & 0x0F) | (nibble << 4));
}

int FrameByteCount(const LIN_Group &lin, int id)
{
    return std::min(GetNibble(lin.FrameLengths, id), kFrameDataBytes);
}

void DefaultFrameTables(LIN_Group &lin)
{
    for (int id = 0; id < kFrameCount; ++id)
        SetNibble(lin.FrameLengths, id, DefaultFrameLength(id));
    lin.FrameFormats.fill(0);
}

void DefaultFrames(LIN_Group &lin)
{
    for (int id = 0; id < kFrameCount; ++id) {
        LIN_FrameEntry entry;
        entry.ID = static_cast<std::uint8_t>(id);
        entry.Length = static_cast<std::uint8_t>(DefaultFrameLength(id));
        lin.Frames[static_cast<std::size_t>(id)] = entry;
    }
}

LIN_FrameEntry DefaultSlaveIdData()
{
    LIN_FrameEntry entry;
    entry.ID = kMaxLinId;
    entry.Length = kFrameDataBytes;
    return entry;
}

bool UsesDefaultSlaveDataLength(int firmware)
{
    return firmware < kFirmwareFrameTables;
}

bool HasFrameTables(int firmware)
{
    return firmware >= kFirmwareFrameTables;
}

bool HasErrorId(int firmware)
{
    return firmware >= kFirmwareErrorId;
}

bool HasSlaveActivation(int firmware, std::uint8_t buildMode)
{
    return firmware >= kFirmwareErrorId && buildMode == kBuildSlaveSim;
}

bool HasPerIdSlaveData(int firmware)
{
    return firmware >= kFirmwarePerIdSlaveData;
}

bool ProgrammingModeAllowed(int firmware, int updateFirmware)
{
    return firmware != -1 && updateFirmware != -1 && firmware >= updateFirmware;
}

int SlaveDataLength(const ModuleConfig &module, int id)
{
    if (UsesDefaultSlaveDataLength(FirmwareNumber(module.Module.FirmwareText)))
        return DefaultFrameLength(id);
    return FrameByteCount(module.LIN, id);
}

double CanRateKbit(std::uint16_t timing)
{
    const int btr0 = timing >> 8;
    const int btr1 = timing & 0xFF;
    const int brp = btr0 & 0x3F;
    const int tseg1 = btr1 & 0x0F;
    const int tseg2 = (btr1 >> 4) & 0x07;
    return 8000.0 / (brp + 1) / (tseg1 + tseg2 + 3);
}

} // namespace vxl
