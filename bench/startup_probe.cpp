// Loaded into a Qt Widgets program with LD_PRELOAD by bench_startup, so that the tool and the
// reference program are measured alike and neither knows: prints "shown <ns>" (the monotonic
// clock) when a main window is first painted, with "slept <ns>", the time the main thread spent
// sleeping before that, then, after a quiet time, "rss <kB>" and ends the program.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

namespace {

std::atomic<long long> g_sleptNs{0};
std::atomic<bool> g_counting{true};

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long) now.tv_sec * 1000000000LL + now.tv_nsec;
}

long long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Sleeps of the main thread are timed on their way to the C library until the first paint.
template<typename Call>
int timedSleep(Call call)
{
    if (!g_counting || ::gettid() != ::getpid())
        return call();
    const long long before = monotonicNs();
    const int result = call();
    g_sleptNs += monotonicNs() - before;
    return result;
}

} // namespace

extern "C" int nanosleep(const timespec *duration, timespec *left)
{
    static const auto real = reinterpret_cast<int (*)(const timespec *, timespec *)>(
        ::dlsym(RTLD_NEXT, "nanosleep"));
    return timedSleep([&] { return real(duration, left); });
}

extern "C" int clock_nanosleep(clockid_t clock, int flags, const timespec *time, timespec *left)
{
    static const auto real = reinterpret_cast<int (*)(clockid_t, int, const timespec *, timespec *)>(
        ::dlsym(RTLD_NEXT, "clock_nanosleep"));
    return timedSleep([&] { return real(clock, flags, time, left); });
}

namespace {

class Probe : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_shown || event->type() != QEvent::Paint)
            return false;
        const auto *window = qobject_cast<QMainWindow *>(watched);
        if (!window || !window->isWindow())
            return false;
        m_shown = true;
        const long long shown = monotonicNs();
        g_counting = false;
        std::printf("shown %lld\nslept %lld\n", shown, g_sleptNs.load());
        std::fflush(stdout);
        const int idleMs = qEnvironmentVariableIntValue("VXL_PROBE_IDLE_MS");
        QTimer::singleShot(idleMs, [] {
            std::printf("rss %lld\n", residentKb());
            std::fflush(stdout);
            std::_Exit(0);
        });
        return false;
    }

private:
    bool m_shown = false;
};

void installProbe()
{
    QCoreApplication *app = QCoreApplication::instance();
    app->installEventFilter(new Probe(app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
