#include "core/operations/operations.h"

#include "core/link/lin_port.h"
#include "core/module/module_grid_text.h"
#include "core/operations/connection.h"
#include "core/operations/console_logic.h"
#include "core/operations/flash_magic.h"
#include "core/operations/frame_info_read.h"
#include "core/operations/maintenance.h"
#include "core/operations/module_read.h"
#include "core/operations/profile_send.h"
#include "core/operations/scheduler_control.h"
#include "core/trace/trace_list.h"
#include "core/trace/trace_log.h"

#include <QMetaObject>

#include <chrono>

namespace vxl {

Operations::Operations(OperatorInterface &op,
                       const VXLIN_Values &settings,
                       ComPortMap portMap,
                       QObject *parent)
    : QObject(parent)
    , m_operator(op)
    , m_settings(settings)
    , m_engine(this)
    , m_grid(FixedGridTexts())
{
    m_trace = std::make_unique<TraceList>();
    m_log = std::make_unique<TraceLog>();
    m_connection = std::make_unique<Connection>(*this);
    m_reader = std::make_unique<ModuleReader>(*this);
    m_sender = std::make_unique<ProfileSender>(*this);
    m_scheduler = std::make_unique<SchedulerControl>(*this);
    m_maintenance = std::make_unique<Maintenance>(*this);
    m_frameInfo = std::make_unique<FrameInfoReader>(*this);
    m_console = std::make_unique<ConsoleLogic>(*this);
    m_flashMagic = std::make_unique<FlashMagic>(*this);
    // One queued call per notification, in order, on this object's thread.
    // One queued call per notification, in order; the notification itself waits in a guarded
    // queue of ours, so the hand-over from the reader thread is one our own lock orders.
    m_link = std::make_unique<clsLinPort>(
        [this](unsigned message, int, int) {
            {
                std::lock_guard lock(m_notificationMutex);
                m_notifications.push_back(message);
            }
            QMetaObject::invokeMethod(this, "takeNotification", Qt::QueuedConnection);
        },
        std::move(portMap));
    m_module.LIN.FrameLengths = ModuleConfig::NewProfile().LIN.FrameLengths;

    m_engine.SetLink(m_link.get());
    m_engine.SetHooks({
        [this](bool busy) { busy ? PaintBusy() : PaintIdle(); },
        [this](const LIN_Msg &msg) { onOwnMessage(msg); },
        [this] { m_connection->SetConnected(false); },
        [this] { m_connection->UpdateConnectionState(); },
        [this] { return m_settings.Timeout; },
    });
    using K = TransactionKind;
    m_engine.SetHandlers(K::tkRawCommand,
                         {[this](const LIN_Msg &m) { m_console->OnRawCommandReply(m); },
                          [this] { m_console->OnTimeout(); }});
    m_engine.SetHandlers(K::tkScheduler,
                         {[this](const LIN_Msg &m) { m_scheduler->SchedulerReply(m); },
                          [this] { m_scheduler->OnTimeout(); }});
    m_engine.SetHandlers(K::tkModuleRead,
                         {[this](const LIN_Msg &m) { m_reader->ModuleReadReply(m); },
                          [this] { m_reader->OnTimeout(); }});
    m_engine.SetHandlers(K::tkProfileSend,
                         {[this](const LIN_Msg &m) { m_sender->ProfileSendReply(m); },
                          [this] { m_sender->OnTimeout(); }});
    m_engine.SetHandlers(K::tkProgrammingMode,
                         {[this](const LIN_Msg &m) { m_maintenance->ProgrammingReply(m); },
                          [this] { m_maintenance->OnProgrammingTimeout(); }});
    m_engine.SetHandlers(K::tkFrameInfo,
                         {[this](const LIN_Msg &m) { m_frameInfo->FrameInfoReply(m); },
                          [this] { m_frameInfo->OnTimeout(); }});
}

Operations::~Operations()
{
    // The reader and sender threads stop before the objects they post to go away.
    m_engine.SetLink(nullptr);
    m_link.reset();
}

void Operations::takeNotification()
{
    unsigned message = 0;
    {
        std::lock_guard lock(m_notificationMutex);
        if (m_notifications.empty())
            return;
        message = m_notifications.front();
        m_notifications.pop_front();
    }
    onLinkNotification(message);
}

void Operations::onLinkNotification(unsigned message)
{
    if (message == WM_LIN_MESSAGE) {
        m_engine.OnMessageReceived();
        return;
    }
    if (message != WM_LIN_TEXT)
        return;
    // The module's start-up text after a reset.
    m_engine.StopTimer();
    m_console->ShowStartupText();
    m_engine.SetActive(TransactionKind::tkRawCommand, false);
    PaintIdle();
    m_console->RefreshCommandSelection();
    m_reader->StartModuleRead();
}

void Operations::onOwnMessage(const LIN_Msg &msg)
{
    const auto &entry = m_trace->AddTraceEntry(msg, TickCount());
    if (m_log->IsRecording())
        m_log->Append(entry);
    emit ownMessageReceived(msg);
}

std::uint32_t Operations::TickCount()
{
    using namespace std::chrono;
    return std::uint32_t(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void Operations::ApplySettings(const VXLIN_Values &settings)
{
    m_settings = settings;
    IsConnected() ? PaintIdle() : PaintOff();
}

bool Operations::IsConnected() const
{
    return m_connection->IsConnected();
}

bool Operations::StartChecks(const QString &notConnected, const QString &busy)
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

void Operations::ShowBusyNotice(const QString &text)
{
    m_operator.ShowNotice(text, -1);
}

void Operations::Error(const QString &text)
{
    m_operator.ShowMessage(BoxKind::Error, text);
}

void Operations::Information(const QString &text)
{
    m_operator.ShowMessage(BoxKind::Information, text);
}

bool Operations::Confirm(const QString &text)
{
    return m_operator.ShowMessage(BoxKind::Confirmation, text) == BoxResult::Yes;
}

void Operations::PaintBusy()
{
    m_operator.SetPanelColor(m_settings.ColorWorking);
}

void Operations::PaintIdle()
{
    m_operator.SetPanelColor(m_settings.ColorOn);
}

void Operations::PaintOff()
{
    m_operator.SetPanelColor(m_settings.ColorOff);
}

bool Operations::Enabled(const QString &name) const
{
    const auto found = m_enabled.find(name);
    return found != m_enabled.end() && found->second;
}

void Operations::SetEnabled(const QString &name, bool enabled)
{
    const auto found = m_enabled.find(name);
    if (found != m_enabled.end() && found->second == enabled)
        return;
    m_enabled[name] = enabled;
    emit commandStatesChanged();
}

void Operations::SetGrid(const GridTexts &grid)
{
    m_grid = grid;
    emit gridChanged();
}

void Operations::ClearGrid()
{
    m_grid = FixedGridTexts();
    emit gridChanged();
}

void Operations::SetIdentity(const IdentityTexts &identity)
{
    m_identity = identity;
    emit identityChanged();
}

void Operations::ShowModuleFrames()
{
    if (!IsIdle()) {
        ShowBusyNotice();
        return;
    }
    const auto &lin = m_module.LIN;
    const int lengthStatus = lin.ReplyStatus[LinFrameLengthsStatus];
    const int formatStatus = lin.ReplyStatus[LinFrameFormatsStatus];
    if (lengthStatus == 0 && formatStatus == 0) {
        m_operator.ShowFrameTable(lin);
        return;
    }
    Information(QStringLiteral("Frame Information not available. Error Length: ")
                + QString::number(lengthStatus) + QStringLiteral(" Error Format: ")
                + QString::number(formatStatus));
}

bool Operations::MayChangeView(View target, bool fromMenu) const
{
    if (m_operator.CurrentView() == target)
        return false;
    if (fromMenu && target == View::Advanced)
        return true;
    return IsIdle();
}

void Operations::ActivateView(View view)
{
    const bool connected = IsConnected();
    switch (view) {
    case View::ModuleData:
        if (connected)
            m_reader->StartModuleRead();
        break;
    case View::Messages:
        m_sender->SetSchedulerStep(0);
        m_scheduler->SetEditable(true);
        if (connected)
            m_scheduler->ReadMasterStatus();
        break;
    case View::Profiles:
        if (connected)
            m_maintenance->IdentifyModule(1);
        break;
    case View::Advanced:
        if (!IsIdle())
            ShowBusyNotice();
        break;
    }
    UpdateCommandStates();
}

void Operations::UpdateCommandStates()
{
    const bool connected = IsConnected();
    for (const char *name : {"tbtReset",
                             "tbtSaveFlash",
                             "tbtSetDefault",
                             "tbtCutConnection",
                             "mniNewFromModule",
                             "mniReset",
                             "mniSetDefaultValues",
                             "mniCopyToFlash",
                             "mniDisconnection"})
        m_enabled[QString::fromLatin1(name)] = connected;
    const int firmware = FirmwareNumber(m_module.Module.FirmwareText);
    const int threshold = FirmwareNumber(m_settings.FirmwareVerUpdate);
    m_enabled[QStringLiteral("mniSetISPMode")] = connected && firmware != -1 && threshold != -1
                                                 && firmware >= threshold;
    m_enabled[QStringLiteral("mniCheckConnection")] = m_connection->CheckEnabled();
    m_enabled[QStringLiteral("tbtCheckConnection")] = m_connection->CheckEnabled();
    m_enabled[QStringLiteral("mniFlashMagic")] = m_flashMagic->Found();
    switch (m_operator.CurrentView()) {
    case View::ModuleData:
        for (const char *name : {"btbSaveDataAs", "btbRefresh", "btbScheduler", "btbFrames"})
            m_enabled[QString::fromLatin1(name)] = connected;
        break;
    case View::Messages:
        for (const char *name : {"btbMasterOn",
                                 "btbMasterOff",
                                 "btbDiscardScheduler",
                                 "btbModifyScheduler",
                                 "btbAutoRplyClear"})
            m_enabled[QString::fromLatin1(name)] = connected;
        break;
    case View::Profiles:
        m_enabled[QStringLiteral("btbSendProfile")] = connected && m_operator.CurrentProfile();
        m_enabled[QStringLiteral("chbFlashWrite")] = connected;
        break;
    case View::Advanced:
        for (const char *name : {"btbReset", "btbSetValues", "btbCopyFlashBlock", "btbSendCode"})
            m_enabled[QString::fromLatin1(name)] = connected;
        m_console->RebuildCommandList();
        break;
    }
    // The log buttons: while recording, a lost connection ends the recording.
    const bool recording = m_log->IsRecording();
    m_enabled[QStringLiteral("btbLogStart")] = !recording && connected;
    m_enabled[QStringLiteral("btbLogStop")] = recording;
    if (recording && !connected)
        emit logStopRequested();
    emit commandStatesChanged();
}

} // namespace vxl
