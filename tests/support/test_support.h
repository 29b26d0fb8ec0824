#pragma once

#include <QString>

class QWidget;

namespace vxl::test {

// Absolute path of a fixture file under tests/data.
[[nodiscard]] QString dataFile(const QString &name);

// Saves a picture of the widget as build/screenshots/<name>.png so that anyone can look at it.
// Returns the path written, or an empty text when the picture could not be saved.
QString saveScreenshot(QWidget *widget, const QString &name);

} // namespace vxl::test
