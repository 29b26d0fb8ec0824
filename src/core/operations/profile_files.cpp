#include "core/operations/profile_files.h"

#include "core/profiles/backup_recovery.h"
#include "core/profiles/file_times.h"
#include "core/profiles/profile_document.h"
#include "core/profiles/profile_opening.h"

#include <QFileInfo>

namespace vxl {

namespace {

const QString kFilter = QStringLiteral("VEXA-LIN profile (*.vxlin)");
const QString kSuffix = QStringLiteral("vxlin");

FilePrompt openPrompt()
{
    return {false,
            QStringLiteral("Select LIN Configuration File"),
            kFilter,
            kSuffix,
            QStringLiteral("*.vxlin")};
}

FilePrompt savePrompt()
{
    return {true,
            QStringLiteral("Save LIN Configuration File"),
            kFilter,
            kSuffix,
            QString::fromLatin1(ProfileFiles::kNewProfileName)};
}

} // namespace

ProfileFiles::ProfileFiles(OperatorInterface &op,
                           clsVLINXMLProfile &document,
                           StartCheck mayStart,
                           QObject *parent)
    : QObject(parent)
    , m_op(op)
    , m_document(document)
    , m_mayStart(std::move(mayStart))
    , m_copy(ModuleConfig::NewProfile())
{
    UpdateProfileCommands();
}

bool ProfileFiles::State(const QString &name) const
{
    const auto found = m_states.find(name);
    return found != m_states.end() && found->second;
}

void ProfileFiles::NewFromMenu()
{
    if (m_mayStart && !m_mayStart())
        return;
    if (m_op.CurrentView() != View::Profiles)
        m_op.SwitchView(View::Profiles);
    NewProfile();
}

bool ProfileFiles::NewProfile(const ModuleConfig *module)
{
    if (!askUnsavedChanges(kNewQuestion))
        return false;
    m_document.LoadDefault();
    m_temporaryFile = module != nullptr;
    if (module) {
        m_document.WriteAll(module->RS232.Baudrate, module->CAN, module->LIN);
        if (!m_document.SaveToTempFile())
            reportSaveError(QString::fromLatin1(kNewProfileName));
    }
    readIntoCopy();
    ShowProfileFile(true);
    emit profileShown();
    return true;
}

void ProfileFiles::OpenProfile()
{
    if (!askUnsavedChanges(kOpenQuestion))
        return;
    const QString path = m_op.PromptFile(openPrompt());
    if (path.isEmpty())
        return;
    clsVLINXMLProfile opened;
    ModuleConfig values;
    const ProfileOpening opening = OpenProfileFile(opened, path, &values);
    if (opening.opened()) {
        adopt(std::move(opened), values);
        showProfilesView();
        return;
    }
    switch (offerRecordedBackup(path)) {
    case Recovery::Restored:
        showProfilesView();
        return;
    case Recovery::NotOffered:
        reportOpenFailure(path, opening);
        return;
    case Recovery::Declined:
        unloadAfterFailure(opening);
        return;
    }
}

bool ProfileFiles::SaveProfile()
{
    if (!m_document.IsLoaded())
        return true;
    if (!hasFileOfItsOwn())
        return SaveProfileAs();
    bool saved = true;
    if (m_document.IsModified()) {
        saved = m_document.Save();
        if (!saved)
            reportSaveError(m_document.FileName());
    }
    ShowProfileFile(false);
    return saved;
}

bool ProfileFiles::SaveProfileAs()
{
    const QString path = m_op.PromptFile(savePrompt());
    bool saved = false;
    if (!path.isEmpty()) {
        saved = m_document.SaveAs(path);
        if (!saved)
            reportSaveError(path);
        m_temporaryFile = m_temporaryFile && !saved;
    }
    ShowProfileFile(false);
    return saved;
}

void ProfileFiles::ClearProfile()
{
    if (!askUnsavedChanges(kClearQuestion))
        return;
    m_document.Close();
    m_temporaryFile = false;
    ShowProfileFile(true);
}

bool ProfileFiles::OpenProfileAtStart(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    return loadAndShow(path) || offerRecordedBackup(path) == Recovery::Restored;
}

bool ProfileFiles::ConfirmExit()
{
    return askUnsavedChanges(kExitQuestion);
}

void ProfileFiles::ShowProfileFile(bool cleared)
{
    if (cleared) {
        emit profileCleared();
        m_labels = {};
    } else {
        m_labels.path = m_document.FileName();
        // A file that cannot be read keeps the times shown before.
        if (const auto times = ReadFileTimes(m_labels.path)) {
            const FileTimeTexts created = FormatFileTime(times->created);
            const FileTimeTexts modified = FormatFileTime(times->modified);
            m_labels.date = created.date;
            m_labels.time = created.time;
            m_labels.accDate = modified.date;
            m_labels.accTime = modified.time;
        }
    }
    emit labelsChanged();
    UpdateProfileCommands();
}

void ProfileFiles::UpdateProfileCommands()
{
    const bool loaded = m_document.IsLoaded();
    const bool savable = m_document.IsModified() && hasFileOfItsOwn();
    for (const char *name : {"mniSaveAs", "btbSaveAs", "tbtSaveAs", "btbClear", "panEditing"})
        m_states[QString::fromLatin1(name)] = loaded;
    for (const char *name : {"mniSave", "tbtSave", "btbSave"})
        m_states[QString::fromLatin1(name)] = savable;
    emit commandsChanged();
}

bool ProfileFiles::askUnsavedChanges(const char *question)
{
    if (!m_document.IsModified())
        return true;
    switch (m_op.ShowMessage(BoxKind::Question, QString::fromLatin1(question))) {
    case BoxResult::Yes:
        return saveBeforeGoingOn();
    case BoxResult::No:
        return true;
    case BoxResult::Cancel:
    case BoxResult::Closed:
        break;
    }
    return false;
}

// "Yes" to a question about unsaved changes: the command goes on only once they are saved.
bool ProfileFiles::saveBeforeGoingOn()
{
    if (hasFileOfItsOwn() && QFileInfo::exists(m_document.FileName()))
        return SaveProfile();
    return SaveProfileAs();
}

// A profile made from the module's values lives in a temporary file until the user names one:
// saving there would leave the user's work where nobody looks for it.
bool ProfileFiles::hasFileOfItsOwn() const
{
    return !m_temporaryFile && !m_document.FileName().isEmpty();
}

// Opened beside the loaded profile, which stays when the file holds no profile at all.
bool ProfileFiles::loadAndShow(const QString &path)
{
    clsVLINXMLProfile opened;
    ModuleConfig values;
    if (!OpenProfileFile(opened, path, &values).opened())
        return false;
    adopt(std::move(opened), values);
    return true;
}

void ProfileFiles::adopt(clsVLINXMLProfile &&opened, const ModuleConfig &values)
{
    m_temporaryFile = false;
    m_document = std::move(opened);
    m_copy = values;
    emit profileShown();
    ShowProfileFile(false);
}

void ProfileFiles::showProfilesView()
{
    if (m_op.CurrentView() != View::Profiles)
        m_op.SwitchView(View::Profiles);
}

// A save cut short leaves a file that does not open; its old content is in a recorded backup.
ProfileFiles::Recovery ProfileFiles::offerRecordedBackup(const QString &path)
{
    const std::optional<BackupRecord> backup = RestorableProfileBackup(path);
    if (!backup)
        return Recovery::NotOffered;
    const QString name = QFileInfo(path).fileName();
    const QString question = QStringLiteral("The profile \"%1\" was not saved completely. Its "
                                            "previous content was kept in \"%2\". Restore it?")
                                 .arg(name, BackupDisplayName(*backup));
    if (m_op.ShowMessage(BoxKind::Confirmation, question) != BoxResult::Yes)
        return Recovery::Declined;
    const WriteResult restored = RestoreBackup(*backup);
    if (!restored) {
        m_op.ShowMessage(BoxKind::Error,
                         QStringLiteral("Restoring the profile \"%1\" from \"%2\" failed: %3")
                             .arg(name, BackupDisplayName(*backup), restored.error));
        return Recovery::Declined;
    }
    if (!loadAndShow(path)) {
        m_op.ShowMessage(BoxKind::Error,
                         QStringLiteral("Reading from file \"") + name
                             + QStringLiteral("\" failed"));
        return Recovery::Declined;
    }
    return Recovery::Restored;
}

bool ProfileFiles::readIntoCopy()
{
    ModuleConfig copy = ModuleConfig::NewProfile();
    if (!m_document.ReadAll(&copy.RS232.Baudrate, &copy.CAN, &copy.LIN))
        return false;
    m_copy = copy;
    return true;
}

void ProfileFiles::reportOpenFailure(const QString &path, const ProfileOpening &opening)
{
    m_op.ShowMessage(BoxKind::Error, ReadingFailedText(path) + QLatin1Char('\n') + opening.reason);
    unloadAfterFailure(opening);
}

void ProfileFiles::unloadAfterFailure(const ProfileOpening &opening)
{
    if (opening.failure == ProfileOpenFailure::NotAProfile)
        return;
    m_document.Close();
    ShowProfileFile(true);
}

void ProfileFiles::reportSaveError(const QString &path)
{
    QString text = QStringLiteral("Error saving the profile \"") + QFileInfo(path).fileName()
                   + QStringLiteral("\": ") + m_document.LastSaveError();
    if (!m_document.KeptBackup().isEmpty())
        text += QStringLiteral("\nThe previous content of the file is kept in \"")
                + m_document.KeptBackup() + QLatin1Char('"');
    m_op.ShowMessage(BoxKind::Error, text);
}

} // namespace vxl
