#include "cli/run_display.h"

#include <algorithm>
#include <unistd.h>

namespace vxl::cli {

namespace {

void write(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

QString ModuleLine(const ModuleRecord::Snapshot &module)
{
    QString line = QStringLiteral("COM%1").arg(module.port);
    if (!module.label.isEmpty())
        line += QLatin1Char(' ') + module.label;
    line += QStringLiteral(": ");
    if (module.verdict == ModuleVerdict::Pending) {
        line += module.phase;
        if (module.requestsTotal > 0)
            line += QStringLiteral(" %1/%2").arg(module.requestsDone).arg(module.requestsTotal);
        return line;
    }
    line += QStringLiteral("%1 (%2 s)")
                .arg(VerdictText(module.verdict))
                .arg(module.seconds, 0, 'f', 1);
    if (module.verdict != ModuleVerdict::Passed && !module.reason.isEmpty())
        line += QStringLiteral(": ") + module.reason;
    return line;
}

QString SummaryLine(const std::vector<ModuleRecord::Snapshot> &modules)
{
    const auto count = [&](ModuleVerdict verdict) {
        return std::count_if(modules.begin(), modules.end(), [verdict](const auto &m) {
            return m.verdict == verdict;
        });
    };
    return QStringLiteral("%1 passed, %2 failed, %3 not reached")
        .arg(count(ModuleVerdict::Passed))
        .arg(count(ModuleVerdict::Failed))
        .arg(count(ModuleVerdict::NotReached));
}

int RunExitCode(const std::vector<ModuleRecord::Snapshot> &modules)
{
    int code = 0;
    for (const auto &module : modules)
        code = std::max(code, module.exitCode);
    return code;
}

std::vector<ModuleRecord::Snapshot> Snapshots(
    const std::vector<std::unique_ptr<ModuleRecord>> &records)
{
    std::vector<ModuleRecord::Snapshot> snapshots;
    for (const auto &record : records)
        snapshots.push_back(record->Get());
    return snapshots;
}

RunDisplay::RunDisplay(std::FILE *stream, const std::vector<std::unique_ptr<ModuleRecord>> &records)
    : m_stream(stream)
    , m_records(records)
    , m_live(isatty(fileno(stream)) == 1)
    , m_reported(records.size(), false)
{}

void RunDisplay::Update()
{
    const auto modules = Snapshots(m_records);
    if (!m_live) {
        for (std::size_t i = 0; i < modules.size(); ++i) {
            if (m_reported[i] || modules[i].verdict == ModuleVerdict::Pending)
                continue;
            m_reported[i] = true;
            printDetails(modules[i]);
            write(m_stream, ModuleLine(modules[i]) + QLatin1Char('\n'));
        }
        std::fflush(m_stream);
        return;
    }
    // Back to the first line of the block, then each line rewritten and cleared to its end.
    if (m_drawn)
        write(m_stream, QStringLiteral("\033[%1A").arg(modules.size()));
    for (const auto &module : modules)
        write(m_stream, QStringLiteral("\r\033[K") + ModuleLine(module) + QLatin1Char('\n'));
    m_drawn = true;
    std::fflush(m_stream);
}

void RunDisplay::Finish()
{
    Update();
    const auto modules = Snapshots(m_records);
    if (m_live)
        for (const auto &module : modules)
            printDetails(module);
    write(m_stream, SummaryLine(modules) + QLatin1Char('\n'));
    std::fflush(m_stream);
}

void RunDisplay::printDetails(const ModuleRecord::Snapshot &module) const
{
    if (module.verdict == ModuleVerdict::Passed)
        return;
    const QString prefix = QStringLiteral("COM%1: ").arg(module.port);
    QString text;
    for (const QString &line : module.messages)
        text += prefix + line + QLatin1Char('\n');
    if (module.comparison)
        for (const auto &difference : module.comparison->differences)
            text += prefix + difference.Line() + QLatin1Char('\n');
    write(stderr, text);
    std::fflush(stderr);
}

} // namespace vxl::cli
