#include "core/profiles/profile_opening.h"

#include "core/profiles/profile_document.h"

#include <QFileInfo>

namespace vxl {

ProfileOpening OpenProfileFile(clsVLINXMLProfile &document,
                               const QString &path,
                               ModuleConfig *values)
{
    if (!document.OpenFile(path))
        return {ProfileOpenFailure::NotAProfile, document.OpenError()};
    ModuleConfig read = ModuleConfig::NewProfile();
    if (!document.ReadAll(&read.RS232.Baudrate, &read.CAN, &read.LIN)) {
        // The reader and the validator take the same texts; should they ever part, the user
        // still learns which file failed.
        const QString reason = document.FirstReadProblem().value_or(
            QStringLiteral("a value cannot be read"));
        document.Close();
        return {ProfileOpenFailure::Unreadable, reason};
    }
    if (values)
        *values = read;
    return {};
}

QString ReadingFailedText(const QString &path)
{
    return QStringLiteral("Reading from file \"") + QFileInfo(path).fileName()
           + QStringLiteral("\" failed");
}

} // namespace vxl
