#pragma once

#include "core/link/frame_assembler.h"
#include "core/link/lin_msg.h"
#include "core/link/serial_port.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vxl {

// Notifications the link posts to its owner.
inline constexpr unsigned WM_LIN_MESSAGE = 4024; // wparam: header bits 6..4, lparam: bits 3..0
inline constexpr unsigned WM_LIN_CHAR = 4044;
inline constexpr unsigned WM_LIN_TEXT = 4046;

// Called on the reader thread, once per event and in order; the owner re-posts it to its own
// thread.
using LinNotify = std::function<void(unsigned message, int wparam, int lparam)>;

// Status codes of the link's operations.
namespace LinCode {
inline constexpr int Ok = 0;
inline constexpr int PortNotAvailable = 39;
inline constexpr int NotConnected = 64;
inline constexpr int ClearFailed = 65;
inline constexpr int WriteFailed = 67;
inline constexpr int NoDestination = 68;
inline constexpr int QueueEmpty = 69;
inline constexpr int InvalidSequence = 72;
} // namespace LinCode

// One request as the sender thread wrote it to the line.
struct SentRequest
{
    LIN_Msg msg;
    std::chrono::steady_clock::time_point started;  // before its first byte
    std::chrono::steady_clock::time_point finished; // after its last byte
    bool ok = false;
};

// The link to one module: assembles module messages from the byte stream, queues them for the
// user-interface thread, sends queued requests paced one per 20 ms, and collects the start-up
// text after a reset. Lives across connections.
class clsLinPort : public clsSrlPort
{
public:
    static constexpr std::chrono::milliseconds kSendInterval{20};
    static constexpr std::chrono::microseconds kSendMargin{500};
    static constexpr std::chrono::milliseconds kConfirmWait{200};
    // The sequence number of the confirmation request (firmware version read).
    static constexpr int kConfirmSequence = 7;
    static constexpr int kStartupTextLength = 66;
    // Text that never ends (no carriage return, or a line that is not the module) is not kept
    // beyond this.
    static constexpr int kMaxTextBytes = 4096;

    explicit clsLinPort(LinNotify notify = {}, ComPortMap map = ComPortMap());
    ~clsLinPort() override;

    int Connect(int portNumber, std::uint32_t baudRate);
    int Disconnect();
    int ConfirmModule();
    [[nodiscard]] int ConnectedPort() const { return m_connectedPort.load(); }
    [[nodiscard]] bool IsConnected() const { return m_connectedPort.load() > 0; }

    void SetBinaryMode(bool binary);
    [[nodiscard]] bool BinaryMode() const { return m_binaryMode.load(); }

    int QueueMessage(const LIN_Msg &msg);
    int GetMessage(LIN_Msg *msg);

    int ReadHardwareVersion(int sequence);
    int ReadFirmwareVersion(int sequence);
    int SetDefaultValues(int sequence);
    int CopyToFlash(int sequence);
    int ResetModule(int sequence);

    [[nodiscard]] QString TakeStartupText();
    [[nodiscard]] bool StartupTextAwaited() const { return m_startupAwaited.load(); }

    int ClearReceivedMessages();
    int ClearTextBytes();
    int ClearOutgoingMessages();

    [[nodiscard]] std::size_t ReceivedCount() const;
    [[nodiscard]] std::size_t OutgoingCount() const;
    [[nodiscard]] std::size_t TextByteCount() const;

    // While on, every write of the sender is kept with its times, so that pacing can be checked
    // where it is decided rather than where a busy reader happens to see the bytes. Switching it
    // on forgets what was kept; while off nothing is kept.
    void RecordWrites(bool on);
    [[nodiscard]] std::vector<SentRequest> Writes() const;
    // What was kept since the last take, and forgets it, so that a long run keeps only what it
    // has not looked at yet.
    [[nodiscard]] std::vector<SentRequest> TakeWrites();

    // The gap between two requests; the module needs kSendInterval, a test against the emulator
    // may go faster.
    void SetSendInterval(std::chrono::microseconds interval) { m_sendInterval.store(interval); }

    // Called on the sender thread with each request it has taken off the queue, before the
    // request is written: a test holds a request there to see what becomes of it meanwhile.
    using SenderHold = std::function<void(const LIN_Msg &)>;
    void SetSenderHold(SenderHold hold);

protected:
    void OnRxChar() override;
    void OnRxBlock() override;
    // Text mode reads byte by byte; messages are assembled a block at a time.
    [[nodiscard]] bool WantsEachByte() const override { return !m_binaryMode.load(); }

private:
    class QueueSource;

    // A queued request and the connection it was queued for.
    struct Outgoing
    {
        LIN_Msg msg;
        std::uint64_t connection = 0;
    };

    void senderLoop();
    bool writeMessage(const Outgoing &request);
    bool writeByteFor(std::uint64_t connection, std::uint8_t byte);
    void closeConnection();
    void keepWrite(const SentRequest &write);
    void queueReceived(const LIN_Msg &msg);
    void notify(unsigned message, int wparam, int lparam);
    int fixedCommand(int sequence, std::uint8_t code);
    void setBinaryModeLocked(bool binary);
    void discardReceivedAndText();
    void startClean();

    std::mutex m_notifyMutex;
    LinNotify m_notify;

    std::atomic<int> m_connectedPort{0};
    // Counts the port's closings: a request belongs to the connection it was queued in. Changed
    // only under m_connectionMutex, which the sender holds while it writes a byte, so that a
    // request taken off the queue before a close never reaches the port opened after it.
    std::mutex m_connectionMutex;
    std::atomic<std::uint64_t> m_connection{0};
    std::atomic<bool> m_binaryMode{true};
    std::atomic<bool> m_startupAwaited{false};

    // Receive state: the assembler and the mode switch are only touched under this lock.
    std::recursive_mutex m_receiveMutex;
    FrameAssembler m_assembler;
    bool m_textReceived = false; // text bytes arrived in the block being handled

    mutable std::mutex m_receivedMutex;
    std::deque<LIN_Msg> m_received;
    std::condition_variable m_messageEvent;
    bool m_messageSignalled = false;

    mutable std::mutex m_textMutex;
    QByteArray m_textBytes;
    QByteArray m_startupText;

    mutable std::mutex m_outgoingMutex;
    std::condition_variable m_outgoingChanged;
    std::deque<Outgoing> m_outgoing;
    bool m_stopSender = false;
    std::thread m_sender;

    std::atomic<std::chrono::microseconds> m_sendInterval{kSendInterval};
    mutable std::mutex m_holdMutex;
    SenderHold m_senderHold;
    std::atomic<bool> m_recordWrites{false};
    mutable std::mutex m_writesMutex;
    std::vector<SentRequest> m_writes;
};

} // namespace vxl
