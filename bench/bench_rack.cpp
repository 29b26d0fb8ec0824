// A production line: "vexalin-cli send --verify" into many emulated modules at once (one
// vexalin-sim process hosting them all) against the same into one module, in the same run. Each
// link is paced on its own, so many modules should take hardly longer than one; and the tool's
// processor time per module, which is what limits how many one machine can drive.
//
//   bench_rack [repetitions=3] [modules=16]

#include "bench_row.h"
#include "core/module/module_config.h"
#include "core/profiles/profile_document.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/resource.h>

using namespace vxl;

namespace {

constexpr int kFirstPort = 40;
constexpr int kRunMs = 600000;

struct Timing
{
    double wallMs = 0;
    double cpuMs = 0; // the tool's user and system time
};

double childCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

ModuleConfig benchProfile()
{
    ModuleConfig p = ModuleConfig::NewProfile();
    p.CAN.FilterMask = 0x12345678;
    p.LIN.Baudrate = 10400;
    for (int i = 0; i < kFrameCount; ++i) {
        auto &frame = p.LIN.Frames[std::size_t(i)];
        frame.ID = std::uint8_t(i);
        frame.Length = std::uint8_t(FrameByteCount(p.LIN, i));
        frame.Data.fill(std::uint8_t(i));
    }
    p.LIN.SchedulerCount = 4;
    for (int i = 0; i < 4; ++i)
        p.LIN.SchedulerEntries[std::size_t(i)] = {std::uint16_t(10 * (i + 1)), std::uint8_t(i)};
    return p;
}

// One "send --verify" into the modules on the first `count` ports; nothing when it did not pass.
std::optional<Timing> sendVerify(const QProcessEnvironment &env,
                                 const QString &profile,
                                 const QString &report,
                                 int count)
{
    const QString ports = QStringLiteral("%1-%2").arg(kFirstPort).arg(kFirstPort + count - 1);
    QProcess cli;
    cli.setProcessEnvironment(env);
    const double cpuBefore = childCpuMs();
    QElapsedTimer elapsed;
    elapsed.start();
    // The report makes a single module take the same road as many.
    cli.start(QStringLiteral(VXL_CLI_PROGRAM),
              {"send", profile, "--port", ports, "--verify", "--yes", "--report", report});
    if (!cli.waitForFinished(kRunMs) || cli.exitStatus() != QProcess::NormalExit) {
        cli.kill();
        cli.waitForFinished();
        return std::nullopt;
    }
    const Timing timing{double(elapsed.nsecsElapsed()) / 1e6, childCpuMs() - cpuBefore};
    if (cli.exitCode() != 0) {
        std::fprintf(stderr, "%s", cli.readAllStandardOutput().constData());
        return std::nullopt;
    }
    return timing;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int repetitions = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 3;
    const int modules = args.size() > 2 ? std::clamp(args.at(2).toInt(), 2, 64) : 16;

    QTemporaryDir home;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    QProcess sim;
    sim.setProcessEnvironment(env);
    sim.start(QStringLiteral(VXL_SIM_PROGRAM),
              {"--port", QString::number(kFirstPort), "--count", QString::number(modules)});
    int started = 0;
    while (started < modules && sim.waitForReadyRead(30000))
        started += int(sim.readAllStandardOutput().count("module emulator on COM"));
    if (started < modules) {
        std::fprintf(stderr, "the emulator did not start its %d modules\n", modules);
        return 1;
    }
    const QString profile = home.filePath(QStringLiteral("bench.vxlin"));
    clsVLINXMLProfile document;
    const ModuleConfig p = benchProfile();
    if (!document.WriteAll(p.RS232.Baudrate, p.CAN, p.LIN) || !document.SaveAs(profile))
        return 1;
    const QString report = home.filePath(QStringLiteral("report.json"));

    std::vector<double> oneWall, manyWall, oneCpu, manyCpu;
    for (int r = 0; r < repetitions; ++r) {
        const auto one = sendVerify(env, profile, report, 1);
        const auto many = sendVerify(env, profile, report, modules);
        if (!one || !many)
            continue;
        oneWall.push_back(one->wallMs);
        oneCpu.push_back(one->cpuMs);
        manyWall.push_back(many->wallMs);
        manyCpu.push_back(many->cpuMs / modules);
    }
    ::kill(pid_t(sim.processId()), SIGTERM);
    sim.waitForFinished();
    if (oneWall.empty()) {
        std::fprintf(stderr, "no send --verify passed\n");
        return 1;
    }
    const std::string many = std::to_string(modules) + " modules";
    const std::string runs = ", median of " + std::to_string(oneWall.size());
    const double ratio = bench::Median(manyWall) / bench::Median(oneWall);
    bench::PrintRow({"send --verify to " + many + " ÷ 1 module, wall time" + runs,
                     bench::Format("%.0f ms", bench::Median(manyWall)),
                     bench::Format("%.0f ms", bench::Median(oneWall)) + " (1 module)",
                     ratio,
                     true,
                     "≤ 1.2 ×",
                     ratio <= 1.2});
    bench::PrintRow({"vexalin-cli processor time per module, send --verify to " + many + runs,
                     bench::Format("%.0f ms", bench::Median(manyCpu)),
                     bench::Format("%.0f ms", bench::Median(oneCpu)) + " (1 module)",
                     bench::Median(manyCpu) / bench::Median(oneCpu),
                     true,
                     "",
                     false});
    return 0;
}
