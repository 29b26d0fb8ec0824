#include "test_support.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace vxl::test {

QString dataFile(const QString &name)
{
    return QDir(QStringLiteral(VXL_TEST_DATA_DIR)).filePath(name);
}

QString saveScreenshot(QWidget *widget, const QString &name)
{
    if (!widget)
        return {};
    const QDir dir(QStringLiteral(VXL_SCREENSHOT_DIR));
    if (!dir.mkpath(QStringLiteral(".")))
        return {};
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    return widget->grab().save(path) ? path : QString();
}

} // namespace vxl::test
