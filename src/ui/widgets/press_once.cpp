#include "ui/widgets/press_once.h"

#include <QPointer>
#include <QPushButton>

namespace vxl {

PressOnce::PressOnce(std::function<bool(const QPushButton &)> enabledOf, QObject *parent)
    : QObject(parent)
    , m_enabledOf(std::move(enabledOf))
{}

void PressOnce::bind(QPushButton *button, std::function<void()> action)
{
    connect(button, &QPushButton::clicked, this, [this, button, action = std::move(action)] {
        run(button, action);
    });
}

void PressOnce::apply(std::initializer_list<QPushButton *> buttons) const
{
    for (QPushButton *button : buttons)
        button->setEnabled(!running(button) && m_enabledOf(*button));
}

void PressOnce::run(QPushButton *button, const std::function<void()> &action)
{
    button->setEnabled(false);
    m_running.insert(button);
    // The action may close the window that holds the button.
    const QPointer<PressOnce> alive(this);
    const QPointer<QPushButton> shown(button);
    action();
    if (!alive)
        return;
    m_running.remove(button);
    if (shown)
        apply({button});
}

} // namespace vxl
