#pragma once

#include "core/link/lin_msg.h"
#include "core/module/module_config.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace vxl::sim {

// The module's two styles of start-up text after a reset.
enum class StartupStyle { CarriageReturn, Fixed66 };

struct Identity
{
    QString hardware = QStringLiteral("VXL-LIN-G 1.0  "); // at most 15 characters: one reply
    QString firmware = QStringLiteral("01.02.15");
};

// What the module puts on its line in answer to one request.
struct Output
{
    enum class Kind { Frame, Text, Nothing };
    Kind kind = Kind::Nothing;
    LIN_Msg frame;          // a reply (header bit 7 clear) or a message of the module's own
    QByteArray text;        // plain characters (start-up text)
    std::uint32_t rate = 0; // line rate it goes out at
};

// The module itself: its whole configuration, the flash copy, the scheduler and the answers to
// every command. Pure: no threads, no time, no port.
class ModuleModel
{
public:
    static constexpr std::uint32_t kFactoryRate = 38400;

    explicit ModuleModel(Identity identity = {},
                         std::uint32_t rate = kFactoryRate,
                         StartupStyle style = StartupStyle::CarriageReturn);

    // The answer to one request frame (checksum already verified by the caller unless
    // checksumOk is false).
    [[nodiscard]] std::vector<Output> Handle(const LIN_Msg &request, bool checksumOk = true);

    [[nodiscard]] const ModuleConfig &Config() const { return m_config; }
    ModuleConfig &Config() { return m_config; }
    [[nodiscard]] const ModuleConfig &Flash() const { return m_flash; }
    // What the module restarts with from now on: its configuration as it is.
    void CopyToFlash() { m_flash = m_config; }
    [[nodiscard]] const Identity &GetIdentity() const { return m_identity; }
    [[nodiscard]] int Firmware() const { return m_firmware; }
    [[nodiscard]] std::uint8_t BuildMode() const { return m_buildMode; }
    [[nodiscard]] std::uint32_t LineRate() const { return m_config.RS232.Baudrate; }
    [[nodiscard]] bool InProgrammingMode() const { return m_programming; }
    [[nodiscard]] bool MasterRunning() const;
    [[nodiscard]] QByteArray StartupText() const;

    // A return code the module gives instead of its own answer to group/command (tests).
    void ForceReturnCode(int group, int command, std::uint8_t code);
    // Only the nth request of group/command from now on (1 = the next) gets the code.
    void ForceReturnCodeOnce(int group, int command, int nth, std::uint8_t code);
    void ClearForcedCodes();

    // Another firmware or build from now on: a module swapped while the tool was away.
    void SetIdentity(Identity identity);
    // Power back after a loss: the flash copy in force, programming mode left.
    void PowerUp();

    // Counters grow with the traffic the module carries.
    void CountLinFrame();
    void CountCanFrame();

private:
    std::vector<Output> reply(const LIN_Msg &request, std::initializer_list<std::uint8_t> bytes);
    std::vector<Output> replyBytes(const LIN_Msg &request,
                                   const std::vector<std::uint8_t> &bytes,
                                   std::uint32_t rate = 0);
    std::vector<Output> initialiseRs232(const LIN_Msg &request);
    std::vector<Output> setRs232Rate(const LIN_Msg &request, int length);
    std::vector<Output> handleModule(const LIN_Msg &request, int command, int length);
    void applyDefaults();

    Identity m_identity;
    int m_firmware;
    std::uint8_t m_buildMode;
    StartupStyle m_style;
    ModuleConfig m_config;
    ModuleConfig m_flash;
    std::uint32_t m_pendingRs232Rate = 0;
    bool m_programming = false;
    std::map<std::pair<int, int>, std::uint8_t> m_forced;
    std::map<std::pair<int, int>, std::pair<int, std::uint8_t>> m_forcedOnce;
};

// Messages of the module's own, laid out as the module forwards them.
[[nodiscard]] LIN_Msg MakeCanFrameMessage(std::uint32_t id,
                                          bool extended,
                                          bool remote,
                                          const std::vector<std::uint8_t> &data);
[[nodiscard]] LIN_Msg MakeCanEventMessage(std::uint8_t events,
                                          std::uint8_t captureCode,
                                          std::uint8_t rxErrors,
                                          std::uint8_t txErrors);
[[nodiscard]] LIN_Msg MakeLinFrameMessage(std::uint8_t id, const std::vector<std::uint8_t> &data);
[[nodiscard]] LIN_Msg MakeLinErrorMessage(std::uint8_t code, std::optional<std::uint8_t> id = {});
// A frame from the module: start, header, data, checksum; no code byte.
[[nodiscard]] QByteArray ModuleFrameBytes(const LIN_Msg &msg);

} // namespace vxl::sim
