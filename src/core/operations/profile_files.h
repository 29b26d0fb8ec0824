#pragma once

#include "core/module/module_config.h"
#include "core/operations/operator_interface.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>

namespace vxl {

class clsVLINXMLProfile;
struct ProfileOpening;

// What the "Profiles Management" page shows of the profile's file.
struct ProfileFileLabels
{
    QString path;
    QString date;
    QString time;
    QString accDate;
    QString accTime;
};

// The profile file commands: "New", "Open", "Save", "Save As", "Clear", the profile named on the
// command line and the question at exit. They ask the user through the operator interface and
// publish what the page shows (labels, enabled commands); the profile tree follows the
// profileShown and profileCleared signals.
class ProfileFiles : public QObject
{
    Q_OBJECT
public:
    // True when an action may start now; otherwise it has told the user why.
    using StartCheck = std::function<bool()>;

    ProfileFiles(OperatorInterface &op,
                 clsVLINXMLProfile &document,
                 StartCheck mayStart = {},
                 QObject *parent = nullptr);

    // The menu's "New": refused while an action runs, and shows the profile page first.
    void NewFromMenu();
    // "New"; with module values the new profile holds them and gets a file of its own. False
    // when the user kept the current profile.
    bool NewProfile(const ModuleConfig *module = nullptr);
    void OpenProfile();
    // True when nothing is left unsaved.
    bool SaveProfile();
    // True when the profile was written to the chosen file.
    bool SaveProfileAs();
    void ClearProfile();
    // A failure is silent (the program starts without a profile), unless a save cut short left
    // the file's old content in a backup: then the user is asked whether to restore it.
    bool OpenProfileAtStart(const QString &path);
    // The question before the program ends; false keeps it running.
    bool ConfirmExit();

    void ShowProfileFile(bool cleared);
    void UpdateProfileCommands();

    [[nodiscard]] const ProfileFileLabels &Labels() const { return m_labels; }
    // Enabled state of "Save", "Save As", "Clear" by control name, and the visibility of the
    // editing area ("panEditing").
    [[nodiscard]] const std::map<QString, bool> &States() const { return m_states; }
    [[nodiscard]] bool State(const QString &name) const;
    // The document the commands load, save and unload; the tree shows and edits it.
    [[nodiscard]] clsVLINXMLProfile &Document() { return m_document; }
    // The values of the loaded profile as last read from the document.
    [[nodiscard]] const ModuleConfig &ProfileCopy() const { return m_copy; }

    static constexpr char kNewQuestion[]
        = "The profile was modified.  Unsaved changes will be lost. Do you want to proceed?";
    static constexpr char kOpenQuestion[]
        = "The current profile has changed.  Do you want to save the changes?";
    static constexpr char kClearQuestion[]
        = "The profile was modified.  Do you want to save the changes?";
    static constexpr char kExitQuestion[] = "The current profile was modified. Do you want to save "
                                            "the changes before leaving the application?";
    static constexpr char kNewProfileName[] = "NewProfile.vxlin";

signals:
    // The tree shows the profile copy: every group refreshed, the whole tree expanded, the
    // selected node handled again.
    void profileShown();
    // The tree shows its captions without values, collapsed.
    void profileCleared();
    void labelsChanged();
    void commandsChanged();

private:
    enum class Recovery { NotOffered, Declined, Restored };

    bool loadAndShow(const QString &path);
    void adopt(clsVLINXMLProfile &&opened, const ModuleConfig &values);
    void showProfilesView();
    Recovery offerRecordedBackup(const QString &path);
    [[nodiscard]] bool hasFileOfItsOwn() const;
    bool askUnsavedChanges(const char *question);
    bool saveBeforeGoingOn();
    bool readIntoCopy();
    // The error box of a failed "Open"; a profile that cannot be read is unloaded with it.
    void reportOpenFailure(const QString &path, const ProfileOpening &opening);
    void unloadAfterFailure(const ProfileOpening &opening);
    void reportSaveError(const QString &name);

    OperatorInterface &m_op;
    clsVLINXMLProfile &m_document;
    StartCheck m_mayStart;
    ModuleConfig m_copy;
    ProfileFileLabels m_labels;
    std::map<QString, bool> m_states;
    bool m_temporaryFile = false;
};

} // namespace vxl
