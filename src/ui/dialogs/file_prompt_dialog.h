#pragma once

#include "core/operations/operator_interface.h"

class QWidget;

namespace vxl {

// Shows the platform's file dialog as the prompt describes it; the chosen path, or an empty
// text when cancelled.
[[nodiscard]] QString RunFilePrompt(QWidget *owner, const FilePrompt &prompt);

} // namespace vxl
