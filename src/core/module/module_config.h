#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace vxl {

inline constexpr int kFrameCount = 64;
inline constexpr int kMaxSchedulerEntries = 50;
inline constexpr int kFrameDataBytes = 8;
inline constexpr int kMaxLinId = 63;

// Firmware thresholds, as version numbers AA*10000 + BB*100 + CC.
inline constexpr int kFirmwareFrameTables = 10106;    // frame lengths and formats exist
inline constexpr int kFirmwareErrorId = 10107;        // CAN error ID, slave activation (SLAVE SIM)
inline constexpr int kFirmwarePerIdSlaveData = 10215; // slave data per identifier

inline constexpr std::uint8_t kBuildPrototype = 80;
inline constexpr std::uint8_t kBuildSlaveSim = 83;
inline constexpr std::uint8_t kBuildVdo = 86;

struct MOD_Values
{
    QString HardwareText = QString(16, QLatin1Char(' '));
    QString FirmwareText = QString(8, QLatin1Char(' '));
    std::uint8_t BuildMode = 0;
    std::uint8_t HardwareStatus = 0;
    std::uint8_t FirmwareStatus = 0;

    friend bool operator==(const MOD_Values &, const MOD_Values &) = default;
};

struct RS232_Group
{
    std::uint32_t Baudrate = 38400;
    std::array<std::uint16_t, 3> ErrorCounters{};
    std::array<std::uint8_t, 2> ReplyStatus{};

    friend bool operator==(const RS232_Group &, const RS232_Group &) = default;
};

struct CAN_Group
{
    std::uint16_t Active = 1;
    std::uint16_t Baudrate = 0x001C;
    std::uint16_t ForwardMask = 0;
    std::uint32_t FilterMask = 0xFFFFFFFF;
    std::uint32_t FilterCode = 0;
    std::uint32_t IdOffset = 0;
    std::array<std::uint16_t, 4> ErrorCounters{};
    std::uint32_t ErrorId = 0;
    std::array<std::uint8_t, 8> ReplyStatus{};

    friend bool operator==(const CAN_Group &, const CAN_Group &) = default;
};

// Reply-status slots of the CAN group, in read order.
enum CanStatusSlot : int {
    CanActiveStatus,
    CanBaudrateStatus,
    CanForwardMaskStatus,
    CanFilterMaskStatus,
    CanFilterCodeStatus,
    CanIdOffsetStatus,
    CanErrorCountersStatus,
    CanErrorIdStatus,
};

struct LIN_FrameEntry
{
    std::uint8_t Active = 0; // non-zero: the module publishes this identifier
    std::uint8_t ID = 0;
    std::uint8_t Length = 0;
    std::array<std::uint8_t, kFrameDataBytes> Data{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

    friend bool operator==(const LIN_FrameEntry &, const LIN_FrameEntry &) = default;
};

struct LIN_SchedulerEntry
{
    std::uint16_t Time = 0; // ms, 1..65535
    std::uint8_t ID = 0;

    friend bool operator==(const LIN_SchedulerEntry &, const LIN_SchedulerEntry &) = default;
};

// Reply-status slots of the LIN group, in this order.
enum LinStatusSlot : int {
    LinActiveStatus,
    LinBaudrateStatus,
    LinForwardMaskStatus,
    LinFilterMaskStatus,
    LinFilterCodeStatus,
    LinMasterStatusStatus,
    LinBusTerminationStatus,
    LinMessageTimeoutsStatus,
    LinRetriesStatus,
    LinSchedulerCountStatus,
    LinErrorCountersStatus,
    LinBitRecognitionStatus,
    LinSlaveMaskStatus,
    LinFrameLengthsStatus,
    LinFrameFormatsStatus,
    LinSlaveIdDataStatus,
    LinSlaveActivationIdStatus,
};

struct LIN_Group
{
    std::uint16_t Active = 1;
    std::uint16_t Baudrate = 19200;
    std::uint8_t ForwardMask = 0;
    std::uint16_t FilterMask = 255;
    std::uint16_t FilterCode = 0;
    std::uint16_t MasterStatus = 0;
    std::uint16_t BusTermination = 0;
    std::array<std::uint16_t, 4> MessageTimeouts{};
    std::uint16_t Retries = 0;
    std::uint16_t SchedulerCount = 0;
    std::array<std::uint16_t, 7> ErrorCounters{};
    std::uint8_t BitRecognitionStatus = 0;
    std::array<std::uint8_t, 8> SlaveMask{};
    std::array<std::uint8_t, 32> FrameLengths{};
    std::array<std::uint8_t, 8> FrameFormats{};
    LIN_FrameEntry SlaveIdData;
    std::array<LIN_FrameEntry, kFrameCount> Frames{};
    std::array<LIN_SchedulerEntry, kMaxSchedulerEntries> SchedulerEntries{};
    std::uint32_t SlaveActivationId = 0;
    std::array<std::uint8_t, 17> ReplyStatus{};
    // Frame entries and scheduler entries have no status slot: the return code the module gave
    // in place of each one it refused to report (0: reported). Module copy only.
    std::array<std::uint8_t, kFrameCount> FrameRefusals{};
    std::array<std::uint8_t, kMaxSchedulerEntries> EntryRefusals{};

    friend bool operator==(const LIN_Group &, const LIN_Group &) = default;
};

// One configuration: the identity (module copy only) and the three group records.
struct ModuleConfig
{
    MOD_Values Module;
    RS232_Group RS232;
    CAN_Group CAN;
    LIN_Group LIN;

    friend bool operator==(const ModuleConfig &, const ModuleConfig &) = default;

    // The values of a new profile (also what every missing value takes).
    [[nodiscard]] static ModuleConfig NewProfile();
};

// AA*10000 + BB*100 + CC from "AA.BB.CC" (fields by position); -1 when a field is not decimal.
[[nodiscard]] int FirmwareNumber(const QString &text);
// 'P' -> 80, 'S' -> 83, 'V' -> 86, anything else 0 (case matters).
[[nodiscard]] std::uint8_t BuildModeFromHardware(const QString &hardwareText);
[[nodiscard]] QString BuildModeText(int code);
[[nodiscard]] constexpr int DefaultFrameLength(int id)
{
    return id < 32 ? 2 : (id < 48 ? 4 : 8);
}
// 115200 does not fit 16 bits: it travels as 0xC200.
[[nodiscard]] std::uint32_t Rs232RateFromWire(std::uint16_t value);
[[nodiscard]] std::uint16_t Rs232RateToWire(std::uint32_t rate);

// Bit sets (SlaveMask, FrameFormats): bit (n mod 8) of byte (n / 8).
[[nodiscard]] int TestBit(const std::array<std::uint8_t, 8> &set, int n);
void SetBit(std::array<std::uint8_t, 8> &set, int n, bool on);
// FrameLengths: low nibble for even identifiers, high nibble for odd ones.
[[nodiscard]] int GetNibble(const std::array<std::uint8_t, 32> &lengths, int n);
void SetNibble(std::array<std::uint8_t, 32> &lengths, int n, int value);

// Frame lengths used as byte counts never exceed the eight data bytes: a refused read leaves
// its return code in the module copy's table.
[[nodiscard]] int FrameByteCount(const LIN_Group &lin, int id);

void DefaultFrameTables(LIN_Group &lin);
// The frame table of a new profile: entry j has ID j, inactive, default length, data 0xFF.
void DefaultFrames(LIN_Group &lin);
[[nodiscard]] LIN_FrameEntry DefaultSlaveIdData();

// The firmware gates, by the module copy's firmware number and build mode.
[[nodiscard]] bool UsesDefaultSlaveDataLength(int firmware); // below 01.01.06
[[nodiscard]] bool HasFrameTables(int firmware);             // 01.01.06 and later
[[nodiscard]] bool HasErrorId(int firmware);                 // 01.01.07 and later
[[nodiscard]] bool HasSlaveActivation(int firmware, std::uint8_t buildMode);
[[nodiscard]] bool HasPerIdSlaveData(int firmware); // 01.02.15 and later
[[nodiscard]] bool ProgrammingModeAllowed(int firmware, int updateFirmware);

// DefaultFrameLength below 01.01.06, the module's frame-length entry otherwise (at most 8).
[[nodiscard]] int SlaveDataLength(const ModuleConfig &module, int id);

// SJA1000 bus timing -> kbit/s, 0 when the timing is degenerate.
[[nodiscard]] double CanRateKbit(std::uint16_t timing);

} // namespace vxl
