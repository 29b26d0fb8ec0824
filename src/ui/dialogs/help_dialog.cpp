#include "ui/dialogs/help_dialog.h"

#include <QKeyEvent>

namespace vxl {

HelpDialog::HelpDialog(int helpContext, QWidget *parent)
    : QDialog(parent)
    , m_helpContext(helpContext)
{}

void HelpDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        emit helpRequested(m_helpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vxl
