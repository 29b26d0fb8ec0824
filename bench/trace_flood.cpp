// The tool's Messages view fed by the emulator's flood: a line saturated with CAN frames at
// 115200 bit/s over thousands of identifiers. Reports the messages the emulator sent against
// those the trace counted, the tool's processor time per second of flood, the processor time of
// the flood's first 10 s (every identifier new, each getting its row) against its last 10 s, and
// the time of one refresh pass of the trace list.
//
//   bench_trace_flood [seconds=60] [identifiers=2048]

#include "bench_row.h"
#include "core/operations/connection.h"
#include "core/operations/operations.h"
#include "core/trace/trace_list.h"
#include "core/trace/trace_model.h"
#include "silent_operator.h"
#include "ui/views/messages_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>

using namespace vxl;

namespace {

constexpr int kComNumber = 9;
constexpr int kRate = 115200;

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 countedMessages(TraceList &trace)
{
    qint64 total = 0;
    for (int i = 0; i < trace.Count(); ++i)
        total += trace.At(i).count;
    return total;
}

// Runs the event loop (blocking while idle, as the application does) for the time.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the condition holds, looking every 10 ms; false after the time-out.
template<typename Condition>
bool runUntil(Condition done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        runFor(10);
    }
    return true;
}

// The process's processor time sampled from the flood's start, to compare its first seconds
// with its last.
class CpuSamples
{
public:
    CpuSamples()
    {
        m_wall.start();
        take();
        m_timer.setInterval(100);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { take(); });
        m_timer.start();
    }
    void stop()
    {
        m_timer.stop();
        take();
    }
    [[nodiscard]] double elapsed() const { return m_samples.back().first; }
    // Processor seconds from `from` to `to` seconds after the start, at the nearest samples.
    [[nodiscard]] double between(double from, double to) const { return at(to) - at(from); }

private:
    void take()
    {
        m_samples.emplace_back(double(m_wall.nsecsElapsed()) / 1e9, processCpuSeconds());
    }
    [[nodiscard]] double at(double seconds) const
    {
        const auto nearest = std::min_element(m_samples.begin(),
                                              m_samples.end(),
                                              [seconds](const auto &a, const auto &b) {
                                                  return std::abs(a.first - seconds)
                                                         < std::abs(b.first - seconds);
                                              });
        return nearest->second;
    }

    QElapsedTimer m_wall;
    QTimer m_timer;
    std::vector<std::pair<double, double>> m_samples; // (seconds since the start, processor s)
};

struct RefreshTimes
{
    std::vector<double> ms;
    [[nodiscard]] double mean() const
    {
        double sum = 0;
        for (double t : ms)
            sum += t;
        return ms.empty() ? 0 : sum / double(ms.size());
    }
    [[nodiscard]] double max() const
    {
        return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
    }
};

bool startEmulator(QProcess &sim, int ids)
{
    sim.setProgram(QStringLiteral(VXL_SIM_PROGRAM));
    sim.setArguments({QStringLiteral("--port"),
                      QString::number(kComNumber),
                      QStringLiteral("--rate"),
                      QString::number(kRate),
                      QStringLiteral("--flood"),
                      QString::number(ids)});
    sim.start();
    return sim.waitForStarted(5000) && runUntil([&sim] { return sim.canReadLine(); }, 10000)
           && sim.readLine().contains("emulator on COM");
}

bool connectTool(Operations &ops)
{
    auto &connection = ops.Conn();
    bool connected = false;
    for (int attempt = 0; attempt < 5 && !connected; ++attempt)
        connected = connection.TryConnect(kComNumber, kRate);
    if (!connected)
        return false;
    // Connected without the module read a connection starts: the read switches the link to
    // framed receiving, which drops whatever is queued by design, and the flood is running by
    // then; the messages sent would no longer all be the trace's to count.
    connection.SetConnected(true);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The emulator registers its port in a settings folder of this run only.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 60;
    const int ids = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 2048;

    QProcess sim;
    if (!startEmulator(sim, ids)) {
        std::fprintf(stderr, "bench_trace_flood: the emulator did not start\n");
        return 2;
    }
    test::SilentOperator op(View::Messages, true);
    VXLIN_Values settings;
    settings.Timeout = 10;
    Operations ops(op, settings);
    MessagesView view(ops);
    view.resize(1200, 700);
    view.show();
    if (!connectTool(ops)) {
        std::fprintf(stderr, "bench_trace_flood: no connection to the emulator\n");
        return 2;
    }

    // The refresh passes are timed: the view's own timer gives way to one that measures.
    TraceModel &model = *view.traceModel();
    if (auto *own = model.findChild<QTimer *>(QStringLiteral("tmrDisplayTimer")))
        own->stop();
    RefreshTimes refresh;
    QTimer timed;
    timed.setInterval(TraceModel::kRefreshMs);
    QObject::connect(&timed, &QTimer::timeout, [&] {
        QElapsedTimer pass;
        pass.start();
        model.Refresh();
        refresh.ms.push_back(double(pass.nsecsElapsed()) / 1e6);
    });
    timed.start();

    CpuSamples samples;

    // Filling: every identifier gets its row, sorted in.
    QElapsedTimer filling;
    filling.start();
    const double cpuFilling = processCpuSeconds();
    runUntil([&] { return ops.Trace().Count() >= ids; }, 60000);
    const double fillingCpu = processCpuSeconds() - cpuFilling;
    const double fillingSeconds = double(filling.nsecsElapsed()) / 1e9;

    // Steady flood: every message updates an entry.
    const double cpuBefore = processCpuSeconds();
    const qint64 countedBefore = countedMessages(ops.Trace());
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const qint64 countedInWindow = countedMessages(ops.Trace()) - countedBefore;

    ::kill(pid_t(sim.processId()), SIGUSR1);
    runUntil([&sim] { return sim.canReadLine(); }, 10000);
    const QByteArray report = sim.readLine();
    const qint64 sent = report.split(' ').value(1).toLongLong();
    // What is on its way through the line is still counted.
    runUntil([&] { return countedMessages(ops.Trace()) >= sent; }, 5000);
    timed.stop();
    samples.stop();
    const qint64 counted = countedMessages(ops.Trace());

    QElapsedTimer paint;
    paint.start();
    view.traceList()->viewport()->repaint();
    const double paintMs = double(paint.nsecsElapsed()) / 1e6;

    std::printf("trace flood: %.1f s (after filling) at %d bit/s over %d identifiers\n",
                elapsed,
                kRate,
                ids);
    std::printf("messages sent by the emulator: %lld\n", static_cast<long long>(sent));
    std::printf("messages counted by the trace: %lld (%d entries, %lld in the measured %.1f s = "
                "%.0f per second)\n",
                static_cast<long long>(counted),
                ops.Trace().Count(),
                static_cast<long long>(countedInWindow),
                elapsed,
                double(countedInWindow) / elapsed);
    std::printf("lost: %lld\n", static_cast<long long>(sent - counted));
    std::printf("filling %d entries: %.1f s, tool CPU %.2f s = %.2f %% of one core\n",
                ops.Trace().Count(),
                fillingSeconds,
                fillingCpu,
                100.0 * fillingCpu / fillingSeconds);
    std::printf("tool CPU in the steady flood: %.2f s over %.1f s = %.2f %% of one core\n",
                cpu,
                elapsed,
                100.0 * cpu / elapsed);
    std::printf("refresh pass: mean %.3f ms, max %.3f ms over %zu passes\n",
                refresh.mean(),
                refresh.max(),
                refresh.ms.size());
    std::printf("whole list repainted: %.2f ms\n", paintMs);
    const std::string flood = "trace flood on the Messages view, " + std::to_string(ids) + " ids, "
                              + bench::Format("%.0f s", elapsed);
    bench::PrintRow({flood + ": messages counted",
                     std::to_string(counted),
                     std::to_string(sent) + " sent by the emulator",
                     sent > 0 ? double(counted) / double(sent) : 0,
                     true,
                     "0 lost",
                     sent > 0 && counted == sent});
    const double cpuPercent = 100.0 * cpu / elapsed;
    bench::PrintRow({flood + ": the tool's processor time",
                     bench::Format("%.2f %% of one core", cpuPercent),
                     "—",
                     0,
                     false,
                     "≤ 5 % of one core",
                     cpuPercent <= 5.0});

    // The whole run is the flood: the first and the last 10 s of it, shorter in a short run.
    const double window = std::min(10.0, samples.elapsed() / 2);
    const double firstCpu = samples.between(0, window);
    const double lastCpu = samples.between(samples.elapsed() - window, samples.elapsed());
    const double firstRatio = lastCpu > 0 ? firstCpu / lastCpu : 0;
    bench::PrintRow({"trace flood on the Messages view, " + std::to_string(ids)
                         + " ids: processor time of "
                         + bench::Format("the first %.0f s (new rows)", window),
                     bench::Format("%.2f s", firstCpu),
                     bench::Format("%.2f s (its last ", lastCpu) + bench::Format("%.0f s)", window),
                     firstRatio,
                     lastCpu > 0,
                     "≤ 2 ×",
                     lastCpu > 0 && firstRatio <= 2});

    sim.terminate();
    sim.waitForFinished(5000);
    // Lost messages are a figure of the table, not a failure to measure.
    return sent > 0 ? 0 : 1;
}
