#pragma once

// One row of the results table: what was measured, the reference measured in the same run, their
// ratio and the goal. scripts/bench.sh collects the lines starting with "RESULT" into
// bench/RESULTS.md, so each program prints its rows whatever else it prints.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace vxl::bench {

struct Row
{
    std::string figure;    // what was measured
    std::string value;     // its value with unit
    std::string reference; // the reference with unit, or "—"
    double ratio = 0;      // value ÷ reference in the goal's sense; ignored when !hasRatio
    bool hasRatio = true;
    std::string goal; // empty: a figure without a goal
    bool met = false;
};

// The middle of repeated runs: one run slowed by the machine's other work does not move it.
inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

inline std::string Format(const char *format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

inline void PrintRow(const Row &row)
{
    const std::string ratio = row.hasRatio
                                  ? Format(row.ratio >= 100 ? "%.0f ×" : "%.3g ×", row.ratio)
                                  : std::string("—");
    std::printf("RESULT | %s | %s | %s | %s | %s | %s |\n",
                row.figure.c_str(),
                row.value.c_str(),
                row.reference.c_str(),
                ratio.c_str(),
                row.goal.empty() ? "—" : row.goal.c_str(),
                row.goal.empty() ? "—"
                : row.met        ? "met"
                                 : "not met");
    std::fflush(stdout);
}

} // namespace vxl::bench
