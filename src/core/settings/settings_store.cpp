#include "core/settings/settings_store.h"

#include "core/link/bit_rates.h"
#include "core/settings/preferences_mapping.h"

#include <QSettings>

#include <algorithm>
#include <climits>
#include <optional>

namespace vxl {

namespace {

// Booleans go in as 0 and 1: a "true" written by QSettings would read back as text that does
// not convert to an integer, and every setting would fall back to its default.
std::optional<qint64> readInteger(const QSettings &store, const QString &name)
{
    const QVariant value = store.value(name);
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const qint64 number = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

} // namespace

std::unique_ptr<QSettings> OpenSettingsStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat,
                                       QSettings::UserScope,
                                       QStringLiteral("Norvel"),
                                       QStringLiteral("VEXALIN"));
}

bool ReadSettings(VXLIN_Values &values)
{
    const auto store = OpenSettingsStore();
    return ReadSettings(*store, values);
}

bool ReadSettings(QSettings &store, VXLIN_Values &values)
{
    VXLIN_Values read;
    const char *integers[] = {"StartMode",
                              "Port",
                              "Baudrate",
                              "Timeout",
                              "ScanCount",
                              "ColorOn",
                              "ColorOff",
                              "ColorWorking"};
    qint64 numbers[8] = {};
    for (int i = 0; i < 8; ++i) {
        const auto number = readInteger(store, QString::fromLatin1(integers[i]));
        if (!number) {
            values = VXLIN_Values{};
            return false;
        }
        numbers[i] = *number;
    }
    // Values edited by hand or written by another version are brought into the ranges the
    // Preferences dialog offers: a time-out of 0 would never end a transaction, a port 0 would
    // open one port and name another.
    read.StartMode = numbers[0] >= 1 && numbers[0] <= 3 ? static_cast<std::uint8_t>(numbers[0]) : 2;
    read.Port = ClampPort(numbers[1]);
    read.Baudrate = BitRateAt(
        BitRateIndex(static_cast<int>(std::clamp<qint64>(numbers[2], INT32_MIN, INT32_MAX))));
    read.Timeout = ClampTimeout(numbers[3]);
    read.ScanCount = ClampScanCount(numbers[4]);
    read.ColorOn = static_cast<std::uint32_t>(numbers[5]);
    read.ColorOff = static_cast<std::uint32_t>(numbers[6]);
    read.ColorWorking = static_cast<std::uint32_t>(numbers[7]);
    read.FirmwareVerUpdate = store.value(QStringLiteral("FirmwareVerUpdate")).toString();
    read.HardwareVerUpdate = store.value(QStringLiteral("HardwareVerUpdate")).toString();
    const auto topMost = readInteger(store, QStringLiteral("TopMost"));
    const auto german = readInteger(store, QStringLiteral("GermanHelp"));
    if (!topMost || !german) {
        values = VXLIN_Values{};
        return false;
    }
    read.TopMost = *topMost != 0;
    read.GermanHelp = *german != 0;
    values = read;
    return true;
}

void WriteSettings(const VXLIN_Values &values)
{
    const auto store = OpenSettingsStore();
    WriteSettings(*store, values);
}

void WriteSettings(QSettings &store, const VXLIN_Values &values)
{
    store.setValue(QStringLiteral("StartMode"), int(values.StartMode));
    store.setValue(QStringLiteral("Port"), values.Port);
    store.setValue(QStringLiteral("Baudrate"), values.Baudrate);
    store.setValue(QStringLiteral("Timeout"), values.Timeout);
    store.setValue(QStringLiteral("ScanCount"), values.ScanCount);
    store.setValue(QStringLiteral("ColorOn"), values.ColorOn);
    store.setValue(QStringLiteral("ColorOff"), values.ColorOff);
    store.setValue(QStringLiteral("ColorWorking"), values.ColorWorking);
    store.setValue(QStringLiteral("FirmwareVerUpdate"), values.FirmwareVerUpdate);
    store.setValue(QStringLiteral("HardwareVerUpdate"), values.HardwareVerUpdate);
    store.setValue(QStringLiteral("TopMost"), values.TopMost ? 1 : 0);
    store.setValue(QStringLiteral("GermanHelp"), values.GermanHelp ? 1 : 0);
    store.sync();
}

} // namespace vxl
