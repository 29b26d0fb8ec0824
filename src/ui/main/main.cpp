#include "ui/main/application_setup.h"
#include "ui/main/main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    vxl::SetUpApplication();
    vxl::TfMain window(QApplication::arguments());
    window.show();
    return QApplication::exec();
}
