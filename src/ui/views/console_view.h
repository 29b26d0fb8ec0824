#pragma once

#include <QWidget>

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace vxl {

class ControlPanel;
class Operations;
class PressOnce;

// The "Advanced" view: the raw command console with its message tree, and the Reset,
// Defaults and Flash Save buttons. Everything it shows comes from the console logic.
class ConsoleView : public QWidget
{
    Q_OBJECT
public:
    explicit ConsoleView(Operations &ops, QWidget *parent = nullptr);

    [[nodiscard]] ControlPanel *controlPanel() const { return m_panel; }
    [[nodiscard]] QPushButton *defaultButton() const { return m_send; }
    // Sets the enabled state of its buttons from the operations' command states.
    void applyCommandStates();

private:
    void buildSelectors(QWidget *panel);
    void buildParameters(QWidget *panel);
    void buildTree();
    void refreshList();
    void refreshParameters();
    void addLine(int group, bool received, const QString &line);
    void clearLines(int group);
    void showTreeMenu(const QPoint &at);

    Operations &m_ops;
    ControlPanel *m_panel = nullptr;
    PressOnce *m_pressOnce = nullptr;
    QComboBox *m_group = nullptr;
    QComboBox *m_mode = nullptr;
    QComboBox *m_action = nullptr;
    QSpinBox *m_count = nullptr;
    std::array<QLineEdit *, 15> m_params{};
    QPushButton *m_send = nullptr;
    QPushButton *m_reset = nullptr;
    QPushButton *m_defaults = nullptr;
    QPushButton *m_flash = nullptr;
    QTreeWidget *m_tree = nullptr;
    std::array<std::array<QTreeWidgetItem *, 2>, 4> m_nodes{};
    bool m_updating = false;
};

} // namespace vxl
