#include "core/editing/profile_fields.h"

#include <algorithm>
#include <array>

namespace vxl {

namespace {

constexpr std::array<std::uint16_t, kCanTimingCount> kCanTimings
    = {0x0014, 0x001C, 0x011C, 0x031C, 0x432F, 0x472F, 0x532F, 0x672F, 0x7F7F};
constexpr std::array<int, kCanTimingCount> kCanRates = {1, 500, 250, 125, 100, 50, 20, 10, 5};
constexpr std::array<std::uint32_t, 6> kRs232Rates = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr std::array<std::uint32_t, 3> kLinRates = {2400, 9600, 19200};

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
           || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
           || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

} // namespace

std::uint16_t CanTimingAt(int index)
{
    if (index < 0 || index >= kCanTimingCount)
        return 0;
    return kCanTimings[std::size_t(index)];
}

QStringList CanBitRateEntries()
{
    QStringList entries;
    for (int i = 0; i < kCanTimingCount; ++i) {
        const auto n = std::size_t(i);
        entries << QString::number(kCanRates[n])
                       + (i == 0 ? QStringLiteral(" MB (") : QStringLiteral(" kb ("))
                       + HexText(kCanTimings[n], 4) + QStringLiteral(")");
    }
    entries << QStringLiteral("User");
    return entries;
}

int CanTimingIndex(std::uint16_t timing)
{
    const auto found = std::find(kCanTimings.cbegin(), kCanTimings.cend(), timing);
    return found == kCanTimings.cend() ? kCanUserIndex : int(found - kCanTimings.cbegin());
}

std::uint16_t TimingOfEntry(const QString &entry)
{
    const qsizetype close = entry.lastIndexOf(QLatin1Char(')'));
    if (close < 4)
        return 0;
    return std::uint16_t(HexValue(entry.mid(close - 4, 4)));
}

QStringList Rs232RateEntries()
{
    QStringList entries;
    for (const std::uint32_t rate : kRs232Rates)
        entries << QString::number(rate);
    return entries;
}

int Rs232RateIndex(std::uint32_t rate)
{
    const auto found = std::find(kRs232Rates.cbegin(), kRs232Rates.cend(), rate);
    return found == kRs232Rates.cend() ? int(kRs232Rates.size()) - 1
                                       : int(found - kRs232Rates.cbegin());
}

QStringList LinBitRateEntries()
{
    return {QStringLiteral("2400"),
            QStringLiteral("9600"),
            QStringLiteral("19200"),
            QStringLiteral("1000...20000")};
}

int LinRateIndex(std::uint32_t rate)
{
    const auto found = std::find(kLinRates.cbegin(), kLinRates.cend(), rate);
    return found == kLinRates.cend() ? kLinUserRateIndex : int(found - kLinRates.cbegin());
}

QStringList CanForwardEntries()
{
    return {QStringLiteral("NONE"),
            QStringLiteral("LIN"),
            QStringLiteral("RS-232"),
            QStringLiteral("LIN & RS-232 ")};
}

QStringList LinForwardEntries()
{
    return {QStringLiteral("NONE"),
            QStringLiteral("CAN"),
            QStringLiteral("RS-232"),
            QStringLiteral("CAN & RS-232")};
}

bool IsHexText(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), isHexDigit);
}

bool IsDecimalText(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

std::uint32_t HexValue(const QString &text)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 16);
    if (!ok || !IsHexText(text))
        return 0;
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : std::uint32_t(value);
}

QString PadHex(const QString &text, int length)
{
    return text.toUpper().rightJustified(length, QLatin1Char('0'));
}

QString HexText(std::uint32_t value, int digits)
{
    return PadHex(QString::number(value, 16), digits);
}

QString FitIdField(const QString &text, int length)
{
    QString fitted = PadHex(text, length);
    const std::uint32_t value = HexValue(fitted);
    if (length == kId29Digits && value > 0x1FFFFFFF)
        return QStringLiteral("1FFFFFFF");
    if (length == kId11Digits) {
        if (value > 0x7FF)
            fitted = QStringLiteral("7FF");
        return fitted.right(kId11Digits);
    }
    return fitted;
}

QString LeftUserLinRate(const QString &text)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 10);
    if (!ok || !IsDecimalText(text))
        return QString::number(kDefaultLinRate);
    return QString::number(std::clamp<qulonglong>(value, kMinUserLinRate, kMaxUserLinRate));
}

} // namespace vxl
