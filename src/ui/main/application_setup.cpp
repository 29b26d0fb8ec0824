#include "ui/main/application_setup.h"

#include <QApplication>

namespace vxl {

void SetUpApplication()
{
    // No display name: the platform would append it to every window title, and the dialogs'
    // captions are the program's own.
    QApplication::setApplicationName(QStringLiteral("VEXA-LIN CT"));
}

} // namespace vxl
