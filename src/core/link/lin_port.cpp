#include "core/link/lin_port.h"

#include <cerrno>

namespace vxl {

namespace {

constexpr std::uint8_t kCodeHardwareVersion = 0xC0;
constexpr std::uint8_t kCodeFirmwareVersion = 0xC1;
constexpr std::uint8_t kCodeDefaults = 0xC2;
constexpr std::uint8_t kCodeFlash = 0xC3;
constexpr std::uint8_t kCodeReset = 0xC4;

} // namespace

// The port's received bytes as the assembler sees them: taken from the port's queue at once
// when a block is handled (one lock, not one a byte), and what the assembler leaves for the next
// block put back. Only the reader thread adds bytes, and it is the one handling the block.
class clsLinPort::QueueSource : public FrameAssembler::Source
{
public:
    explicit QueueSource(clsLinPort &port)
        : m_port(port)
        , m_bytes(port.TakeReceivedBytes())
    {}
    ~QueueSource() override
    {
        m_port.ReturnReceivedBytes(m_bytes.cbegin() + std::ptrdiff_t(m_at), m_bytes.cend());
    }
    QueueSource(const QueueSource &) = delete;
    QueueSource &operator=(const QueueSource &) = delete;

    std::size_t Waiting() const override { return m_bytes.size() - m_at; }
    bool Take(std::uint8_t &byte) override
    {
        if (m_at == m_bytes.size())
            return false;
        byte = m_bytes[m_at++];
        return true;
    }
    void Purge() override
    {
        // A purge that failed left the port's queue as it was.
        if (m_port.PurgePort() == 0)
            m_at = m_bytes.size();
    }

private:
    clsLinPort &m_port;
    std::deque<std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

clsLinPort::clsLinPort(LinNotify notify, ComPortMap map)
    : clsSrlPort(std::move(map))
    , m_notify(std::move(notify))
{
    m_sender = std::thread(&clsLinPort::senderLoop, this);
}

clsLinPort::~clsLinPort()
{
    // The reader thread calls this class's hooks: it must be gone before this part is.
    ClosePort();
    {
        std::lock_guard lock(m_outgoingMutex);
        m_outgoing.clear();
        m_stopSender = true;
    }
    m_outgoingChanged.notify_all();
    if (m_sender.joinable())
        m_sender.join();
    discardReceivedAndText();
}

void clsLinPort::notify(unsigned message, int wparam, int lparam)
{
    LinNotify target;
    {
        std::lock_guard lock(m_notifyMutex);
        target = m_notify;
    }
    if (target)
        target(message, wparam, lparam);
}

// Nothing of an earlier connection may reach the next one: a reset cut short would leave the
// reply of the next confirmation on the text path, a frame cut in half would swallow the first
// replies, and requests of an exchange that failed would be written to the next module.
void clsLinPort::startClean()
{
    // The port is closed here, so no reader runs; each queue is still taken under its own lock
    // alone, never one inside another, so that no lock order can oppose the reader's.
    ClearOutgoingMessages();
    DiscardReceivedBytes();
    discardReceivedAndText();
    {
        std::lock_guard lock(m_receiveMutex);
        m_assembler.Reset();
        m_textReceived = false;
    }
    m_startupAwaited.store(false);
    m_binaryMode.store(true);
    std::lock_guard textLock(m_textMutex);
    m_startupText.clear();
}

// Once the port is closed no byte reaches it; from the next connection on, none of a request
// queued before. The sender checks and writes each byte under the same lock; it is held for
// nothing else, so that no other lock is ever taken inside it but the port's write lock.
void clsLinPort::closeConnection()
{
    ClosePort();
    std::lock_guard connectionLock(m_connectionMutex);
    m_connection.fetch_add(1);
}

int clsLinPort::Connect(int portNumber, std::uint32_t baudRate)
{
    closeConnection();
    startClean();
    if (baudRate == 0)
        baudRate = GetBaudRate();
    const bool opened = portNumber >= 0 && portNumber <= 255
                        && OpenPort(static_cast<std::uint8_t>(portNumber), baudRate);
    m_connectedPort.store(opened ? GetPortNumber() : 0);
    return m_connectedPort.load() > 0 ? LinCode::Ok : LinCode::PortNotAvailable;
}

int clsLinPort::Disconnect()
{
    const bool wasConnected = m_connectedPort.load() > 0;
    closeConnection();
    startClean();
    m_connectedPort.store(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return wasConnected ? LinCode::Ok : LinCode::NotConnected;
}

int clsLinPort::ConfirmModule()
{
    {
        std::lock_guard lock(m_receivedMutex);
        m_messageSignalled = false;
    }
    ReadFirmwareVersion(kConfirmSequence);
    std::unique_lock lock(m_receivedMutex);
    if (m_messageEvent.wait_for(lock, kConfirmWait, [this] { return m_messageSignalled; })) {
        m_messageSignalled = false;
        return LinCode::Ok;
    }
    lock.unlock();
    Disconnect();
    return LinCode::QueueEmpty;
}

void clsLinPort::discardReceivedAndText()
{
    {
        std::lock_guard lock(m_receivedMutex);
        m_received.clear();
    }
    std::lock_guard lock(m_textMutex);
    m_textBytes.clear();
}

void clsLinPort::setBinaryModeLocked(bool binary)
{
    discardReceivedAndText();
    PurgePort();
    m_assembler.Reset();
    m_binaryMode.store(binary);
}

void clsLinPort::SetBinaryMode(bool binary)
{
    std::lock_guard lock(m_receiveMutex);
    setBinaryModeLocked(binary);
}

int clsLinPort::QueueMessage(const LIN_Msg &msg)
{
    {
        std::lock_guard lock(m_outgoingMutex);
        m_outgoing.push_back({msg, m_connection.load()});
    }
    m_outgoingChanged.notify_all();
    return LinCode::Ok;
}

int clsLinPort::GetMessage(LIN_Msg *msg)
{
    if (!msg)
        return LinCode::NoDestination;
    std::lock_guard lock(m_receivedMutex);
    if (m_received.empty())
        return LinCode::QueueEmpty;
    *msg = m_received.front();
    m_received.pop_front();
    return LinCode::Ok;
}

int clsLinPort::fixedCommand(int sequence, std::uint8_t code)
{
    if (sequence < 0 || sequence > 7)
        return LinCode::InvalidSequence;
    if (m_connectedPort.load() == 0)
        return LinCode::NotConnected;
    LIN_Msg msg;
    msg.start = kStartByte;
    msg.header = MakeHeader(sequence, 0);
    msg.code = code;
    msg.checksum = msg.header ^ msg.code;
    return QueueMessage(msg);
}

int clsLinPort::ReadHardwareVersion(int sequence)
{
    return fixedCommand(sequence, kCodeHardwareVersion);
}

int clsLinPort::ReadFirmwareVersion(int sequence)
{
    return fixedCommand(sequence, kCodeFirmwareVersion);
}

int clsLinPort::SetDefaultValues(int sequence)
{
    return fixedCommand(sequence, kCodeDefaults);
}

int clsLinPort::CopyToFlash(int sequence)
{
    return fixedCommand(sequence, kCodeFlash);
}

int clsLinPort::ResetModule(int sequence)
{
    // The module may restart and send its text before this returns: the text is awaited, and
    // whatever came before dropped, before the request can leave.
    {
        std::lock_guard lock(m_receiveMutex);
        setBinaryModeLocked(false);
        m_startupAwaited.store(true);
    }
    const int result = fixedCommand(sequence, kCodeReset);
    if (result != LinCode::Ok)
        m_startupAwaited.store(false);
    return result;
}

QString clsLinPort::TakeStartupText()
{
    std::lock_guard lock(m_textMutex);
    const QString text = QString::fromLatin1(m_startupText);
    m_startupText.clear();
    return text;
}

int clsLinPort::ClearReceivedMessages()
{
    std::lock_guard lock(m_receivedMutex);
    m_received.clear();
    return LinCode::Ok;
}

int clsLinPort::ClearTextBytes()
{
    std::lock_guard lock(m_textMutex);
    m_textBytes.clear();
    return LinCode::Ok;
}

int clsLinPort::ClearOutgoingMessages()
{
    std::lock_guard lock(m_outgoingMutex);
    m_outgoing.clear();
    return LinCode::Ok;
}

std::size_t clsLinPort::ReceivedCount() const
{
    std::lock_guard lock(m_receivedMutex);
    return m_received.size();
}

std::size_t clsLinPort::OutgoingCount() const
{
    std::lock_guard lock(m_outgoingMutex);
    return m_outgoing.size();
}

std::size_t clsLinPort::TextByteCount() const
{
    std::lock_guard lock(m_textMutex);
    return std::size_t(m_textBytes.size());
}

void clsLinPort::queueReceived(const LIN_Msg &msg)
{
    {
        std::lock_guard lock(m_receivedMutex);
        m_received.push_back(msg);
        m_messageSignalled = true;
    }
    m_messageEvent.notify_all();
    notify(WM_LIN_MESSAGE, HeaderField(msg.header, 1), HeaderField(msg.header, 2));
}

void clsLinPort::OnRxBlock()
{
    std::lock_guard lock(m_receiveMutex);
    // One notice per block, not per character: nothing acts on it, and a chatty line would
    // otherwise flood the owner's queue.
    if (m_textReceived) {
        m_textReceived = false;
        notify(WM_LIN_CHAR, 0, 0);
    }
    if (!m_binaryMode.load())
        return;
    try {
        QueueSource source(*this);
        m_assembler.OnBlock(source, [this](const LIN_Msg &msg) { queueReceived(msg); });
    } catch (...) {
        discardReceivedAndText();
        PurgePort();
        m_assembler.Reset();
    }
}

void clsLinPort::OnRxChar()
{
    std::lock_guard lock(m_receiveMutex);
    if (m_binaryMode.load())
        return;
    std::uint8_t byte = 0;
    if (!ReadByte(byte))
        return;
    bool complete = false;
    {
        std::lock_guard textLock(m_textMutex);
        if (m_textBytes.size() >= kMaxTextBytes)
            return;
        m_textBytes.append(static_cast<char>(byte));
        m_textReceived = true;
        if (m_startupAwaited.load()) {
            if (m_textBytes.front() != 'P') {
                m_textBytes.remove(0, 1);
            } else if (m_textBytes.size() >= 9) {
                const bool crStyle = m_textBytes.at(8) == '2';
                if ((crStyle && byte == '\r')
                    || (!crStyle && m_textBytes.size() == kStartupTextLength)) {
                    m_startupText = m_textBytes;
                    m_textBytes.clear();
                    complete = true;
                }
            }
        }
    }
    if (!complete)
        return;
    m_textReceived = false;
    notify(WM_LIN_CHAR, 0, 0);
    m_startupAwaited.store(false);
    setBinaryModeLocked(true);
    notify(WM_LIN_TEXT, 0, 0);
}

bool clsLinPort::writeByteFor(std::uint64_t connection, std::uint8_t byte)
{
    std::lock_guard lock(m_connectionMutex);
    if (m_connection.load() != connection)
        return false;
    return WriteByte(byte);
}

// A close between two bytes leaves the rest of the request unwritten: the port it was meant for
// is gone.
bool clsLinPort::writeMessage(const Outgoing &request)
{
    const LIN_Msg &msg = request.msg;
    const auto write = [this, &request](std::uint8_t byte) {
        return writeByteFor(request.connection, byte);
    };
    const int length = HeaderField(msg.header, 2);
    bool ok = write(msg.start) && write(msg.header) && write(msg.code);
    for (int i = 0; ok && i < length && i < kMaxDataBytes; ++i)
        ok = write(msg.data[static_cast<std::size_t>(i)]);
    ok = ok && write(msg.checksum);
    return ok;
}

void clsLinPort::RecordWrites(bool on)
{
    std::lock_guard lock(m_writesMutex);
    if (on)
        m_writes.clear();
    m_recordWrites.store(on);
}

std::vector<SentRequest> clsLinPort::Writes() const
{
    std::lock_guard lock(m_writesMutex);
    return m_writes;
}

std::vector<SentRequest> clsLinPort::TakeWrites()
{
    std::lock_guard lock(m_writesMutex);
    return std::exchange(m_writes, {});
}

void clsLinPort::keepWrite(const SentRequest &write)
{
    std::lock_guard lock(m_writesMutex);
    if (m_recordWrites.load())
        m_writes.push_back(write);
}

void clsLinPort::SetSenderHold(SenderHold hold)
{
    std::lock_guard lock(m_holdMutex);
    m_senderHold = std::move(hold);
}

void clsLinPort::senderLoop()
{
    using Clock = std::chrono::steady_clock;
    auto nextAllowed = Clock::now();
    std::unique_lock lock(m_outgoingMutex);
    for (;;) {
        m_outgoingChanged.wait(lock, [this] { return m_stopSender || !m_outgoing.empty(); });
        if (m_stopSender)
            return;
        // At most one message leaves every interval.
        if (m_outgoingChanged.wait_until(lock, nextAllowed, [this] { return m_stopSender; }))
            return;
        if (m_outgoing.empty())
            continue;
        const Outgoing request = m_outgoing.front();
        m_outgoing.pop_front();
        lock.unlock();
        SenderHold hold;
        {
            std::lock_guard holdLock(m_holdMutex);
            hold = m_senderHold;
        }
        if (hold)
            hold(request.msg);
        // A request of a connection closed meanwhile is dropped unwritten; the transaction that
        // waited for it ended with its connection.
        if (request.connection != m_connection.load()) {
            lock.lock();
            continue;
        }
        const bool recording = m_recordWrites.load();
        const auto started = recording ? Clock::now() : Clock::time_point{};
        // A failed write is not retried: the waiting transaction times out.
        const bool ok = writeMessage(request);
        if (recording)
            keepWrite({request.msg, started, Clock::now(), ok});
        // Counted from the end of the write, with a little to spare, so that neither a late
        // wake-up here nor the line's delivery jitter ever brings two requests closer than the
        // interval at the module.
        nextAllowed = Clock::now() + m_sendInterval.load() + kSendMargin;
        lock.lock();
    }
}

} // namespace vxl
