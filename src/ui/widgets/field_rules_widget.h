#pragma once

#include <QObject>
#include <QValidator>

#include <functional>

class QLineEdit;
class QWidget;

namespace vxl {

// Lets only hexadecimal digits into a field and shows letters upper-case as they are typed.
class HexFieldValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// Lets only decimal digits into a field.
class DecimalFieldValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// A hexadecimal field of at most `length` digits.
void MakeHexField(QLineEdit *field, int length);

// Runs `action` each time the widget loses the keyboard focus.
void WhenLeft(QWidget *widget, std::function<void()> action);

} // namespace vxl
