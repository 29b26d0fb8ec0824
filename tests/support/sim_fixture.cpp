#include "sim_fixture.h"

#include "core/link/command_builders.h"

#include <QElapsedTimer>
#include <QThread>

namespace vxl::test {

SimPort::SimPort(int comNumber, sim::EmulatorOptions options, bool withModule)
    : m_comNumber(comNumber)
{
    if (!withModule)
        return;
    options.comNumber = comNumber;
    options.dosDevices = m_dir.path();
    m_host = std::make_unique<sim::EmulatorHost>(options);
    m_host->start();
}

ComPortMap SimPort::portMap() const
{
    return ComPortMap(ComPortRoots{m_dir.path(), QString(), QStringLiteral("/nonexistent")});
}

SimLink::SimLink(sim::EmulatorOptions options, int comNumber)
    : m_port(comNumber, std::move(options))
{
    m_link = std::make_unique<clsLinPort>(LinNotify{}, portMap());
}

bool SimLink::connect(std::uint32_t rate)
{
    if (m_link->Connect(m_port.comNumber(), rate) != 0)
        return false;
    // The emulator notices the tool within its presence interval.
    QElapsedTimer timer;
    timer.start();
    while (!host().toolPresent() && timer.elapsed() < 5000)
        QThread::msleep(5);
    return host().toolPresent();
}

std::optional<LIN_Msg> SimLink::next(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    LIN_Msg msg;
    do {
        if (m_link->GetMessage(&msg) == 0)
            return msg;
        QThread::msleep(2);
    } while (timer.elapsed() < timeoutMs);
    return std::nullopt;
}

std::optional<LIN_Msg> SimLink::request(
    int group, int command, int sequence, const QByteArray &data, int timeoutMs)
{
    const auto *raw = reinterpret_cast<const std::uint8_t *>(data.constData());
    SendCommandData(*m_link, group, command, sequence, {raw, std::size_t(data.size())});
    return next(timeoutMs);
}

QByteArray SimLink::dataOf(const LIN_Msg &msg)
{
    return QByteArray(reinterpret_cast<const char *>(msg.data.data()), msg.count);
}

} // namespace vxl::test
