#pragma once

#include <QFrame>

#include <cstdint>

namespace vxl {

// The strip holding a view's commands. Its background tells the user at a glance whether a
// module is connected and whether a transaction runs.
class ControlPanel : public QFrame
{
    Q_OBJECT

public:
    ControlPanel(const QString &name, QWidget *parent);

    // Colour in the stored order (blue in bits 23..16).
    void paint(std::uint32_t systemColor);
};

} // namespace vxl
