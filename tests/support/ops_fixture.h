#pragma once

#include "core/operations/operations.h"
#include "scripted_operator.h"
#include "sim_fixture.h"

#include <functional>
#include <memory>

namespace vxl::test {

// Waits until no transaction runs and nothing waits to be sent, for a moment: a finished step
// may start the next one from a queued call. False on time-out.
[[nodiscard]] bool WaitIdle(Operations &ops, int timeoutMs = 8000);

// The operations of the tool, with a scripted operator, against the emulator on a pty
// registered as a COM number of its own.
class OpsRig
{
public:
    explicit OpsRig(sim::EmulatorOptions options = {}, VXLIN_Values settings = fastSettings());
    ~OpsRig();
    OpsRig(const OpsRig &) = delete;
    OpsRig &operator=(const OpsRig &) = delete;

    [[nodiscard]] static VXLIN_Values fastSettings();

    // Connects as a successful connection does (the module read starts).
    [[nodiscard]] bool connect(int rate = 38400);
    // The response time-out from now on.
    void setTimeout(int seconds);
    // Waits until no transaction runs (and none is about to start); false on time-out.
    [[nodiscard]] bool waitIdle(int timeoutMs = 8000);
    // Waits until the emulator has received `count` requests in all.
    [[nodiscard]] bool waitRequests(std::size_t count, int timeoutMs = 8000);

    [[nodiscard]] int comNumber() const { return m_port.comNumber(); }
    [[nodiscard]] ComPortMap portMap() const { return m_port.portMap(); }

    sim::EmulatorHost &host() { return m_port.host(); }
    ScriptedOperator &op() { return m_op; }
    Operations &ops() { return *m_ops; }

    // Requests as "group/command/sequence" texts, with the data in hex after a blank when any.
    [[nodiscard]] QStringList requestTexts();
    [[nodiscard]] static QString requestText(const sim::TranscriptEntry &request);

    // Interruptions anchored to the module, not the clock: when the emulator receives the first
    // request from now on whose text (as requestTexts) is `text`, `onModule` runs at once on the
    // emulator's thread, before the module answers it (e.g. it falls silent), and `onTool` is
    // queued to the tool's thread. Only the first match fires.
    void atRequest(const QString &text,
                   std::function<void()> onTool,
                   std::function<void(sim::EmulatorHost &)> onModule = {});

private:
    SimPort m_port;
    ScriptedOperator m_op;
    std::unique_ptr<Operations> m_ops;
};

} // namespace vxl::test
