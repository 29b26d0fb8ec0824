#include "core/operations/maintenance.h"

#include "core/link/command_builders.h"
#include "core/link/lin_port.h"
#include "core/operations/connection.h"
#include "core/operations/console_logic.h"
#include "core/operations/module_read.h"
#include "core/operations/operations.h"

#include <QThread>

namespace vxl {

namespace {
constexpr auto kRaw = TransactionKind::tkRawCommand;
constexpr auto kProgramming = TransactionKind::tkProgrammingMode;
constexpr int kMaintenanceSequence = 3;
} // namespace

Maintenance::Maintenance(Operations &ops)
    : m_ops(ops)
{}

bool Maintenance::startChecks()
{
    return m_ops.StartChecks(QStringLiteral("There is not an Active Connection"),
                             QStringLiteral("Action in Progress. Please Wait..."));
}

void Maintenance::beginRaw(int code, const char *line)
{
    auto &engine = m_ops.Engine();
    engine.SetActive(kRaw, true);
    m_ops.PaintBusy();
    engine.RawGroup = 3;
    engine.RawCode = code;
    engine.Arm();
    m_ops.Console().AddStatusLine(3, false, QString::fromLatin1(line));
}

void Maintenance::ResetModuleAction()
{
    if (!startChecks())
        return;
    auto &link = m_ops.Link();
    link.SetBinaryMode(false);
    if (link.ResetModule(kMaintenanceSequence) != 0)
        return;
    beginRaw(4, "Reset Module");
}

void Maintenance::SetDefaultsAction(bool fromMenu)
{
    if (fromMenu)
        m_ops.Engine().RefreshAfterDefaults = true;
    if (!startChecks())
        return;
    if (m_ops.Link().SetDefaultValues(kMaintenanceSequence) != 0)
        return;
    if (m_ops.Conn().CurrentRate() != 38400)
        m_ops.Engine().DefaultsRateWarning = true;
    beginRaw(2, "Set Default Values");
}

void Maintenance::FlashSaveAction()
{
    if (!startChecks())
        return;
    if (!m_ops.Confirm(QStringLiteral(
            "The current module configuration will be copied in its flash memory.  Proceed?"))) {
        m_ops.SetFlashWriteTicked(false);
        return;
    }
    if (m_ops.Link().CopyToFlash(kMaintenanceSequence) != 0)
        return;
    beginRaw(3, "Copy current configuration in the flash memory");
}

void Maintenance::ProgrammingModeCommand()
{
    if (!m_ops.Confirm(QStringLiteral(
            "The module will be prepared to be programmed. Do you want to continue?")))
        return;
    IdentifyModule(2);
}

void Maintenance::IdentifyModule(int step)
{
    if (!m_ops.StartChecks())
        return;
    if (m_ops.Link().ReadHardwareVersion(0) != 0)
        return;
    auto &engine = m_ops.Engine();
    engine.SetActive(kProgramming, true);
    m_programmingStep = step;
    m_ops.PaintBusy();
    engine.Arm();
}

void Maintenance::ProgrammingReply(const LIN_Msg &msg)
{
    auto &engine = m_ops.Engine();
    engine.EndTransaction(kProgramming);
    const QString text = ReplyText(msg);
    auto &module = m_ops.ModuleCopy().Module;
    switch (HeaderField(msg.header, 1)) {
    case 0:
        module.HardwareText = text;
        module.BuildMode = BuildModeFromHardware(text);
        if (m_programmingStep > 0 && m_ops.Link().ReadFirmwareVersion(1) == 0) {
            engine.SetActive(kProgramming, true);
            engine.Arm();
            m_ops.PaintBusy();
        }
        return;
    case 1:
        module.FirmwareText = text;
        if (m_programmingStep != 2)
            return;
        if (SendIspRequest(m_ops.Link(), 2) != 0) {
            m_ops.Error(QStringLiteral("Error sending ISP request to the module"));
            return;
        }
        m_programmingStep = 0;
        QThread::msleep(100);
        m_ops.Conn().DisconnectCommand();
        m_ops.Information(
            QStringLiteral("The module is ready to receive the new Hex file. Disconnection made"));
        return;
    default:
        m_ops.Error(QStringLiteral("Error: Answer to an ISP request was received"));
        return;
    }
}

void Maintenance::OnProgrammingTimeout()
{
    m_ops.Error(QStringLiteral(
        "Error entering in programming mode. Timeout reached waiting acknowledge message"));
}

} // namespace vxl
