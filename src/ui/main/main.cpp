#include "ui/main/application_setup.h"
#include "ui/main/early_options.h"
#include "ui/main/main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const auto code = vxl::AnswerEarlyOption(argc, argv, stdout))
        return *code;
    QApplication app(argc, argv);
    vxl::SetUpApplication();
    vxl::TfMain window(QApplication::arguments());
    window.show();
    return QApplication::exec();
}
