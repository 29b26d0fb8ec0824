#include "window_fixture.h"

#include "core/settings/settings_store.h"

#include <QLabel>

namespace vxl::test {

void storeStartSettings(int startMode, int port, int rate)
{
    VXLIN_Values values;
    values.StartMode = std::uint8_t(startMode);
    values.Port = port;
    values.Baudrate = rate;
    values.Timeout = 5;
    WriteSettings(values);
}

QString statusLine(TfMain &w)
{
    return w.findChild<QLabel *>("stbPanel1")->text();
}

WindowWithoutModule::WindowWithoutModule(int comNumber)
    : m_port(comNumber, {}, false)
{
    storeStartSettings(1, comNumber);
    m_window = std::make_unique<TfMain>(QStringList{}, m_port.portMap());
    m_window->show();
}

} // namespace vxl::test
