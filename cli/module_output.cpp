#include "cli/module_output.h"

#include "cli/cli_operator.h"
#include "cli/command_line.h"
#include "core/module/module_refusals.h"

#include <QJsonArray>

#include <algorithm>

namespace vxl::cli {

namespace {

template<typename T, std::size_t N>
QJsonArray arrayOf(const std::array<T, N> &values)
{
    QJsonArray out;
    for (const auto v : values)
        out.append(qint64(v));
    return out;
}

// A value the module refused to report is null: its fields hold the return code.
QJsonValue unlessRefused(bool refused, const QJsonValue &value)
{
    return refused ? QJsonValue(QJsonValue::Null) : value;
}

QJsonObject frameJson(const LIN_FrameEntry &entry)
{
    QJsonArray data;
    for (int j = 0; j < std::min<int>(entry.Length, kFrameDataBytes); ++j)
        data.append(entry.Data[std::size_t(j)]);
    return {{QStringLiteral("id"), entry.ID},
            {QStringLiteral("active"), entry.Active},
            {QStringLiteral("length"), entry.Length},
            {QStringLiteral("data"), data}};
}

QJsonObject canJson(const CAN_Group &can, const ReadRefusals &r)
{
    return {{QStringLiteral("active"), can.Active},
            {QStringLiteral("baudrate"), unlessRefused(r.canBaudrate, can.Baudrate)},
            {QStringLiteral("forwardMask"), can.ForwardMask},
            {QStringLiteral("filterMask"), unlessRefused(r.canFilterMask, qint64(can.FilterMask))},
            {QStringLiteral("filterCode"), unlessRefused(r.canFilterCode, qint64(can.FilterCode))},
            {QStringLiteral("idOffset"), unlessRefused(r.canIdOffset, qint64(can.IdOffset))},
            {QStringLiteral("errorCounters"),
             unlessRefused(r.canErrorCounters, arrayOf(can.ErrorCounters))},
            {QStringLiteral("errorId"), unlessRefused(r.canErrorId, qint64(can.ErrorId))},
            {QStringLiteral("replyStatus"), arrayOf(can.ReplyStatus)}};
}

QJsonObject linJson(const LIN_Group &lin, const ReadRefusals &r)
{
    QJsonArray entries;
    for (int i = 0; i < std::min<int>(lin.SchedulerCount, kMaxSchedulerEntries); ++i) {
        const auto &entry = lin.SchedulerEntries[std::size_t(i)];
        entries.append(unlessRefused(r.schedulerEntries[std::size_t(i)],
                                     QJsonObject{{QStringLiteral("time"), entry.Time},
                                                 {QStringLiteral("id"), entry.ID}}));
    }
    QJsonArray frames;
    for (std::size_t i = 0; i < lin.Frames.size(); ++i)
        frames.append(unlessRefused(r.frames[i], frameJson(lin.Frames[i])));
    return {{QStringLiteral("active"), lin.Active},
            {QStringLiteral("baudrate"), unlessRefused(r.linBaudrate, lin.Baudrate)},
            {QStringLiteral("forwardMask"), lin.ForwardMask},
            {QStringLiteral("filterMask"), lin.FilterMask},
            {QStringLiteral("filterCode"), lin.FilterCode},
            {QStringLiteral("masterStatus"), lin.MasterStatus},
            {QStringLiteral("busTermination"), lin.BusTermination},
            {QStringLiteral("messageTimeouts"),
             unlessRefused(r.messageTimeouts, arrayOf(lin.MessageTimeouts))},
            {QStringLiteral("retries"), lin.Retries},
            {QStringLiteral("schedulerCount"), lin.SchedulerCount},
            {QStringLiteral("schedulerEntries"), entries},
            {QStringLiteral("errorCounters"),
             unlessRefused(r.linErrorCounters, arrayOf(lin.ErrorCounters))},
            {QStringLiteral("bitRecognitionStatus"), lin.BitRecognitionStatus},
            {QStringLiteral("slaveMask"), unlessRefused(r.slaveMask, arrayOf(lin.SlaveMask))},
            {QStringLiteral("frameLengths"),
             unlessRefused(r.frameLengths, arrayOf(lin.FrameLengths))},
            {QStringLiteral("frameFormats"),
             unlessRefused(r.frameFormats, arrayOf(lin.FrameFormats))},
            {QStringLiteral("slaveIdData"),
             unlessRefused(r.slaveIdData, frameJson(lin.SlaveIdData))},
            {QStringLiteral("frames"), frames},
            {QStringLiteral("slaveActivationId"),
             unlessRefused(r.slaveActivationId, qint64(lin.SlaveActivationId))},
            {QStringLiteral("replyStatus"), arrayOf(lin.ReplyStatus)}};
}

} // namespace

QJsonObject ModuleJson(const ModuleConfig &module)
{
    const auto &mod = module.Module;
    const QJsonObject identity{{QStringLiteral("hardware"), mod.HardwareText},
                               {QStringLiteral("hardwareStatus"), mod.HardwareStatus},
                               {QStringLiteral("firmware"), mod.FirmwareText},
                               {QStringLiteral("firmwareStatus"), mod.FirmwareStatus},
                               {QStringLiteral("buildMode"), mod.BuildMode},
                               {QStringLiteral("buildModeText"), BuildModeText(mod.BuildMode)}};
    const ReadRefusals refusals = RefusalsOf(module);
    const QJsonObject rs232{{QStringLiteral("baudrate"),
                             unlessRefused(refusals.rs232Baudrate, qint64(module.RS232.Baudrate))},
                            {QStringLiteral("errorCounters"),
                             unlessRefused(refusals.rs232ErrorCounters,
                                           arrayOf(module.RS232.ErrorCounters))},
                            {QStringLiteral("replyStatus"), arrayOf(module.RS232.ReplyStatus)}};
    return {{QStringLiteral("module"), identity},
            {QStringLiteral("rs232"), rs232},
            {QStringLiteral("can"), canJson(module.CAN, refusals)},
            {QStringLiteral("lin"), linJson(module.LIN, refusals)}};
}

QStringList GridLines(const ModuleConfig &module, const GridTexts &grid)
{
    const auto &mod = module.Module;
    QStringList lines{QStringLiteral("Hardware: ") + mod.HardwareText.trimmed(),
                      QStringLiteral("Firmware: ") + mod.FirmwareText.trimmed(),
                      QStringLiteral("Build: ") + BuildModeText(mod.BuildMode),
                      QString()};
    // Separator cells (a row of dashes) take the width of their column, not their own.
    const auto separator = [](const QString &cell) {
        return !cell.isEmpty() && cell.count(QLatin1Char('-')) == cell.size();
    };
    std::array<qsizetype, kGridColumns> widths{};
    for (const auto &row : grid)
        for (std::size_t c = 0; c < std::size_t(kGridColumns); ++c)
            if (!separator(row[c]))
                widths[c] = std::max(widths[c], row[c].size());
    for (const auto &row : grid) {
        QString line;
        for (std::size_t c = 0; c < std::size_t(kGridColumns); ++c) {
            QString cell = separator(row[c]) ? QString(widths[c], QLatin1Char('-')) : row[c];
            cell.replace(QLatin1Char('\n'), QLatin1Char(' '));
            line += c + 1 < std::size_t(kGridColumns) ? cell.leftJustified(widths[c] + 2) : cell;
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        lines << line;
    }
    return lines;
}

QStringList SchedulerLines(const LIN_Group &lin)
{
    QStringList lines;
    for (int i = 0; i < std::min<int>(lin.SchedulerCount, kMaxSchedulerEntries); ++i) {
        const auto &entry = lin.SchedulerEntries[std::size_t(i)];
        lines << QStringLiteral("%1  Time %2 ms  ID %3 (0x%4)")
                     .arg(i + 1, 2)
                     .arg(entry.Time, 5)
                     .arg(entry.ID, 2)
                     .arg(entry.ID, 2, 16, QLatin1Char('0'));
    }
    return lines;
}

void PrintComparison(const ProfileComparison &comparison)
{
    for (const auto &difference : comparison.differences)
        Out(difference.Line());
    for (const auto &skipped : comparison.notCompared)
        CliOperator::Print(QStringLiteral("Not compared: ") + skipped.Line());
    if (!comparison.Equal())
        CliOperator::Print(QStringLiteral("%1 values differ").arg(comparison.differences.size()));
    else
        CliOperator::Print(QStringLiteral("The module holds the profile's values"));
}

} // namespace vxl::cli
