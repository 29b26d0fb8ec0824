#pragma once

#include "core/link/lin_msg.h"

#include <QTimer>

#include <functional>

namespace vxl {

class OperationContext;

// The LIN master and its scheduler: status and count, ON/OFF, Discard, and Adjust with its
// rewrite. One handler tells the replies apart by their sequence number.
class SchedulerControl
{
public:
    static constexpr int kRewritePauseMs = 1000;

    // A send empties the scheduler first; the scheduler tells it when it is empty.
    struct Handoffs
    {
        std::function<int()> sendStep; // the send's scheduler step (0, 1 or 2)
        std::function<void(int step)> setSendStep;
        std::function<int()> profileEntryCount; // entries of the profile being edited
        std::function<void()> sendProfile;
        std::function<void(int count)> readEntries; // the module read's entry read
        std::function<void(const LIN_Msg &)> entryReply;
    };

    SchedulerControl(OperationContext &context, Handoffs handoffs);

    [[nodiscard]] bool MasterActive() const { return m_masterActive; }
    [[nodiscard]] int EntryCount() const { return m_entryCount; }
    void SetEntryCount(int count) { m_entryCount = count; }
    // Entries another operation (a profile send) put into the module's scheduler.
    void EntriesAdded(int count) { m_entryCount += count; }
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
    // The connection is gone: a rewrite waiting to add its entries ends here.
    void ConnectionEnded();

private:
    bool queue(int command, int sequence, const std::uint8_t *data, int count);
    void begin(int code, bool paint);
    void readEntryCount();
    bool mayContinue();
    void rewrite();
    void addEntries();
    void returnError(std::uint8_t code);
    // The scheduler was emptied (sequence 2); true when a waiting send took over.
    bool emptied(std::uint8_t code);
    void pauseBeforeAdding();
    void entryAdded(std::uint8_t code);
    void updateButtons();

    OperationContext &m_ctx;
    Handoffs m_handoffs;
    QTimer m_pause; // between emptying the scheduler and adding the new entries
    bool m_masterActive = false;
    bool m_restartMaster = false; // the master ran before the rewrite: switch it on again
    int m_entryCount = 0;
    bool m_editable = false;
};

} // namespace vxl
