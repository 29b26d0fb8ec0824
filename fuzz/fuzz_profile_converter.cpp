// The legacy converter on arbitrary files. A file it converts must give a profile that opens
// and reads; a file it refuses must leave no target behind.

#include "core/profiles/profile_converter.h"
#include "fuzz_files.h"
#include "fuzz_target.h"

using namespace vxl;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString source = fuzz::scratchPath("legacy.lin");
    const QString target = fuzz::scratchPath("converted.vxlin");
    VXL_FUZZ_CHECK(fuzz::writeScratch(source, data, size));
    QFile::remove(target);

    clsVLINProfileConverter converter;
    converter.SetSource(source);
    converter.SetTarget(target);
    (void) converter.Recognize();
    (void) converter.DetectLayout();
    if (!converter.Convert()) {
        VXL_FUZZ_CHECK(!QFile::exists(target));
        return 0;
    }

    clsVLINXMLProfile profile;
    VXL_FUZZ_CHECK(profile.OpenFile(target));
    std::uint32_t baudrate = 0;
    CAN_Group can;
    LIN_Group lin;
    VXL_FUZZ_CHECK(profile.ReadAll(&baudrate, &can, &lin));
    VXL_FUZZ_CHECK(lin.SchedulerCount <= kMaxSchedulerEntries);
    return 0;
}
