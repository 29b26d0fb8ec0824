#include "ui/main/application_setup.h"

#include <QApplication>

namespace vxl {

void SetUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("VEXA-LIN CT"));
    QApplication::setApplicationDisplayName(QStringLiteral("VEXA-LIN CT"));
}

} // namespace vxl
