// The trace decoder on arbitrary module messages: every field of LIN_Msg as the fuzzer gives
// it, including counts and lengths that disagree. The decoded entry must name a known source and
// type, and the three sort orders must be consistent.

#include "core/trace/display_entry.h"
#include "fuzz_target.h"

#include <cstring>

using namespace vxl;

namespace {

LIN_Msg messageFrom(const std::uint8_t *data, std::size_t size)
{
    LIN_Msg msg;
    std::uint8_t raw[4 + kMaxDataBytes + 4] = {};
    std::memcpy(raw, data, std::min(size, sizeof raw));
    msg.start = raw[0];
    msg.header = raw[1];
    msg.code = raw[2];
    msg.checksum = raw[3];
    std::memcpy(msg.data.data(), raw + 4, kMaxDataBytes);
    std::int32_t count = 0;
    std::memcpy(&count, raw + 4 + kMaxDataBytes, sizeof count);
    msg.count = count;
    return msg;
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    constexpr std::size_t kMessageBytes = 4 + kMaxDataBytes + 4;
    const clsDisplayEntry a = clsDisplayEntry::Decode(messageFrom(data, size));
    const clsDisplayEntry b = clsDisplayEntry::Decode(
        size > kMessageBytes ? messageFrom(data + kMessageBytes, size - kMessageBytes) : LIN_Msg{});

    for (const clsDisplayEntry *entry : {&a, &b}) {
        VXL_FUZZ_CHECK(entry->source <= 7);
        VXL_FUZZ_CHECK(entry->type <= TypeUnknown);
        VXL_FUZZ_CHECK(!entry->SourceName().isEmpty());
        VXL_FUZZ_CHECK(!entry->TypeName().isEmpty());
        VXL_FUZZ_CHECK(entry->CodeIdText().endsWith(QLatin1Char('h')));
        VXL_FUZZ_CHECK(entry->SameKey(*entry));
    }
    for (const auto column :
         {TraceSortColumn::Source, TraceSortColumn::Type, TraceSortColumn::CodeId}) {
        VXL_FUZZ_CHECK(CompareEntries(a, a, column) == 0);
        VXL_FUZZ_CHECK(sign(CompareEntries(a, b, column)) == -sign(CompareEntries(b, a, column)));
    }
    return 0;
}
