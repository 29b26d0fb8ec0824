#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace vxl::cli {

// COM numbers as "3,5,7-12": single numbers and ranges, in the order given, each once. Nothing
// when the text is not such a list or a number is outside 1..255.
[[nodiscard]] std::optional<std::vector<int>> ParsePortList(const QString &text);

// One line of a plan: which profile goes into the module on which port.
struct PlanRow
{
    int port = 0;
    QString profile; // resolved against the plan's folder
    QString label;
};

// A plan file: CSV lines "port,profile[,label]"; empty lines, lines starting with # and a first
// line naming the columns are skipped. Nothing, with the reason in `error`, when a line is
// malformed or names a port twice.
[[nodiscard]] std::optional<std::vector<PlanRow>> ReadPlan(const QString &path, QString &error);

} // namespace vxl::cli
