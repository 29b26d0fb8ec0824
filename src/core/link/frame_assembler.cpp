#include "core/link/frame_assembler.h"

namespace vxl {

void FrameAssembler::Reset()
{
    m_msg = LIN_Msg{};
    m_expected = 0;
}

bool FrameAssembler::takeData(Source &source)
{
    while (m_msg.count < m_expected && m_msg.count < kMaxDataBytes && source.Waiting() > 0) {
        std::uint8_t byte = 0;
        if (!source.Take(byte))
            return false;
        m_msg.data[static_cast<std::size_t>(m_msg.count)] = byte;
        m_msg.checksum ^= byte;
        ++m_msg.count;
    }
    return true;
}

void FrameAssembler::OnBlock(Source &source, const Deliver &deliver)
{
    for (;;) {
        if (m_msg.count == 0) {
            if (source.Waiting() < 3)
                return;
            std::uint8_t start = 0;
            if (!source.Take(start))
                return;
            if (start != kStartByte) {
                source.Purge();
                Reset();
                return;
            }
            std::uint8_t header = 0;
            if (!source.Take(header))
                return;
            m_msg = LIN_Msg{};
            m_msg.start = kStartByte;
            m_msg.header = header;
            m_msg.checksum = header;
            m_expected = HeaderField(header, 2);
            if (!takeData(source))
                return;
        } else if (!takeData(source)) {
            return;
        }

        // A length-0 message never completes: its checksum byte is taken as the next start byte.
        if (m_msg.count == 0 || m_msg.count != m_expected || source.Waiting() == 0)
            return;
        std::uint8_t received = 0;
        if (!source.Take(received))
            return;
        const bool valid = received == m_msg.checksum;
        const LIN_Msg complete = m_msg;
        Reset();
        if (valid && deliver)
            deliver(complete);
        // A bad message is dropped, but whatever arrived behind it in the same block is still
        // assembled now: a good reply must not wait for some later byte to arrive.
        if (source.Waiting() == 0)
            return;
    }
}

} // namespace vxl
