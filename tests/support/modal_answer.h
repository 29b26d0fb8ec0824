#pragma once

// Answers the next modal dialog the code under test opens, the way an operator would, and closes
// modal windows that nobody answers.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace vxl::test {

// A modal window runs its own event loop: one that nobody answers holds the test inside it for
// good, past every time-out of the test's own waits. While a guard lives, a modal window that
// stays open longer than the grace time is closed (rejected) and named, so the test goes on to
// fail with a message instead of hanging.
class ModalGuard
{
public:
    explicit ModalGuard(int graceMs = 2000)
        : m_graceMs(graceMs)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { check(); });
        m_timer.start(50);
    }

    // What was closed, one line each: the window's class, title and texts.
    [[nodiscard]] QStringList closed() const { return m_closed; }

    [[nodiscard]] static QString describe(const QWidget *widget)
    {
        QStringList texts;
        for (const auto *label : widget->findChildren<QLabel *>()) {
            if (!label->text().trimmed().isEmpty())
                texts << QLatin1Char('"') + label->text() + QLatin1Char('"');
        }
        return QStringLiteral("%1 \"%2\" %3")
            .arg(QString::fromLatin1(widget->metaObject()->className()),
                 widget->windowTitle(),
                 texts.join(QLatin1Char(' ')));
    }

private:
    void check()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != m_seen.data()) {
            m_seen = modal;
            m_since.start();
            return;
        }
        if (!modal || m_since.elapsed() < m_graceMs)
            return;
        const QString text = describe(modal);
        m_closed << text;
        qWarning().noquote() << "Closed a modal window nobody answered:" << text;
        m_seen.clear();
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }

    QTimer m_timer;
    QPointer<QWidget> m_seen;
    QElapsedTimer m_since;
    int m_graceMs;
    QStringList m_closed;
};

class ModalAnswer
{
public:
    // Watches for a modal widget of type T (other than exclude) for up to five seconds and hands
    // it to answer once. Destroying the object stops the watch. Until then a modal window left
    // open (the answer did not close it, or another one came) is closed by the guard.
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
    [[nodiscard]] QStringList closedUnanswered() const { return m_guard.closed(); }

private:
    ModalAnswer() = default;

    QTimer m_timer;
    bool m_answered = false;
    ModalGuard m_guard;
};

} // namespace vxl::test
