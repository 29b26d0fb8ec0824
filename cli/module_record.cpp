#include "cli/module_record.h"

namespace vxl::cli {

namespace {
thread_local ModuleRecord *t_record = nullptr;
} // namespace

ModuleRecord::ModuleRecord(const ModuleJob &job)
{
    m_data.port = job.port;
    m_data.label = job.label;
}

void ModuleRecord::SetDevice(const QString &device)
{
    std::lock_guard lock(m_mutex);
    m_data.device = device;
}

void ModuleRecord::SetIdentity(const MOD_Values &identity)
{
    std::lock_guard lock(m_mutex);
    m_data.hardware = identity.HardwareText.trimmed();
    m_data.firmware = identity.FirmwareText.trimmed();
    m_data.buildMode = BuildModeText(identity.BuildMode);
}

void ModuleRecord::SetPhase(const QString &phase)
{
    std::lock_guard lock(m_mutex);
    m_data.phase = phase;
    m_data.requestsDone = m_data.requestsTotal = 0;
}

void ModuleRecord::SetProgress(std::size_t done, std::size_t total)
{
    std::lock_guard lock(m_mutex);
    m_data.requestsDone = done;
    m_data.requestsTotal = total;
}

void ModuleRecord::SetComparison(const ProfileComparison &comparison)
{
    std::lock_guard lock(m_mutex);
    m_data.comparison = comparison;
}

void ModuleRecord::SetReason(const QString &reason)
{
    std::lock_guard lock(m_mutex);
    m_data.reason = reason;
}

void ModuleRecord::AddOutput(const QString &line)
{
    std::lock_guard lock(m_mutex);
    m_data.output << line;
}

void ModuleRecord::AddMessage(const QString &line)
{
    std::lock_guard lock(m_mutex);
    m_data.messages << line;
}

void ModuleRecord::Finish(int exitCode, bool reached, double seconds)
{
    std::lock_guard lock(m_mutex);
    m_data.exitCode = exitCode;
    m_data.seconds = seconds;
    m_data.verdict = !reached        ? ModuleVerdict::NotReached
                     : exitCode == 0 ? ModuleVerdict::Passed
                                     : ModuleVerdict::Failed;
    if (m_data.reason.isEmpty() && exitCode != 0) {
        // The first error the module's run reported says best why it did not pass.
        for (const QString &message : std::as_const(m_data.messages))
            if (message.startsWith(QStringLiteral("Error: "))) {
                m_data.reason = message.mid(7);
                break;
            }
        if (m_data.reason.isEmpty() && !m_data.messages.isEmpty())
            m_data.reason = m_data.messages.last();
    }
}

ModuleRecord::Snapshot ModuleRecord::Get() const
{
    std::lock_guard lock(m_mutex);
    return m_data;
}

QString VerdictText(ModuleVerdict verdict)
{
    switch (verdict) {
    case ModuleVerdict::Passed:
        return QStringLiteral("passed");
    case ModuleVerdict::Failed:
        return QStringLiteral("failed");
    case ModuleVerdict::NotReached:
        return QStringLiteral("not reached");
    case ModuleVerdict::Pending:
        break;
    }
    return QStringLiteral("running");
}

void CaptureOnThisThread(ModuleRecord *record)
{
    t_record = record;
}

ModuleRecord *CapturedRecord()
{
    return t_record;
}

} // namespace vxl::cli
