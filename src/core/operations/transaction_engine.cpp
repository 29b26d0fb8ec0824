#include "core/operations/transaction_engine.h"

#include "core/link/lin_port.h"

namespace vxl {

clsTransactionEngine::clsTransactionEngine(QObject *parent)
    : QObject(parent)
{
    m_timer.setObjectName(QStringLiteral("timerReset"));
    m_timer.setInterval(kTickMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &clsTransactionEngine::OnTimerTick);
}

void clsTransactionEngine::SetHandlers(TransactionKind kind, KindHandlers handlers)
{
    m_handlers[index(kind)] = std::move(handlers);
}

bool clsTransactionEngine::IsIdle() const
{
    // A pending identification exchange does not block other actions.
    for (int k = 0; k < kTransactionKinds; ++k) {
        if (k != int(TransactionKind::tkProgrammingMode) && m_active[std::size_t(k)])
            return false;
    }
    return true;
}

void clsTransactionEngine::ClearAll()
{
    m_active.fill(false);
}

void clsTransactionEngine::Arm()
{
    m_ticks = 0;
    if (!m_timer.isActive())
        m_timer.start();
}

void clsTransactionEngine::StopTimer()
{
    m_timer.stop();
    m_ticks = 0;
}

void clsTransactionEngine::Paint(bool busy)
{
    if (m_hooks.paint)
        m_hooks.paint(busy);
}

void clsTransactionEngine::BeginTransaction(TransactionKind kind)
{
    SetActive(kind, true);
    Paint(true);
    Arm();
}

void clsTransactionEngine::Rearm(TransactionKind kind)
{
    SetActive(kind, true);
    Arm();
}

void clsTransactionEngine::EndTransaction(TransactionKind kind)
{
    StopTimer();
    SetActive(kind, false);
    Paint(false);
}

void clsTransactionEngine::OnMessageReceived()
{
    if (!m_link)
        return;
    LIN_Msg msg;
    if (m_link->GetMessage(&msg) != 0)
        return;
    if (HeaderField(msg.header, 0) == 1) {
        if (m_hooks.ownMessage)
            m_hooks.ownMessage(msg);
        return;
    }
    for (int k = 0; k < kTransactionKinds; ++k) {
        if (!m_active[std::size_t(k)])
            continue;
        const auto &handlers = m_handlers[std::size_t(k)];
        if (handlers.accepts && !handlers.accepts(msg))
            continue;
        if (handlers.reply)
            handlers.reply(msg);
        break;
    }
    // An identification still waiting keeps its time-out, whatever exchange ended meanwhile.
    if (IsActive(TransactionKind::tkProgrammingMode) && !m_timer.isActive())
        Arm();
}

void clsTransactionEngine::OnTimerTick()
{
    ++m_ticks;
    for (int k = 0; k < kTransactionKinds; ++k) {
        if (m_active[std::size_t(k)]) {
            timeoutCheck(TransactionKind(k));
            return;
        }
    }
}

void clsTransactionEngine::timeoutCheck(TransactionKind kind)
{
    // The limit in force now: a Timeout lowered while the exchange runs may already be passed.
    const int limit = m_hooks.timeoutSeconds ? m_hooks.timeoutSeconds() : 5;
    if (m_ticks < limit)
        return;
    StopTimer();
    if (m_hooks.connectionLost)
        m_hooks.connectionLost();
    // The connection ends with the time-out, and every exchange with it.
    ClearAll();
    if (const auto &steps = m_handlers[index(kind)].timeout)
        steps();
    // The module read's own steps drop the connection before they tell the user.
    if (kind != TransactionKind::tkModuleRead && m_hooks.updateConnection)
        m_hooks.updateConnection();
}

} // namespace vxl
