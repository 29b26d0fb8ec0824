#include "ui/widgets/dialog_buttons_widget.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>

namespace vxl {

DialogButtons MakeDialogButtons(QDialog *dialog)
{
    DialogButtons buttons;
    buttons.ok = new QPushButton(dialog->style()->standardIcon(QStyle::SP_DialogOkButton),
                                 QStringLiteral("OK"),
                                 dialog);
    buttons.ok->setObjectName(QStringLiteral("btbOK"));
    buttons.ok->setToolTip(QStringLiteral("Applies the changes and close this window "));
    buttons.ok->setDefault(true);
    buttons.ok->setMinimumWidth(90);

    buttons.cancel = new QPushButton(dialog->style()->standardIcon(QStyle::SP_DialogCancelButton),
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
    return buttons;
}

} // namespace vxl
