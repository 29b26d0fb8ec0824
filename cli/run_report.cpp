#include "cli/run_report.h"

#include "cli/run_display.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSysInfo>
#include <QXmlStreamWriter>

#include <algorithm>

namespace vxl::cli {

namespace {

QJsonObject moduleJson(const ModuleRecord::Snapshot &module)
{
    QJsonArray differences;
    QJsonArray notCompared;
    if (module.comparison) {
        for (const auto &d : module.comparison->differences)
            differences.append(QJsonObject{{QStringLiteral("name"), d.name},
                                           {QStringLiteral("profile"), d.profile},
                                           {QStringLiteral("module"), d.module}});
        for (const auto &n : module.comparison->notCompared)
            notCompared.append(QJsonObject{{QStringLiteral("name"), n.name},
                                           {QStringLiteral("reason"), n.reason}});
    }
    return {{QStringLiteral("port"), module.port},
            {QStringLiteral("label"), module.label},
            {QStringLiteral("device"), module.device},
            {QStringLiteral("hardware"), module.hardware},
            {QStringLiteral("firmware"), module.firmware},
            {QStringLiteral("buildMode"), module.buildMode},
            {QStringLiteral("result"), VerdictText(module.verdict)},
            {QStringLiteral("exitCode"), module.exitCode},
            {QStringLiteral("reason"), module.reason},
            {QStringLiteral("compared"), module.comparison.has_value()},
            {QStringLiteral("differences"), differences},
            {QStringLiteral("notCompared"), notCompared},
            {QStringLiteral("messages"), QJsonArray::fromStringList(module.messages)},
            {QStringLiteral("seconds"), module.seconds}};
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
           && file.commit();
}

QString seconds(double value)
{
    return QString::number(value, 'f', 3);
}

QString caseName(const ModuleRecord::Snapshot &module)
{
    QString name = QStringLiteral("COM%1").arg(module.port);
    if (!module.label.isEmpty())
        name += QLatin1Char(' ') + module.label;
    return name;
}

void writeCase(QXmlStreamWriter &xml, const QString &suite, const ModuleRecord::Snapshot &module)
{
    xml.writeStartElement(QStringLiteral("testcase"));
    xml.writeAttribute(QStringLiteral("classname"), suite);
    xml.writeAttribute(QStringLiteral("name"), caseName(module));
    xml.writeAttribute(QStringLiteral("time"), seconds(module.seconds));
    if (module.verdict != ModuleVerdict::Passed) {
        const bool reached = module.verdict == ModuleVerdict::Failed;
        xml.writeStartElement(reached ? QStringLiteral("failure") : QStringLiteral("error"));
        xml.writeAttribute(QStringLiteral("message"), module.reason);
        xml.writeAttribute(QStringLiteral("type"), VerdictText(module.verdict));
        QStringList details;
        if (module.comparison)
            for (const auto &d : module.comparison->differences)
                details << d.Line();
        xml.writeCharacters(details.join(QLatin1Char('\n')));
        xml.writeEndElement();
    }
    QStringList out = module.output;
    if (module.comparison)
        for (const auto &n : module.comparison->notCompared)
            out << QStringLiteral("Not compared: ") + n.Line();
    out.prepend(QStringLiteral("%1 %2, firmware %3, %4")
                    .arg(module.device, module.hardware, module.firmware, module.buildMode));
    xml.writeTextElement(QStringLiteral("system-out"), out.join(QLatin1Char('\n')));
    xml.writeTextElement(QStringLiteral("system-err"), module.messages.join(QLatin1Char('\n')));
    xml.writeEndElement();
}

} // namespace

bool WriteJsonReport(const QString &path,
                     const QString &command,
                     const std::vector<ModuleRecord::Snapshot> &modules)
{
    QJsonArray list;
    for (const auto &module : modules)
        list.append(moduleJson(module));
    const QJsonObject report{{QStringLiteral("command"), command},
                             {QStringLiteral("finished"),
                              QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                             {QStringLiteral("summary"), SummaryLine(modules)},
                             {QStringLiteral("exitCode"), RunExitCode(modules)},
                             {QStringLiteral("modules"), list}};
    return writeFile(path, QJsonDocument(report).toJson());
}

bool WriteJUnitReport(const QString &path,
                      const QString &command,
                      const std::vector<ModuleRecord::Snapshot> &modules)
{
    const auto count = [&](ModuleVerdict verdict) {
        return QString::number(std::count_if(modules.begin(), modules.end(), [&](const auto &m) {
            return m.verdict == verdict;
        }));
    };
    double total = 0;
    for (const auto &module : modules)
        total = std::max(total, module.seconds); // the modules run at the same time
    const QString suite = QStringLiteral("vexalin-cli ") + command;
    QByteArray content;
    QXmlStreamWriter xml(&content);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("name"), suite);
    xml.writeAttribute(QStringLiteral("tests"), QString::number(modules.size()));
    xml.writeAttribute(QStringLiteral("failures"), count(ModuleVerdict::Failed));
    xml.writeAttribute(QStringLiteral("errors"), count(ModuleVerdict::NotReached));
    xml.writeAttribute(QStringLiteral("time"), seconds(total));
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), suite);
    xml.writeAttribute(QStringLiteral("tests"), QString::number(modules.size()));
    xml.writeAttribute(QStringLiteral("failures"), count(ModuleVerdict::Failed));
    xml.writeAttribute(QStringLiteral("errors"), count(ModuleVerdict::NotReached));
    xml.writeAttribute(QStringLiteral("skipped"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("time"), seconds(total));
    xml.writeAttribute(QStringLiteral("timestamp"),
                       QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    xml.writeAttribute(QStringLiteral("hostname"), QSysInfo::machineHostName());
    for (const auto &module : modules)
        writeCase(xml, suite, module);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return writeFile(path, content);
}

} // namespace vxl::cli
