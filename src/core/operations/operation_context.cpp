#include "core/operations/operation_context.h"

#include <QEventLoop>
#include <QTimer>

namespace vxl {

OperationContext::OperationContext(clsLinPort &link,
                                   clsTransactionEngine &engine,
                                   ModuleConfig &module,
                                   OperatorInterface &op,
                                   const VXLIN_Values &settings,
                                   std::function<void()> statesChanged)
    : m_link(link)
    , m_engine(engine)
    , m_module(module)
    , m_operator(op)
    , m_settings(settings)
    , m_statesChanged(std::move(statesChanged))
{
    m_connection.port = settings.Port;
    m_connection.rate = settings.Baudrate;
}

void OperationContext::SetEnabled(Command command, bool enabled)
{
    if (m_states.Set(command, enabled))
        PublishStates();
}

void OperationContext::PublishStates()
{
    if (m_statesChanged)
        m_statesChanged();
}

void OperationContext::AwaitIdentification()
{
    const auto due = [this] {
        return IsConnected() && m_engine.IsActive(TransactionKind::tkProgrammingMode);
    };
    if (!due())
        return;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!due())
            loop.quit();
    });
    // The identification's own time-out ends it; this bound only keeps a wait from outliving a
    // timer that did not run.
    QTimer::singleShot((m_settings.Timeout + 1) * clsTransactionEngine::kTickMs, &loop, [&loop] {
        loop.quit();
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool OperationContext::StartChecks(const QString &notConnected, const QString &busy)
{
    if (!IsConnected()) {
        Error(notConnected);
        return false;
    }
    AwaitIdentification();
    // An identification that timed out meanwhile has told the user and ended the connection.
    if (!IsConnected())
        return false;
    if (!IsIdle()) {
        ShowBusyNotice(busy);
        return false;
    }
    return true;
}

void OperationContext::ShowBusyNotice(const QString &text)
{
    m_operator.ShowNotice(text, -1);
}

void OperationContext::Error(const QString &text)
{
    m_operator.ShowMessage(BoxKind::Error, text);
}

void OperationContext::Information(const QString &text)
{
    m_operator.ShowMessage(BoxKind::Information, text);
}

bool OperationContext::Confirm(const QString &text)
{
    return m_operator.ShowMessage(BoxKind::Confirmation, text) == BoxResult::Yes;
}

void OperationContext::PaintBusy()
{
    m_operator.SetPanelColor(m_settings.ColorWorking);
}

void OperationContext::PaintIdle()
{
    m_operator.SetPanelColor(m_settings.ColorOn);
}

void OperationContext::PaintOff()
{
    m_operator.SetPanelColor(m_settings.ColorOff);
}

} // namespace vxl
