#pragma once

// Runs the installed kind of thing the packaging tests look at: a built program, man, bash,
// appstreamcli. A tool that is missing fails the test that needs it (make deps installs them).

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

namespace vxl::test {

struct ProgramRun
{
    bool started = false;
    int exitCode = -1;
    QString out;
    QString err;
};

inline ProgramRun runProgram(
    const QString &program,
    const QStringList &args,
    const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
    const QByteArray &input = {},
    const QString &folder = {})
{
    ProgramRun run;
    QProcess process;
    process.setProcessEnvironment(env);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, args);
    if (!process.waitForStarted(30000))
        return run;
    run.started = true;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A program of the build ("vexalin-cli").
inline QString builtProgram(const QString &name)
{
    return QStringLiteral(VXL_BINARY_DIR "/") + name;
}

// The long options in a Qt or hand-written --help text: those on the lines that list options.
inline QSet<QString> longOptionsOf(const QString &help)
{
    static const QRegularExpression optionLine(QStringLiteral("^\\s+-"));
    static const QRegularExpression longOption(QStringLiteral("--[a-z][a-z0-9-]*"));
    QSet<QString> options;
    for (const QString &line : help.split(QLatin1Char('\n'))) {
        if (!optionLine.match(line).hasMatch())
            continue;
        for (const auto &match : longOption.globalMatch(line))
            options.insert(match.captured());
    }
    return options;
}

// The commands of "vexalin-cli --help": the first word of each line under "Commands:".
inline QStringList commandsOf(const QString &overview)
{
    QStringList commands;
    bool inList = false;
    for (const QString &line : overview.split(QLatin1Char('\n'))) {
        if (line == QLatin1String("Commands:"))
            inList = true;
        else if (inList && line.trimmed().isEmpty())
            break;
        else if (inList)
            commands << line.trimmed().section(QLatin1Char(' '), 0, 0);
    }
    return commands;
}

} // namespace vxl::test
