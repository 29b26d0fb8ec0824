#pragma once

#include "cli/cli_operator.h"
#include "core/operations/operations.h"
#include "core/settings/settings_store.h"

#include <memory>

namespace vxl::cli {

// How a run ends, for scripts.
enum ExitCode : int {
    kExitOk = 0,
    kExitRefused = 1,    // the module refused, a question was refused, or values differ
    kExitUsage = 2,      // usage or bad input
    kExitConnection = 3, // no connection, or the module stopped answering
};

// The module operations of one terminal run: the stored settings and COM-port map of the window
// program, one connection, and an event loop run until each exchange has finished.
class CliSession
{
public:
    explicit CliSession(CliOperator &op);
    ~CliSession();

    Operations &Ops() { return *m_ops; }
    CliOperator &Operator() { return m_operator; }
    [[nodiscard]] const VXLIN_Values &Settings() const { return m_settings; }

    // Opens the port and waits for the module read that every connection starts.
    [[nodiscard]] int Connect(int port, int rate);
    // Runs the event loop until no exchange runs or waits to start, or the connection is gone.
    void WaitIdle();
    // Runs the event loop for this long (-1: without end) or until the connection is gone or
    // RequestStop is called.
    void RunFor(int ms);
    void RequestStop() { m_stopRequested = true; }
    // 3 when the connection was lost, 1 when an error was shown or a question refused, else 0.
    [[nodiscard]] int Outcome() const;
    // The port opened and a module confirmed it.
    [[nodiscard]] bool Reached() const { return m_connected; }

private:
    void showProgress();
    void endProgress();

    CliOperator &m_operator;
    VXLIN_Values m_settings;
    std::unique_ptr<Operations> m_ops;
    bool m_connected = false;
    bool m_stopRequested = false;
    bool m_terminal = false;
    // Requests written so far and the most ever known, seen through the outgoing queue.
    std::size_t m_lastQueued = 0;
    std::size_t m_done = 0;
    std::size_t m_total = 0;
    std::size_t m_lastShown = 0;
    bool m_progressShown = false;
};

} // namespace vxl::cli
