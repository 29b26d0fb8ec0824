#include "ops_fixture.h"

#include "core/link/lin_port.h"
#include "core/operations/connection.h"
#include "core/operations/module_read.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <memory>

namespace vxl::test {

OpsRig::OpsRig(sim::EmulatorOptions options, VXLIN_Values settings)
    : m_port(5, std::move(options))
{
    m_ops = std::make_unique<Operations>(m_op, settings, portMap());
    m_op.ops = m_ops.get();
}

OpsRig::~OpsRig()
{
    // Nothing the emulator's thread still receives may reach the operations once they are gone.
    host().setTranscriptCallback({});
}

VXLIN_Values OpsRig::fastSettings()
{
    VXLIN_Values settings;
    // A 01.02.15 read needs 1.9 s when the sender keeps its pace; on a busy machine its thread
    // wakes late and the read takes longer.
    settings.Timeout = 10;
    settings.StartMode = 1;
    return settings;
}

bool OpsRig::connect(int rate)
{
    auto &connection = m_ops->Conn();
    // The module has 200 ms to confirm; a machine busy with other tests may miss that once, and
    // these tests are about what follows the connection.
    bool connected = false;
    for (int attempt = 0; attempt < 3 && !connected; ++attempt)
        connected = connection.TryConnect(comNumber(), rate);
    if (!connected)
        return false;
    connection.SetConnected(true);
    connection.UpdateConnectionState();
    return true;
}

void OpsRig::setTimeout(int seconds)
{
    VXLIN_Values settings = m_ops->Settings();
    settings.Timeout = seconds;
    m_ops->ApplySettings(settings);
}

bool OpsRig::waitIdle(int timeoutMs)
{
    return WaitIdle(*m_ops, timeoutMs);
}

bool WaitIdle(Operations &ops, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    int quietSince = -1;
    while (timer.elapsed() < timeoutMs) {
        QTest::qWait(10);
        const bool idle = ops.IsIdle() && ops.Link().OutgoingCount() == 0;
        if (!idle) {
            quietSince = -1;
            continue;
        }
        if (quietSince < 0)
            quietSince = int(timer.elapsed());
        else if (timer.elapsed() - quietSince >= 150)
            return true;
    }
    return false;
}

bool OpsRig::waitRequests(std::size_t count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (host().requests().size() < count && timer.elapsed() < timeoutMs)
        QTest::qWait(10);
    return host().requests().size() >= count;
}

QString OpsRig::requestText(const sim::TranscriptEntry &request)
{
    QString text
        = QStringLiteral("%1/%2/%3").arg(request.group).arg(request.command).arg(request.sequence);
    if (!request.data.isEmpty())
        text += QLatin1Char(' ') + QString::fromLatin1(request.data.toHex().toUpper());
    return text;
}

QStringList OpsRig::requestTexts()
{
    QStringList out;
    for (const auto &request : host().requests())
        out << requestText(request);
    return out;
}

void OpsRig::atRequest(const QString &text,
                       std::function<void()> onTool,
                       std::function<void(sim::EmulatorHost &)> onModule)
{
    auto fired = std::make_shared<std::atomic<bool>>(false);
    QObject *tool = m_ops.get();
    sim::EmulatorHost *module = &host();
    host().setTranscriptCallback([=, onTool = std::move(onTool), onModule = std::move(onModule)](
                                     const sim::TranscriptEntry &entry) {
        if (!entry.received || requestText(entry) != text || fired->exchange(true))
            return;
        if (onModule)
            onModule(*module);
        if (onTool)
            QMetaObject::invokeMethod(tool, onTool, Qt::QueuedConnection);
    });
}

} // namespace vxl::test
