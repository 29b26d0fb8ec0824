#include "ui/widgets/field_rules_widget.h"

#include <QEvent>
#include <QLineEdit>

#include <algorithm>

namespace vxl {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

class LeaveWatcher : public QObject
{
public:
    LeaveWatcher(QObject *parent, std::function<void()> action)
        : QObject(parent)
        , m_action(std::move(action))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut && watched == parent())
            m_action();
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

QValidator::State HexFieldValidator::validate(QString &input, int &) const
{
    input = input.toUpper();
    const bool hex = std::all_of(input.cbegin(), input.cend(), [](QChar c) {
        return isDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    });
    return hex ? Acceptable : Invalid;
}

QValidator::State DecimalFieldValidator::validate(QString &input, int &) const
{
    return std::all_of(input.cbegin(), input.cend(), isDigit) ? Acceptable : Invalid;
}

void MakeHexField(QLineEdit *field, int length)
{
    field->setValidator(new HexFieldValidator(field));
    field->setMaxLength(length);
}

void WhenLeft(QWidget *widget, std::function<void()> action)
{
    widget->installEventFilter(new LeaveWatcher(widget, std::move(action)));
}

} // namespace vxl
