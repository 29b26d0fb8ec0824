#pragma once

#include "core/link/com_port_map.h"
#include "core/module/module_config.h"
#include "core/module/module_grid_text.h"
#include "core/operations/command_states.h"
#include "core/operations/module_read.h"
#include "core/operations/operation_context.h"
#include "core/operations/operator_interface.h"
#include "core/operations/transaction_engine.h"
#include "core/settings/settings_store.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace vxl {

class clsLinPort;
class Connection;
class ProfileSender;
class SchedulerControl;
class Maintenance;
class FrameInfoReader;
class ConsoleLogic;
class FlashMagic;
class TraceList;
class TraceLog;

// The module operations without any widget: owns the link, the transaction engine, the module
// copy and every operation on the module, wires each operation's hand-offs to the others,
// talks to the user only through the operator interface, and publishes what the views show as
// state plus signals.
class Operations : public QObject
{
    Q_OBJECT
public:
    Operations(OperatorInterface &op,
               const VXLIN_Values &settings,
               ComPortMap portMap = ComPortMap(),
               QObject *parent = nullptr);
    ~Operations() override;

    OperatorInterface &Operator() { return m_operator; }
    OperationContext &Context() { return *m_context; }
    clsLinPort &Link() { return *m_link; }
    clsTransactionEngine &Engine() { return m_engine; }
    const VXLIN_Values &Settings() const { return m_settings; }
    // After the Preferences dialog: the new values take effect (colours repainted).
    void ApplySettings(const VXLIN_Values &settings);

    ModuleConfig &ModuleCopy() { return m_module; }
    std::vector<LIN_SchedulerEntry> &CollectedEntries() { return m_context->CollectedEntries(); }

    Connection &Conn() { return *m_connection; }
    ModuleReader &Reader() { return *m_reader; }
    ProfileSender &Sender() { return *m_sender; }
    SchedulerControl &Scheduler() { return *m_scheduler; }
    Maintenance &Maint() { return *m_maintenance; }
    FrameInfoReader &FrameInfo() { return *m_frameInfo; }
    ConsoleLogic &Console() { return *m_console; }
    FlashMagic &Flash() { return *m_flashMagic; }
    TraceList &Trace() { return *m_trace; }
    TraceLog &Log() { return *m_log; }

    [[nodiscard]] bool IsConnected() const;
    [[nodiscard]] bool IsIdle() const { return m_engine.IsIdle(); }

    // Enabled state of the commands the operations decide (false while undecided).
    [[nodiscard]] bool Enabled(Command command) const { return m_context->Enabled(command); }
    void SetEnabled(Command command, bool enabled) { m_context->SetEnabled(command, enabled); }
    [[nodiscard]] const CommandStates &Commands() const { return m_context->States(); }
    // "Put in Flash Memory" (hidden): while ticked, a successful send goes on to the flash save.
    [[nodiscard]] bool FlashWriteTicked() const { return m_context->FlashWriteTicked(); }
    void SetFlashWriteTicked(bool ticked) { m_context->SetFlashWriteTicked(ticked); }

    // The view's activation actions, and the command states of the view now shown.
    void ActivateView(View view);
    void RunCurrentViewActivation() { ActivateView(m_operator.CurrentView()); }
    void UpdateCommandStates();
    // A change of view asked for by the tab strip (fromMenu false) or the View menu. Returns
    // whether the view may change; the caller shows it and runs ActivateView for the view
    // shown in the end.
    [[nodiscard]] bool MayChangeView(View target, bool fromMenu) const;

    // "Frames" on the module data view: the module's frame table, display only.
    void ShowModuleFrames();

    [[nodiscard]] const GridTexts &Grid() const { return m_grid; }
    void SetGrid(const GridTexts &grid);
    void ClearGrid();
    [[nodiscard]] const IdentityTexts &Identity() const { return m_identity; }
    void SetIdentity(const IdentityTexts &identity);

    // Millisecond tick for trace entries (a steady clock wrapping at 2^32).
    [[nodiscard]] static std::uint32_t TickCount();

signals:
    void commandStatesChanged();
    void gridChanged();
    void identityChanged();
    void connectionChanged(bool connected);
    // While the log records and the connection is gone, the log must be stopped.
    void logStopRequested();
    // Each message of the module's own, after it has been counted in the trace.
    void ownMessageReceived(const vxl::LIN_Msg &msg);

private slots:
    void takeNotification();

private:
    void onLinkNotification(unsigned message);
    void onOwnMessage(const LIN_Msg &msg);
    void createOperations();
    void wireEngine();
    void connectionShown(bool connected);

    OperatorInterface &m_operator;
    VXLIN_Values m_settings;
    clsTransactionEngine m_engine;
    ModuleConfig m_module;
    std::mutex m_notificationMutex;
    std::deque<unsigned> m_notifications;
    GridTexts m_grid;
    IdentityTexts m_identity;

    std::unique_ptr<TraceList> m_trace;
    std::unique_ptr<TraceLog> m_log;
    std::unique_ptr<OperationContext> m_context;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<ModuleReader> m_reader;
    std::unique_ptr<ProfileSender> m_sender;
    std::unique_ptr<SchedulerControl> m_scheduler;
    std::unique_ptr<Maintenance> m_maintenance;
    std::unique_ptr<FrameInfoReader> m_frameInfo;
    std::unique_ptr<ConsoleLogic> m_console;
    std::unique_ptr<FlashMagic> m_flashMagic;
    // Last: its threads stop before anything they could reach goes away.
    std::unique_ptr<clsLinPort> m_link;
};

} // namespace vxl
