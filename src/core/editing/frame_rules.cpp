#include "core/editing/frame_rules.h"

#include "core/profiles/profile_document.h"

#include <QRegularExpression>

#include <algorithm>

namespace vxl {

namespace {

LIN_FrameEntry &frame(LIN_Group &lin, int n)
{
    return lin.Frames[static_cast<std::size_t>(n)];
}

const LIN_FrameEntry &frame(const LIN_Group &lin, int n)
{
    return lin.Frames[static_cast<std::size_t>(n)];
}

int clampLength(int length)
{
    return std::clamp(length, 0, kFrameDataBytes);
}

} // namespace

std::optional<std::pair<int, int>> ParseIdRange(const QString &text)
{
    static const QRegularExpression range(
        QStringLiteral("^\\s*(\\d{1,2})\\s*-\\s*(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch match = range.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int from = match.captured(1).toInt();
    const int to = match.captured(2).toInt();
    if (from > to || to > kMaxLinId)
        return std::nullopt;
    return std::pair{from, to};
}

QString LengthCellText(const LIN_Group &lin, int n)
{
    return QString::number(GetNibble(lin.FrameLengths, n));
}

QString ChecksumCellText(const LIN_Group &lin, int n)
{
    return TestBit(lin.FrameFormats, n) ? QStringLiteral("ENHANCED") : QStringLiteral("CLASSIC");
}

QString DirectionCellText(const LIN_Group &lin, int n)
{
    return frame(lin, n).Active ? QStringLiteral("Publisher") : QStringLiteral("Subscriber");
}

QString DataCellText(const LIN_Group &lin, int n)
{
    const LIN_FrameEntry &entry = frame(lin, n);
    if (!entry.Active)
        return {};
    QString text;
    const int count = FrameByteCount(lin, n);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("%1  ")
                    .arg(int(entry.Data[std::size_t(i)]), 2, 16, QLatin1Char('0'))
                    .toUpper();
    return text;
}

void ApplyColumnDefault(LIN_Group &lin, const LIN_Group &defaults, int n, FrameColumn column)
{
    const LIN_FrameEntry &standard = frame(defaults, n);
    LIN_FrameEntry &entry = frame(lin, n);
    switch (column) {
    case FrameColumn::Length: {
        const int length = GetNibble(defaults.FrameLengths, n);
        SetNibble(lin.FrameLengths, n, length);
        entry.Length = static_cast<std::uint8_t>(length);
        return;
    }
    case FrameColumn::ChecksumType:
        SetBit(lin.FrameFormats, n, TestBit(defaults.FrameFormats, n) != 0);
        return;
    case FrameColumn::Activation:
        entry.Active = standard.Active;
        SetBit(lin.SlaveMask, n, standard.Active != 0);
        return;
    case FrameColumn::DataFields: {
        const int count = clampLength(standard.Length);
        std::copy_n(standard.Data.cbegin(), count, entry.Data.begin());
        return;
    }
    }
}

void ApplyFrameDefaults(LIN_Group &lin, const LIN_Group &defaults, int n)
{
    for (const FrameColumn column : {FrameColumn::Length,
                                     FrameColumn::ChecksumType,
                                     FrameColumn::Activation,
                                     FrameColumn::DataFields})
        ApplyColumnDefault(lin, defaults, n, column);
}

void ApplyDefaultTables(LIN_Group &lin, const LIN_Group &defaults)
{
    lin.FrameLengths = defaults.FrameLengths;
    lin.FrameFormats = defaults.FrameFormats;
    lin.Frames = defaults.Frames;
    const int slaveId = std::clamp(int(defaults.SlaveIdData.ID), 0, kMaxLinId);
    lin.SlaveIdData = frame(defaults, slaveId);
}

FrameEdit FrameEditOf(const LIN_Group &lin, int n)
{
    const LIN_FrameEntry &entry = frame(lin, n);
    FrameEdit edit;
    // The table shows the length from the frame lengths; the editor must start from the same.
    edit.length = FrameByteCount(lin, n);
    edit.enhanced = TestBit(lin.FrameFormats, n) != 0;
    edit.publisher = entry.Active != 0;
    edit.data = entry.Data;
    edit.id = n;
    return edit;
}

void ApplyFrameEdit(LIN_Group &lin, int m, const FrameEdit &edit)
{
    const int length = clampLength(edit.length);
    LIN_FrameEntry &entry = frame(lin, m);
    SetNibble(lin.FrameLengths, m, length);
    entry.Length = static_cast<std::uint8_t>(length);
    SetBit(lin.FrameFormats, m, edit.enhanced);
    entry.Active = edit.publisher ? 1 : 0;
    SetBit(lin.SlaveMask, m, edit.publisher);
    std::copy_n(edit.data.cbegin(), length, entry.Data.begin());
    if (lin.SlaveIdData.ID == m)
        lin.SlaveIdData = entry;
}

QString HexByteText(const QString &text)
{
    return QStringLiteral("%1").arg(int(HexByteValue(text)), 2, 16, QLatin1Char('0')).toUpper();
}

std::uint8_t HexByteValue(const QString &text)
{
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok, 16);
    if (!ok || value > 0xFF)
        return 0;
    return static_cast<std::uint8_t>(value);
}

QString FrameEditorTitle(int id, bool multiple)
{
    if (multiple)
        return QStringLiteral("Editing multiple IDs");
    const QString hex = QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("Editing Frame-ID: %1 (0x%2)").arg(id).arg(hex);
}

LIN_Group DefaultFrameConfig()
{
    LIN_Group defaults = ModuleConfig::NewProfile().LIN;
    clsVLINXMLProfile profile;
    if (!profile.LoadDefault() || !profile.ReadLIN(&defaults))
        return ModuleConfig::NewProfile().LIN;
    return defaults;
}

} // namespace vxl
