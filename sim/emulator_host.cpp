#include "sim/emulator_host.h"

#include "core/link/com_port_map.h"
#include "core/link/command_builders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vxl::sim {

namespace {

using Clock = std::chrono::steady_clock;

std::uint32_t rateOf(speed_t speed)
{
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

constexpr auto kPresenceInterval = std::chrono::milliseconds(20);

// A message of the module's own chosen by the random number r: a standard or extended CAN
// frame, a CAN controller event or a LIN error.
LIN_Msg randomOwnMessage(std::uint32_t r)
{
    switch (r % 4) {
    case 0:
        return MakeCanFrameMessage(r % 0x800, false, false, {std::uint8_t(r), std::uint8_t(r >> 8)});
    case 1:
        return MakeCanFrameMessage(r % 0x20000000, true, (r & 0x100) != 0, {1, 2, 3, 4});
    case 2:
        return MakeCanEventMessage(std::uint8_t(1u << (r % 6)), std::uint8_t(r), 96, 128);
    default:
        return MakeLinErrorMessage(std::uint8_t(r % 19), std::uint8_t(r % 64));
    }
}

} // namespace

EmulatorHost::EmulatorHost(EmulatorOptions options)
    : m_options(std::move(options))
    , m_model(m_options.identity, m_options.rate, m_options.startupStyle)
    , m_floodIds(m_options.floodIds)
{}

EmulatorHost::~EmulatorHost()
{
    stop();
}

bool EmulatorHost::start()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return false;
    // Raw from the start: a fresh slave echoes and cooks what passes through it.
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B38400);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_slavePath = QString::fromLocal8Bit(name);

    if (m_options.comNumber > 0) {
        const QString folder = m_options.dosDevices.isEmpty() ? UserDosDevicesDir()
                                                              : m_options.dosDevices;
        QDir().mkpath(folder);
        m_linkPath = folder + QStringLiteral("/com") + QString::number(m_options.comNumber);
        QFile::remove(m_linkPath);
        if (!QFile::link(m_slavePath, m_linkPath))
            return false;
    }
    m_started = Clock::now();
    m_lineFree = m_started;
    m_nextScheduled = m_started;
    m_nextRandom = m_started + std::chrono::milliseconds(m_options.randomTrafficMs);
    m_stop = false;
    m_thread = std::thread(&EmulatorHost::run, this);
    return true;
}

void EmulatorHost::stop()
{
    if (m_thread.joinable()) {
        m_stop = true;
        wake();
        m_thread.join();
    }
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    m_linkPath.clear();
    for (int *fd : {&m_master, &m_slave, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void EmulatorHost::wake()
{
    const char byte = 1;
    if (m_wake[1] >= 0) [[maybe_unused]]
        const ssize_t n = ::write(m_wake[1], &byte, 1);
}

ModuleConfig EmulatorHost::config()
{
    std::lock_guard lock(m_mutex);
    return m_model.Config();
}

void EmulatorHost::setSilent(bool silent)
{
    std::lock_guard lock(m_mutex);
    m_silent = silent;
}

void EmulatorHost::dropReply(int nth)
{
    std::lock_guard lock(m_mutex);
    m_dropAt = m_repliesSeen + nth;
}

void EmulatorHost::silentFrom(int nth)
{
    std::lock_guard lock(m_mutex);
    m_silentFrom = m_repliesSeen + nth;
}

void EmulatorHost::corruptReply(int nth)
{
    std::lock_guard lock(m_mutex);
    m_corruptAt = m_repliesSeen + nth;
}

void EmulatorHost::setReplyDelayMs(int ms)
{
    std::lock_guard lock(m_mutex);
    m_delayMs = ms;
}

void EmulatorHost::sendGarbage(const QByteArray &bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_garbage += bytes;
    }
    wake();
}

void EmulatorHost::forceReturnCode(int group, int command, std::uint8_t code)
{
    std::lock_guard lock(m_mutex);
    m_model.ForceReturnCode(group, command, code);
}

void EmulatorHost::dropOff(int ms)
{
    std::lock_guard lock(m_mutex);
    m_absent = true;
    m_absentUntil = Clock::now() + std::chrono::milliseconds(ms);
}

void EmulatorHost::setStartupTextCut(bool cut)
{
    std::lock_guard lock(m_mutex);
    m_startupCut = cut;
}

bool EmulatorHost::absentLocked()
{
    if (!m_absent)
        return false;
    if (Clock::now() < m_absentUntil)
        return true;
    m_absent = false;
    m_model.PowerUp();
    return false;
}

void EmulatorHost::sendOwnMessage(const LIN_Msg &msg)
{
    {
        std::lock_guard lock(m_mutex);
        m_outbox.push_back(msg);
    }
    wake();
}

void EmulatorHost::setFlood(int distinctIds)
{
    {
        std::lock_guard lock(m_mutex);
        m_floodIds = distinctIds;
    }
    wake();
}

std::vector<TranscriptEntry> EmulatorHost::transcript() const
{
    std::lock_guard lock(m_transcriptMutex);
    return m_transcript;
}

std::vector<TranscriptEntry> EmulatorHost::requests() const
{
    std::vector<TranscriptEntry> result;
    for (const TranscriptEntry &entry : transcript())
        if (entry.received)
            result.push_back(entry);
    return result;
}

void EmulatorHost::clearTranscript()
{
    std::lock_guard lock(m_transcriptMutex);
    m_transcript.clear();
}

void EmulatorHost::setTranscriptCallback(std::function<void(const TranscriptEntry &)> callback)
{
    std::lock_guard lock(m_transcriptMutex);
    m_callback = std::move(callback);
}

double EmulatorHost::elapsedMs() const
{
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - m_started).count();
    return std::round(ms * 10.0) / 10.0;
}

void EmulatorHost::record(TranscriptEntry entry)
{
    std::function<void(const TranscriptEntry &)> callback;
    {
        std::lock_guard lock(m_transcriptMutex);
        m_transcript.push_back(entry);
        callback = m_callback;
    }
    if (!m_options.transcriptFile.isEmpty()) {
        QFile file(m_options.transcriptFile);
        if (file.open(QIODevice::Append | QIODevice::Text))
            file.write(
                QStringLiteral("%1 %2 %3\n")
                    .arg(entry.ms, 10, 'f', 1)
                    .arg(entry.received ? QStringLiteral(">") : QStringLiteral("<"), entry.text)
                    .toLatin1());
    }
    if (callback)
        callback(entry);
}

std::uint32_t EmulatorHost::toolRate() const
{
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return 0;
    return rateOf(::cfgetospeed(&tio));
}

void EmulatorHost::checkToolPresence()
{
    // A tool holds the port with a lock on its own descriptor; when our lock is granted, nobody
    // holds it, and exclusivity a crashed tool left behind is lifted for the next one.
    if (::flock(m_slave, LOCK_EX | LOCK_NB) == 0) {
        ::flock(m_slave, LOCK_UN);
        if (m_toolPresent.exchange(false))
            ::ioctl(m_slave, TIOCNXCL);
        return;
    }
    m_toolPresent = true;
}

void EmulatorHost::writePaced(const QByteArray &bytes, std::uint32_t rate)
{
    if (bytes.isEmpty())
        return;
    auto now = Clock::now();
    if (m_options.pacing && rate > 0) {
        if (m_lineFree > now)
            std::this_thread::sleep_until(m_lineFree);
        now = Clock::now();
        const auto duration = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(10.0 * double(bytes.size()) / double(rate)));
        m_lineFree = std::max(m_lineFree, now) + duration;
    }
    qsizetype done = 0;
    while (done < bytes.size() && !m_stop) {
        // A tool that changed its rate while the line was full hears the rest as noise.
        if (rate > 0 && toolRate() != rate)
            return;
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd pfd{m_master, POLLOUT, 0};
        ::poll(&pfd, 1, 50);
    }
}

void EmulatorHost::sendOutput(const Output &output, bool isReply)
{
    if (output.kind == Output::Kind::Nothing)
        return;
    // A tool listening at another rate would see noise; it sees nothing here.
    if (output.rate != toolRate())
        return;
    QByteArray bytes;
    TranscriptEntry entry;
    if (output.kind == Output::Kind::Text) {
        bytes = output.text;
        {
            std::lock_guard lock(m_mutex);
            if (m_startupCut)
                bytes.truncate(bytes.size() / 2);
        }
        entry.text = QString::fromLatin1(bytes);
    } else {
        LIN_Msg frame = output.frame;
        int delay = 0;
        {
            std::lock_guard lock(m_mutex);
            if (isReply) {
                ++m_repliesSeen;
                const bool gone = m_silentFrom > 0 && m_repliesSeen >= m_silentFrom;
                if (m_silent || gone || m_repliesSeen == m_dropAt)
                    return;
                if (m_repliesSeen == m_corruptAt)
                    frame.checksum ^= 0xFF;
                delay = m_delayMs;
            }
        }
        if (delay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        bytes = ModuleFrameBytes(frame);
        entry.text = FormatFrame(frame);
        entry.sequence = HeaderField(frame.header, 1);
        const int count = std::min(HeaderField(frame.header, 2), kMaxDataBytes);
        entry.data = QByteArray(reinterpret_cast<const char *>(frame.data.data()), count);
    }
    writePaced(bytes, output.rate);
    entry.ms = elapsedMs();
    record(entry);
}

void EmulatorHost::handleRequest(const LIN_Msg &request, bool checksumOk)
{
    TranscriptEntry entry;
    entry.ms = elapsedMs();
    entry.received = true;
    entry.text = FormatFrame(request);
    entry.group = request.code >> 6;
    entry.command = request.code & 0x3F;
    entry.sequence = HeaderField(request.header, 1);
    entry.data = QByteArray(reinterpret_cast<const char *>(request.data.data()),
                            HeaderField(request.header, 2));
    entry.checksumOk = checksumOk;
    record(entry);
    std::vector<Output> outputs;
    {
        std::lock_guard lock(m_mutex);
        outputs = m_model.Handle(request, checksumOk);
    }
    for (const Output &output : outputs)
        sendOutput(output, output.kind == Output::Kind::Frame);
}

void EmulatorHost::handleBytes(const char *bytes, int count)
{
    {
        std::lock_guard lock(m_mutex);
        // Programming mode is silent; at another rate the module hears only noise.
        if (absentLocked() || m_model.InProgrammingMode() || toolRate() != m_model.LineRate())
            return;
    }
    m_pending.append(bytes, count);
    for (;;) {
        const qsizetype start = m_pending.indexOf(char(kStartByte));
        if (start < 0) {
            m_pending.clear();
            return;
        }
        m_pending.remove(0, start);
        if (m_pending.size() < 4)
            return;
        const auto header = std::uint8_t(m_pending.at(1));
        const int length = HeaderField(header, 2);
        if (m_pending.size() < 4 + length)
            return;
        LIN_Msg request;
        request.start = kStartByte;
        request.header = header;
        request.code = std::uint8_t(m_pending.at(2));
        std::uint8_t sum = request.header ^ request.code;
        for (int i = 0; i < length; ++i) {
            request.data[std::size_t(i)] = std::uint8_t(m_pending.at(3 + i));
            sum ^= request.data[std::size_t(i)];
        }
        request.checksum = std::uint8_t(m_pending.at(3 + length));
        m_pending.remove(0, 4 + length);
        handleRequest(request, sum == request.checksum);
    }
}

void EmulatorHost::runTraffic()
{
    std::vector<LIN_Msg> messages;
    QByteArray garbage;
    std::uint32_t rate = 0;
    const auto now = Clock::now();
    {
        std::lock_guard lock(m_mutex);
        messages.swap(m_outbox);
        garbage.swap(m_garbage);
        rate = m_model.LineRate();
        if (absentLocked() || m_model.InProgrammingMode() || !m_toolPresent)
            return;
        const LIN_Group &lin = m_model.Config().LIN;
        if (m_model.MasterRunning()) {
            if (now >= m_nextScheduled) {
                m_schedulerIndex %= lin.SchedulerCount;
                const LIN_SchedulerEntry &entry = lin.SchedulerEntries[std::size_t(m_schedulerIndex)];
                const LIN_FrameEntry &frame = lin.Frames[entry.ID & 0x3F];
                m_model.CountLinFrame();
                if (lin.ForwardMask & 0x04) {
                    const int length = FrameByteCount(lin, entry.ID & 0x3F);
                    messages.push_back(
                        MakeLinFrameMessage(entry.ID,
                                            {frame.Data.begin(), frame.Data.begin() + length}));
                }
                m_nextScheduled = std::max(m_nextScheduled, now - std::chrono::milliseconds(1000))
                                  + std::chrono::milliseconds(entry.Time);
                ++m_schedulerIndex;
            }
        } else {
            m_schedulerIndex = 0;
            m_nextScheduled = now;
        }
        if (m_options.randomTrafficMs > 0 && now >= m_nextRandom) {
            m_nextRandom = now + std::chrono::milliseconds(m_options.randomTrafficMs);
            m_randomState = m_randomState * 1103515245u + 12345u;
            messages.push_back(randomOwnMessage(m_randomState >> 8));
        }
        if (m_floodIds > 0) {
            const int id = m_floodNext++ % m_floodIds;
            m_model.CountCanFrame();
            messages.push_back(
                MakeCanFrameMessage(std::uint32_t(id),
                                    true,
                                    false,
                                    {std::uint8_t(id), std::uint8_t(id >> 8), 0xAA, 0x55}));
        }
    }
    if (toolRate() != rate)
        return;
    if (!garbage.isEmpty())
        writePaced(garbage, rate);
    for (const LIN_Msg &msg : messages) {
        Output out;
        out.kind = Output::Kind::Frame;
        out.frame = msg;
        out.rate = rate;
        sendOutput(out, false);
        ++m_ownSent;
    }
}

void EmulatorHost::run()
{
    auto nextPresence = Clock::now();
    char buffer[4096];
    while (!m_stop) {
        const auto now = Clock::now();
        if (now >= nextPresence) {
            checkToolPresence();
            nextPresence = now + kPresenceInterval;
        }
        runTraffic();
        int timeout = int(
            std::chrono::duration_cast<std::chrono::milliseconds>(nextPresence - Clock::now())
                .count());
        {
            std::lock_guard lock(m_mutex);
            if (m_floodIds > 0 && m_toolPresent)
                timeout = 0;
            else if (m_model.MasterRunning() && m_toolPresent)
                timeout = std::min<int>(timeout,
                                        int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                m_nextScheduled - Clock::now())
                                                .count()));
        }
        pollfd fds[2] = {{m_wake[0], POLLIN, 0}, {m_master, POLLIN, 0}};
        if (::poll(fds, 2, std::max(timeout, 0)) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN)
            while (::read(m_wake[0], buffer, sizeof buffer) > 0) {
            }
        if (fds[1].revents & POLLIN) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                checkToolPresence();
                handleBytes(buffer, int(n));
            }
        }
    }
}

} // namespace vxl::sim
