#include "ui/main/application_setup.h"

#include <QApplication>

namespace vxl {

void SetUpApplication()
{
    // No display name: the platform would append it to every window title, and the dialogs'
    // captions are the program's own.
    QApplication::setApplicationName(QStringLiteral("VEXA-LIN CT"));
    // The name of the installed menu entry: the desktop finds the window's icon and name by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.norvel.VexalinCT"));
}

} // namespace vxl
