// vexalin-sim: a VEXA-LIN module on a virtual COM port, for trying the tool without hardware.

#include "sim/emulator_host.h"
#include "sim/module_rack.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

using namespace vxl::sim;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexalin-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VXL_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Emulates a VEXA-LIN module behind a pseudo-terminal registered as a COM port, so the tool "
        "can connect to it as to real hardware. Stop it with Ctrl+C."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("COM number to register (default 1)."),
                                  QStringLiteral("N"),
                                  QStringLiteral("1"));
    const QCommandLineOption hardware(QStringLiteral("hardware"),
                                      QStringLiteral(
                                          "Hardware text; its first letter sets the build: P "
                                          "prototype, S slave sim, V VDO, other standard."),
                                      QStringLiteral("TEXT"),
                                      QStringLiteral("VXL-LIN-G 1.0  "));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
                                      QStringLiteral(
                                          "Firmware version AA.BB.CC (default 01.02.15)."),
                                      QStringLiteral("VERSION"),
                                      QStringLiteral("01.02.15"));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("RS-232 bit rate at power-up (default 38400)."),
                                  QStringLiteral("BPS"),
                                  QStringLiteral("38400"));
    const QCommandLineOption startup(QStringLiteral("startup"),
                                     QStringLiteral(
                                         "Start-up text style after a reset: 'cr' (ends with a "
                                         "carriage return) or '66' (66 characters)."),
                                     QStringLiteral("STYLE"),
                                     QStringLiteral("cr"));
    const QCommandLineOption
        traffic(QStringLiteral("traffic"),
                QStringLiteral(
                    "Send a random CAN frame, CAN event or LIN error every MS milliseconds."),
                QStringLiteral("MS"),
                QStringLiteral("0"));
    const QCommandLineOption flood(QStringLiteral("flood"),
                                   QStringLiteral(
                                       "Fill the line with CAN frames over N distinct identifiers; "
                                       "SIGUSR1 ends it and prints how many messages were sent."),
                                   QStringLiteral("N"),
                                   QStringLiteral("0"));
    const QCommandLineOption
        noPacing(QStringLiteral("no-pacing"),
                 QStringLiteral("Send as fast as the pty takes it, not at the line's bit rate."));
    const QCommandLineOption transcript(QStringLiteral("transcript"),
                                        QStringLiteral(
                                            "Append every request and reply, with times, to FILE."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("Receive requests but never answer."));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Wait MS milliseconds before each reply."),
                                   QStringLiteral("MS"),
                                   QStringLiteral("0"));
    const QCommandLineOption drop(QStringLiteral("drop"),
                                  QStringLiteral("Do not send the Nth reply."),
                                  QStringLiteral("N"),
                                  QStringLiteral("0"));
    const QCommandLineOption corrupt(QStringLiteral("corrupt"),
                                     QStringLiteral("Send the Nth reply with a wrong checksum."),
                                     QStringLiteral("N"),
                                     QStringLiteral("0"));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral(
                                       "Emulate N modules on the COM numbers from --port on, in "
                                       "this one process; each ends its hardware text with its "
                                       "COM number."),
                                   QStringLiteral("N"),
                                   QStringLiteral("1"));
    const QCommandLineOption module(QStringLiteral("module"),
                                    QStringLiteral(
                                        "Options of the module on one COM number, as "
                                        "\"5:firmware=01.01.05,silent,refuse=1/13/5\" (keys "
                                        "hardware, firmware, silent, silent-from, delay, drop, "
                                        "corrupt, refuse group/command/code); may be "
                                        "repeated."),
                                    QStringLiteral("COM:OPTIONS"));
    parser.addOptions({count, module});
    parser.addOptions({port,
                       hardware,
                       firmware,
                       rate,
                       startup,
                       traffic,
                       flood,
                       noPacing,
                       transcript,
                       silent,
                       delay,
                       drop,
                       corrupt});
    parser.process(app);

    EmulatorOptions options;
    options.comNumber = parser.value(port).toInt();
    options.identity.hardware = parser.value(hardware);
    options.identity.firmware = parser.value(firmware);
    options.rate = parser.value(rate).toUInt();
    options.startupStyle = parser.value(startup) == QStringLiteral("66")
                               ? StartupStyle::Fixed66
                               : StartupStyle::CarriageReturn;
    options.pacing = !parser.isSet(noPacing);
    options.transcriptFile = parser.value(transcript);
    options.randomTrafficMs = parser.value(traffic).toInt();
    options.floodIds = parser.value(flood).toInt();
    if (options.comNumber < 1 || options.comNumber > 255) {
        std::fprintf(stderr, "vexalin-sim: --port takes a COM number from 1 to 255\n");
        return 2;
    }

    // Ctrl+C and termination end the run cleanly, so the port link is removed.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ModuleFaults faults;
    faults.silent = parser.isSet(silent);
    faults.delayMs = parser.value(delay).toInt();
    faults.dropReply = parser.value(drop).toInt();
    faults.corruptReply = parser.value(corrupt).toInt();
    const int modules = parser.value(count).toInt();
    if (modules < 1 || options.comNumber + modules - 1 > 255) {
        std::fprintf(stderr, "vexalin-sim: --count takes 1 or more, up to COM255\n");
        return 2;
    }
    auto rack = MakeRack(options, faults, modules);
    for (const QString &text : parser.values(module)) {
        QString error;
        if (!ApplyModuleOptions(rack, text, error)) {
            std::fprintf(stderr, "vexalin-sim: %s\n", qPrintable(error));
            return 2;
        }
    }
    std::vector<std::unique_ptr<EmulatorHost>> hosts;
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
    EmulatorHost &host = *hosts.front();

    // SIGUSR1 ends the flood and says how many messages of its own the module sent, so that a
    // benchmark can compare them with what the tool counted.
    int received = 0;
    while (sigwait(&stopSignals, &received) == 0 && received == SIGUSR1) {
        host.setFlood(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::printf("sent %llu messages of the module's own\n",
                    static_cast<unsigned long long>(host.ownMessagesSent()));
        std::fflush(stdout);
    }
    for (auto &each : hosts)
        each->stop();
    return 0;
}
