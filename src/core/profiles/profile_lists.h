#pragma once

#include "core/module/module_config.h"
#include "core/profiles/written_frames.h"

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <optional>

namespace vxl {

// The lists of a profile (scheduler entries, data bytes, the frame table) written into the
// document. A list already shaped as the writer shapes it keeps its nodes and only takes the new
// values, so writing a profile over itself touches no allocation; anything else in the list gives
// way to new elements. Either way the list ends up exactly as a list built afresh would be, so
// the saved bytes never depend on what the document held before.

void WriteSchedulerList(pugi::xml_node scheduler, const LIN_Group &lin);

// At most eight bytes are written, whatever the length says.
void WriteDataBytes(pugi::xml_node data,
                    const std::array<std::uint8_t, kFrameDataBytes> &bytes,
                    int length);

// `lastWritten` holds what the table was last written with while the document has changed in
// no other way since (whoever loads or resets the document empties it). A frame written again
// with the same values is then left as it is: an edit and a save touch only what changed.
void WriteFrameTable(pugi::xml_node frames,
                     const LIN_Group &lin,
                     std::optional<WrittenFrames> &lastWritten);

} // namespace vxl
