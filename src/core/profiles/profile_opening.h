#pragma once

#include "core/module/module_config.h"

#include <QString>

namespace vxl {

class clsVLINXMLProfile;

// How opening a profile file for its values ended.
enum class ProfileOpenFailure {
    None,
    NotAProfile, // no profile at all: not a file, not XML, or without its root element
    Unreadable,  // a profile whose groups cannot be read
};

struct ProfileOpening
{
    ProfileOpenFailure failure = ProfileOpenFailure::None;
    // Why, in the words of the command line's validate ("CAN/Baudrate: ..."); empty on success.
    QString reason;

    [[nodiscard]] bool opened() const { return failure == ProfileOpenFailure::None; }
};

// The one way a profile file is opened for use: the file is parsed once into document and its
// values read into values. On a failure the document is left unloaded and the result says why;
// whoever opened it decides what the user is told.
[[nodiscard]] ProfileOpening OpenProfileFile(clsVLINXMLProfile &document,
                                             const QString &path,
                                             ModuleConfig *values);

// The first line of the message for a file that could not be opened.
[[nodiscard]] QString ReadingFailedText(const QString &path);

} // namespace vxl
