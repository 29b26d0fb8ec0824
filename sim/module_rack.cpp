#include "sim/module_rack.h"

#include <QStringList>

namespace vxl::sim {

namespace {

// The module answers its hardware text in one reply of at most 15 characters.
constexpr int kHardwareTextMax = 15;

std::optional<int> number(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 ? std::optional<int>(value) : std::nullopt;
}

std::optional<ModuleFaults::Refusal> refusal(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return std::nullopt;
    const auto group = number(parts[0]);
    const auto command = number(parts[1]);
    const auto code = number(parts[2]);
    if (!group || !command || !code || *group > 3 || *command > 63 || *code > 255)
        return std::nullopt;
    return ModuleFaults::Refusal{*group, *command, std::uint8_t(*code)};
}

bool applyKey(RackModule &module, const QString &key, const QString &value)
{
    auto &faults = module.faults;
    if (key == QStringLiteral("hardware") && !value.isEmpty())
        module.options.identity.hardware = value.left(kHardwareTextMax);
    else if (key == QStringLiteral("firmware") && !value.isEmpty())
        module.options.identity.firmware = value;
    else if (key == QStringLiteral("silent") && value.isEmpty())
        faults.silent = true;
    else if (const auto n = number(value); n && key == QStringLiteral("delay"))
        faults.delayMs = *n;
    else if (n && key == QStringLiteral("silent-from"))
        faults.silentFrom = *n;
    else if (n && key == QStringLiteral("drop"))
        faults.dropReply = *n;
    else if (n && key == QStringLiteral("corrupt"))
        faults.corruptReply = *n;
    else if (const auto r = refusal(value); r && key == QStringLiteral("refuse"))
        faults.refusals.push_back(*r);
    else
        return false;
    return true;
}

} // namespace

std::vector<RackModule> MakeRack(const EmulatorOptions &base, const ModuleFaults &faults, int count)
{
    std::vector<RackModule> rack;
    for (int i = 0; i < count; ++i) {
        RackModule module{base, faults};
        module.options.comNumber = base.comNumber + i;
        if (count > 1) {
            const QString suffix = QStringLiteral(" %1").arg(module.options.comNumber);
            module.options.identity.hardware
                = base.identity.hardware.left(kHardwareTextMax - int(suffix.size())).trimmed()
                  + suffix;
        }
        rack.push_back(module);
    }
    return rack;
}

bool ApplyModuleOptions(std::vector<RackModule> &rack, const QString &text, QString &error)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const auto port = number(text.left(colon));
    auto module = std::find_if(rack.begin(), rack.end(), [&](const RackModule &m) {
        return port && m.options.comNumber == *port;
    });
    if (colon < 0 || module == rack.end()) {
        error = QStringLiteral("\"%1\" names no module of this emulator (COM:key=value,...)")
                    .arg(text);
        return false;
    }
    for (const QString &item : text.mid(colon + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QString key = item.left(equals).trimmed();
        const QString value = equals < 0 ? QString() : item.mid(equals + 1).trimmed();
        if (!applyKey(*module, key, value)) {
            error = QStringLiteral("\"%1\" is not a module option (hardware=TEXT, firmware=V, "
                                   "silent, silent-from=N, delay=MS, drop=N, corrupt=N, "
                                   "refuse=G/C/CODE)")
                        .arg(item);
            return false;
        }
    }
    return true;
}

void ApplyFaults(EmulatorHost &host, const ModuleFaults &faults)
{
    host.setSilent(faults.silent);
    host.setReplyDelayMs(faults.delayMs);
    if (faults.dropReply > 0)
        host.dropReply(faults.dropReply);
    if (faults.silentFrom > 0)
        host.silentFrom(faults.silentFrom);
    if (faults.corruptReply > 0)
        host.corruptReply(faults.corruptReply);
    for (const auto &r : faults.refusals)
        host.forceReturnCode(r.group, r.command, r.code);
}

} // namespace vxl::sim
