#pragma once

#include "core/link/lin_msg.h"

namespace vxl {

class Operations;

// Reset, Defaults, Flash Save, and the identification exchange that precedes programming mode.
class Maintenance
{
public:
    explicit Maintenance(Operations &ops);

    void ResetModuleAction();
    // From the menu or a tool button the current view is activated again after the answer.
    void SetDefaultsAction(bool fromMenu = false);
    void FlashSaveAction();

    // "Programming mode": asks, then identifies the module and requests programming mode.
    void ProgrammingModeCommand();
    // 1: identification only; 2: followed by the programming-mode request.
    void IdentifyModule(int step);
    void ProgrammingReply(const LIN_Msg &msg);
    void OnProgrammingTimeout();

    [[nodiscard]] int ProgrammingStep() const { return m_programmingStep; }

private:
    bool startChecks();
    void beginRaw(int code, const char *line);

    Operations &m_ops;
    int m_programmingStep = 1;
};

} // namespace vxl
