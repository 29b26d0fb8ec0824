#include "core/operations/connection.h"

#include "core/link/lin_port.h"
#include "core/link/status_text.h"
#include "core/operations/module_read.h"
#include "core/operations/operations.h"

#include <QThread>

namespace vxl {

int BitRateIndex(int rate)
{
    for (int i = 0; i < int(std::size(kBitRates)); ++i) {
        if (kBitRates[i] == rate)
            return i;
    }
    return kDefaultRateIndex;
}

int BitRateAt(int index)
{
    if (index < 0 || index >= int(std::size(kBitRates)))
        return kBitRates[kDefaultRateIndex];
    return kBitRates[index];
}

QString BitRateText(int rate)
{
    return QString::number(rate) + QStringLiteral(" bit/s");
}

Connection::Connection(Operations &ops)
    : m_ops(ops)
    , m_port(ops.Settings().Port)
    , m_rate(ops.Settings().Baudrate)
{}

bool Connection::TryConnect(int port, int rate, int *code)
{
    auto &link = m_ops.Link();
    int result = link.Connect(port, std::uint32_t(rate));
    if (result == LinCode::Ok && link.ConfirmModule() != LinCode::Ok)
        result = LinCode::NotConnected;
    if (code)
        *code = result;
    if (result != LinCode::Ok)
        return false;
    m_port = port;
    m_rate = rate;
    m_checkEnabled = true;
    m_ops.SetEnabled(QStringLiteral("mniCheckConnection"), true);
    m_ops.SetEnabled(QStringLiteral("tbtCheckConnection"), true);
    return true;
}

void Connection::ShowConnectDialog()
{
    QThread::msleep(100);
    auto &op = m_ops.Operator();
    op.OpenConnectDialog(m_port, m_rate, m_ops.Settings().ScanCount);
    while (true) {
        const auto choice = op.ExecConnectDialog();
        if (!choice)
            break;
        int code = 0;
        m_connected = TryConnect(choice->port, choice->rate, &code);
        if (m_connected)
            break;
        const auto answer = op.ShowMessage(BoxKind::Question,
                                           OperatorMessage(0,
                                                           std::uint32_t(choice->port),
                                                           std::uint32_t(code)));
        if (answer != BoxResult::Yes)
            break;
    }
    op.CloseConnectDialog();
}

void Connection::ApplyStartMode()
{
    switch (m_ops.Settings().StartMode) {
    case 1:
        UpdateConnectionState();
        return;
    case 3:
        m_connected = TryConnect(m_port, m_rate);
        if (!m_connected)
            ShowConnectDialog();
        return;
    default:
        ShowConnectDialog();
        return;
    }
}

QString Connection::StatusLine() const
{
    if (!m_connected)
        return QStringLiteral(" Not connected. ");
    return QStringLiteral(" Connected to COM") + QString::number(m_port) + QStringLiteral(" at ")
           + QString::number(m_rate) + QStringLiteral(" bit/s");
}

void Connection::UpdateConnectionState()
{
    auto &op = m_ops.Operator();
    op.SetStatusText(0, StatusLine());
    if (m_connected) {
        m_ops.PaintIdle();
        m_ops.Reader().StartModuleRead();
    } else {
        m_ops.PaintOff();
        m_ops.Link().Disconnect();
        m_ops.SetEnabled(QStringLiteral("btbSaveDataAs"), false);
        m_ops.Reader().SetEntriesPending(false);
    }
    m_ops.UpdateCommandStates();
    emit m_ops.connectionChanged(m_connected);
}

void Connection::DisconnectCommand()
{
    if (!m_ops.IsIdle()
        && !m_ops.Confirm(QStringLiteral("A process is executing right now. Finish connection?")))
        return;
    DropConnection();
}

void Connection::DropConnection()
{
    m_connected = false;
    m_ops.Link().Disconnect();
    m_ops.Engine().StopTimer();
    m_ops.Engine().ClearAll();
    UpdateConnectionState();
}

void Connection::CheckConnection()
{
    auto &op = m_ops.Operator();
    static const QString alive = QStringLiteral("The connection is alive");
    if (!m_ops.IsIdle()) {
        op.ShowNotice(alive);
        return;
    }
    if (m_connected) {
        if (m_ops.Link().ConfirmModule() != LinCode::Ok) {
            m_connected = false;
            m_ops.Information(QStringLiteral("There is no longer an active connection"));
        } else {
            op.ShowNotice(alive);
        }
    } else {
        m_ops.Link().Disconnect();
        QThread::msleep(50);
        m_connected = TryConnect(m_port, m_rate);
        if (!m_connected) {
            const auto portAndRate = std::uint32_t(m_port & 0xFF) | (std::uint32_t(m_rate) << 8);
            m_ops.Error(OperatorMessage(7, 4, portAndRate));
        }
    }
    UpdateConnectionState();
}

} // namespace vxl
