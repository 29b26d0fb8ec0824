#pragma once

#include <QtGlobal>

#include <csignal>
#include <sys/resource.h>

namespace vxl::test {

// Ignores a signal for as long as it lives.
class SignalIgnored
{
public:
    explicit SignalIgnored(int signal)
        : m_signal(signal)
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(m_signal, &ignore, &m_old);
    }
    ~SignalIgnored() { sigaction(m_signal, &m_old, nullptr); }

private:
    int m_signal;
    struct sigaction m_old = {};
};

// The largest file the process may write, for as long as it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old = {};
};

} // namespace vxl::test
