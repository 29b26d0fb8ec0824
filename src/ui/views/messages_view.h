#pragma once

#include <QWidget>

class QPushButton;
class QTreeWidget;
class QTimer;

namespace vxl {

class ControlPanel;
class Operations;
class PressOnce;

// "Messages and Scheduler": the master and scheduler buttons, and the counted trace of the
// messages the module forwards with its log buttons.
class MessagesView : public QWidget
{
    Q_OBJECT
public:
    explicit MessagesView(Operations &ops, QWidget *parent = nullptr);

    [[nodiscard]] ControlPanel *controlPanel() const { return m_panel; }
    [[nodiscard]] QPushButton *defaultButton() const { return m_clear; }
    [[nodiscard]] QTreeWidget *traceList() const { return m_list; }
    void applyCommandStates();
    // Ends a running log: asks where to save it.
    void stopLog();

private:
    [[nodiscard]] ControlPanel *buildPanel();
    void addEntry(int index);
    void refreshChanged();
    void setRow(int index);

    Operations &m_ops;
    ControlPanel *m_panel = nullptr;
    QPushButton *m_on = nullptr;
    QPushButton *m_off = nullptr;
    QPushButton *m_adjust = nullptr;
    QPushButton *m_discard = nullptr;
    QPushButton *m_logStart = nullptr;
    QPushButton *m_logStop = nullptr;
    QPushButton *m_clear = nullptr;
    QTreeWidget *m_list = nullptr;
    QTimer *m_refresh = nullptr;
    PressOnce *m_pressOnce = nullptr;
};

} // namespace vxl
