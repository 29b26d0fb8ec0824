// The profile reader on arbitrary bytes (UTF-16 or UTF-8 profiles, mutated, truncated, with
// unknown or nested elements). Whatever opens must save, and the saved file must open again
// and read back exactly the values the original gave. Writing the values read keeps every
// value outside the frame table; the frame table is written whole (every identifier at its own
// position), so from the first write on a further write and re-read must change nothing.

#include "core/profiles/profile_document.h"
#include "fuzz_files.h"
#include "fuzz_target.h"

using namespace vxl;

namespace {

struct Values
{
    bool read = false;
    std::uint32_t baudrate = 0;
    CAN_Group can;
    LIN_Group lin;

    friend bool operator==(const Values &, const Values &) = default;
};

Values readValues(const clsVLINXMLProfile &doc)
{
    Values values;
    clsVLINXMLProfile::FillDefaults(&values.baudrate, &values.can, &values.lin);
    values.read = doc.ReadAll(&values.baudrate, &values.can, &values.lin);
    return values;
}

Values reopened(const QString &path)
{
    clsVLINXMLProfile again;
    VXL_FUZZ_CHECK(again.OpenFile(path));
    return readValues(again);
}

LIN_Group withoutFrameTable(LIN_Group lin)
{
    lin.Frames = {};
    lin.FrameLengths = {};
    lin.FrameFormats = {};
    lin.SlaveMask = {};
    return lin;
}

Values writtenAndReread(clsVLINXMLProfile &doc, const Values &values)
{
    VXL_FUZZ_CHECK(doc.WriteAll(values.baudrate, values.can, values.lin));
    VXL_FUZZ_CHECK(doc.Save());
    const Values reread = reopened(doc.FileName());
    VXL_FUZZ_CHECK(reread.read);
    return reread;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input = fuzz::scratchPath("input.vxlin");
    const QString saved = fuzz::scratchPath("saved.vxlin");
    VXL_FUZZ_CHECK(fuzz::writeScratch(input, data, size));

    clsVLINXMLProfile doc;
    if (!doc.OpenFile(input))
        return 0;
    const Values original = readValues(doc);
    VXL_FUZZ_CHECK(doc.SaveAs(saved));
    VXL_FUZZ_CHECK(reopened(saved) == original);
    if (!original.read)
        return 0;

    const Values rewritten = writtenAndReread(doc, original);
    VXL_FUZZ_CHECK(rewritten.baudrate == original.baudrate);
    VXL_FUZZ_CHECK(rewritten.can == original.can);
    VXL_FUZZ_CHECK(withoutFrameTable(rewritten.lin) == withoutFrameTable(original.lin));
    VXL_FUZZ_CHECK(writtenAndReread(doc, rewritten) == rewritten);
    return 0;
}
