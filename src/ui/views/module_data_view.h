#pragma once

#include <QSet>
#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;

namespace vxl {

class ModuleGridWidget;
class Operations;

// "Data Present in Module": the module's identity and its configuration as the last read left
// it, with the commands to read it again, save it as a profile and show its scheduler entries
// and frame table. Only displays what the operations publish; `ops` outlives the view.
class ModuleDataView : public QWidget
{
    Q_OBJECT

public:
    explicit ModuleDataView(Operations &ops, QWidget *parent = nullptr);

    // The panel whose background shows the connection and busy state.
    [[nodiscard]] QWidget *controlPanel() const;
    [[nodiscard]] ModuleGridWidget *grid() const { return m_grid; }
    // Colour in the stored order (blue in bits 23..16).
    void setPanelColor(std::uint32_t systemColor);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    [[nodiscard]] QWidget *buildPanel();
    [[nodiscard]] QPushButton *addButton(const QString &text,
                                         const QString &name,
                                         const QString &hint,
                                         void (ModuleDataView::*handler)());
    void showGrid();
    void showIdentity();
    void showCommandStates();
    // Runs a button's action with the button disabled, so a second click cannot start it again.
    void press(QPushButton *button, const std::function<void()> &action);

    void btbRefreshClick();
    void btbSaveDataAsClick();
    void btbSchedulerClick();
    void btbFramesClick();

    Operations &m_ops;
    ModuleGridWidget *m_grid = nullptr;
    QWidget *m_panel = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_scheduler = nullptr;
    QPushButton *m_frames = nullptr;
    QPushButton *m_refresh = nullptr;
    QLabel *m_hardware = nullptr;
    QLabel *m_firmware = nullptr;
    QLabel *m_buildMode = nullptr;
    QSet<QPushButton *> m_pressed;
};

} // namespace vxl
