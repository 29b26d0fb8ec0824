#include "core/operations/scheduler_control.h"

#include "core/link/command_builders.h"
#include "core/link/status_text.h"
#include "core/operations/module_read.h"
#include "core/operations/operations.h"
#include "core/operations/profile_send.h"

#include <QTimer>

namespace vxl {

namespace {
constexpr auto kScheduler = TransactionKind::tkScheduler;
const QString kDiscardName = QStringLiteral("btbDiscardScheduler");
} // namespace

SchedulerControl::SchedulerControl(Operations &ops)
    : m_ops(ops)
{}

bool SchedulerControl::queue(int command, int sequence, const std::uint8_t *data, int count)
{
    return SendCommandData(m_ops.Link(), 2, command, sequence, {data, std::size_t(count)}) == 0;
}

void SchedulerControl::begin(int code, bool paint)
{
    auto &engine = m_ops.Engine();
    engine.SchedulerCode = code;
    engine.SetActive(kScheduler, true);
    if (paint)
        m_ops.PaintBusy();
    engine.Arm();
}

void SchedulerControl::ReadMasterStatus()
{
    if (!m_ops.StartChecks() || !queue(16, 0, nullptr, 0))
        return;
    begin(16, true);
}

void SchedulerControl::readEntryCount()
{
    if (!m_ops.StartChecks() || !queue(20, 3, nullptr, 0))
        return;
    begin(20, true);
}

void SchedulerControl::SwitchMaster()
{
    if (!m_ops.StartChecks())
        return;
    const std::uint8_t on = m_masterActive ? 0 : 1;
    if (!queue(36, 1, &on, 1))
        return;
    begin(36, true);
}

void SchedulerControl::Discard()
{
    auto &sender = m_ops.Sender();
    const bool sendWaits = sender.SchedulerStep() != 0;
    const QString question = sendWaits
                                 ? OperatorMessage(10)
                                 : QStringLiteral("The current entries will be deleted. Procced?");
    if (!m_ops.StartChecks())
        return;
    if (m_entryCount > 0) {
        const bool profileEmpty = sender.ProfileSchedulerCount() == 0;
        if (!(sendWaits && profileEmpty) && !m_ops.Confirm(question))
            return;
        if (!queue(51, 2, nullptr, 0))
            return;
        begin(51, false);
        return;
    }
    if (sendWaits) {
        sender.SetSchedulerStep(2);
        sender.SendProfile();
    }
}

void SchedulerControl::Adjust()
{
    if (!m_ops.StartChecks(QStringLiteral("There is not an activeconnection")))
        return;
    if (m_entryCount < 1) {
        AdjustContinuation();
        return;
    }
    m_ops.Reader().ReadSchedulerEntries();
}

void SchedulerControl::ShowModuleEntries()
{
    m_editable = false;
    m_entryCount = m_ops.ModuleCopy().LIN.SchedulerCount;
    m_ops.SetEnabled(kDiscardName, m_entryCount != 0);
    m_ops.PaintBusy();
    Adjust();
}

void SchedulerControl::AdjustContinuation()
{
    auto &collected = m_ops.CollectedEntries();
    const auto result = m_ops.Operator().EditSchedulerEntries(collected, m_editable);
    collected.clear();
    if (result) {
        collected = *result;
        if (!collected.empty())
            rewrite();
        else if (m_ops.Enabled(kDiscardName))
            Discard();
    }
    m_ops.PaintIdle();
}

bool SchedulerControl::mayContinue()
{
    // The rewrite's steps run from replies: while something else runs they quietly stop.
    if (!m_ops.IsConnected()) {
        m_ops.Error(QString::fromLatin1(kNoActiveConnection));
        return false;
    }
    return m_ops.IsIdle();
}

void SchedulerControl::rewrite()
{
    if (!mayContinue())
        return;
    if (!m_ops.Confirm(
            QStringLiteral("The current scheduler entries will be modified. Procced?"))) {
        m_ops.CollectedEntries().clear();
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
    auto &engine = m_ops.Engine();
    auto &collected = m_ops.CollectedEntries();
    const bool any = !collected.empty();
    engine.PendingReplies = int(collected.size());
    engine.SetActive(kScheduler, true);
    engine.SchedulerCode = 40;
    for (const auto &entry : collected) {
        const std::uint8_t data[] = {std::uint8_t(entry.Time & 0xFF),
                                     std::uint8_t(entry.Time >> 8),
                                     entry.ID};
        queue(40, 6, data, 3);
    }
    collected.clear();
    m_entryCount = 0;
    m_ops.SetEnabled(kDiscardName, false);
    if (any)
        m_ops.PaintBusy();
    engine.Arm();
}

void SchedulerControl::returnError(std::uint8_t code)
{
    m_ops.Error(StatusText(code, ModuleReturn));
}

void SchedulerControl::SchedulerReply(const LIN_Msg &msg)
{
    auto &engine = m_ops.Engine();
    engine.StopTimer();
    engine.SetActive(kScheduler, false);
    const std::uint8_t c = msg.data[0];
    switch (HeaderField(msg.header, 1)) {
    case 0:
        m_masterActive = c != 0;
        readEntryCount();
        break;
    case 1:
        m_ops.PaintIdle();
        if (c != 0)
            returnError(c);
        else
            m_masterActive = !m_masterActive;
        break;
    case 2:
        if (c != 0) {
            returnError(c);
            break;
        }
        m_entryCount = 0;
        m_ops.SetEnabled(kDiscardName, false);
        m_masterActive = false;
        if (m_ops.Sender().SchedulerStep() == 1) {
            m_ops.Sender().SetSchedulerStep(2);
            updateButtons();
            m_ops.Sender().SendProfile();
            return;
        }
        break;
    case 3:
        m_ops.PaintIdle();
        if (msg.count == 2) {
            m_entryCount = int(ReplyValue(msg, 0, 2));
            m_ops.SetEnabled(kDiscardName, m_entryCount != 0);
        } else if (c != 6) {
            returnError(c);
        }
        break;
    case 4:
        m_ops.Reader().SchedulerEntryReply(msg);
        break;
    case 5:
        if (c != 0) {
            returnError(c);
            break;
        }
        // The module needs a moment after emptying its scheduler before it takes new entries.
        // The exchange stays marked meanwhile, so nothing else starts and the entries are not
        // lost.
        engine.SetActive(kScheduler, true);
        QTimer::singleShot(kRewritePauseMs, &m_ops, [this] {
            m_ops.Engine().SetActive(kScheduler, false);
            m_ops.Engine().RestartMaster = m_masterActive;
            addEntries();
            updateButtons();
        });
        break;
    case 6:
        --engine.PendingReplies;
        if (c != 0) {
            m_ops.ShowBusyNotice(QStringLiteral("Error adding entry: ")
                                 + StatusText(c, ModuleReturn));
        } else {
            ++m_entryCount;
            m_ops.SetEnabled(kDiscardName, true);
        }
        if (engine.PendingReplies <= 0) {
            m_masterActive = false;
            m_ops.PaintIdle();
            if (engine.RestartMaster) {
                updateButtons();
                SwitchMaster();
            }
        } else {
            engine.Rearm(kScheduler);
        }
        break;
    default:
        m_masterActive = false;
        m_ops.PaintIdle();
        break;
    }
    updateButtons();
}

void SchedulerControl::updateButtons()
{
    const bool discard = m_ops.Enabled(kDiscardName);
    const bool off = m_masterActive && discard;
    m_ops.SetEnabled(QStringLiteral("btbMasterOff"), off);
    m_ops.SetEnabled(QStringLiteral("btbMasterOn"), !off && discard);
}

void SchedulerControl::OnTimeout()
{
    auto &engine = m_ops.Engine();
    m_ops.Error(OperatorMessage(3,
                                std::uint32_t(m_ops.Settings().Timeout),
                                2u + 256u * std::uint32_t(engine.SchedulerCode)));
    m_ops.CollectedEntries().clear();
    if (m_ops.Sender().SchedulerStep() == 1)
        m_ops.Sender().SetSchedulerStep(0);
}

} // namespace vxl
