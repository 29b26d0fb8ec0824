#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vxl::soak {

class Session;

inline constexpr char kTimeoutAtLimit[] = "a time-out fires at the Timeout in force";
inline constexpr char kNoExchangeOutlasts[] = "no exchange outlasts its time-out";
inline constexpr char kSendLeavesProfile[]
    = "a successful send leaves the module equal to the profile";
inline constexpr char kWritesOnlyWhenAsked[] = "writes only in writing actions";
inline constexpr char kEntriesEndWithConnection[] = "collected entries go with their connection";
inline constexpr char kRefusedStaysOut[] = "no refused value becomes a profile value";
inline constexpr char kCommandsFollowConnection[] = "commands follow the connection";
inline constexpr char kOneOfOnOff[] = "exactly one of ON/OFF with entries";
inline constexpr char kSavedProfileOpens[] = "a saved profile opens with the values saved last";
inline constexpr char kConnectionReads[] = "a confirmed connection reads its module";

// One row of the invariant table: its name, which failure messages carry, and its check, which
// gives what is wrong or nothing.
struct Invariant
{
    const char *name;
    std::optional<QString> (*check)(Session &session);
};

[[nodiscard]] const std::vector<Invariant> &Invariants();

// Invariants whose faults are known and still open, each with its list in tests/soak/open/:
// random runs leave them unchecked, since they would find them first, again and again, and hide
// anything new behind them.
[[nodiscard]] QStringList OpenFaults();

} // namespace vxl::soak
