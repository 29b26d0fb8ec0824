#include "core/profiles/write_steps.h"

#include "core/profiles/file_sync.h"

#include <unistd.h>

namespace vxl {

namespace {

bool isFolderSync(WriteStep step)
{
    return step == WriteStep::BackupFolderSynced || step == WriteStep::BackupRemovalSynced
           || step == WriteStep::TargetFolderSynced;
}

} // namespace

bool WriteSteps::passed(WriteStep step)
{
    if (!m_options.afterStep)
        return true;
    switch (m_options.afterStep(step)) {
    case StepAction::Continue:
        return true;
    case StepAction::Fail:
        // As for a real folder sync: a file system that cannot sync folders counts as done.
        if (isFolderSync(step) && FolderSyncUnsupported(m_options.stepError))
            return true;
        errno = m_options.stepError;
        return false;
    case StepAction::Abandon:
        m_abandoned = true;
        return false;
    }
    return true;
}

bool RunWriter(const RawWriter &writer, int fd, const QByteArray &bytes)
{
    errno = 0;
    if (writer(fd, bytes))
        return true;
    if (errno == 0)
        errno = EIO;
    return false;
}

bool ReplaceContent(int fd, const QByteArray &bytes, const RawWriter &writer, WriteSteps *steps)
{
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    if (steps && !steps->passed(WriteStep::TargetTruncated))
        return false;
    if (!RunWriter(writer, fd, bytes) || (steps && !steps->passed(WriteStep::TargetWritten)))
        return false;
    if (::fsync(fd) != 0)
        return false;
    return !steps || steps->passed(WriteStep::TargetSynced);
}

WriteResult WriteFailure(int error)
{
    return {false, ErrorText(error), {}};
}

WriteResult WriteAbandoned()
{
    return {false, QStringLiteral("abandoned"), {}};
}

} // namespace vxl
