#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral(" VEXA-LIN CT"));
    placeholder.setMinimumSize(700, 500);
    placeholder.show();
    return app.exec();
}
