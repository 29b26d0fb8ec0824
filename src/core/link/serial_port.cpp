#include "core/link/serial_port.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vxl {

namespace {

constexpr int kLockRetries = 10;
constexpr std::chrono::milliseconds kLockRetryWait{2};

speed_t speedFor(std::uint32_t baudRate)
{
    switch (baudRate) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return B0;
    }
}

// Only a character device that is a terminal can be a serial line; a regular file, a pipe or
// any other device a port number may have been mapped to is left alone.
bool isTerminalDevice(int fd, termios &settings)
{
    struct stat info
    {};
    if (::fstat(fd, &info) != 0)
        return false;
    if (!S_ISCHR(info.st_mode) || !::isatty(fd)) {
        errno = ENOTTY;
        return false;
    }
    return ::tcgetattr(fd, &settings) == 0;
}

// Opens a device the way the port is always opened: exclusively, without becoming its
// controlling terminal, refusing anything that is not a terminal. -1 with errno set on failure;
// on success `settings` holds the terminal's settings as they were found.
int openExclusive(const QString &path, termios &settings)
{
    if (path.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    const int fd = ::open(path.toLocal8Bit().constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (!isTerminalDevice(fd, settings)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    // root ignores TIOCEXCL, so the lock is what keeps two programs apart. A program that only
    // probes whether a port is in use holds the lock for an instant; a port that stays locked
    // for a few milliseconds belongs to someone else.
    bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    for (int retry = 0; !locked && errno == EWOULDBLOCK && retry < kLockRetries; ++retry) {
        std::this_thread::sleep_for(kLockRetryWait);
        locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    }
    if (!locked) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    ::ioctl(fd, TIOCEXCL);
    return fd;
}

void closeExclusive(int fd)
{
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

} // namespace

clsSrlPort::clsSrlPort(ComPortMap map)
    : m_map(std::move(map))
{}

clsSrlPort::~clsSrlPort()
{
    ClosePort();
    std::lock_guard lock(m_rxMutex);
    m_rx.clear();
}

ComPortMap clsSrlPort::PortMap() const
{
    std::lock_guard lock(m_mapMutex);
    return m_map;
}

bool clsSrlPort::configure(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = speedFor(m_baudRate.load());
    if (speed == B0) {
        errno = EINVAL;
        return false;
    }
    if (::cfsetspeed(&tio, speed) != 0)
        return false;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return false;
    // Raised for as long as the port is open; ptys and some adapters know no modem lines.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        return false;
    return true;
}

bool clsSrlPort::OpenPort(std::uint8_t portNumber, std::uint32_t baudRate)
{
    if (portNumber != 0)
        m_portNumber.store(portNumber);
    if (baudRate != 0)
        m_baudRate.store(baudRate);

    termios found{};
    const int fd = openExclusive(PortMap().devicePath(m_portNumber.load()), found);
    if (fd < 0) {
        m_lastError.store(static_cast<std::uint32_t>(errno));
        return false;
    }
    m_savedSettings = found;
    m_haveSavedSettings = true;
    m_fd.store(fd);
    if (!configure(fd)) {
        // The handle stays held until the next ClosePort, which the link always issues.
        m_lastError.store(static_cast<std::uint32_t>(errno));
        return false;
    }
    // Whatever the line holds from before this open belongs to an earlier connection, perhaps at
    // another rate: taken now, it would pass for the module's answer to the new one.
    ::tcflush(fd, TCIOFLUSH);
    if (::pipe2(m_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_lastError.store(static_cast<std::uint32_t>(errno));
        ClosePort();
        return false;
    }
    m_open.store(true);
    try {
        m_reader = std::thread(&clsSrlPort::readerLoop, this, fd, m_stopPipe[0]);
    } catch (...) {
        ClosePort();
        m_open.store(false);
    }
    return m_open.load();
}

void clsSrlPort::readerLoop(int portFd, int stopFd)
{
    std::uint8_t buffer[kReadBlockSize];
    bool portGone = false;
    for (;;) {
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {portFd, POLLIN, 0}};
        // A vanished port (unplugged adapter, pty closed on the far side) keeps reporting
        // POLLHUP; polling it would spin, so from then on only the stop request is awaited.
        const int count = portGone ? 1 : 2;
        const int ready = ::poll(fds, count, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            portGone = true;
            continue;
        }
        if (fds[0].revents != 0)
            break;
        if (count < 2)
            continue;
        const short events = fds[1].revents;
        if (events & POLLIN) {
            const ssize_t got = ::read(portFd, buffer, sizeof buffer);
            if (got > 0) {
                ReceiveBlock(buffer, std::size_t(got));
                continue;
            }
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            portGone = true;
            continue;
        }
        if (events & (POLLHUP | POLLERR | POLLNVAL))
            portGone = true;
    }
}

void clsSrlPort::ReceiveBlock(const std::uint8_t *bytes, std::size_t count)
{
    // A subclass that does nothing with single bytes gets the block queued under one lock: at a
    // lock a byte, the queue alone would cost more than assembling the messages.
    if (!WantsEachByte()) {
        {
            std::lock_guard lock(m_rxMutex);
            m_rx.insert(m_rx.end(), bytes, bytes + count);
        }
        // Changed its mind while the block went in: each byte gets its call after all, in order.
        if (WantsEachByte()) {
            for (std::size_t i = 0; i < count; ++i)
                OnRxChar();
        }
        OnRxBlock();
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        {
            std::lock_guard lock(m_rxMutex);
            m_rx.push_back(bytes[i]);
        }
        OnRxChar();
    }
    OnRxBlock();
}

void clsSrlPort::releaseHandle()
{
    std::lock_guard lock(m_writeMutex);
    const int fd = m_fd.exchange(-1);
    if (fd < 0)
        return;
    // The terminal goes back the way it was found, so that a terminal someone else uses is not
    // left raw.
    if (m_haveSavedSettings)
        ::tcsetattr(fd, TCSANOW, &m_savedSettings);
    m_haveSavedSettings = false;
    closeExclusive(fd);
}

std::deque<std::uint8_t> clsSrlPort::TakeReceivedBytes()
{
    std::deque<std::uint8_t> taken;
    std::lock_guard lock(m_rxMutex);
    taken.swap(m_rx);
    return taken;
}

void clsSrlPort::ReturnReceivedBytes(std::deque<std::uint8_t>::const_iterator first,
                                     std::deque<std::uint8_t>::const_iterator last)
{
    if (first == last)
        return;
    std::lock_guard lock(m_rxMutex);
    m_rx.insert(m_rx.begin(), first, last);
}

void clsSrlPort::DiscardReceivedBytes()
{
    std::lock_guard lock(m_rxMutex);
    m_rx.clear();
}

void clsSrlPort::ClosePort()
{
    if (m_fd.load() < 0)
        return;
    if (m_reader.joinable()) {
        const char stop = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stopPipe[1], &stop, 1);
        m_reader.join();
    }
    for (int &end : m_stopPipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
    releaseHandle();
    m_open.store(false);
}

std::uint32_t clsSrlPort::PurgePort()
{
    return purge(TCIOFLUSH);
}

std::uint32_t clsSrlPort::PurgeReceived()
{
    return purge(TCIFLUSH);
}

std::uint32_t clsSrlPort::purge(int queues)
{
    const int fd = m_fd.load();
    if (fd < 0 || ::tcflush(fd, queues) != 0) {
        const auto error = static_cast<std::uint32_t>(fd < 0 ? EBADF : errno);
        m_lastError.store(error);
        return error;
    }
    std::lock_guard lock(m_rxMutex);
    m_rx.clear();
    return 0;
}

bool clsSrlPort::WriteByte(std::uint8_t byte)
{
    using Clock = std::chrono::steady_clock;
    std::lock_guard lock(m_writeMutex);
    const int fd = m_fd.load();
    if (fd < 0) {
        m_lastError.store(EBADF);
        return false;
    }
    const auto start = Clock::now();
    for (;;) {
        const ssize_t written = ::write(fd, &byte, 1);
        if (written == 1)
            return true;
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            m_lastError.store(static_cast<std::uint32_t>(errno));
            return false;
        }
        // The first second is the ordinary wait; the rest up to the write time-out is the
        // wait for the final verdict.
        const auto elapsed
            = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (elapsed >= kWriteTimeoutMs) {
            m_lastError.store(ETIMEDOUT);
            return false;
        }
        const int wait = static_cast<int>(elapsed < kWriteWaitMs ? kWriteWaitMs - elapsed
                                                                 : kWriteTimeoutMs - elapsed);
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, wait);
        if (ready < 0 && errno != EINTR) {
            m_lastError.store(static_cast<std::uint32_t>(errno));
            return false;
        }
        if (ready > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))
            && !(pfd.revents & POLLOUT)) {
            m_lastError.store(EIO);
            return false;
        }
    }
}

bool clsSrlPort::ReadByte(std::uint8_t &byte)
{
    std::lock_guard lock(m_rxMutex);
    if (m_rx.empty())
        return false;
    byte = m_rx.front();
    m_rx.pop_front();
    return true;
}

std::size_t clsSrlPort::RxCount() const
{
    std::lock_guard lock(m_rxMutex);
    return m_rx.size();
}

bool clsSrlPort::PortExists(int number, const ComPortMap &map)
{
    termios settings{};
    const int fd = openExclusive(map.devicePath(number), settings);
    if (fd < 0)
        return false;
    closeExclusive(fd);
    return true;
}

int clsSrlPort::ListPorts(QString &text, int highest, const ComPortMap &map, int *refused)
{
    text.clear();
    int count = 0;
    int denied = 0;
    for (int number = 1; number <= highest; ++number) {
        const QString path = map.devicePath(number);
        if (path.isEmpty())
            continue;
        termios settings{};
        const int fd = openExclusive(path, settings);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM)
                ++denied;
            continue;
        }
        closeExclusive(fd);
        ++count;
        text += QLatin1Char(',') + QString::number(number);
    }
    if (!text.isEmpty())
        text.remove(0, 1);
    if (refused)
        *refused = denied;
    return count;
}

} // namespace vxl
