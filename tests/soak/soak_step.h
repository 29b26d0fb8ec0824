#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vxl::soak {

// One user action of a session, as a line of text: "name arg arg… [@rK | @tK]". The arguments
// were drawn when the step was generated, so a replay needs no generator; an action reads them
// modulo what it can use, so a step still means something when the steps before it are gone.
struct Step
{
    QString action;
    std::vector<int> args;
    // Anchors in the module's terms rather than the clock's: run once the running exchange has
    // put its k-th request to the module (@r), or once it has counted k ticks (@t). Without
    // one the step waits until the tool is idle.
    int afterRequest = 0;
    int afterTick = 0;

    [[nodiscard]] int arg(int index, int modulo) const;
    [[nodiscard]] QString text() const;
    [[nodiscard]] static std::optional<Step> parse(const QString &line);
};

using StepList = std::vector<Step>;

[[nodiscard]] QString ListText(const StepList &steps);
// Blank lines and lines starting with '#' are skipped; nullopt when a line is no step.
[[nodiscard]] std::optional<StepList> ParseList(const QString &text);

} // namespace vxl::soak
