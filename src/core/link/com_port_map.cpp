#include "core/link/com_port_map.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <set>

namespace vxl {

namespace {

QString homeDir()
{
    const QByteArray home = qgetenv("HOME");
    return home.isEmpty() ? QDir::homePath() : QString::fromLocal8Bit(home);
}

} // namespace

ComPortRoots ComPortRoots::fromEnvironment()
{
    ComPortRoots roots;
    roots.userDosDevices = UserDosDevicesDir();
    const QByteArray prefix = qgetenv("WINEPREFIX");
    const QString wine = prefix.isEmpty() ? homeDir() + QStringLiteral("/.wine")
                                          : QString::fromLocal8Bit(prefix);
    roots.wineDosDevices = wine + QStringLiteral("/dosdevices");
    roots.devDir = QStringLiteral("/dev");
    return roots;
}

QString UserDosDevicesDir()
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    const QString config = xdg.isEmpty() ? homeDir() + QStringLiteral("/.config")
                                         : QString::fromLocal8Bit(xdg);
    return config + QStringLiteral("/Norvel/VEXALIN/dosdevices");
}

ComPortMap::ComPortMap(ComPortRoots roots)
    : m_roots(std::move(roots))
{}

QString ComPortMap::linkIn(const QString &folder, int number) const
{
    if (folder.isEmpty())
        return {};
    const QString path = folder + QStringLiteral("/com") + QString::number(number);
    // A dangling link still names the port: opening it then fails as "not available".
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    return path;
}

namespace {

// The numbers of the com<n> entries in a folder, dangling links included. One listing of the
// folder rather than a look-up for each of the 255 numbers: the connection dialog resolves every
// number it scans, and that many look-ups a number made opening it take a noticeable while.
void addLinkedNumbers(const QString &folder, std::set<int> &numbers)
{
    if (folder.isEmpty())
        return;
    const QStringList names = QDir(folder).entryList({QStringLiteral("com*")},
                                                     QDir::AllEntries | QDir::System | QDir::Hidden
                                                         | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool ok = false;
        const int n = name.mid(3).toInt(&ok);
        // Only the spelling linkIn looks for: "com" and the number without leading zeros.
        if (ok && n >= 1 && n <= ComPortMap::kHighestNumber
            && name == QStringLiteral("com") + QString::number(n))
            numbers.insert(n);
    }
}

} // namespace

QString ComPortMap::automaticDevice(int number) const
{
    // Numbers already taken by explicit links are skipped, as Wine does.
    std::set<int> taken;
    addLinkedNumbers(m_roots.userDosDevices, taken);
    addLinkedNumbers(m_roots.wineDosDevices, taken);
    static constexpr std::array<const char *, 3> families{"ttyS", "ttyUSB", "ttyACM"};
    int next = 1;
    for (const char *family : families) {
        for (int index = 0;; ++index) {
            const QString device = m_roots.devDir + QLatin1Char('/') + QLatin1String(family)
                                   + QString::number(index);
            if (!QFileInfo::exists(device))
                break;
            while (taken.count(next))
                ++next;
            if (next > kHighestNumber)
                return {};
            if (next == number)
                return device;
            ++next;
        }
    }
    return {};
}

QString ComPortMap::devicePath(int number) const
{
    if (number < 1 || number > kHighestNumber)
        return {};
    if (QString path = linkIn(m_roots.userDosDevices, number); !path.isEmpty())
        return path;
    if (QString path = linkIn(m_roots.wineDosDevices, number); !path.isEmpty())
        return path;
    return automaticDevice(number);
}

} // namespace vxl
