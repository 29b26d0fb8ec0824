#include "core/operations/maintenance.h"

#include "core/link/command_builders.h"
#include "core/link/lin_port.h"
#include "core/operations/module_read.h"
#include "core/operations/operation_context.h"

#include <QThread>

namespace vxl {

namespace {
constexpr auto kRaw = TransactionKind::tkRawCommand;
constexpr auto kProgramming = TransactionKind::tkProgrammingMode;
constexpr int kMaintenanceSequence = 3;
} // namespace

Maintenance::Maintenance(OperationContext &context, Handoffs handoffs)
    : m_ctx(context)
    , m_handoffs(std::move(handoffs))
{}

bool Maintenance::startChecks()
{
    return m_ctx.StartChecks(QStringLiteral("There is not an Active Connection"),
                             QStringLiteral("Action in Progress. Please Wait..."));
}

void Maintenance::beginRaw(int code, const char *line)
{
    auto &engine = m_ctx.Engine();
    engine.SetActive(kRaw, true);
    m_ctx.PaintBusy();
    engine.SetRawCommand(3, code);
    engine.Arm();
    m_handoffs.consoleLine(3, false, QString::fromLatin1(line));
}

void Maintenance::ResetModuleAction()
{
    if (!startChecks())
        return;
    auto &link = m_ctx.Link();
    link.SetBinaryMode(false);
    if (link.ResetModule(kMaintenanceSequence) != 0)
        return;
    beginRaw(4, "Reset Module");
}

void Maintenance::SetDefaultsAction(bool fromMenu)
{
    if (fromMenu)
        m_ctx.Engine().SetRefreshAfterDefaults(true);
    if (!startChecks())
        return;
    if (m_ctx.Link().SetDefaultValues(kMaintenanceSequence) != 0)
        return;
    if (m_ctx.Connection().rate != 38400)
        m_ctx.Engine().SetDefaultsRateWarning(true);
    beginRaw(2, "Set Default Values");
}

void Maintenance::FlashSaveAction()
{
    if (!startChecks())
        return;
    if (!m_ctx.Confirm(QStringLiteral(
            "The current module configuration will be copied in its flash memory.  Proceed?"))) {
        m_ctx.SetFlashWriteTicked(false);
        return;
    }
    if (m_ctx.Link().CopyToFlash(kMaintenanceSequence) != 0)
        return;
    beginRaw(3, "Copy current configuration in the flash memory");
}

void Maintenance::ProgrammingModeCommand()
{
    if (!m_ctx.Confirm(QStringLiteral(
            "The module will be prepared to be programmed. Do you want to continue?")))
        return;
    IdentifyModule(2);
}

void Maintenance::IdentifyModule(int step)
{
    if (!m_ctx.StartChecks())
        return;
    if (m_ctx.Link().ReadHardwareVersion(0) != 0)
        return;
    auto &engine = m_ctx.Engine();
    engine.SetActive(kProgramming, true);
    m_programmingStep = step;
    m_awaitedSequence = 0;
    m_ctx.PaintBusy();
    engine.Arm();
}

bool Maintenance::AcceptsProgrammingReply(const LIN_Msg &msg) const
{
    const int sequence = HeaderField(msg.header, 1);
    return sequence == m_awaitedSequence || sequence == 2;
}

void Maintenance::ProgrammingReply(const LIN_Msg &msg)
{
    auto &engine = m_ctx.Engine();
    // An exchange started while the identification was pending keeps its time-out and colour.
    engine.SetActive(kProgramming, false);
    if (engine.IsIdle())
        engine.EndTransaction(kProgramming);
    const QString text = ReplyText(msg);
    auto &module = m_ctx.ModuleCopy().Module;
    switch (HeaderField(msg.header, 1)) {
    case 0:
        module.HardwareText = text;
        module.BuildMode = BuildModeFromHardware(text);
        if (m_programmingStep > 0 && m_ctx.Link().ReadFirmwareVersion(1) == 0) {
            m_awaitedSequence = 1;
            engine.SetActive(kProgramming, true);
            engine.Arm();
            m_ctx.PaintBusy();
        }
        return;
    case 1:
        module.FirmwareText = text;
        if (m_programmingStep != 2)
            return;
        if (SendIspRequest(m_ctx.Link(), 2) != 0) {
            m_ctx.Error(QStringLiteral("Error sending ISP request to the module"));
            return;
        }
        m_programmingStep = 0;
        QThread::msleep(100);
        m_handoffs.disconnect();
        m_ctx.Information(
            QStringLiteral("The module is ready to receive the new Hex file. Disconnection made"));
        return;
    default:
        m_ctx.Error(QStringLiteral("Error: Answer to an ISP request was received"));
        return;
    }
}

void Maintenance::OnProgrammingTimeout()
{
    m_ctx.Error(QStringLiteral(
        "Error entering in programming mode. Timeout reached waiting acknowledge message"));
}

} // namespace vxl
