#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace vxl {

// A digits-only edit field with an up-down beside it. The field takes at most `maxChars`
// typed digits, while the up-down may step to values with more; leaving the field replaces its
// text by the up-down's value, so what the user typed is brought into range.
class UpDownEdit : public QWidget
{
    Q_OBJECT

public:
    // The edit field carries `editName` (ediPort, …); the up-down carries the same name with
    // "ud" in place of "edi".
    UpDownEdit(const QString &editName, int minimum, int maximum, int maxChars, QWidget *parent);

    void setValue(int value);
    // The typed text brought into range; the last value when the field holds no digits.
    [[nodiscard]] int value() const;

    [[nodiscard]] QLineEdit *edit() const { return m_edit; }

signals:
    // The arrows (buttons or keys) moved the value; typing does not emit this.
    void stepped(int value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void step(int delta);

    QLineEdit *m_edit = nullptr;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
    int m_minimum;
    int m_maximum;
    int m_value;
};

} // namespace vxl
