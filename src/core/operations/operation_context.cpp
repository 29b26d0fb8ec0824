#include "core/operations/operation_context.h"

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

bool OperationContext::StartChecks(const QString &notConnected, const QString &busy)
{
    if (!IsConnected()) {
        Error(notConnected);
        return false;
    }
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
