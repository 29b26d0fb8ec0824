#pragma once

#include <QSize>

#include <cstdint>

class QSettings;

namespace vxl {

// The main window's placement in the settings store: read at construction, written at
// destruction only when something was set, pulled back onto the desktop first.
class clsFormConfig
{
public:
    // Reads from the user's store, or from the one given (tests).
    explicit clsFormConfig(QSize desktop, QSettings *store = nullptr);
    ~clsFormConfig();
    clsFormConfig(const clsFormConfig &) = delete;
    clsFormConfig &operator=(const clsFormConfig &) = delete;

    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }
    [[nodiscard]] int Left() const { return m_left; }
    [[nodiscard]] int Top() const { return m_top; }
    [[nodiscard]] bool Maximized() const { return m_maximized; }
    [[nodiscard]] bool Modified() const { return m_modified; }
    [[nodiscard]] bool NotStored() const { return m_notStored; }

    void SetWidth(int value);
    void SetHeight(int value);
    void SetLeft(int value);
    void SetTop(int value);
    void SetMaximized(bool value);

    // Writes now when modified (the destructor does the same).
    void Write();

private:
    QSize m_desktop;
    QSettings *m_store;
    int m_width = 0;
    int m_height = 0;
    int m_left = 0;
    int m_top = 0;
    bool m_maximized = false;
    bool m_modified = false;
    bool m_notStored = true;
};

} // namespace vxl
