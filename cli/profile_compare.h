#pragma once

#include "core/module/module_config.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace vxl::cli {

// A value the module holds otherwise than the profile.
struct ValueDifference
{
    QString name; // the profile's element, "CAN/Filter_Mask"
    QString profile;
    QString module;

    [[nodiscard]] QString Line() const;
};

// A value of the profile that could not be compared, and why.
struct ValueNotCompared
{
    QString name;
    QString reason; // "refused with code 5", "not supported by firmware 01.01.05"

    [[nodiscard]] QString Line() const;
};

struct ProfileComparison
{
    std::vector<ValueDifference> differences;
    std::vector<ValueNotCompared> notCompared;

    // Every compared value is equal.
    [[nodiscard]] bool Equal() const { return differences.empty(); }
};

// Every value a send of `profile` writes into this module, compared with what the module
// reported, named after the profile's elements. The profile must be prepared as a send prepares
// it; values sent as one byte are compared as that byte. Values the module refused to report and
// values its firmware does not take from a send are not compared but listed with the reason. The
// RS-232 bit rate is left out: the module keeps using its rate until its RS-232 group is
// initialised and reports the rate in use.
[[nodiscard]] ProfileComparison CompareProfile(const ModuleConfig &profile,
                                               const ModuleConfig &module);

// The differences alone, as "Element: profile X, module Y" lines.
[[nodiscard]] QStringList ProfileDifferences(const ModuleConfig &profile,
                                             const ModuleConfig &module);

} // namespace vxl::cli
