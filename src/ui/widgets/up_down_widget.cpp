#include "ui/widgets/up_down_widget.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vxl {

namespace {

QToolButton *arrowButton(Qt::ArrowType arrow, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    return button;
}

} // namespace

UpDownEdit::UpDownEdit(
    const QString &editName, int minimum, int maximum, int maxChars, QWidget *parent)
    : QWidget(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_value(minimum)
{
    QString upDownName = editName;
    if (upDownName.startsWith(QLatin1String("edi")))
        upDownName.replace(0, 3, QStringLiteral("ud"));
    setObjectName(upDownName);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(editName);
    // Only typing is limited: a value the up-down sets may be longer.
    m_edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(
                                            QStringLiteral("\\d{0,%1}").arg(maxChars)),
                                        m_edit));
    m_edit->setText(QString::number(m_value));
    m_edit->installEventFilter(this);

    m_up = arrowButton(Qt::UpArrow, this);
    m_down = arrowButton(Qt::DownArrow, this);
    connect(m_up, &QToolButton::clicked, this, [this]() { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this]() { step(-1); });

    auto *arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit, 1);
    layout->addLayout(arrows);
    setFocusProxy(m_edit);
}

void UpDownEdit::setValue(int value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
    m_edit->setText(QString::number(m_value));
}

int UpDownEdit::value() const
{
    bool ok = false;
    const qlonglong typed = m_edit->text().toLongLong(&ok);
    if (!ok)
        return m_value;
    return int(std::clamp<qlonglong>(typed, m_minimum, m_maximum));
}

void UpDownEdit::step(int delta)
{
    setValue(value() + delta);
    emit stepped(m_value);
}

bool UpDownEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        setValue(value());
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vxl
