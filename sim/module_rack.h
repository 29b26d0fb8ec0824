#pragma once

#include "sim/emulator_host.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace vxl::sim {

// The faults an emulated module takes from its start.
struct ModuleFaults
{
    struct Refusal
    {
        int group = 0;
        int command = 0;
        std::uint8_t code = 0;
    };

    bool silent = false;
    int delayMs = 0;
    int dropReply = 0;             // the nth reply is not sent (0: none)
    int silentFrom = 0;            // from the nth reply on it answers nothing more (0: never)
    int corruptReply = 0;          // the nth reply goes out with a wrong checksum (0: none)
    std::vector<Refusal> refusals; // return codes given instead of the answers to these commands
};

// One module of a rack: where it is, what it is and what goes wrong with it.
struct RackModule
{
    EmulatorOptions options;
    ModuleFaults faults;
};

// `count` modules on the COM numbers from the base's on, each told apart by its COM number at
// the end of its hardware text (one module keeps the base's text).
[[nodiscard]] std::vector<RackModule> MakeRack(const EmulatorOptions &base,
                                               const ModuleFaults &faults,
                                               int count);

// Changes the module of one COM number: "5:firmware=01.01.05,silent,refuse=1/13/5". Keys:
// hardware, firmware, silent, silent-from, delay, drop, corrupt, refuse (group/command/code). False, with the
// reason in `error`, when the text is malformed or no module has that COM number.
[[nodiscard]] bool ApplyModuleOptions(std::vector<RackModule> &rack,
                                      const QString &text,
                                      QString &error);

// Hands the faults to a started host.
void ApplyFaults(EmulatorHost &host, const ModuleFaults &faults);

} // namespace vxl::sim
