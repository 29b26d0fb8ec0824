#include "cli/module_runner.h"

#include "cli/cli_session.h"
#include "core/link/com_port_map.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace vxl::cli {

namespace {

constexpr int kTickMs = 100;

int connectAndRun(
    const ModuleJob &job, int rate, const ModuleTask &task, ModuleRecord &record, bool &reached)
{
    CliOperator op(task.yes);
    if (task.prepare)
        task.prepare(op, job);
    CliSession session(op);
    record.SetPhase(QStringLiteral("reading"));
    int code = session.Connect(job.port, rate);
    reached = session.Reached();
    if (reached)
        record.SetIdentity(session.Ops().ModuleCopy().Module);
    if (code != kExitOk)
        return code;
    ModuleContext context{session, op, job, record};
    return task.body(context);
}

void runModule(const ModuleJob &job, int rate, const ModuleTask &task, ModuleRecord &record)
{
    CaptureOnThisThread(&record);
    QElapsedTimer elapsed;
    elapsed.start();
    // The device the COM number is mapped to: a /dev/serial/by-id/ name stays as it is.
    const QFileInfo mapped(ComPortMap().devicePath(job.port));
    record.SetDevice(mapped.isSymLink() ? mapped.symLinkTarget() : mapped.filePath());
    bool reached = false;
    const int code = connectAndRun(job, rate, task, record, reached);
    record.Finish(code, reached, double(elapsed.elapsed()) / 1000.0);
    CaptureOnThisThread(nullptr);
}

} // namespace

int RunOnOneModule(const ModuleJob &job, int rate, const ModuleTask &task)
{
    CliOperator op(task.yes);
    if (task.prepare)
        task.prepare(op, job);
    CliSession session(op);
    if (const int code = session.Connect(job.port, rate); code != kExitOk)
        return code;
    ModuleRecord record(job);
    ModuleContext context{session, op, job, record};
    return task.body(context);
}

void RunOnModules(const std::vector<ModuleJob> &jobs,
                  int rate,
                  const ModuleTask &task,
                  const std::vector<std::unique_ptr<ModuleRecord>> &records,
                  const std::function<void()> &tick)
{
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ModuleRecord &record = *records[i];
        const ModuleJob &job = jobs[i];
        threads.emplace_back(
            QThread::create([&job, rate, &task, &record] { runModule(job, rate, task, record); }));
        threads.back()->start();
    }
    for (auto &thread : threads) {
        while (!thread->wait(kTickMs))
            tick();
    }
    tick();
}

} // namespace vxl::cli
