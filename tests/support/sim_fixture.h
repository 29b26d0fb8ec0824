#pragma once

#include "core/link/lin_port.h"
#include "sim/emulator_host.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

namespace vxl::test {

// The emulator on its own pseudo-terminal, registered as a COM number in a folder of its own,
// and a real link connected to it.
class SimLink
{
public:
    explicit SimLink(sim::EmulatorOptions options = {}, int comNumber = 3);

    [[nodiscard]] bool connect(std::uint32_t rate = 38400);
    [[nodiscard]] ComPortMap portMap() const;

    // Queues a request and waits for the next reply (or module message) to arrive.
    std::optional<LIN_Msg> request(
        int group, int command, int sequence, const QByteArray &data = {}, int timeoutMs = 1000);
    // The next message received within the time, if any.
    std::optional<LIN_Msg> next(int timeoutMs = 1000);

    sim::EmulatorHost &host() { return *m_host; }
    clsLinPort &link() { return *m_link; }

    // The data bytes of a received message.
    [[nodiscard]] static QByteArray dataOf(const LIN_Msg &msg);

private:
    QTemporaryDir m_dir;
    int m_comNumber;
    std::unique_ptr<sim::EmulatorHost> m_host;
    std::unique_ptr<clsLinPort> m_link;
};

} // namespace vxl::test
