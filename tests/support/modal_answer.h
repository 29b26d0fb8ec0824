#pragma once

// Answers the next modal dialog the code under test opens, the way an operator would.

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace vxl::test {

class ModalAnswer
{
public:
    // Watches for a modal widget of type T (other than exclude) for up to five seconds and hands
    // it to answer once. Destroying the object stops the watch.
    template<typename T>
    [[nodiscard]] static std::unique_ptr<ModalAnswer> of(std::function<void(T *)> answer,
                                                         QWidget *exclude = nullptr)
    {
        std::unique_ptr<ModalAnswer> watch(new ModalAnswer);
        ModalAnswer *self = watch.get();
        const QPointer<QWidget> skip(exclude);
        const QDeadlineTimer deadline(5000);
        QObject::connect(&self->m_timer, &QTimer::timeout, [self, answer, skip, deadline]() {
            auto *modal = qobject_cast<T *>(QApplication::activeModalWidget());
            if (modal && modal != skip.data()) {
                self->m_timer.stop();
                self->m_answered = true;
                answer(modal);
                return;
            }
            if (deadline.hasExpired())
                self->m_timer.stop();
        });
        self->m_timer.start(10);
        return watch;
    }

    [[nodiscard]] bool answered() const { return m_answered; }

private:
    ModalAnswer() = default;

    QTimer m_timer;
    bool m_answered = false;
};

} // namespace vxl::test
