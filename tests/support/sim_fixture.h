#pragma once

#include "core/link/lin_port.h"
#include "sim/emulator_host.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

namespace vxl::test {

// The emulator on its own pseudo-terminal, registered as a COM number in a folder of its own:
// the port map a tool under test is given. Without a module the folder stays empty.
class SimPort
{
public:
    explicit SimPort(int comNumber, sim::EmulatorOptions options = {}, bool withModule = true);

    [[nodiscard]] ComPortMap portMap() const;
    [[nodiscard]] int comNumber() const { return m_comNumber; }
    sim::EmulatorHost &host() { return *m_host; }

private:
    QTemporaryDir m_dir;
    int m_comNumber;
    std::unique_ptr<sim::EmulatorHost> m_host;
};

// The emulator on its own port and a real link connected to it.
class SimLink
{
public:
    explicit SimLink(sim::EmulatorOptions options = {}, int comNumber = 3);

    [[nodiscard]] bool connect(std::uint32_t rate = 38400);
    [[nodiscard]] ComPortMap portMap() const { return m_port.portMap(); }

    // Queues a request and waits for the next reply (or module message) to arrive. The default
    // bound is for replies that must come: generous, since a machine busy with other work may
    // hold the emulator's thread back for a while; a test expecting silence passes its own.
    std::optional<LIN_Msg> request(
        int group, int command, int sequence, const QByteArray &data = {}, int timeoutMs = 5000);
    // The next message received within the time, if any.
    std::optional<LIN_Msg> next(int timeoutMs = 5000);

    sim::EmulatorHost &host() { return m_port.host(); }
    clsLinPort &link() { return *m_link; }

    // The data bytes of a received message.
    [[nodiscard]] static QByteArray dataOf(const LIN_Msg &msg);

private:
    SimPort m_port;
    std::unique_ptr<clsLinPort> m_link;
};

} // namespace vxl::test
