#include "cli/port_list.h"

#include "cli/command_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

namespace vxl::cli {

namespace {

constexpr int kLowestPort = 1;
constexpr int kHighestPort = 255;

bool validPort(const std::optional<int> &port)
{
    return port && *port >= kLowestPort && *port <= kHighestPort;
}

QString unquoted(QString field)
{
    field = field.trimmed();
    if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')))
        field = field.mid(1, field.size() - 2);
    return field;
}

} // namespace

std::optional<std::vector<int>> ParsePortList(const QString &text)
{
    std::vector<int> ports;
    const auto add = [&ports](int port) {
        if (std::find(ports.begin(), ports.end(), port) == ports.end())
            ports.push_back(port);
    };
    for (const QString &part : text.split(QLatin1Char(','))) {
        const qsizetype dash = part.indexOf(QLatin1Char('-'));
        const auto first = ParseNumber(dash < 0 ? part : part.left(dash));
        const auto last = dash < 0 ? first : ParseNumber(part.mid(dash + 1));
        if (!validPort(first) || !validPort(last) || *last < *first)
            return std::nullopt;
        for (int port = *first; port <= *last; ++port)
            add(port);
    }
    return ports;
}

std::optional<std::vector<PlanRow>> ReadPlan(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("the plan \"%1\" cannot be read").arg(path);
        return std::nullopt;
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    std::vector<PlanRow> rows;
    QTextStream in(&file);
    for (int number = 1; !in.atEnd(); ++number) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char(','));
        if (rows.empty() && number == 1
            && unquoted(fields.first()).toLower() == QStringLiteral("port"))
            continue;
        const auto port = ParseNumber(unquoted(fields.first()));
        const auto at = QStringLiteral("%1:%2: ").arg(QFileInfo(path).fileName()).arg(number);
        if (fields.size() < 2 || fields.size() > 3 || !validPort(port)
            || unquoted(fields.at(1)).isEmpty()) {
            error = at
                    + QStringLiteral("expected \"port,profile[,label]\" with a COM number from "
                                     "1 to 255");
            return std::nullopt;
        }
        if (std::any_of(rows.begin(), rows.end(), [&](const PlanRow &r) {
                return r.port == *port;
            })) {
            error = at + QStringLiteral("COM%1 is named twice").arg(*port);
            return std::nullopt;
        }
        rows.push_back({*port,
                        QDir::cleanPath(folder.absoluteFilePath(unquoted(fields.at(1)))),
                        fields.size() == 3 ? unquoted(fields.at(2)) : QString()});
    }
    if (rows.empty()) {
        error = QStringLiteral("the plan \"%1\" names no module").arg(path);
        return std::nullopt;
    }
    return rows;
}

} // namespace vxl::cli
