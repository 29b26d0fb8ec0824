#pragma once

#include "core/module/module_config.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace vxl {

// Message box kinds by their number, and what the user answered.
enum class BoxKind : int { Question = 4, Error = 6, Information = 7, Confirmation = 8 };
enum class BoxResult : int { Yes, No, Cancel, Closed };

// The four views of the main window, by page index.
enum class View : int { ModuleData = 0, Messages = 1, Profiles = 2, Advanced = 3 };

// A file dialog: open or save, its title, its filter, the extension added to a name typed
// without one, and the name it starts with. Open dialogs accept only an existing file; save
// dialogs ask before overwriting one.
struct FilePrompt
{
    bool save = false;
    QString title;
    QString filter; // "Description (*.ext)"
    QString defaultSuffix;
    QString initialName;
};

struct ConnectChoice
{
    int port = 0;
    int rate = 38400;
};

// Everything the operations tell or ask the user goes through here. The application
// implements it with its message box, busy notice and dialogs; tests implement it with a
// scripted operator. Boxes are modal: link notifications and timer ticks keep flowing while one
// is open.
class OperatorInterface
{
public:
    virtual ~OperatorInterface() = default;

    virtual BoxResult ShowMessage(BoxKind kind, const QString &text) = 0;
    // A plain message: a simple box with the text and an OK button, not the application's
    // message box.
    virtual void ShowPlainMessage(const QString &text) = 0;
    // A display time of -1 keeps the one stored; an empty text shows the stored text again.
    virtual void ShowNotice(const QString &text, int displayMs = -1) = 0;
    // Colour in the stored order (blue in bits 23..16).
    virtual void SetPanelColor(std::uint32_t systemColor) = 0;
    // Panel 0: the connection line; panel 1: hints and short notices.
    virtual void SetStatusText(int panel, const QString &text) = 0;
    // The chosen file's path; empty when the user cancelled.
    virtual QString PromptFile(const FilePrompt &prompt) = 0;

    // The connection dialog, kept open across retries: Open scans, Exec shows it again with the
    // same list and selection, Close destroys it.
    virtual void OpenConnectDialog(int preselectPort, int rate, int scanCount) = 0;
    virtual std::optional<ConnectChoice> ExecConnectDialog() = 0;
    virtual void CloseConnectDialog() = 0;

    // The scheduler entries dialog; empty when it was not confirmed.
    virtual std::optional<std::vector<LIN_SchedulerEntry>>
    EditSchedulerEntries(const std::vector<LIN_SchedulerEntry> &entries, bool editable) = 0;
    // The frame table, display only.
    virtual void ShowFrameTable(const LIN_Group &lin) = 0;

    [[nodiscard]] virtual View CurrentView() const = 0;
    // Shows the view; the application then runs its activation actions.
    virtual void SwitchView(View view) = 0;

    // A new profile from the module's values (asks first about unsaved changes).
    virtual bool NewProfileFromModule(const ModuleConfig &module) = 0;
    // The profile being edited: empty when none is loaded.
    [[nodiscard]] virtual std::optional<ModuleConfig> CurrentProfile() const = 0;
    // Path and unsaved-changes state of the profile being edited.
    [[nodiscard]] virtual QString ProfileFileName() const = 0;
    [[nodiscard]] virtual bool ProfileModified() const = 0;
};

} // namespace vxl
