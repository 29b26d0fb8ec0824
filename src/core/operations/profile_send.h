#pragma once

#include "core/link/lin_msg.h"
#include "core/module/module_config.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace vxl {

class OperationContext;

struct SendRequest
{
    int group = 0;
    int command = 0;
    int sequence = 0;
    QByteArray data;
};

// The profile's values as a send writes them: the module's message time-outs, bit-rate
// recognition on, no retries, the slave data length the module's firmware uses, and the slave
// mask its frames' activity makes.
void PrepareProfileForSend(ModuleConfig &profile, const ModuleConfig &module);
// Every request of a send, in order, for the module's firmware number and build.
[[nodiscard]] std::vector<SendRequest> ProfileSendRequests(const ModuleConfig &profile,
                                                           int firmware,
                                                           bool slaveSim);
// What the firmware kept from being sent ("" when nothing).
[[nodiscard]] QString SendGateText(int firmware, bool slaveSim);

// Writes the profile being edited into the module.
class ProfileSender
{
public:
    struct Handoffs
    {
        std::function<void()> emptyScheduler; // the scheduler's Discard, before the send
        std::function<void()> saveToFlash;    // the flash save after a ticked send
        std::function<void()> activateView;   // the current view's activation again
        // The scheduler entries the module took, now in its scheduler (it was emptied first).
        std::function<void(int count)> entriesAdded;
    };

    ProfileSender(OperationContext &context, Handoffs handoffs);

    // "Send" (also pressed again by the scheduler once it has been emptied).
    void SendProfile();
    void ProfileSendReply(const LIN_Msg &msg);
    void OnTimeout();

    // 0 no send pending; 1 waiting for the scheduler to be emptied; 2 emptied.
    [[nodiscard]] int SchedulerStep() const { return m_schedulerStep; }
    void SetSchedulerStep(int step) { m_schedulerStep = step; }
    [[nodiscard]] int ProfileSchedulerCount() const;

private:
    void check(std::uint8_t code);
    // An accepted reply of a phase: the phase its last reply leads to.
    void advance(int phase, int sequence);
    void endSend(std::uint8_t lastCode);
    void report(bool success, std::uint8_t lastCode);

    OperationContext &m_ctx;
    Handoffs m_handoffs;
    int m_schedulerStep = 0;
    bool m_sendOk = true; // every reply so far accepted
    ModuleConfig m_sent;  // the prepared profile of the send in progress
    int m_firmware = 0;
    bool m_slaveSim = false;
};

} // namespace vxl
