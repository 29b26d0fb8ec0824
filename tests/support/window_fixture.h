#pragma once

#include "sim_fixture.h"
#include "ui/main/main_window.h"

#include <QString>

#include <memory>

namespace vxl::test {

// The settings a main window starts with: its start mode, COM number and bit rate.
void storeStartSettings(int startMode, int port, int rate = 38400);
// The first field of the window's status bar.
[[nodiscard]] QString statusLine(TfMain &w);

// A main window shown with start mode 1 and the emulator's COM number, where no module answers.
class WindowWithoutModule
{
public:
    explicit WindowWithoutModule(int comNumber);

    TfMain &window() { return *m_window; }

private:
    SimPort m_port;
    std::unique_ptr<TfMain> m_window;
};

} // namespace vxl::test
