#pragma once

#include "core/link/lin_msg.h"
#include "core/module/module_grid_text.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace vxl {

class OperationContext;
struct ModuleConfig;

struct IdentityTexts
{
    QString hardware;
    QString firmware;
    QString buildMode;
};

// Reads the module's identity and configuration into the module copy, then its scheduler
// entries, and completes a pending "New from Module".
class ModuleReader
{
public:
    static constexpr int kConfigurationRequests = 30;
    static constexpr int kPerIdRequests = 64;

    struct Handoffs
    {
        std::function<void(const IdentityTexts &)> identityRead;
        std::function<void(const GridTexts &)> gridFilled; // also the empty grid after a failure
        std::function<void()> connectionLost;              // after a read that timed out
        std::function<void(int count)> schedulerCountRead;
        std::function<void()> entriesForAdjust; // every entry an Adjust asked for has arrived
    };

    ModuleReader(OperationContext &context, Handoffs handoffs);

    void StartModuleRead();
    void ModuleReadReply(const LIN_Msg &msg);
    void OnTimeout();

    // Reads `count` entries (at most the module's maximum).
    void ReadSchedulerEntries(int count);
    // One entry reply (sequence number 4), after the scheduler handler ended the transaction.
    void SchedulerEntryReply(const LIN_Msg &msg);
    void StoreSchedulerEntries();

    void NewFromModule();
    void NewFromModuleContinuation();
    void SaveModuleDataAsProfile();

    // The connection is gone: nothing an earlier read was to complete is awaited any longer.
    void ConnectionEnded()
    {
        m_entriesPending = false;
        m_newProfilePending = false;
    }
    [[nodiscard]] bool NewProfilePending() const { return m_newProfilePending; }

private:
    void queueConfigurationBatch(int firmware);
    void showIdentity();
    void storeIdentity(const LIN_Msg &msg);
    void storeFrameTables(const LIN_Msg &msg);
    void storePerIdEntry(const LIN_Msg &msg);
    void storeSlaveIdData(const LIN_Msg &msg);
    void completeRead();

    OperationContext &m_ctx;
    Handoffs m_handoffs;
    bool m_entriesPending = false;
    bool m_newProfilePending = false;
    std::vector<std::uint8_t> m_entryRefusals; // beside the collected entries, in their order
};

// Little-endian value of `bytes` data bytes from `offset`; bytes the reply did not carry
// count as 0.
[[nodiscard]] std::uint32_t ReplyValue(const LIN_Msg &msg, int offset, int bytes);
// The reply status: the single data byte of a one-byte reply, else 0.
[[nodiscard]] std::uint8_t ReplyStatusOf(const LIN_Msg &msg);
// The return code of a reply by which the module refused a read of group/command, else 0.
[[nodiscard]] std::uint8_t RefusalCodeOf(const LIN_Msg &msg, int group, int command);
// The number of data bytes a reply carries (never more than a message holds).
[[nodiscard]] int ReplyDataCount(const LIN_Msg &msg);
// The data bytes as characters (identity texts).
[[nodiscard]] QString ReplyText(const LIN_Msg &msg);
// Copies the reply's data bytes into table from index first on; nothing lands beyond the table,
// whatever the reply claims.
template<std::size_t N>
void StoreReplyBytes(std::array<std::uint8_t, N> &table, std::size_t first, const LIN_Msg &msg)
{
    const int n = ReplyDataCount(msg);
    for (int j = 0; j < n && first + std::size_t(j) < N; ++j)
        table[first + std::size_t(j)] = msg.data[std::size_t(j)];
}

} // namespace vxl
