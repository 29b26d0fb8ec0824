#pragma once

#include "core/module/module_config.h"
#include "core/operations/command_states.h"
#include "core/operations/operator_interface.h"
#include "core/operations/transaction_engine.h"
#include "core/settings/settings_store.h"

#include <QString>

#include <functional>
#include <vector>

namespace vxl {

class clsLinPort;

inline constexpr char kNoActiveConnection[] = "There is not an active connection";
inline constexpr char kActionInProgress[] = "Action in progress. Please wait...";

// The port and rate of the connection (the last ones that connected, else the stored ones),
// and whether it is up.
struct ConnectionState
{
    bool connected = false;
    int port = 0;
    int rate = 38400;
};

// What every module operation works with: the link, the engine, the module copy, the operator,
// the settings, the command states and the connection state, plus the start checks and panel
// colours they all share. It holds no operation: an operation hands on to another only through
// the hand-offs it is given.
class OperationContext
{
public:
    OperationContext(clsLinPort &link,
                     clsTransactionEngine &engine,
                     ModuleConfig &module,
                     OperatorInterface &op,
                     const VXLIN_Values &settings,
                     std::function<void()> statesChanged);

    [[nodiscard]] clsLinPort &Link() const { return m_link; }
    [[nodiscard]] clsTransactionEngine &Engine() const { return m_engine; }
    [[nodiscard]] ModuleConfig &ModuleCopy() const { return m_module; }
    [[nodiscard]] OperatorInterface &Operator() const { return m_operator; }
    // Follows the Preferences dialog.
    [[nodiscard]] const VXLIN_Values &Settings() const { return m_settings; }

    [[nodiscard]] ConnectionState &Connection() { return m_connection; }
    [[nodiscard]] const ConnectionState &Connection() const { return m_connection; }
    [[nodiscard]] bool IsConnected() const { return m_connection.connected; }
    [[nodiscard]] bool IsIdle() const { return m_engine.IsIdle(); }

    [[nodiscard]] bool Enabled(Command command) const { return m_states.Enabled(command); }
    // Tells the views when the state changed.
    void SetEnabled(Command command, bool enabled);
    // Several changes at once: set quietly, then publish them together.
    [[nodiscard]] CommandStates &States() { return m_states; }
    [[nodiscard]] const CommandStates &States() const { return m_states; }
    void PublishStates();

    // "Put in Flash Memory" (hidden): while ticked, a successful send goes on to the flash save.
    [[nodiscard]] bool FlashWriteTicked() const { return m_flashWrite; }
    void SetFlashWriteTicked(bool ticked) { m_flashWrite = ticked; }
    // The scheduler entries read from the module or confirmed in the entries dialog, on their
    // way to the module copy or into the module.
    [[nodiscard]] std::vector<LIN_SchedulerEntry> &CollectedEntries() { return m_collected; }

    // An exchange that starts while an identification reply is still due (the identification
    // runs beside other actions) waits until that reply or its time-out has come:
    // replies carry no code, so the new exchange would take it. Handles the link's
    // notifications and the timers meanwhile, not the user's input.
    void AwaitIdentification();

    // The usual start checks with the starter's own wording: an Error box when not connected,
    // the busy notice when not idle. True when the action may go on; a due identification reply
    // is waited for first (its time-out tells the user itself).
    bool StartChecks(const QString &notConnected = QString::fromLatin1(kNoActiveConnection),
                     const QString &busy = QString::fromLatin1(kActionInProgress));
    void ShowBusyNotice(const QString &text = QString::fromLatin1(kActionInProgress));
    void Error(const QString &text);
    void Information(const QString &text);
    [[nodiscard]] bool Confirm(const QString &text);

    // Panels: working colour, connected colour, not connected colour.
    void PaintBusy();
    void PaintIdle();
    void PaintOff();

private:
    clsLinPort &m_link;
    clsTransactionEngine &m_engine;
    ModuleConfig &m_module;
    OperatorInterface &m_operator;
    const VXLIN_Values &m_settings;
    std::function<void()> m_statesChanged;
    CommandStates m_states;
    ConnectionState m_connection;
    bool m_flashWrite = false;
    std::vector<LIN_SchedulerEntry> m_collected;
};

} // namespace vxl
