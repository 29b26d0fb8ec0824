// Loaded into a Qt Widgets program with LD_PRELOAD by bench_startup, so that the tool and the
// reference program are measured alike and neither knows: prints "shown <ns>" (the monotonic
// clock) when a main window is first painted, then, after a quiet time, "rss <kB>" and ends the
// program.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

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
        std::printf("shown %lld\n", monotonicNs());
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
