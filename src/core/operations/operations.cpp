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
    m_context = std::make_unique<OperationContext>(*m_link,
                                                   m_engine,
                                                   m_module,
                                                   m_operator,
                                                   m_settings,
                                                   [this] { emit commandStatesChanged(); });
    createOperations();
    wireEngine();
}

// Every hand-off from one operation to another is wired here, so an operation knows no other.
void Operations::createOperations()
{
    auto &ctx = *m_context;
    m_connection = std::make_unique<Connection>(
        ctx,
        Connection::Handoffs{[this] { m_reader->StartModuleRead(); },
                             // What belonged to the connection that ended goes with it:
                             // collected scheduler entries are not the next module's.
                             [this] {
                                 m_reader->ConnectionEnded();
                                 m_scheduler->ConnectionEnded();
                                 m_sender->SetSchedulerStep(0);
                                 m_context->CollectedEntries().clear();
                             },
                             [this](bool connected) { connectionShown(connected); }});
    m_reader = std::make_unique<ModuleReader>(
        ctx,
        ModuleReader::Handoffs{[this](const IdentityTexts &identity) { SetIdentity(identity); },
                               [this](const GridTexts &grid) { SetGrid(grid); },
                               [this] { m_connection->UpdateConnectionState(); },
                               [this](int count) { m_scheduler->SetEntryCount(count); },
                               [this] { m_scheduler->AdjustContinuation(); }});
    m_sender = std::make_unique<ProfileSender>(
        ctx,
        ProfileSender::Handoffs{[this] { m_scheduler->Discard(); },
                                [this] { m_maintenance->FlashSaveAction(); },
                                [this] { RunCurrentViewActivation(); },
                                [this](int count) { m_scheduler->EntriesAdded(count); }});
    m_scheduler = std::make_unique<SchedulerControl>(
        ctx,
        SchedulerControl::Handoffs{[this] { return m_sender->SchedulerStep(); },
                                   [this](int step) { m_sender->SetSchedulerStep(step); },
                                   [this] { return m_sender->ProfileSchedulerCount(); },
                                   [this] { m_sender->SendProfile(); },
                                   [this](int count) { m_reader->ReadSchedulerEntries(count); },
                                   [this](const LIN_Msg &msg) {
                                       m_reader->SchedulerEntryReply(msg);
                                   }});
    m_maintenance = std::make_unique<Maintenance>(
        ctx,
        Maintenance::Handoffs{[this](int group, bool received, const QString &text) {
                                  m_console->AddStatusLine(group, received, text);
                              },
                              [this] { m_connection->DisconnectCommand(); }});
    m_frameInfo = std::make_unique<FrameInfoReader>(ctx);
    m_console = std::make_unique<ConsoleLogic>(
        ctx,
        ConsoleLogic::Handoffs{[this] { RunCurrentViewActivation(); },
                               [this] { m_maintenance->ResetModuleAction(); },
                               [this] { m_frameInfo->ReadFrameInfo(); }});
    m_flashMagic = std::make_unique<FlashMagic>(ctx);
    // The search ends in the background: the menu item follows what it found.
    connect(m_flashMagic.get(), &FlashMagic::searchFinished, this, &Operations::UpdateCommandStates);
}

void Operations::wireEngine()
{
    m_engine.SetLink(m_link.get());
    m_engine.SetHooks({
        [this](bool busy) { busy ? m_context->PaintBusy() : m_context->PaintIdle(); },
        [this](const LIN_Msg &msg) { onOwnMessage(msg); },
        [this] { m_connection->SetConnected(false); },
        [this] { m_connection->UpdateConnectionState(); },
        [this] { return m_settings.Timeout; },
    });
    using K = TransactionKind;
    m_engine.SetHandlers(K::tkRawCommand,
                         {[this](const LIN_Msg &m) { m_console->OnRawCommandReply(m); },
                          [this] { m_console->OnTimeout(); },
                          {}});
    m_engine.SetHandlers(K::tkScheduler,
                         {[this](const LIN_Msg &m) { m_scheduler->SchedulerReply(m); },
                          [this] { m_scheduler->OnTimeout(); },
                          {}});
    m_engine.SetHandlers(K::tkModuleRead,
                         {[this](const LIN_Msg &m) { m_reader->ModuleReadReply(m); },
                          [this] { m_reader->OnTimeout(); },
                          {}});
    m_engine.SetHandlers(K::tkProfileSend,
                         {[this](const LIN_Msg &m) { m_sender->ProfileSendReply(m); },
                          [this] { m_sender->OnTimeout(); },
                          {}});
    m_engine.SetHandlers(K::tkProgrammingMode,
                         {[this](const LIN_Msg &m) { m_maintenance->ProgrammingReply(m); },
                          [this] { m_maintenance->OnProgrammingTimeout(); },
                          [this](const LIN_Msg &m) {
                              return m_maintenance->AcceptsProgrammingReply(m);
                          }});
    m_engine.SetHandlers(K::tkFrameInfo,
                         {[this](const LIN_Msg &m) { m_frameInfo->FrameInfoReply(m); },
                          [this] { m_frameInfo->OnTimeout(); },
                          {}});
}

void Operations::connectionShown(bool connected)
{
    UpdateCommandStates();
    emit connectionChanged(connected);
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
    m_context->PaintIdle();
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
    IsConnected() ? m_context->PaintIdle() : m_context->PaintOff();
}

bool Operations::IsConnected() const
{
    return m_context->IsConnected();
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
        m_context->ShowBusyNotice();
        return;
    }
    const auto &lin = m_module.LIN;
    const int lengthStatus = lin.ReplyStatus[LinFrameLengthsStatus];
    const int formatStatus = lin.ReplyStatus[LinFrameFormatsStatus];
    if (lengthStatus == 0 && formatStatus == 0) {
        m_operator.ShowFrameTable(lin);
        return;
    }
    m_context->Information(QStringLiteral("Frame Information not available. Error Length: ")
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
            m_context->ShowBusyNotice();
        break;
    }
    UpdateCommandStates();
}

void Operations::UpdateCommandStates()
{
    const bool connected = IsConnected();
    auto &states = m_context->States();
    const auto set = [&states](std::initializer_list<Command> commands, bool enabled) {
        for (const Command command : commands)
            states.Set(command, enabled);
    };
    using C = Command;
    set({C::Reset, C::SaveFlash, C::SetDefaults, C::Disconnect, C::NewFromModule}, connected);
    states.Set(C::ProgrammingMode,
               connected
                   && ProgrammingModeAllowed(FirmwareNumber(m_module.Module.FirmwareText),
                                             FirmwareNumber(m_settings.FirmwareVerUpdate)));
    states.Set(C::CheckConnection, m_connection->CheckEnabled());
    states.Set(C::FlashMagic, m_flashMagic->Found());
    switch (m_operator.CurrentView()) {
    case View::ModuleData:
        set({C::SaveDataAs, C::Refresh, C::ModuleScheduler, C::ModuleFrames}, connected);
        break;
    case View::Messages: {
        // The scheduler's own rule, whatever recomputes the states: Discard with entries, and
        // exactly one of ON and OFF with them.
        const bool discard = connected && m_scheduler->EntryCount() != 0;
        const bool off = discard && m_scheduler->MasterActive();
        states.Set(C::DiscardScheduler, discard);
        states.Set(C::MasterOff, off);
        states.Set(C::MasterOn, discard && !off);
        set({C::ModifyScheduler, C::AutoReplyClear}, connected);
        break;
    }
    case View::Profiles:
        states.Set(C::SendProfile, connected && m_operator.CurrentProfile());
        states.Set(C::FlashWrite, connected);
        break;
    case View::Advanced:
        set({C::ConsoleReset, C::ConsoleSetValues, C::ConsoleCopyFlash, C::SendCode}, connected);
        m_console->RebuildCommandList();
        break;
    }
    // The log buttons: while recording, a lost connection ends the recording.
    const bool recording = m_log->IsRecording();
    states.Set(C::LogStart, !recording && connected);
    states.Set(C::LogStop, recording);
    if (recording && !connected)
        emit logStopRequested();
    m_context->PublishStates();
}

} // namespace vxl
