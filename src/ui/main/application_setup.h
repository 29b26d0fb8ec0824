#pragma once

namespace vxl {

// The program's application-wide set-up, once the application object exists and before the
// main window is made.
void SetUpApplication();

} // namespace vxl
