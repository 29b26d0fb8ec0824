#include "core/operations/connection.h"

#include "core/link/lin_port.h"
#include "core/link/status_text.h"
#include "core/operations/operation_context.h"

#include <QThread>

namespace vxl {

namespace {

// No exchange outlives its connection: its replies went with the port, so it could only time
// out, and that time-out would close whatever connection is open by then.
void endExchanges(OperationContext &ctx, const Connection::Handoffs &handoffs)
{
    auto &engine = ctx.Engine();
    engine.StopTimer();
    engine.ClearAll();
    engine.SetDefaultsRateWarning(false);
    engine.SetRefreshAfterDefaults(false);
    handoffs.dropped();
}

} // namespace

Connection::Connection(OperationContext &context, Handoffs handoffs)
    : m_ctx(context)
    , m_handoffs(std::move(handoffs))
{}

bool Connection::IsConnected() const
{
    return m_ctx.IsConnected();
}

void Connection::SetConnected(bool connected)
{
    m_ctx.Connection().connected = connected;
}

int Connection::CurrentPort() const
{
    return m_ctx.Connection().port;
}

int Connection::CurrentRate() const
{
    return m_ctx.Connection().rate;
}

bool Connection::TryConnect(int port, int rate, int *code)
{
    // Opening the port closes the one open now: whatever ran on it ends here, as on a lost
    // connection, and the new connection is read as usual.
    endExchanges(m_ctx, m_handoffs);
    auto &link = m_ctx.Link();
    int result = link.Connect(port, std::uint32_t(rate));
    if (result == LinCode::Ok && link.ConfirmModule() != LinCode::Ok)
        result = LinCode::NotConnected;
    if (code)
        *code = result;
    if (result != LinCode::Ok)
        return false;
    m_ctx.Connection().port = port;
    m_ctx.Connection().rate = rate;
    m_checkEnabled = true;
    m_ctx.SetEnabled(Command::CheckConnection, true);
    return true;
}

void Connection::ShowConnectDialog()
{
    QThread::msleep(100);
    auto &op = m_ctx.Operator();
    op.OpenConnectDialog(CurrentPort(), CurrentRate(), m_ctx.Settings().ScanCount);
    while (true) {
        const auto choice = op.ExecConnectDialog();
        if (!choice)
            break;
        int code = 0;
        SetConnected(TryConnect(choice->port, choice->rate, &code));
        if (IsConnected())
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
    switch (m_ctx.Settings().StartMode) {
    case 1:
        UpdateConnectionState();
        return;
    case 3:
        SetConnected(TryConnect(CurrentPort(), CurrentRate()));
        if (!IsConnected())
            ShowConnectDialog();
        return;
    default:
        ShowConnectDialog();
        return;
    }
}

QString Connection::StatusLine() const
{
    if (!IsConnected())
        return QStringLiteral(" Not connected. ");
    return QStringLiteral(" Connected to COM") + QString::number(CurrentPort())
           + QStringLiteral(" at ") + QString::number(CurrentRate()) + QStringLiteral(" bit/s");
}

void Connection::UpdateConnectionState()
{
    auto &op = m_ctx.Operator();
    op.SetStatusText(0, StatusLine());
    const bool connected = IsConnected();
    if (connected) {
        m_ctx.PaintIdle();
        m_handoffs.readModule();
    } else {
        m_ctx.PaintOff();
        m_ctx.Link().Disconnect();
        endExchanges(m_ctx, m_handoffs);
        m_ctx.SetEnabled(Command::SaveDataAs, false);
    }
    m_handoffs.shown(connected);
}

void Connection::DisconnectCommand()
{
    if (!m_ctx.IsIdle()
        && !m_ctx.Confirm(QStringLiteral("A process is executing right now. Finish connection?")))
        return;
    DropConnection();
}

void Connection::DropConnection()
{
    SetConnected(false);
    m_ctx.Link().Disconnect();
    m_ctx.Engine().StopTimer();
    m_ctx.Engine().ClearAll();
    UpdateConnectionState();
}

void Connection::CheckConnection()
{
    auto &op = m_ctx.Operator();
    static const QString alive = QStringLiteral("The connection is alive");
    if (!m_ctx.IsIdle()) {
        op.ShowNotice(alive);
        return;
    }
    if (IsConnected()) {
        if (m_ctx.Link().ConfirmModule() != LinCode::Ok) {
            SetConnected(false);
            m_ctx.Information(QStringLiteral("There is no longer an active connection"));
        } else {
            op.ShowNotice(alive);
        }
    } else {
        m_ctx.Link().Disconnect();
        QThread::msleep(50);
        const int port = CurrentPort();
        const int rate = CurrentRate();
        SetConnected(TryConnect(port, rate));
        if (!IsConnected()) {
            const auto portAndRate = std::uint32_t(port & 0xFF) | (std::uint32_t(rate) << 8);
            m_ctx.Error(OperatorMessage(7, 4, portAndRate));
        }
    }
    UpdateConnectionState();
}

} // namespace vxl
