#include "ui/widgets/control_icons.h"

#include "ui/widgets/lazy_icon_engine.h"

#include <QApplication>
#include <QStyle>

namespace vxl {

namespace {

struct Picture
{
    const char *control;
    const char *themeName; // freedesktop icon naming
    QStyle::StandardPixmap fallback;
};

constexpr Picture kPictures[] = {
    // Tool buttons, by their menu items.
    {"mniNew", "document-new", QStyle::SP_FileIcon},
    {"msiOpen", "document-open", QStyle::SP_DialogOpenButton},
    {"mniSave", "document-save", QStyle::SP_DialogSaveButton},
    {"mniSaveAs", "document-save-as", QStyle::SP_DriveFDIcon},
    {"mniFinish", "application-exit", QStyle::SP_DialogCloseButton},
    {"mniConnectionDlg", "network-wired", QStyle::SP_DriveNetIcon},
    {"mniDisconnection", "network-offline", QStyle::SP_BrowserStop},
    {"mniCheckConnection", "network-transmit-receive", QStyle::SP_DialogApplyButton},
    {"mniReset", "system-reboot", QStyle::SP_BrowserReload},
    {"mniCopyToFlash", "media-flash", QStyle::SP_DriveHDIcon},
    {"mniSetDefaultValues", "document-revert", QStyle::SP_DialogResetButton},
    {"mniPreferences", "preferences-system", QStyle::SP_ComputerIcon},
    {"mniHelp", "help-contents", QStyle::SP_DialogHelpButton},
    {"mniAbout", "help-about", QStyle::SP_MessageBoxInformation},
    // Picture buttons of the views.
    {"btbRefresh", "view-refresh", QStyle::SP_BrowserReload},
    {"btbSaveDataAs", "document-save-as", QStyle::SP_DialogSaveButton},
    {"btbScheduler", "x-office-calendar", QStyle::SP_FileDialogListView},
    {"btbFrames", "x-office-spreadsheet", QStyle::SP_FileDialogDetailedView},
    {"btbMasterOn", "media-playback-start", QStyle::SP_MediaPlay},
    {"btbMasterOff", "media-playback-stop", QStyle::SP_MediaStop},
    {"btbModifyScheduler", "document-properties", QStyle::SP_FileDialogContentsView},
    {"btbDiscardScheduler", "edit-delete", QStyle::SP_TrashIcon},
    {"btbLogStart", "media-record", QStyle::SP_DialogSaveButton},
    {"btbLogStop", "process-stop", QStyle::SP_BrowserStop},
    {"btbAutoRplyClear", "edit-clear", QStyle::SP_DialogResetButton},
    {"btbSendProfile", "document-send", QStyle::SP_ArrowRight},
    {"btbReset", "system-reboot", QStyle::SP_BrowserReload},
    {"btbSetValues", "document-revert", QStyle::SP_DialogResetButton},
    {"btbCopyFlashBlock", "media-flash", QStyle::SP_DriveHDIcon},
    {"btbSendCode", "mail-send", QStyle::SP_ArrowRight},
    // The dialogs' own.
    {"btbOK", "dialog-ok", QStyle::SP_DialogOkButton},
    {"btbCancel", "dialog-cancel", QStyle::SP_DialogCancelButton},
};

QIcon madeIcon(const Picture &picture)
{
    // The style's picture is made only when the theme has none: making it loads its pixmaps.
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(picture.themeName));
    if (!themed.isNull() && !themed.availableSizes().isEmpty())
        return themed;
    return QApplication::style()->standardIcon(picture.fallback);
}

} // namespace

QIcon ControlIcon(const QString &name)
{
    for (const Picture &picture : kPictures) {
        if (name != QLatin1String(picture.control))
            continue;
        // Looking the picture up in the theme and decoding it waits for the first paint.
        return QIcon(new LazyIconEngine([&picture] { return madeIcon(picture); }));
    }
    return {};
}

} // namespace vxl
