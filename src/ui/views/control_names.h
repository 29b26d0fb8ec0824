#pragma once

// The object names of the controls whose enabled state the operations decide. Controls are
// named with these constants and the command mapping refers to them, so a misspelt name fails
// to compile instead of leaving a control unmanaged.
namespace vxl::control {

// Menu items.
inline constexpr char mniReset[] = "mniReset";
inline constexpr char mniCopyToFlash[] = "mniCopyToFlash";
inline constexpr char mniSetDefaultValues[] = "mniSetDefaultValues";
inline constexpr char mniDisconnection[] = "mniDisconnection";
inline constexpr char mniNewFromModule[] = "mniNewFromModule";
inline constexpr char mniSetISPMode[] = "mniSetISPMode";
inline constexpr char mniCheckConnection[] = "mniCheckConnection";
inline constexpr char mniFlashMagic[] = "mniFlashMagic";

// Tool buttons.
inline constexpr char tbtReset[] = "tbtReset";
inline constexpr char tbtSaveFlash[] = "tbtSaveFlash";
inline constexpr char tbtSetDefault[] = "tbtSetDefault";
inline constexpr char tbtCutConnection[] = "tbtCutConnection";
inline constexpr char tbtCheckConnection[] = "tbtCheckConnection";

// Module data view.
inline constexpr char btbSaveDataAs[] = "btbSaveDataAs";
inline constexpr char btbRefresh[] = "btbRefresh";
inline constexpr char btbScheduler[] = "btbScheduler";
inline constexpr char btbFrames[] = "btbFrames";

// Messages view.
inline constexpr char btbMasterOn[] = "btbMasterOn";
inline constexpr char btbMasterOff[] = "btbMasterOff";
inline constexpr char btbDiscardScheduler[] = "btbDiscardScheduler";
inline constexpr char btbModifyScheduler[] = "btbModifyScheduler";
inline constexpr char btbAutoRplyClear[] = "btbAutoRplyClear";
inline constexpr char btbLogStart[] = "btbLogStart";
inline constexpr char btbLogStop[] = "btbLogStop";

// Profiles view.
inline constexpr char btbSendProfile[] = "btbSendProfile";
inline constexpr char chbFlashWrite[] = "chbFlashWrite";

// Advanced view.
inline constexpr char btbReset[] = "btbReset";
inline constexpr char btbSetValues[] = "btbSetValues";
inline constexpr char btbCopyFlashBlock[] = "btbCopyFlashBlock";
inline constexpr char btbSendCode[] = "btbSendCode";

} // namespace vxl::control
