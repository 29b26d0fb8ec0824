#pragma once

#include "cli/profile_compare.h"
#include "core/module/module_config.h"

#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

namespace vxl::cli {

// One module of a run over several ports: where it is and what it is to get.
struct ModuleJob
{
    int port = 0;
    QString label;                       // from the plan; may be empty
    QString profilePath;                 // the profile of this module, when the command takes one
    std::optional<ModuleConfig> profile; // read from profilePath
};

enum class ModuleVerdict { Pending, Passed, Failed, NotReached };

// What one module's run produced. The module's own thread fills it while the main thread draws
// the live lines from it, so every access goes through the lock.
class ModuleRecord
{
public:
    struct Snapshot
    {
        int port = 0;
        QString label;
        QString device;
        QString hardware;
        QString firmware;
        QString buildMode;
        QString phase;
        std::size_t requestsDone = 0;
        std::size_t requestsTotal = 0;
        ModuleVerdict verdict = ModuleVerdict::Pending;
        int exitCode = 0;
        QString reason;
        std::optional<ProfileComparison> comparison;
        QStringList output;   // what a single-module run prints on stdout
        QStringList messages; // and on stderr
        double seconds = 0;
    };

    explicit ModuleRecord(const ModuleJob &job);

    void SetDevice(const QString &device);
    void SetIdentity(const MOD_Values &identity);
    void SetPhase(const QString &phase);
    void SetProgress(std::size_t done, std::size_t total);
    void SetComparison(const ProfileComparison &comparison);
    void SetReason(const QString &reason);
    void AddOutput(const QString &line);
    void AddMessage(const QString &line);
    void Finish(int exitCode, bool reached, double seconds);

    [[nodiscard]] Snapshot Get() const;

private:
    mutable std::mutex m_mutex;
    Snapshot m_data;
};

[[nodiscard]] QString VerdictText(ModuleVerdict verdict);

// While set on a thread, what vexalin-cli would print there goes into this record instead.
void CaptureOnThisThread(ModuleRecord *record);
[[nodiscard]] ModuleRecord *CapturedRecord();

} // namespace vxl::cli
