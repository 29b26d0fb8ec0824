#include "core/settings/form_config.h"

#include "core/settings/settings_store.h"

#include <QSettings>

namespace vxl {

namespace {

int readInt(const QSettings &store, const char *name)
{
    const QVariant value = store.value(QString::fromLatin1(name));
    if (!value.isValid())
        return 0;
    bool ok = false;
    const int number = value.toString().toInt(&ok);
    // A value that is no number is treated like a missing one.
    return ok ? number : 0;
}

} // namespace

clsFormConfig::clsFormConfig(QSize desktop, QSettings *store)
    : m_desktop(desktop)
    , m_store(store)
{
    std::unique_ptr<QSettings> own;
    QSettings *source = m_store;
    if (!source) {
        own = OpenSettingsStore();
        source = own.get();
    }
    m_width = readInt(*source, "Width");
    m_height = readInt(*source, "Height");
    m_left = readInt(*source, "Left");
    m_top = readInt(*source, "Top");
    m_maximized = readInt(*source, "Maximized") != 0;
    m_notStored = m_width == 0 && m_height == 0 && m_left == 0 && m_top == 0;
}

clsFormConfig::~clsFormConfig()
{
    Write();
}

void clsFormConfig::SetWidth(int value)
{
    m_width = value;
    m_modified = true;
}

void clsFormConfig::SetHeight(int value)
{
    m_height = value;
    m_modified = true;
}

void clsFormConfig::SetLeft(int value)
{
    m_left = value;
    m_modified = true;
}

void clsFormConfig::SetTop(int value)
{
    m_top = value;
    m_modified = true;
}

void clsFormConfig::SetMaximized(bool value)
{
    m_maximized = value;
    m_modified = true;
}

void clsFormConfig::Write()
{
    if (!m_modified)
        return;
    if (m_left + m_width > m_desktop.width())
        m_left = m_desktop.width() - m_width;
    if (m_top + m_height > m_desktop.height())
        m_top = m_desktop.height() - m_height - 25;
    std::unique_ptr<QSettings> own;
    QSettings *target = m_store;
    if (!target) {
        own = OpenSettingsStore();
        target = own.get();
    }
    target->setValue(QStringLiteral("Width"), m_width);
    target->setValue(QStringLiteral("Height"), m_height);
    target->setValue(QStringLiteral("Left"), m_left);
    target->setValue(QStringLiteral("Top"), m_top);
    target->setValue(QStringLiteral("Maximized"), m_maximized ? 1 : 0);
    target->sync();
    m_modified = false;
}

} // namespace vxl
