#pragma once

class QWidget;

namespace vxl {

// What the Enter key does in the main window, by the control that has the focus.
enum class EnterKeyAction {
    ClickFocused, // a push button or tool button: that button
    PressDefault, // anywhere else: the view's default button
    Nothing,      // a drop-down, a check box or a radio button
};

// A drop-down, check box or radio button has the focus while the user chooses something; Enter
// there must neither send for them (the console's Send writes to the module) nor change the
// choice (Space does that).
[[nodiscard]] EnterKeyAction EnterKeyActionFor(const QWidget *focus);

} // namespace vxl
