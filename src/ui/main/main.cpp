#include "ui/main/main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEXA-LIN CT"));
    QApplication::setApplicationDisplayName(QStringLiteral("VEXA-LIN CT"));
    vxl::TfMain window(QApplication::arguments());
    window.show();
    return QApplication::exec();
}
