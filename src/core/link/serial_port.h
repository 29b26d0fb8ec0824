#pragma once

#include "core/link/com_port_map.h"

#include <QString>

#include <termios.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace vxl {

// One COM port: exclusive open, raw 8N1 at a chosen rate with DTR and RTS raised, a reader thread
// that queues every received byte and calls the two hooks, and bounded single-byte writes.
// Knows nothing of the module's protocol.
class clsSrlPort
{
public:
    static constexpr std::uint32_t kDefaultBaudRate = 38400;
    static constexpr int kReadBlockSize = 2048;
    static constexpr int kWriteWaitMs = 1000;
    static constexpr int kWriteTimeoutMs = 5000;

    explicit clsSrlPort(ComPortMap map = ComPortMap());
    virtual ~clsSrlPort();

    clsSrlPort(const clsSrlPort &) = delete;
    clsSrlPort &operator=(const clsSrlPort &) = delete;

    // 0 keeps the stored port number or bit rate. Expects a closed port.
    bool OpenPort(std::uint8_t portNumber, std::uint32_t baudRate);
    // Returns only after the reader thread has ended. Queued bytes stay.
    void ClosePort();
    // 0, or the system error of the failed purge (the queue then stays as it was).
    std::uint32_t PurgePort();
    // Only what was received: bytes already written stay on their way.
    std::uint32_t PurgeReceived();
    bool WriteByte(std::uint8_t byte);
    bool ReadByte(std::uint8_t &byte);
    [[nodiscard]] std::size_t RxCount() const;
    [[nodiscard]] std::uint32_t GetBaudRate() const { return m_baudRate.load(); }
    [[nodiscard]] std::uint8_t GetPortNumber() const { return m_portNumber.load(); }
    [[nodiscard]] std::uint32_t LastError() const { return m_lastError.load(); }
    [[nodiscard]] bool IsOpen() const { return m_open.load(); }

    [[nodiscard]] ComPortMap PortMap() const;

    // True when COM <number> can be opened now (exists, is a terminal, not held by anyone).
    [[nodiscard]] static bool PortExists(int number, const ComPortMap &map = ComPortMap());
    // Counts the openable ports 1..highest and lists them as "1,3,4". Ports that exist but
    // may not be opened for lack of permission are counted in *refused.
    static int ListPorts(QString &text,
                         int highest,
                         const ComPortMap &map = ComPortMap(),
                         int *refused = nullptr);

protected:
    // Both run on the reader thread: after each queued byte, and once after each block.
    virtual void OnRxChar() {}
    virtual void OnRxBlock() {}
    // False when OnRxChar would do nothing with the block about to be queued: the block is then
    // queued at once, and OnRxChar is not called for it.
    [[nodiscard]] virtual bool WantsEachByte() const { return true; }

    // What the reader thread does with each block it reads: queue every byte, calling
    // OnRxChar after each, then OnRxBlock once. Also the way in for bytes that come from
    // elsewhere than the port (a benchmark's recorded stream).
    void ReceiveBlock(const std::uint8_t *bytes, std::size_t count);

    // For subclasses that keep a last error of their own.
    void SetLastError(std::uint32_t error) { m_lastError.store(error); }
    // Drops the queued received bytes, whether or not the port is open.
    void DiscardReceivedBytes();
    // Every queued received byte, taken out under one lock; what the taker does not consume it
    // puts back in front of anything queued since.
    [[nodiscard]] std::deque<std::uint8_t> TakeReceivedBytes();
    void ReturnReceivedBytes(std::deque<std::uint8_t>::const_iterator first,
                             std::deque<std::uint8_t>::const_iterator last);

private:
    std::uint32_t purge(int queues);
    void readerLoop(int portFd, int stopFd);
    bool configure(int fd);
    void releaseHandle();

    mutable std::mutex m_mapMutex;
    ComPortMap m_map;

    std::atomic<int> m_fd{-1};
    // The terminal's settings before this port took it over; put back on closing. Only the
    // opening and closing thread touches them.
    termios m_savedSettings{};
    bool m_haveSavedSettings = false;
    std::atomic<std::uint32_t> m_baudRate{kDefaultBaudRate};
    std::atomic<std::uint8_t> m_portNumber{1};
    std::atomic<bool> m_open{false};
    std::atomic<std::uint32_t> m_lastError{0};

    std::thread m_reader;
    int m_stopPipe[2] = {-1, -1};

    mutable std::mutex m_rxMutex;
    std::deque<std::uint8_t> m_rx;

    // Held while a byte is written and while the handle is released, so a write never touches
    // a closed or reused descriptor.
    std::mutex m_writeMutex;
};

} // namespace vxl
