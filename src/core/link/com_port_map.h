#pragma once

#include <QString>

namespace vxl {

// Where COM numbers are looked up. Tests point these at temporary folders so that they never see
// the machine's real ports.
struct ComPortRoots
{
    QString userDosDevices; // com<n> symlinks the user (or the emulator) made for this tool
    QString wineDosDevices; // com<n> symlinks already made for Wine
    QString devDir;         // where ttyS*, ttyUSB*, ttyACM* live

    [[nodiscard]] static ComPortRoots fromEnvironment();
};

// $XDG_CONFIG_HOME/Norvel/VEXALIN/dosdevices (default ~/.config/...).
[[nodiscard]] QString UserDosDevicesDir();

// Resolves Windows-style COM numbers to device paths: the user's own links first, then Wine's,
// then Wine's automatic numbering of serial devices on the numbers still free.
class ComPortMap
{
public:
    static constexpr int kHighestNumber = 255;

    explicit ComPortMap(ComPortRoots roots = ComPortRoots::fromEnvironment());

    // The device path for COM n, or an empty text when n maps to nothing.
    [[nodiscard]] QString devicePath(int number) const;
    [[nodiscard]] const ComPortRoots &roots() const { return m_roots; }

private:
    [[nodiscard]] QString linkIn(const QString &folder, int number) const;
    [[nodiscard]] QString automaticDevice(int number) const;

    ComPortRoots m_roots;
};

} // namespace vxl
