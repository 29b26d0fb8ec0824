#pragma once

#include <QString>
#include <QStringList>

namespace vxl {

class OperationContext;

// The external flash programmer, which runs under Wine here: found through the open command
// registered for its settings files, prepared through its own settings key, then started.
class FlashMagic
{
public:
    struct Result
    {
        int exitCode = -1; // -1: could not be run
        QString output;
    };

    static constexpr char kCommandKey[]
        = "HKLM\\Software\\Classes\\FlashMagicSettings\\Shell\\Open\\Command";
    static constexpr char kSettingsKey[] = "HKCU\\Software\\Embedded Systems Academy\\FlashMagic";

    explicit FlashMagic(OperationContext &context);

    // Once at start-up; true when the open command was found.
    bool Find();
    [[nodiscard]] QString Command() const { return m_command; }
    [[nodiscard]] bool Found() const { return m_found; }
    // The menu item "Flash Magic".
    void Launch();

    // The program part of a registered open command: the text before its first "%", less the
    // blank and quote in front of it.
    [[nodiscard]] static QString CommandFromOpenText(const QString &openText);
    // The default value in the output of `wine reg query <key> /ve`.
    [[nodiscard]] static QString DefaultValueOf(const QString &queryOutput);

private:
    bool writeSettings();
    static Result runWine(const QStringList &arguments);

    OperationContext &m_ctx;
    QString m_command;
    bool m_found = false;
};

} // namespace vxl
