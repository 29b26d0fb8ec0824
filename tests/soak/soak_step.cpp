#include "soak/soak_step.h"

namespace vxl::soak {

int Step::arg(int index, int modulo) const
{
    if (modulo <= 0 || index < 0 || std::size_t(index) >= args.size())
        return 0;
    return ((args[std::size_t(index)] % modulo) + modulo) % modulo;
}

QString Step::text() const
{
    QStringList parts{action};
    for (const int value : args)
        parts << QString::number(value);
    if (afterRequest > 0)
        parts << QStringLiteral("@r%1").arg(afterRequest);
    if (afterTick > 0)
        parts << QStringLiteral("@t%1").arg(afterTick);
    return parts.join(QLatin1Char(' '));
}

std::optional<Step> Step::parse(const QString &line)
{
    const QStringList parts = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::nullopt;
    Step step;
    step.action = parts.front();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString &part = parts[i];
        bool ok = false;
        if (part.startsWith(QLatin1String("@r")))
            step.afterRequest = part.mid(2).toInt(&ok);
        else if (part.startsWith(QLatin1String("@t")))
            step.afterTick = part.mid(2).toInt(&ok);
        else
            step.args.push_back(part.toInt(&ok));
        if (!ok)
            return std::nullopt;
    }
    return step;
}

QString ListText(const StepList &steps)
{
    QStringList lines;
    for (const Step &step : steps)
        lines << step.text();
    return lines.join(QLatin1Char('\n'));
}

std::optional<StepList> ParseList(const QString &text)
{
    StepList steps;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        auto step = Step::parse(line);
        if (!step)
            return std::nullopt;
        steps.push_back(*step);
    }
    return steps;
}

} // namespace vxl::soak
