#include "core/operations/scheduler_control.h"

#include "core/link/command_builders.h"
#include "core/link/status_text.h"
#include "core/operations/module_read.h"
#include "core/operations/operation_context.h"

#include <QTimer>

namespace vxl {

namespace {
constexpr auto kScheduler = TransactionKind::tkScheduler;
} // namespace

SchedulerControl::SchedulerControl(OperationContext &context, Handoffs handoffs)
    : m_ctx(context)
    , m_handoffs(std::move(handoffs))
{
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer); // never shorter than the module needs
    m_pause.setInterval(kRewritePauseMs);
    QObject::connect(&m_pause, &QTimer::timeout, &m_pause, [this] {
        m_ctx.Engine().SetActive(kScheduler, false);
        m_restartMaster = m_masterActive;
        addEntries();
        updateButtons();
    });
}

bool SchedulerControl::queue(int command, int sequence, const std::uint8_t *data, int count)
{
    return SendCommandData(m_ctx.Link(), 2, command, sequence, {data, std::size_t(count)}) == 0;
}

void SchedulerControl::begin(int code, bool paint)
{
    auto &engine = m_ctx.Engine();
    engine.SetSchedulerCode(code);
    engine.SetActive(kScheduler, true);
    if (paint)
        m_ctx.PaintBusy();
    engine.Arm();
}

void SchedulerControl::ReadMasterStatus()
{
    if (!m_ctx.StartChecks() || !queue(16, 0, nullptr, 0))
        return;
    begin(16, true);
}

void SchedulerControl::readEntryCount()
{
    if (!m_ctx.StartChecks() || !queue(20, 3, nullptr, 0))
        return;
    begin(20, true);
}

void SchedulerControl::SwitchMaster()
{
    if (!m_ctx.StartChecks())
        return;
    const std::uint8_t on = m_masterActive ? 0 : 1;
    if (!queue(36, 1, &on, 1))
        return;
    begin(36, true);
}

void SchedulerControl::Discard()
{
    const bool sendWaits = m_handoffs.sendStep() != 0;
    const QString question = sendWaits
                                 ? OperatorMessage(10)
                                 : QStringLiteral("The current entries will be deleted. Procced?");
    if (!m_ctx.StartChecks())
        return;
    if (m_entryCount > 0) {
        const bool profileEmpty = m_handoffs.profileEntryCount() == 0;
        if (!(sendWaits && profileEmpty) && !m_ctx.Confirm(question))
            return;
        if (!queue(51, 2, nullptr, 0))
            return;
        begin(51, false);
        return;
    }
    if (sendWaits) {
        m_handoffs.setSendStep(2);
        m_handoffs.sendProfile();
    }
}

void SchedulerControl::Adjust()
{
    if (!m_ctx.StartChecks(QStringLiteral("There is not an activeconnection")))
        return;
    if (m_entryCount < 1) {
        AdjustContinuation();
        return;
    }
    m_handoffs.readEntries(m_entryCount);
}

void SchedulerControl::ShowModuleEntries()
{
    m_editable = false;
    m_entryCount = m_ctx.ModuleCopy().LIN.SchedulerCount;
    m_ctx.SetEnabled(Command::DiscardScheduler, m_entryCount != 0);
    m_ctx.PaintBusy();
    Adjust();
}

void SchedulerControl::AdjustContinuation()
{
    auto &collected = m_ctx.CollectedEntries();
    const auto result = m_ctx.Operator().EditSchedulerEntries(collected, m_editable);
    collected.clear();
    if (result) {
        collected = *result;
        if (!collected.empty())
            rewrite();
        else if (m_ctx.Enabled(Command::DiscardScheduler))
            Discard();
    }
    m_ctx.PaintIdle();
}

bool SchedulerControl::mayContinue()
{
    // The rewrite's steps run from replies: while something else runs they quietly stop.
    if (!m_ctx.IsConnected()) {
        m_ctx.Error(QString::fromLatin1(kNoActiveConnection));
        return false;
    }
    return m_ctx.IsIdle();
}

void SchedulerControl::rewrite()
{
    if (!mayContinue())
        return;
    if (!m_ctx.Confirm(
            QStringLiteral("The current scheduler entries will be modified. Procced?"))) {
        m_ctx.CollectedEntries().clear();
        return;
    }
    if (!queue(51, 5, nullptr, 0))
        return;
    begin(51, false);
}

void SchedulerControl::addEntries()
{
    if (!mayContinue())
        return;
    auto &engine = m_ctx.Engine();
    auto &collected = m_ctx.CollectedEntries();
    const bool any = !collected.empty();
    engine.SetPendingReplies(int(collected.size()));
    engine.SetActive(kScheduler, true);
    engine.SetSchedulerCode(40);
    for (const auto &entry : collected) {
        const std::uint8_t data[] = {std::uint8_t(entry.Time & 0xFF),
                                     std::uint8_t(entry.Time >> 8),
                                     entry.ID};
        queue(40, 6, data, 3);
    }
    collected.clear();
    m_entryCount = 0;
    m_ctx.SetEnabled(Command::DiscardScheduler, false);
    if (any)
        m_ctx.PaintBusy();
    engine.Arm();
}

void SchedulerControl::returnError(std::uint8_t code)
{
    m_ctx.Error(StatusText(code, ModuleReturn));
}

void SchedulerControl::SchedulerReply(const LIN_Msg &msg)
{
    if (m_pause.isActive())
        return;
    auto &engine = m_ctx.Engine();
    engine.StopTimer();
    engine.SetActive(kScheduler, false);
    const std::uint8_t c = msg.data[0];
    switch (HeaderField(msg.header, 1)) {
    case 0:
        m_masterActive = c != 0;
        readEntryCount();
        break;
    case 1:
        m_ctx.PaintIdle();
        if (c != 0)
            returnError(c);
        else
            m_masterActive = !m_masterActive;
        break;
    case 2:
        if (emptied(c))
            return;
        break;
    case 3:
        m_ctx.PaintIdle();
        if (msg.count == 2) {
            m_entryCount = int(ReplyValue(msg, 0, 2));
            m_ctx.SetEnabled(Command::DiscardScheduler, m_entryCount != 0);
        } else if (c != 6) {
            returnError(c);
        }
        break;
    case 4:
        m_handoffs.entryReply(msg);
        break;
    case 5:
        if (c != 0)
            returnError(c);
        else
            pauseBeforeAdding();
        break;
    case 6:
        entryAdded(c);
        break;
    default:
        m_masterActive = false;
        m_ctx.PaintIdle();
        break;
    }
    updateButtons();
}

bool SchedulerControl::emptied(std::uint8_t code)
{
    if (code != 0) {
        returnError(code);
        return false;
    }
    m_entryCount = 0;
    m_ctx.SetEnabled(Command::DiscardScheduler, false);
    m_masterActive = false;
    if (m_handoffs.sendStep() != 1)
        return false;
    m_handoffs.setSendStep(2);
    updateButtons();
    m_handoffs.sendProfile();
    return true;
}

void SchedulerControl::pauseBeforeAdding()
{
    // The module needs a moment after emptying its scheduler before it takes new entries.
    // The exchange stays marked meanwhile, so nothing else starts and the entries are not
    // lost; a reply that arrives meanwhile is no answer to it.
    m_ctx.Engine().SetActive(kScheduler, true);
    m_pause.start();
}

void SchedulerControl::entryAdded(std::uint8_t code)
{
    auto &engine = m_ctx.Engine();
    engine.SetPendingReplies(engine.PendingReplies() - 1);
    if (code != 0) {
        m_ctx.ShowBusyNotice(QStringLiteral("Error adding entry: ")
                             + StatusText(code, ModuleReturn));
    } else {
        ++m_entryCount;
        m_ctx.SetEnabled(Command::DiscardScheduler, true);
    }
    if (engine.PendingReplies() > 0) {
        engine.Rearm(kScheduler);
        return;
    }
    m_masterActive = false;
    m_ctx.PaintIdle();
    if (m_restartMaster) {
        updateButtons();
        SwitchMaster();
    }
}

void SchedulerControl::ConnectionEnded()
{
    if (!m_pause.isActive())
        return;
    m_pause.stop();
    m_ctx.Engine().SetActive(kScheduler, false);
    m_ctx.CollectedEntries().clear();
}

void SchedulerControl::updateButtons()
{
    const bool discard = m_ctx.Enabled(Command::DiscardScheduler);
    const bool off = m_masterActive && discard;
    m_ctx.SetEnabled(Command::MasterOff, off);
    m_ctx.SetEnabled(Command::MasterOn, !off && discard);
}

void SchedulerControl::OnTimeout()
{
    m_ctx.Error(OperatorMessage(3,
                                std::uint32_t(m_ctx.Settings().Timeout),
                                2u + 256u * std::uint32_t(m_ctx.Engine().SchedulerCode())));
    m_ctx.CollectedEntries().clear();
    if (m_handoffs.sendStep() == 1)
        m_handoffs.setSendStep(0);
}

} // namespace vxl
