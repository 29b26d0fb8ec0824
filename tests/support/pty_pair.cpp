#include "pty_pair.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace vxl::test {

PtyPair::PtyPair(int comNumber)
    : m_comNumber(comNumber)
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
        return;
    // Raw on both ends, so the pty passes bytes through untouched and echoes nothing.
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    m_slaveKeep = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    QFile::link(m_slavePath, m_dir.filePath(QStringLiteral("com%1").arg(comNumber)));
}

PtyPair::~PtyPair()
{
    closeMaster();
    if (m_slaveKeep >= 0)
        ::close(m_slaveKeep);
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

bool PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master,
                                  bytes.constData() + done,
                                  static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd pfd{m_master, POLLOUT, 0};
        if (::poll(&pfd, 1, 1000) <= 0)
            return false;
    }
    return true;
}

QByteArray PtyPair::read(int atLeast, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    QByteArray result;
    char buffer[4096];
    while (result.size() < atLeast) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) <= 0)
            break;
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0)
            result.append(buffer, n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    return result;
}

QByteArray PtyPair::readAvailable(int settleMs)
{
    QByteArray result;
    char buffer[4096];
    for (;;) {
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, settleMs) <= 0)
            break;
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        result.append(buffer, n);
    }
    return result;
}

} // namespace vxl::test
