// vexalin-sim: a VEXA-LIN module on a virtual COM port, for trying the tool without hardware.

#include "sim/emulator_host.h"
#include "sim/module_rack.h"
#include "sim/sim_command_line.h"

#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

using namespace vxl::sim;

namespace {

using Hosts = std::vector<std::unique_ptr<EmulatorHost>>;

// Ctrl+C and termination end the run cleanly, so the port link is removed; SIGUSR1 ends a flood.
// Blocked in every thread, they are taken by sigwait alone.
sigset_t blockStopSignals()
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    return stopSignals;
}

// The rack the command line describes, with the settings of single modules applied; 0, or the
// program's exit code when a setting is malformed.
int makeRack(const SimCommandLine &line, std::vector<RackModule> &rack)
{
    rack = MakeRack(line.options, line.faults, line.modules);
    for (const QString &text : line.moduleSettings) {
        QString error;
        if (!ApplyModuleOptions(rack, text, error)) {
            std::fprintf(stderr, "vexalin-sim: %s\n", qPrintable(error));
            return 2;
        }
    }
    return 0;
}

// Starts a host for each module of the rack; 0, or the program's exit code when a port could
// not be created.
int startHosts(const std::vector<RackModule> &rack, Hosts &hosts)
{
    for (const RackModule &rackModule : rack) {
        hosts.push_back(std::make_unique<EmulatorHost>(rackModule.options));
        EmulatorHost &host = *hosts.back();
        if (!host.start()) {
            std::fprintf(stderr,
                         "vexalin-sim: could not create the virtual port COM%d\n",
                         rackModule.options.comNumber);
            return 1;
        }
        ApplyFaults(host, rackModule.faults);
        std::printf("VEXA-LIN module emulator on COM%d (%s -> %s)\n",
                    rackModule.options.comNumber,
                    qPrintable(host.linkPath()),
                    qPrintable(host.devicePath()));
    }
    std::fflush(stdout);
    return 0;
}

// Runs until a stop signal. SIGUSR1 ends the flood and says how many messages of its own the
// module sent, so that a benchmark can compare them with what the tool counted.
void runUntilStopped(EmulatorHost &host, const sigset_t &stopSignals)
{
    int received = 0;
    while (sigwait(&stopSignals, &received) == 0 && received == SIGUSR1) {
        host.setFlood(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::printf("sent %llu messages of the module's own\n",
                    static_cast<unsigned long long>(host.ownMessagesSent()));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexalin-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VXL_VERSION_TEXT));

    QString error;
    const auto line = ParseSimCommandLine(app, error);
    if (!line) {
        std::fprintf(stderr, "vexalin-sim: %s\n", qPrintable(error));
        return 2;
    }
    const sigset_t stopSignals = blockStopSignals();
    std::vector<RackModule> rack;
    if (const int code = makeRack(*line, rack); code != 0)
        return code;
    Hosts hosts;
    if (const int code = startHosts(rack, hosts); code != 0)
        return code;
    runUntilStopped(*hosts.front(), stopSignals);
    for (auto &host : hosts)
        host->stop();
    return 0;
}
