#include "ui/widgets/dialog_buttons_widget.h"

#include "ui/widgets/control_icons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace vxl {

DialogButtons MakeDialogButtons(QDialog *dialog)
{
    DialogButtons buttons;
    buttons.ok = new QPushButton(ControlIcon(QStringLiteral("btbOK")), QStringLiteral("OK"), dialog);
    buttons.ok->setObjectName(QStringLiteral("btbOK"));
    buttons.ok->setToolTip(QStringLiteral("Applies the changes and close this window "));
    buttons.ok->setDefault(true);
    buttons.ok->setMinimumWidth(90);

    buttons.cancel = new QPushButton(ControlIcon(QStringLiteral("btbCancel")),
                                     QStringLiteral("Cancel"),
                                     dialog);
    buttons.cancel->setObjectName(QStringLiteral("btbCancel"));
    buttons.cancel->setToolTip(QStringLiteral("Discards changes and/or close this window "));
    buttons.cancel->setAutoDefault(false);
    buttons.cancel->setMinimumWidth(90);

    buttons.row = new QHBoxLayout;
    buttons.row->addStretch(1);
    buttons.row->addWidget(buttons.ok);
    buttons.row->addWidget(buttons.cancel);
    QObject::connect(buttons.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(buttons.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return buttons;
}

} // namespace vxl
