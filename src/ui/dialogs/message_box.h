#pragma once

#include "core/operations/operator_interface.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace vxl {

// The application's own message box: sign picture, centred word-wrapped text and up to three
// buttons stacked on the right. The kind decides buttons, picture, sound, the default button and
// what Escape answers. Shown modally; the event loop keeps running while it is open, so link
// notifications and timer ticks are still handled.
class TfMsg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 445;
    static constexpr int kClientHeight = 108;

    TfMsg(QWidget *owner, BoxKind kind, const QString &text);

    // Builds the box for the kind, plays its sound, shows it modally and returns the answer.
    static BoxResult Ask(QWidget *owner, BoxKind kind, const QString &text);

    [[nodiscard]] BoxKind kind() const { return m_kind; }
    [[nodiscard]] BoxResult answer() const { return m_answer; }

    // Escape (and closing the window) gives the kind's escape answer.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPushButton *addButton(const QString &name, const QString &caption, BoxResult result);
    void finish(BoxResult result);
    void fitText();

    BoxKind m_kind;
    BoxResult m_answer;
    BoxResult m_escapeAnswer;
    QLabel *m_text = nullptr;
    QWidget *m_buttons = nullptr;
};

} // namespace vxl
