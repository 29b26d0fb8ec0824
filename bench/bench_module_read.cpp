// A module read end to end, as "Refresh" on the module data view starts it on a connected,
// idle link: from the read's start to the filled grid, against the emulator on a pty pacing its
// line at the bit rate. The floor is the link's pacing, 20 ms for every request the read sent;
// the figure is how close the read comes to it.
//
//   bench_module_read [repetitions=3] [firmware bit-rate]...
//   (default: 01.02.15 and 01.02.14, each at 38400 and 115200 bit/s)

#include "bench_row.h"
#include "core/link/lin_port.h"
#include "core/operations/connection.h"
#include "core/operations/operations.h"
#include "silent_operator.h"
#include "sim/emulator_host.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace vxl;

namespace {

constexpr int kComNumber = 6;
constexpr double kPacingMs = 20.0;

struct Case
{
    QString firmware;
    std::uint32_t rate = 38400;
};

struct Reading
{
    double ms = 0;
    std::size_t requests = 0;
};

// One read of a fresh module by a fresh tool; nothing when the read did not complete.
std::optional<Reading> readOnce(const Case &c)
{
    QTemporaryDir dosDevices;
    sim::EmulatorOptions options;
    options.identity.firmware = c.firmware;
    options.rate = c.rate;
    options.comNumber = kComNumber;
    options.dosDevices = dosDevices.path();
    sim::EmulatorHost host(options);
    if (!host.start())
        return std::nullopt;

    test::SilentOperator op(View::ModuleData, true);
    VXLIN_Values settings;
    settings.Timeout = 10;
    Operations ops(op,
                   settings,
                   ComPortMap(
                       ComPortRoots{dosDevices.path(), QString(), QStringLiteral("/nonexistent")}));
    Connection &connection = ops.Conn();
    bool connected = false;
    for (int attempt = 0; attempt < 5 && !connected; ++attempt)
        connected = connection.TryConnect(kComNumber, int(c.rate));
    if (!connected)
        return std::nullopt;

    // The connection reads the module once; the read measured starts when that one is over and
    // the link is idle.
    connection.SetConnected(true);
    connection.UpdateConnectionState();
    QElapsedTimer waited;
    waited.start();
    while (!(ops.IsIdle() && ops.Grid() != FixedGridTexts()) && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QThread::msleep(100);
    QCoreApplication::processEvents();

    QEventLoop loop;
    QElapsedTimer elapsed;
    std::optional<Reading> reading;
    QObject::connect(&ops, &Operations::gridChanged, &loop, [&] {
        if (ops.Grid() == FixedGridTexts())
            return; // emptied: not filled yet, or the read failed (it then times out)
        const auto writes = ops.Link().Writes();
        reading = Reading{double(elapsed.nsecsElapsed()) / 1e6, writes.size()};
        loop.quit();
        if (writes.size() < 2)
            return;
        // Where the time beyond the floor went.
        const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
        double widest = 0;
        for (std::size_t i = 1; i < writes.size(); ++i)
            widest = std::max(widest, ms(writes[i].started - writes[i - 1].started));
        std::printf("  %zu requests: start to start mean %.2f ms, widest %.2f ms; "
                    "last request to the grid %.1f ms\n",
                    writes.size(),
                    ms(writes.back().started - writes.front().started) / double(writes.size() - 1),
                    widest,
                    reading->ms - ms(writes.back().started - writes.front().started));
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit); // a read that never completes

    ops.Link().RecordWrites(true);
    elapsed.start();
    ops.ActivateView(View::ModuleData); // what "Refresh" does
    loop.exec();
    return reading;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    const QStringList args = app.arguments();
    const int repetitions = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 3;
    std::vector<Case> cases;
    for (int i = 2; i + 1 < args.size(); i += 2)
        cases.push_back({args.at(i), std::uint32_t(args.at(i + 1).toUInt())});
    if (cases.empty()) {
        for (const char *firmware : {"01.02.15", "01.02.14"})
            for (std::uint32_t rate : {38400u, 115200u})
                cases.push_back({QString::fromLatin1(firmware), rate});
    }

    int failures = 0;
    for (const Case &c : cases) {
        std::vector<double> times;
        std::size_t requests = 0;
        for (int r = 0; r < repetitions; ++r) {
            const std::optional<Reading> reading = readOnce(c);
            if (!reading)
                continue;
            times.push_back(reading->ms);
            requests = reading->requests;
        }
        const QString name
            = QStringLiteral("module read, firmware %1 at %2 bit/s").arg(c.firmware).arg(c.rate);
        if (times.empty()) {
            std::fprintf(stderr, "%s: the read did not complete\n", qPrintable(name));
            ++failures;
            continue;
        }
        const double floor = kPacingMs * double(requests);
        const double ratio = bench::Median(times) / floor;
        bench::PrintRow({name.toStdString() + ", median of " + std::to_string(times.size()),
                         bench::Format("%.0f ms", bench::Median(times)),
                         bench::Format("%.0f ms", floor) + " (20 ms × " + std::to_string(requests)
                             + " requests)",
                         ratio,
                         true,
                         "≤ 1.05 ×",
                         ratio <= 1.05});
    }
    return failures == 0 ? 0 : 1;
}
