#include "ui/widgets/control_panel_widget.h"

#include "core/settings/settings_store.h"

namespace vxl {

ControlPanel::ControlPanel(const QString &name, QWidget *parent)
    : QFrame(parent)
{
    setObjectName(name);
    setAutoFillBackground(true);
}

void ControlPanel::paint(std::uint32_t systemColor)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor::fromRgb(SystemColorToRgb(systemColor)));
    setPalette(colours);
}

} // namespace vxl
