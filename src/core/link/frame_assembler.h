#pragma once

#include "core/link/lin_msg.h"

#include <cstddef>
#include <functional>

namespace vxl {

// Turns the received byte stream into checksum-verified module messages. It consumes bytes from
// a source (the port's received-byte queue) and keeps the message under assembly between blocks.
class FrameAssembler
{
public:
    class Source
    {
    public:
        virtual ~Source() = default;
        [[nodiscard]] virtual std::size_t Waiting() const = 0;
        virtual bool Take(std::uint8_t &byte) = 0;
        // Drops the driver's buffers and every byte still waiting.
        virtual void Purge() = 0;
    };

    using Deliver = std::function<void(const LIN_Msg &)>;

    // Runs after each block of received bytes.
    void OnBlock(Source &source, const Deliver &deliver);
    void Reset();

    [[nodiscard]] bool IsIdle() const { return m_msg.count == 0; }

private:
    bool takeData(Source &source);

    LIN_Msg m_msg;
    int m_expected = 0;
};

} // namespace vxl
