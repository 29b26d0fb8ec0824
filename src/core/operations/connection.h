#pragma once

#include "core/link/bit_rates.h"

#include <QString>

#include <functional>

namespace vxl {

class OperationContext;

// When the tool is connected to a module: connecting, the start mode, the status line and
// panel colours, disconnecting, checking, and losing the connection.
class Connection
{
public:
    struct Handoffs
    {
        std::function<void()> readModule;          // every successful connection reads the module
        std::function<void()> dropped;             // the connection is gone
        std::function<void(bool connected)> shown; // after the status line and panels
    };

    Connection(OperationContext &context, Handoffs handoffs);

    [[nodiscard]] bool IsConnected() const;
    void SetConnected(bool connected);
    [[nodiscard]] int CurrentPort() const;
    [[nodiscard]] int CurrentRate() const;
    [[nodiscard]] bool CheckEnabled() const { return m_checkEnabled; }

    // Opens the port and confirms a module; out: the link code (0, 39 or 64).
    bool TryConnect(int port, int rate, int *code = nullptr);
    void ShowConnectDialog();
    void ApplyStartMode();
    void UpdateConnectionState();
    // The Disconnect command.
    void DisconnectCommand();
    // Disconnects without asking (programming mode hands the module to the flash programmer).
    void DropConnection();
    void CheckConnection();

    [[nodiscard]] QString StatusLine() const;

private:
    OperationContext &m_ctx;
    Handoffs m_handoffs;
    bool m_checkEnabled = false;
};

} // namespace vxl
