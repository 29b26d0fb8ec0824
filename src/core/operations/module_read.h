#pragma once

#include "core/link/lin_msg.h"

#include <QString>

#include <array>
#include <cstdint>

namespace vxl {

class Operations;
struct ModuleConfig;

// Reads the module's identity and configuration into the module copy, then its scheduler
// entries, and completes a pending "New from Module".
class ModuleReader
{
public:
    static constexpr int kConfigurationRequests = 30;
    static constexpr int kPerIdRequests = 64;

    explicit ModuleReader(Operations &ops);

    void StartModuleRead();
    void ModuleReadReply(const LIN_Msg &msg);
    void OnTimeout();

    void ReadSchedulerEntries();
    // One entry reply (sequence number 4), after the scheduler handler ended the transaction.
    void SchedulerEntryReply(const LIN_Msg &msg);
    void StoreSchedulerEntries();

    void NewFromModule();
    void NewFromModuleContinuation();
    void SaveModuleDataAsProfile();

    [[nodiscard]] bool EntriesPending() const { return m_entriesPending; }
    void SetEntriesPending(bool pending) { m_entriesPending = pending; }
    [[nodiscard]] bool NewProfilePending() const { return m_newProfilePending; }

private:
    void queueConfigurationBatch(int firmware);
    void showIdentity();
    void storeSlaveIdData(const LIN_Msg &msg);
    void completeRead();

    Operations &m_ops;
    bool m_entriesPending = false;
    bool m_newProfilePending = false;
};

// Little-endian value of `bytes` data bytes from `offset`; bytes the reply did not carry
// count as 0.
[[nodiscard]] std::uint32_t ReplyValue(const LIN_Msg &msg, int offset, int bytes);
// The reply status: the single data byte of a one-byte reply, else 0.
[[nodiscard]] std::uint8_t ReplyStatusOf(const LIN_Msg &msg);
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
