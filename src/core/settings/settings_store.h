#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class QSettings;

namespace vxl {

// Colours keep the system's order: blue in bits 23..16, green 15..8, red 7..0.
inline constexpr std::uint32_t kDefaultColorOn = 16577003;      // red EB, green F1, blue FC
inline constexpr std::uint32_t kDefaultColorOff = 14737641;     // red E9, green E0, blue E0
inline constexpr std::uint32_t kDefaultColorWorking = 16776960; // red 00, green FF, blue FF

// The settings record, in the order it is stored.
struct VXLIN_Values
{
    std::uint8_t StartMode = 2; // 1 no connection, 2 the connection dialog, 3 the stored connection
    std::int32_t Port = 1;
    std::int32_t Baudrate = 38400;
    std::int32_t Timeout = 5;
    std::int32_t ScanCount = 128;
    std::uint32_t ColorOn = kDefaultColorOn;
    std::uint32_t ColorOff = kDefaultColorOff;
    std::uint32_t ColorWorking = kDefaultColorWorking;
    QString FirmwareVerUpdate = QStringLiteral("01.01.03");
    QString HardwareVerUpdate = QStringLiteral("02.02.01");
    bool TopMost = false;
    bool GermanHelp = false;

    friend bool operator==(const VXLIN_Values &, const VXLIN_Values &) = default;
};

// The per-user store: the registry key on Windows, $XDG_CONFIG_HOME/Norvel/VEXALIN.conf here.
[[nodiscard]] std::unique_ptr<QSettings> OpenSettingsStore();

// Reads the record; any missing or mistyped integer or boolean gives every field its default.
// Nothing is written back. Returns false when the defaults were taken for that reason.
bool ReadSettings(VXLIN_Values &values);
bool ReadSettings(QSettings &store, VXLIN_Values &values);
// Writes all twelve values, booleans as 0 and 1.
void WriteSettings(const VXLIN_Values &values);
void WriteSettings(QSettings &store, const VXLIN_Values &values);

// Colour conversions between the stored order and 0xRRGGBB.
[[nodiscard]] constexpr std::uint32_t SystemColorToRgb(std::uint32_t bgr)
{
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}
[[nodiscard]] constexpr std::uint32_t RgbToSystemColor(std::uint32_t rgb)
{
    return SystemColorToRgb(rgb);
}

} // namespace vxl
