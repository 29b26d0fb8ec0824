#pragma once

#include "core/link/lin_msg.h"

namespace vxl {

class Operations;

// The LIN master and its scheduler: status and count, ON/OFF, Discard, and Adjust with its
// rewrite. One handler tells the replies apart by their sequence number.
class SchedulerControl
{
public:
    static constexpr int kRewritePauseMs = 1000;

    explicit SchedulerControl(Operations &ops);

    [[nodiscard]] bool MasterActive() const { return m_masterActive; }
    [[nodiscard]] int EntryCount() const { return m_entryCount; }
    void SetEntryCount(int count) { m_entryCount = count; }
    [[nodiscard]] bool Editable() const { return m_editable; }
    void SetEditable(bool editable) { m_editable = editable; }

    // The view's activation: master status, then the entry count.
    void ReadMasterStatus();
    void SwitchMaster();
    void Discard();
    void Adjust();
    // "Scheduler" on the module data view: the module's entries, view only.
    void ShowModuleEntries();
    // Runs when every entry of an Adjust has been read.
    void AdjustContinuation();

    void SchedulerReply(const LIN_Msg &msg);
    void OnTimeout();

private:
    bool queue(int command, int sequence, const std::uint8_t *data, int count);
    void begin(int code, bool paint);
    void readEntryCount();
    bool mayContinue();
    void rewrite();
    void addEntries();
    void returnError(std::uint8_t code);
    void updateButtons();

    Operations &m_ops;
    bool m_masterActive = false;
    int m_entryCount = 0;
    bool m_editable = false;
};

} // namespace vxl
