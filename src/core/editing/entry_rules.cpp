#include "core/editing/entry_rules.h"

#include <algorithm>

namespace vxl {

namespace {

bool isDigitOf(QChar c, bool hex)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return true;
    if (!hex)
        return false;
    const QChar up = c.toUpper();
    return up >= QLatin1Char('A') && up <= QLatin1Char('F');
}

// The field holds at most two digits, so the value always fits; empty or foreign text is 0.
int parseId(const QString &text, bool hex)
{
    if (text.isEmpty() || !IsIdText(text, hex))
        return 0;
    bool ok = false;
    const int value = text.toInt(&ok, hex ? 16 : 10);
    return ok ? value : 0;
}

} // namespace

QString IdCellText(int id)
{
    return QStringLiteral("%1 / 0x%2")
        .arg(id)
        .arg(QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper());
}

std::optional<int> IdFromCellText(const QString &text)
{
    const qsizetype slash = text.indexOf(QStringLiteral(" / "));
    const QString number = slash < 0 ? text.trimmed() : text.left(slash).trimmed();
    bool ok = false;
    const int value = number.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

bool IsIdText(const QString &text, bool hex)
{
    return std::all_of(text.cbegin(), text.cend(), [hex](QChar c) { return isDigitOf(c, hex); });
}

QString LeftIdText(const QString &text, bool hex)
{
    if (text.isEmpty() || !IsIdText(text, hex))
        return QStringLiteral("0");
    if (parseId(text, hex) <= kMaxLinId)
        return text;
    return hex ? QStringLiteral("3F") : QString::number(kMaxLinId);
}

QString SwitchedIdText(const QString &text, bool toHex)
{
    const int value = parseId(text, !toHex);
    return toHex ? QString::number(value, 16).toUpper() : QString::number(value);
}

int IdValue(const QString &text, bool hex)
{
    return std::min(parseId(text, hex), kMaxLinId);
}

std::optional<QString> LeftTimeText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QString::number(kDefaultEntryTime);
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    // A scheduler slot of zero or negative length means nothing to the module: the shortest
    // slot is the nearest time it can run.
    if (value < kMinEntryTime)
        return QString::number(kMinEntryTime);
    if (value > kMaxEntryTime)
        return QString::number(kMaxEntryTime);
    return QString::number(value);
}

QString NotAnIntegerMessage(const QString &text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString EntryCaption(int rowNumber, bool multiple)
{
    if (multiple)
        return QStringLiteral("Editing multiple entries");
    return QStringLiteral("Editing entry %1").arg(rowNumber);
}

} // namespace vxl
