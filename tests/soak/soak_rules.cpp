#include "soak/soak_rules.h"

#include "core/link/command_catalogue.h"
#include "core/profiles/profile_document.h"

namespace vxl::soak {

bool IsWriteRequest(int group, int command)
{
    if (group == int(CommandGroup::Module))
        return command != 0 && command != 1;
    return ModeOf(group, command) != CommandMode::Read;
}

const std::vector<RefusableValue> &RefusableValues()
{
    static const std::vector<RefusableValue> values{
        {"RS-232 bit rate", 0, 11, [](const ModuleConfig &c) { return c.RS232.Baudrate; }},
        {"CAN bit rate", 1, 11, [](const ModuleConfig &c) { return std::uint32_t(c.CAN.Baudrate); }},
        {"CAN filter mask", 1, 13, [](const ModuleConfig &c) { return c.CAN.FilterMask; }},
        {"CAN filter code", 1, 14, [](const ModuleConfig &c) { return c.CAN.FilterCode; }},
        {"CAN ID offset", 1, 15, [](const ModuleConfig &c) { return c.CAN.IdOffset; }},
        {"CAN error ID", 1, 16, [](const ModuleConfig &c) { return c.CAN.ErrorId; }},
        {"LIN bit rate", 2, 11, [](const ModuleConfig &c) { return std::uint32_t(c.LIN.Baudrate); }},
        {"slave activation ID", 2, 29, [](const ModuleConfig &c) { return c.LIN.SlaveActivationId; }},
    };
    return values;
}

ModuleConfig DefaultProfileValues()
{
    ModuleConfig config;
    clsVLINXMLProfile::FillDefaults(&config.RS232.Baudrate, &config.CAN, &config.LIN);
    return config;
}

const std::vector<QString> &Firmwares()
{
    static const std::vector<QString> firmwares{QStringLiteral("01.02.14"),
                                                QStringLiteral("01.02.15"),
                                                QStringLiteral("01.01.05")};
    return firmwares;
}

const std::vector<QString> &Hardwares()
{
    static const std::vector<QString> hardwares{QStringLiteral("VXL-LIN-G 1.0  "),
                                                QStringLiteral("SXL-LIN-G 1.0  ")};
    return hardwares;
}

const std::vector<int> &SessionRates()
{
    static const std::vector<int> rates{38400, 57600, 19200};
    return rates;
}

} // namespace vxl::soak
