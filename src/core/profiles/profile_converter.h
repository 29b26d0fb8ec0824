#pragma once

#include "core/module/module_config.h"
#include "core/profiles/profile_document.h"

#include <QString>

#include <optional>

namespace vxl {

// Converts a legacy binary profile (.lin) into an XML profile.
class clsVLINProfileConverter
{
public:
    enum class Layout { Short, Long, Version10 };

    static constexpr int kShortBase = 106;
    static constexpr int kLongBase = 146;
    static constexpr int kVersion10Scheduler = 1088;

    void SetSource(const QString &path);
    [[nodiscard]] QString Source() const { return m_source; }
    void SetTarget(const QString &path) { m_target = path; }
    [[nodiscard]] QString Target() const { return m_target; }

    // folder (with its trailing separator) + base + ".vxlin", numbered " (n)" while taken.
    [[nodiscard]] static QString ProposeTarget(const QString &folder, const QString &base);
    // The target a typed path stands for: its folder (the current one when it names none) and
    // its name ("VXLIN" when empty) with the extension ".vxlin". Nothing when the folder does
    // not exist.
    [[nodiscard]] static std::optional<QString> TargetFromText(const QString &text,
                                                               const QString &currentFolder);

    [[nodiscard]] bool Recognize() const;
    // 0 for unversioned files, the number after "V" otherwise; nothing when unreadable.
    [[nodiscard]] std::optional<int> LegacyVersion() const;
    // Short or long by the file's size; nothing when it fits neither.
    [[nodiscard]] std::optional<Layout> DetectLayout() const;
    bool Convert();

private:
    bool parseLegacy(const QByteArray &bytes, Layout layout);

    QString m_source;
    QString m_target;
    clsVLINXMLProfile m_profile;
    std::uint32_t m_rs232Baudrate = 0;
    CAN_Group m_can;
    LIN_Group m_lin;
};

} // namespace vxl
