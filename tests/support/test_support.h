#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace vxl::test {

// Absolute path of a fixture file under tests/data.
[[nodiscard]] QString dataFile(const QString &name);

// Saves a picture of the widget as build/screenshots/<name>.png so that anyone can look at it.
// Returns the path written, or an empty text when the picture could not be saved.
QString saveScreenshot(QWidget *widget, const QString &name);

// The control of that name inside parent; a test cannot go on without it.
template<typename T>
T *child(QObject *parent, const char *name)
{
    auto *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("control %s not found", name);
    return found;
}

} // namespace vxl::test
