#pragma once

#include <QObject>
#include <QSet>

#include <functional>
#include <initializer_list>

class QPushButton;

namespace vxl {

// Buttons whose action cannot be started a second time while it runs: boxes and dialogs keep
// the event loop going, so without this a second click would start the action again. While its
// action runs a button stays disabled whatever the command states say; afterwards it takes the
// state the operations decided meanwhile, which the action itself may have changed.
class PressOnce : public QObject
{
public:
    // `enabledOf` tells the state the operations decided for a button.
    PressOnce(std::function<bool(const QPushButton &)> enabledOf, QObject *parent);

    // Runs the action on each click of the button.
    void bind(QPushButton *button, std::function<void()> action);
    // Gives the buttons the operations' states; a button whose action runs stays disabled.
    void apply(std::initializer_list<QPushButton *> buttons) const;
    [[nodiscard]] bool running(const QPushButton *button) const
    {
        return m_running.contains(button);
    }

private:
    void run(QPushButton *button, const std::function<void()> &action);

    std::function<bool(const QPushButton &)> m_enabledOf;
    QSet<const QPushButton *> m_running;
};

} // namespace vxl
