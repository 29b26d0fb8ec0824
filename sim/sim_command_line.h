#pragma once

#include "sim/emulator_host.h"
#include "sim/module_rack.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>

namespace vxl::sim {

// What the command line of vexalin-sim asks for.
struct SimCommandLine
{
    EmulatorOptions options;    // of the first module; the rack derives the others from it
    ModuleFaults faults;        // of every module
    int modules = 1;            // on the COM numbers from options.comNumber on
    QStringList moduleSettings; // "COM:OPTIONS" texts for single modules
};

// Reads the program's options (help, version and unknown options end the program as usual);
// none, with the reason in `error`, when a value is out of its range.
[[nodiscard]] std::optional<SimCommandLine> ParseSimCommandLine(const QCoreApplication &app,
                                                                QString &error);

} // namespace vxl::sim
