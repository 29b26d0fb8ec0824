// Start-up of the tool beside a minimal Qt Widgets program showing an empty main window, both
// offscreen and measured alike in the same run: from the process start to the main window's
// first paint, also less the time the main thread slept before it (the tool's start-up sequence
// pauses twice for 20 ms in Disconnect), and the resident memory after a quiet time. Runs
// alternate between the two; the medians are compared.
//
//   bench_startup [repetitions=5] [quiet ms=1000]

#include "bench_row.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>

namespace {

struct Start
{
    double ms = 0;      // process start to the first paint of its main window
    double sleptMs = 0; // of that, what the main thread slept
    double residentMb = 0;
};

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long) now.tv_sec * 1000000000LL + now.tv_nsec;
}

// The tool starts with stored settings that ask for no connection ("Disconnected" in the
// preferences), so that it comes to rest with its main window alone, as the reference does.
QProcessEnvironment environment(const QString &home, int quietMs)
{
    QDir(home).mkpath(QStringLiteral("Norvel"));
    QFile settings(home + QStringLiteral("/Norvel/VEXALIN.conf"));
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[General]\nStartMode=1\nPort=1\nBaudrate=38400\nTimeout=3\n"
                       "ScanCount=16\nColorOn=65280\nColorOff=255\nColorWorking=65535\n"
                       "TopMost=0\nGermanHelp=0\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(VXL_STARTUP_PROBE));
    env.insert(QStringLiteral("VXL_PROBE_IDLE_MS"), QString::number(quietMs));
    // In a sanitizer build the probe comes before the sanitizer's run-time.
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("verify_asan_link_order=0"));
    return env;
}

std::optional<Start> startOnce(const QString &program, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProgram(program);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const long long started = monotonicNs();
    process.start();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    std::optional<long long> shown;
    std::optional<long long> slept;
    std::optional<long long> rss;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (line.startsWith("shown "))
            shown = line.mid(6).toLongLong();
        else if (line.startsWith("slept "))
            slept = line.mid(6).toLongLong();
        else if (line.startsWith("rss "))
            rss = line.mid(4).toLongLong();
    }
    if (!shown || !slept || !rss) {
        std::fprintf(stderr,
                     "%s: no report (exit %d)\n%s\n",
                     qPrintable(program),
                     process.exitCode(),
                     process.readAllStandardError().constData());
        return std::nullopt;
    }
    return Start{double(*shown - started) / 1e6, double(*slept) / 1e6, double(*rss) / 1024.0};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int repetitions = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 5;
    const int quietMs = args.size() > 2 ? std::max(0, args.at(2).toInt()) : 1000;

    QTemporaryDir home;
    const QProcessEnvironment env = environment(home.path(), quietMs);
    struct Series
    {
        QString program;
        std::vector<double> ms, awakeMs, sleptMs, mb;
    };
    Series minimal{QStringLiteral(VXL_MINIMAL_PROGRAM), {}, {}, {}, {}};
    Series tool{QStringLiteral(VXL_TOOL_PROGRAM), {}, {}, {}, {}};
    for (int r = 0; r < repetitions; ++r) {
        for (Series *series : {&minimal, &tool}) {
            if (const std::optional<Start> start = startOnce(series->program, env)) {
                series->ms.push_back(start->ms);
                series->awakeMs.push_back(start->ms - start->sleptMs);
                series->sleptMs.push_back(start->sleptMs);
                series->mb.push_back(start->residentMb);
            }
        }
    }
    if (tool.ms.empty() || minimal.ms.empty()) {
        std::fprintf(stderr, "bench_startup: a program did not report its start\n");
        return 1;
    }

    using vxl::bench::Format;
    using vxl::bench::Median;
    const std::string runs = ", median of " + std::to_string(tool.ms.size());
    // With the pauses the start-up sequence asks for: for information.
    vxl::bench::PrintRow({"start-up: process start to main window shown (offscreen)" + runs,
                          Format("%.0f ms", Median(tool.ms)),
                          Format("%.0f ms (minimal Qt Widgets program)", Median(minimal.ms)),
                          Median(tool.ms) / Median(minimal.ms),
                          true,
                          "",
                          true});
    const double timeRatio = Median(tool.awakeMs) / Median(minimal.awakeMs);
    vxl::bench::PrintRow(
        {"start-up less the main thread's sleeps before the window is shown (tool: "
             + Format("%.0f ms", Median(tool.sleptMs)) + ", the two 20 ms pauses of Disconnect)"
             + runs,
         Format("%.0f ms", Median(tool.awakeMs)),
         Format("%.0f ms (minimal Qt Widgets program", Median(minimal.awakeMs))
             + Format(", slept %.0f ms)", Median(minimal.sleptMs)),
         timeRatio,
         true,
         "≤ 1.5 ×",
         timeRatio <= 1.5});
    const double memoryRatio = Median(tool.mb) / Median(minimal.mb);
    vxl::bench::PrintRow({"start-up: resident memory when idle" + runs,
                          Format("%.1f MB", Median(tool.mb)),
                          Format("%.1f MB (minimal Qt Widgets program)", Median(minimal.mb)),
                          memoryRatio,
                          true,
                          "≤ 1.5 ×",
                          memoryRatio <= 1.5});
    return 0;
}
