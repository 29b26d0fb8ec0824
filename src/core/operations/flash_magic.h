#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;
class QTimer;

namespace vxl {

class OperationContext;

// The external flash programmer, which runs under Wine here: found through the open command
// registered for its settings files, prepared through its own settings key, then started.
// Wine may take many seconds to answer, so every `wine` call runs as a process of its own while
// the event loop goes on.
class FlashMagic : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        int exitCode = -1; // -1: could not be run, crashed or hung
        QString output;
    };

    static constexpr char kCommandKey[]
        = "HKLM\\Software\\Classes\\FlashMagicSettings\\Shell\\Open\\Command";
    static constexpr char kSettingsKey[] = "HKCU\\Software\\Embedded Systems Academy\\FlashMagic";
    // A `wine` call that has not ended by then counts as failed.
    static constexpr int kWineTimeoutMs = 30000;

    explicit FlashMagic(OperationContext &context);
    ~FlashMagic() override;

    // Starts the search (once at start-up); searchFinished tells its outcome, and the command
    // states are recomputed then.
    void Find();
    [[nodiscard]] QString Command() const { return m_command; }
    [[nodiscard]] bool Found() const { return m_found; }
    // A search or a launch is waiting for Wine.
    [[nodiscard]] bool Busy() const { return m_process != nullptr || m_launching; }
    // The menu item "Flash Magic"; launchFinished follows once Wine has been asked to start it.
    void Launch();

    // The program part of a registered open command: the text before its first "%", less the
    // blank and quote in front of it.
    [[nodiscard]] static QString CommandFromOpenText(const QString &openText);
    // The default value in the output of `wine reg query <key> /ve`.
    [[nodiscard]] static QString DefaultValueOf(const QString &queryOutput);

signals:
    void searchFinished(bool found);
    void launchFinished();

private:
    using Done = std::function<void(const Result &)>;

    void searchAnswered(const Result &query);
    void writeSetting(int index);
    void startProgram();
    // Runs `wine arguments` and calls done once with its outcome.
    void runWine(const QStringList &arguments, Done done);
    void wineEnded(const Result &result);

    OperationContext &m_ctx;
    QString m_command;
    bool m_found = false;
    bool m_launching = false;
    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<QTimer> m_watchdog;
    Done m_done;
};

} // namespace vxl
