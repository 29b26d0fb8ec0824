#pragma once

#include "core/module/module_config.h"
#include "core/profiles/written_frames.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace pugi {
class xml_document;
class xml_node;
struct xml_parse_result;
} // namespace pugi

namespace vxl {

// One profile: an XML document (UTF-16 with byte-order mark, two-space indentation) holding the
// RS-232 bit rate, the CAN group and the LIN group. Every operation answers true or false and
// never shows a message; callers word the messages.
class clsVLINXMLProfile
{
public:
    clsVLINXMLProfile();
    ~clsVLINXMLProfile();
    clsVLINXMLProfile(const clsVLINXMLProfile &) = delete;
    clsVLINXMLProfile &operator=(const clsVLINXMLProfile &) = delete;
    // Takes over another document, opened beside this one, in place: whoever refers to this
    // object then sees the other's profile.
    clsVLINXMLProfile &operator=(clsVLINXMLProfile &&other) noexcept;

    [[nodiscard]] const QByteArray &DefaultImage() const { return m_defaultImage; }

    bool LoadDefault();
    bool OpenFile(const QString &path);
    bool Save();
    bool SaveAs(const QString &path);
    bool SaveToTempFile();
    void Close();

    [[nodiscard]] QString FileName() const { return m_fileName; }
    [[nodiscard]] bool IsLoaded() const { return m_loaded; }
    [[nodiscard]] bool IsModified() const { return m_loaded && m_modified; }
    [[nodiscard]] bool IsUnchangedFile() const;
    // Why the last Save, SaveAs or SaveToTempFile failed, in the system's words, and where the
    // old content of the file was kept when it could not be put back.
    [[nodiscard]] QString LastSaveError() const { return m_saveError; }
    [[nodiscard]] QString KeptBackup() const { return m_keptBackup; }
    // Why the last OpenFile found no profile in the file ("not a well-formed XML file (...)",
    // "VXLIN_PROFILE: missing, ..."); empty after a successful one.
    [[nodiscard]] QString OpenError() const { return m_openError; }
    // The first value of the loaded document that reading refuses, named by its place
    // ("CAN/Baudrate: ..."); nothing when every group reads. Parses nothing again.
    [[nodiscard]] std::optional<QString> FirstReadProblem() const;

    bool ReadAll(std::uint32_t *rs232Baudrate, CAN_Group *can, LIN_Group *lin) const;
    bool ReadRS232(std::uint32_t *baudrate) const;
    bool ReadCAN(CAN_Group *can) const;
    bool ReadLIN(LIN_Group *lin) const;

    bool WriteAll(std::uint32_t rs232Baudrate, const CAN_Group &can, const LIN_Group &lin);
    bool WriteRS232(std::uint32_t baudrate);
    bool WriteCAN(const CAN_Group &can);
    bool WriteLIN(const LIN_Group &lin);

    static void FillDefaults(std::uint32_t *rs232Baudrate, CAN_Group *can, LIN_Group *lin);

    // True when the bytes are a profile whose three groups read.
    [[nodiscard]] static bool IsReadableProfile(const QByteArray &bytes);

    // The bytes of the document as they go to a file.
    [[nodiscard]] QByteArray Serialize() const;

    // Replaces how the bytes reach the file (tests make writes fail with it). The writer gets
    // the open file and the bytes and answers whether every byte was written.
    using FileWriter = std::function<bool(int fd, const QByteArray &bytes)>;
    static void SetFileWriterForTesting(FileWriter writer);

private:
    bool ensureLoaded();
    void resetDocument(const pugi::xml_document *from = nullptr);
    bool loadImage(const QByteArray &image);
    [[nodiscard]] QString refusal(const pugi::xml_parse_result &result,
                                  const QByteArray &image) const;
    [[nodiscard]] pugi::xml_node groupNode(const char *name) const;

    std::unique_ptr<pugi::xml_document> m_doc;
    // Emptied with the document (resetDocument).
    std::optional<WrittenFrames> m_writtenFrames;
    QByteArray m_defaultImage;
    QString m_fileName;
    QString m_saveError;
    QString m_keptBackup;
    QString m_openError;
    bool m_active = false;
    bool m_loaded = false;
    bool m_modified = false;
};

} // namespace vxl
