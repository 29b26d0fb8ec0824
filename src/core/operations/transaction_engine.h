#pragma once

#include "core/link/lin_msg.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>

namespace vxl {

class clsLinPort;

// In their order of precedence: a reply goes to the first active kind.
enum class TransactionKind : int {
    tkRawCommand = 0,
    tkScheduler,
    tkModuleRead,
    tkProfileSend,
    tkProgrammingMode,
    tkFrameInfo,
};
inline constexpr int kTransactionKinds = 6;

// Runs one exchange with the module at a time: dispatches each reply to the running kind's
// handler, sends the module's own messages to the trace, and ends an exchange that is not
// answered within the time-out, which always ends the connection.
class clsTransactionEngine : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;

    struct KindHandlers
    {
        std::function<void(const LIN_Msg &)> reply;
        std::function<void()> timeout; // the kind's own steps after the common ones
        // Empty: every reply is the kind's. Otherwise a reply it does not accept goes on to
        // the next active kind.
        std::function<bool(const LIN_Msg &)> accepts;
    };
    struct Hooks
    {
        std::function<void(bool busy)> paint;
        std::function<void(const LIN_Msg &)> ownMessage;
        std::function<void()> connectionLost;   // clears the connected flag
        std::function<void()> updateConnection; // UpdateConnectionState
        std::function<int()> timeoutSeconds;
    };

    explicit clsTransactionEngine(QObject *parent = nullptr);

    void SetLink(clsLinPort *link) { m_link = link; }
    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    void SetHandlers(TransactionKind kind, KindHandlers handlers);

    [[nodiscard]] bool IsIdle() const;
    [[nodiscard]] bool IsActive(TransactionKind kind) const { return m_active[index(kind)]; }
    void SetActive(TransactionKind kind, bool active) { m_active[index(kind)] = active; }
    void ClearAll();

    void BeginTransaction(TransactionKind kind);
    void Rearm(TransactionKind kind);
    void EndTransaction(TransactionKind kind);
    // Tick count 0 and the timer running; a running period is not restarted.
    void Arm();
    void StopTimer();
    void Paint(bool busy);

    // One notification: takes exactly one message from the link.
    void OnMessageReceived();
    void OnTimerTick();

    [[nodiscard]] int TickCount() const { return m_ticks; }
    [[nodiscard]] bool TimerRunning() const { return m_timer.isActive(); }

    // What the running (or last) exchange has reached; it survives the end of a transaction.
    [[nodiscard]] int Phase() const { return m_phase; }
    void SetPhase(int phase) { m_phase = phase; }
    [[nodiscard]] int PhaseCounter() const { return m_phaseCounter; }
    void SetPhaseCounter(int counter) { m_phaseCounter = counter; }
    [[nodiscard]] int PendingReplies() const { return m_pendingReplies; }
    void SetPendingReplies(int count) { m_pendingReplies = count; }
    // The raw command (console or maintenance) a time-out reports.
    [[nodiscard]] int RawGroup() const { return m_rawGroup; }
    [[nodiscard]] int RawCode() const { return m_rawCode; }
    void SetRawCommand(int group, int code)
    {
        m_rawGroup = group;
        m_rawCode = code;
    }
    // The scheduler command a time-out reports.
    [[nodiscard]] int SchedulerCode() const { return m_schedulerCode; }
    void SetSchedulerCode(int code) { m_schedulerCode = code; }
    // Set Defaults at another rate than 38400: its time-out words the rate change.
    [[nodiscard]] bool DefaultsRateWarning() const { return m_defaultsRateWarning; }
    void SetDefaultsRateWarning(bool warn) { m_defaultsRateWarning = warn; }
    // Set Defaults from the menu: the answer activates the current view again.
    [[nodiscard]] bool RefreshAfterDefaults() const { return m_refreshAfterDefaults; }
    void SetRefreshAfterDefaults(bool refresh) { m_refreshAfterDefaults = refresh; }

private:
    static constexpr std::size_t index(TransactionKind kind) { return std::size_t(kind); }
    void timeoutCheck(TransactionKind kind);

    clsLinPort *m_link = nullptr;
    Hooks m_hooks;
    std::array<KindHandlers, kTransactionKinds> m_handlers;
    std::array<bool, kTransactionKinds> m_active{};
    QTimer m_timer;
    int m_ticks = 0;
    int m_phase = 0;
    int m_phaseCounter = 0;
    int m_pendingReplies = 0;
    int m_rawGroup = 0;
    int m_rawCode = 0;
    int m_schedulerCode = 0;
    bool m_defaultsRateWarning = false;
    bool m_refreshAfterDefaults = false;
};

} // namespace vxl
