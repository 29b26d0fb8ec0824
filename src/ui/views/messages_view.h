#pragma once

#include <QWidget>

#include <functional>

class QPushButton;
class QTableView;

namespace vxl {

class ControlPanel;
class Operations;
class TraceModel;
class TraceRecorder;
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
    [[nodiscard]] QTableView *traceList() const { return m_list; }
    [[nodiscard]] TraceModel *traceModel() const { return m_model; }
    void applyCommandStates();
    // Ends a running log: asks where to save it.
    void stopLog();
    // What opens a saved log (the desktop's handler for its type unless replaced).
    void setFileOpener(std::function<bool(const QString &)> opener);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] ControlPanel *buildPanel();

    Operations &m_ops;
    ControlPanel *m_panel = nullptr;
    QPushButton *m_on = nullptr;
    QPushButton *m_off = nullptr;
    QPushButton *m_adjust = nullptr;
    QPushButton *m_discard = nullptr;
    QPushButton *m_logStart = nullptr;
    QPushButton *m_logStop = nullptr;
    QPushButton *m_clear = nullptr;
    TraceModel *m_model = nullptr;
    QTableView *m_list = nullptr;
    TraceRecorder *m_recorder = nullptr;
    PressOnce *m_pressOnce = nullptr;
};

} // namespace vxl
