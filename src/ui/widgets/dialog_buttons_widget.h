#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace vxl {

// The OK and Cancel picture buttons every configuration dialog ends with: OK is the default
// button and accepts, Cancel answers Escape and rejects.
struct DialogButtons
{
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
    QHBoxLayout *row = nullptr; // stretch, OK, Cancel; the caller adds it to its layout
};

[[nodiscard]] DialogButtons MakeDialogButtons(QDialog *dialog);

} // namespace vxl
