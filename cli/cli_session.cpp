#include "cli/cli_session.h"

#include "cli/module_record.h"

#include "core/link/com_port_map.h"
#include "core/link/lin_port.h"
#include "core/link/status_text.h"
#include "core/operations/connection.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace vxl::cli {

namespace {
constexpr int kPollMs = 10;
// A finished step may start the next one from a queued call: idle must hold a moment.
constexpr int kQuietMs = 150;
} // namespace

CliSession::CliSession(CliOperator &op)
    : m_operator(op)
    , m_terminal(isatty(STDERR_FILENO) == 1)
{
    ReadSettings(m_settings);
    m_ops = std::make_unique<Operations>(m_operator, m_settings);
}

CliSession::~CliSession()
{
    endProgress();
}

int CliSession::Connect(int port, int rate)
{
    if (ComPortMap().devicePath(port).isEmpty()) {
        CliOperator::Print(QStringLiteral("COM%1 is not mapped to any device (see \"vexalin-cli "
                                          "ports\")")
                               .arg(port));
        return kExitUsage;
    }
    auto &conn = m_ops->Conn();
    int code = 0;
    conn.SetConnected(conn.TryConnect(port, rate, &code));
    if (!conn.IsConnected()) {
        QString text = OperatorMessage(0, std::uint32_t(port), std::uint32_t(code));
        text.truncate(text.indexOf(QStringLiteral("\r\n")));
        CliOperator::Print(QStringLiteral("Error: ") + text);
        return kExitConnection;
    }
    m_connected = true;
    conn.UpdateConnectionState();
    WaitIdle();
    return Outcome();
}

void CliSession::WaitIdle()
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer quiet;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        showProgress();
        auto &link = m_ops->Link();
        if (!m_ops->IsConnected()) {
            loop.quit();
            return;
        }
        const bool idle = m_ops->IsIdle() && link.OutgoingCount() == 0 && link.ReceivedCount() == 0;
        if (!idle) {
            quiet.invalidate();
            return;
        }
        if (!quiet.isValid())
            quiet.start();
        else if (quiet.elapsed() >= kQuietMs)
            loop.quit();
    });
    poll.start();
    loop.exec();
    endProgress();
}

void CliSession::RunFor(int ms)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer elapsed;
    elapsed.start();
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (m_stopRequested || !m_ops->IsConnected() || (ms >= 0 && elapsed.elapsed() >= ms))
            loop.quit();
    });
    poll.start();
    loop.exec();
}

int CliSession::Outcome() const
{
    if (m_connected && !m_ops->IsConnected())
        return kExitConnection;
    if (!m_operator.Errors().isEmpty() || m_operator.Refused())
        return kExitRefused;
    return kExitOk;
}

void CliSession::showProgress()
{
    // Counted from the outgoing queue: what left it since the last look was written.
    const std::size_t queued = m_ops->Link().OutgoingCount();
    if (queued < m_lastQueued)
        m_done += m_lastQueued - queued;
    m_lastQueued = queued;
    const std::size_t total = std::max(m_total, m_done + queued);
    const bool changed = total != m_total || queued != m_lastShown;
    m_total = total;
    m_lastShown = queued;
    if (auto *record = CapturedRecord()) {
        if (changed)
            record->SetProgress(m_done, m_total);
        return;
    }
    if (!m_terminal || m_total == 0 || !changed)
        return;
    std::fprintf(stderr, "\rrequests %zu / %zu", m_done, m_total);
    std::fflush(stderr);
    m_progressShown = true;
}

void CliSession::endProgress()
{
    if (m_progressShown)
        std::fprintf(stderr, "\r\033[K");
    m_progressShown = false;
    m_done = m_total = m_lastQueued = m_lastShown = 0;
}

} // namespace vxl::cli
