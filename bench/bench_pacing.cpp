// How far apart requests leave the tool and reach the module, with the emulator on a pty: the
// sender's own gaps (what it guarantees, whatever the load) beside the gaps the module sees,
// which also carry the scheduling of both threads and the pty's delivery. A figure to watch,
// not a check: run it on an idle machine and on a busy one and compare.
//
//   bench_pacing [requests] [bit rate]     (default 200 requests at 38400 bit/s)

#include "bench_row.h"
#include "core/link/command_builders.h"
#include "core/link/lin_port.h"
#include "sim/emulator_host.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <thread>
#include <vector>

using namespace vxl;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kComNumber = 4;

struct Figures
{
    double min = 0, median = 0, mean = 0, max = 0;
    int below20 = 0;
};

Figures figuresOf(std::vector<double> gaps)
{
    Figures f;
    if (gaps.empty())
        return f;
    std::sort(gaps.begin(), gaps.end());
    f.min = gaps.front();
    f.max = gaps.back();
    f.median = gaps[gaps.size() / 2];
    f.mean = std::accumulate(gaps.begin(), gaps.end(), 0.0) / double(gaps.size());
    f.below20 = int(std::count_if(gaps.begin(), gaps.end(), [](double g) { return g < 20.0; }));
    return f;
}

void print(const char *what, const std::vector<double> &gaps)
{
    const Figures f = figuresOf(gaps);
    std::printf("  %-34s %8.2f %8.2f %8.2f %8.2f %6d/%zu\n",
                what,
                f.min,
                f.median,
                f.mean,
                f.max,
                f.below20,
                gaps.size());
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Waits until the module has answered `count` requests; false when it stopped answering.
bool collectReplies(clsLinPort &link, int count)
{
    auto lastReply = Clock::now();
    for (int got = 0; got < count;) {
        LIN_Msg msg;
        if (link.GetMessage(&msg) == 0) {
            ++got;
            lastReply = Clock::now();
            continue;
        }
        if (Clock::now() - lastReply > std::chrono::seconds(5))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const int requests = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
    const auto rate = std::uint32_t(argc > 2 ? std::atoi(argv[2]) : 38400);

    QTemporaryDir dosDevices;
    sim::EmulatorOptions options;
    options.comNumber = kComNumber;
    options.dosDevices = dosDevices.path();
    options.rate = rate;
    sim::EmulatorHost host(options);
    if (!host.start()) {
        std::fprintf(stderr, "bench_pacing: the emulator did not start\n");
        return 1;
    }
    clsLinPort link({},
                    ComPortMap(
                        ComPortRoots{dosDevices.path(), QString(), QStringLiteral("/nonexistent")}));
    if (link.Connect(kComNumber, rate) != LinCode::Ok) {
        std::fprintf(stderr, "bench_pacing: no connection to the emulator\n");
        return 1;
    }
    while (!host.toolPresent())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    link.RecordWrites(true);
    for (int i = 0; i < requests; ++i)
        SendCommand(link, 2, 16, i % 8);
    if (!collectReplies(link, requests)) {
        std::fprintf(stderr, "bench_pacing: the module stopped answering\n");
        return 1;
    }

    const auto writes = link.Writes();
    const auto received = host.requests();
    std::vector<double> startToStart, endToStart, atModule;
    for (std::size_t i = 1; i < writes.size(); ++i) {
        startToStart.push_back(ms(writes[i].started - writes[i - 1].started));
        endToStart.push_back(ms(writes[i].started - writes[i - 1].finished));
    }
    for (std::size_t i = 1; i < received.size(); ++i)
        atModule.push_back(received[i].ms - received[i - 1].ms);

    std::printf("pacing: %d requests at %u bit/s, gaps in ms\n", requests, unsigned(rate));
    std::printf("  %-34s %8s %8s %8s %8s %8s\n", "", "min", "median", "mean", "max", "<20 ms");
    print("sender, start to start", startToStart);
    print("sender, end of write to next start", endToStart);
    print("module, arrival to arrival", atModule);
    const Figures module = figuresOf(atModule);
    bench::PrintRow(
        {"pacing at the module: gap between requests, median (min) of "
             + std::to_string(atModule.size()) + " at " + std::to_string(rate) + " bit/s",
         bench::Format("%.2f ms", module.median) + bench::Format(" (%.2f ms)", module.min),
         "20 ms (the link's interval)",
         module.median / 20.0,
         true,
         "",
         true});
    link.Disconnect();
    return 0;
}
