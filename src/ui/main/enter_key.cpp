#include "ui/main/enter_key.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QWidget>

namespace vxl {

namespace {

// An editable drop-down may hand the focus to its line edit, which still belongs to it.
bool insideDropDown(const QWidget *focus)
{
    for (const QWidget *widget = focus; widget; widget = widget->parentWidget()) {
        if (qobject_cast<const QComboBox *>(widget))
            return true;
    }
    return false;
}

} // namespace

EnterKeyAction EnterKeyActionFor(const QWidget *focus)
{
    if (!focus)
        return EnterKeyAction::PressDefault;
    if (qobject_cast<const QCheckBox *>(focus) || qobject_cast<const QRadioButton *>(focus)
        || insideDropDown(focus))
        return EnterKeyAction::Nothing;
    if (qobject_cast<const QAbstractButton *>(focus))
        return EnterKeyAction::ClickFocused;
    return EnterKeyAction::PressDefault;
}

} // namespace vxl
