// The frame assembler on arbitrary byte streams cut into arbitrary blocks. The input is a
// sequence of blocks, each a length byte followed by up to that many bytes. Every delivered
// message, encoded again, must equal the bytes it was assembled from, and those must have
// arrived one after the other.

#include "core/link/frame_assembler.h"
#include "fuzz_target.h"

#include <deque>
#include <vector>

using namespace vxl;

namespace {

// The port's received-byte queue, remembering where in the stream each byte taken stood.
class StreamSource : public FrameAssembler::Source
{
public:
    std::deque<std::size_t> waiting; // stream positions
    std::vector<std::size_t> taken;
    const std::vector<std::uint8_t> *stream = nullptr;

    std::size_t Waiting() const override { return waiting.size(); }
    bool Take(std::uint8_t &byte) override
    {
        if (waiting.empty())
            return false;
        const std::size_t position = waiting.front();
        waiting.pop_front();
        taken.push_back(position);
        byte = (*stream)[position];
        return true;
    }
    void Purge() override { waiting.clear(); }
};

std::vector<std::uint8_t> encode(const LIN_Msg &msg)
{
    std::vector<std::uint8_t> bytes{msg.start, msg.header};
    for (int i = 0; i < msg.count; ++i)
        bytes.push_back(msg.data[std::size_t(i)]);
    bytes.push_back(msg.checksum);
    return bytes;
}

void checkMessage(const LIN_Msg &msg, const StreamSource &source)
{
    VXL_FUZZ_CHECK(msg.start == kStartByte);
    VXL_FUZZ_CHECK(msg.code == 0);
    VXL_FUZZ_CHECK(msg.count >= 1 && msg.count <= kMaxDataBytes);
    VXL_FUZZ_CHECK(msg.count == HeaderField(msg.header, 2));
    std::uint8_t checksum = msg.header;
    for (int i = 0; i < kMaxDataBytes; ++i) {
        if (i < msg.count)
            checksum ^= msg.data[std::size_t(i)];
        else
            VXL_FUZZ_CHECK(msg.data[std::size_t(i)] == 0);
    }
    VXL_FUZZ_CHECK(checksum == msg.checksum);

    // The message's bytes are the last ones taken, consecutive in the stream.
    const std::vector<std::uint8_t> bytes = encode(msg);
    VXL_FUZZ_CHECK(source.taken.size() >= bytes.size());
    const std::size_t first = source.taken.size() - bytes.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t position = source.taken[first + i];
        VXL_FUZZ_CHECK(position == source.taken[first] + i);
        VXL_FUZZ_CHECK((*source.stream)[position] == bytes[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> stream;
    std::vector<std::size_t> blockEnds;
    for (std::size_t at = 0; at < size;) {
        const std::size_t wanted = data[at++];
        const std::size_t length = std::min(wanted, size - at);
        stream.insert(stream.end(), data + at, data + at + length);
        at += length;
        blockEnds.push_back(stream.size());
    }

    StreamSource source;
    source.stream = &stream;
    FrameAssembler assembler;
    std::size_t delivered = 0;
    std::size_t next = 0;
    for (const std::size_t end : blockEnds) {
        for (; next < end; ++next)
            source.waiting.push_back(next);
        assembler.OnBlock(source, [&](const LIN_Msg &msg) {
            checkMessage(msg, source);
            ++delivered;
        });
        // Nothing is taken twice, nothing invented.
        VXL_FUZZ_CHECK(source.taken.size() <= stream.size());
    }
    // Each message takes at least four bytes.
    VXL_FUZZ_CHECK(delivered * 4 <= stream.size());
    return 0;
}
