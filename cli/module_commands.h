#pragma once

#include <QStringList>

namespace vxl::cli {

struct ModuleContext;

int RunPorts(const QStringList &args);
int RunRead(const QStringList &args);
int RunSend(const QStringList &args);
int RunVerify(const QStringList &args);
int RunRaw(const QStringList &args);
int RunReset(const QStringList &args);
int RunDefaults(const QStringList &args);
int RunFlash(const QStringList &args);
int RunMaster(const QStringList &args);
int RunScheduler(const QStringList &args);
int RunTrace(const QStringList &args);
int RunConvert(const QStringList &args);
int RunValidate(const QStringList &args);

// Saves the values read from the module as a profile, as the module data view's "Save" does, in
// the file pattern names for this module ({port}: its COM number).
int SaveModuleProfile(ModuleContext &m, const QString &pattern);

} // namespace vxl::cli
