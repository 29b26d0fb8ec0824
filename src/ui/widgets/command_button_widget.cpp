#include "ui/widgets/command_button_widget.h"

#include "ui/widgets/control_icons.h"

namespace vxl {

QPushButton *CommandButton(const QString &name,
                           const QString &text,
                           const QString &hint,
                           QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setIcon(ControlIcon(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

QTableWidgetItem *ReadOnlyCell(const QString &text, bool centred)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (centred)
        item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace vxl
