#pragma once

#include "core/link/lin_msg.h"

#include <QString>

#include <functional>

namespace vxl {

class OperationContext;

// Reset, Defaults, Flash Save, and the identification exchange that precedes programming mode.
class Maintenance
{
public:
    struct Handoffs
    {
        // A line of the console's message tree.
        std::function<void(int group, bool received, const QString &text)> consoleLine;
        // The module went to programming mode: the Disconnect command.
        std::function<void()> disconnect;
    };

    Maintenance(OperationContext &context, Handoffs handoffs);

    void ResetModuleAction();
    // From the menu or a tool button the current view is activated again after the answer.
    void SetDefaultsAction(bool fromMenu = false);
    void FlashSaveAction();

    // "Programming mode": asks, then identifies the module and requests programming mode.
    void ProgrammingModeCommand();
    // 1: identification only; 2: followed by the programming-mode request.
    void IdentifyModule(int step);
    void ProgrammingReply(const LIN_Msg &msg);
    // The identification's own replies: the one it awaits, and an ISP request's.
    [[nodiscard]] bool AcceptsProgrammingReply(const LIN_Msg &msg) const;
    void OnProgrammingTimeout();

private:
    bool startChecks();
    void beginRaw(int code, const char *line);

    OperationContext &m_ctx;
    Handoffs m_handoffs;
    int m_programmingStep = 1;
    int m_awaitedSequence = 0; // 0: hardware text, 1: firmware text
};

} // namespace vxl
