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

    // Shared fields of the owning operations; they survive the end of a transaction.
    std::int32_t Phase = 0;
    std::int32_t PhaseCounter = 0;
    std::int32_t PendingReplies = 0;
    bool SendOk = true;
    bool RestartMaster = false;
    int RawGroup = 0;
    int RawCode = 0;
    int SchedulerCode = 0;
    bool DefaultsRateWarning = false;
    bool RefreshAfterDefaults = false;

private:
    static constexpr std::size_t index(TransactionKind kind) { return std::size_t(kind); }
    void timeoutCheck(TransactionKind kind);

    clsLinPort *m_link = nullptr;
    Hooks m_hooks;
    std::array<KindHandlers, kTransactionKinds> m_handlers;
    std::array<bool, kTransactionKinds> m_active{};
    QTimer m_timer;
    int m_ticks = 0;
};

} // namespace vxl
