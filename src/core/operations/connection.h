#pragma once

#include <QString>

namespace vxl {

class Operations;

// The bit rates the connection dialog and the preferences offer, in list order.
inline constexpr int kBitRates[] = {4800, 9600, 19200, 38400, 57600, 115200};
inline constexpr int kDefaultRateIndex = 3;
// A rate not in the list selects 38400.
[[nodiscard]] int BitRateIndex(int rate);
// An index outside the list reads as 38400.
[[nodiscard]] int BitRateAt(int index);
[[nodiscard]] QString BitRateText(int rate);

// When the tool is connected to a module: connecting, the start mode, the status line and
// panel colours, disconnecting, checking, and losing the connection.
class Connection
{
public:
    explicit Connection(Operations &ops);

    [[nodiscard]] bool IsConnected() const { return m_connected; }
    void SetConnected(bool connected) { m_connected = connected; }
    [[nodiscard]] int CurrentPort() const { return m_port; }
    [[nodiscard]] int CurrentRate() const { return m_rate; }
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
    Operations &m_ops;
    bool m_connected = false;
    int m_port;
    int m_rate;
    bool m_checkEnabled = false;
};

} // namespace vxl
