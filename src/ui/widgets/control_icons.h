#pragma once

#include <QIcon>
#include <QString>

namespace vxl {

// The picture of a tool button or picture button, by the control name of its command: from the
// desktop's icon theme where it has one, else the style's standard picture, which is always
// there, looked up and decoded when the picture is first drawn. A null icon for a control
// without a picture.
[[nodiscard]] QIcon ControlIcon(const QString &name);

} // namespace vxl
