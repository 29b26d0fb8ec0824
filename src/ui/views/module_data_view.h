#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;

namespace vxl {

class ControlPanel;
class ModuleGridWidget;
class Operations;
class PressOnce;

// "Data Present in Module": the module's identity and its configuration as the last read left
// it, with the commands to read it again, save it as a profile and show its scheduler entries
// and frame table. Only displays what the operations publish; `ops` outlives the view.
class ModuleDataView : public QWidget
{
    Q_OBJECT

public:
    explicit ModuleDataView(Operations &ops, QWidget *parent = nullptr);

    // The panel whose background shows the connection and busy state.
    [[nodiscard]] ControlPanel *controlPanel() const { return m_panel; }
    [[nodiscard]] ModuleGridWidget *grid() const { return m_grid; }

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

    void btbRefreshClick();
    void btbSaveDataAsClick();
    void btbSchedulerClick();
    void btbFramesClick();

    Operations &m_ops;
    ModuleGridWidget *m_grid = nullptr;
    ControlPanel *m_panel = nullptr;
    PressOnce *m_pressOnce = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_scheduler = nullptr;
    QPushButton *m_frames = nullptr;
    QPushButton *m_refresh = nullptr;
    QLabel *m_hardware = nullptr;
    QLabel *m_firmware = nullptr;
    QLabel *m_buildMode = nullptr;
};

} // namespace vxl
