#include "core/operations/console_logic.h"

#include "core/link/command_builders.h"
#include "core/link/command_catalogue.h"
#include "core/link/lin_port.h"
#include "core/link/status_text.h"
#include "core/operations/console_hints.h"
#include "core/operations/module_read.h"
#include "core/operations/operation_context.h"

#include <algorithm>

namespace vxl {

namespace {

constexpr int kCan = 1, kLin = 2;
constexpr int kInitWrite = 0, kSet = 2;
constexpr int kWriteOnBus = 1;
constexpr int kSetSlaveData = 41, kSetFrameLength = 43, kSetFrameFormat = 44, kSetSlaveMask = 46;
constexpr auto kRaw = TransactionKind::tkRawCommand;
constexpr int kFlashSaveCode = 3;

QString formatHint(int byteIndex)
{
    QStringList pairs;
    for (int bit = 0; bit < 8; ++bit)
        pairs << QStringLiteral("[%1/%2]").arg(bit).arg(8 * byteIndex + bit);
    return QStringLiteral("Format (0:LIN 1.x/1:LIN 2.0): [Bit N/LIN ID X]: ")
           + pairs.join(QLatin1Char('-'));
}

} // namespace

ConsoleLogic::ConsoleLogic(OperationContext &context, Handoffs handoffs)
    : m_ctx(context)
    , m_handoffs(std::move(handoffs))
{
    for (int i = 0; i < kParameterEdits; ++i) {
        m_params[std::size_t(i)] = QStringLiteral("00");
        m_hints[std::size_t(i)] = QStringLiteral("Parameter to Send number ") + QString::number(i);
    }
    refill();
}

std::vector<ConsoleLogic::ListEntry> ConsoleLogic::CommandList(int group, int mode)
{
    const auto commands = CommandsOf(group, CommandMode(mode));
    if (commands.empty() && group == kCan)
        return {{QStringLiteral("Nothing to Delete/Reset"), -1, 0}};
    std::vector<ListEntry> list{{QStringLiteral("SELECT COMMAND"), -1, 0}};
    for (const auto &info : commands)
        list.push_back({QString::fromLatin1(info.name), info.number, info.params});
    return list;
}

void ConsoleLogic::refill()
{
    m_list = CommandList(m_group, m_mode);
    m_position = 0;
    m_selected.reset();
    setCount(0);
    emit listChanged();
}

void ConsoleLogic::SetGroup(int group)
{
    m_group = std::clamp(group, 0, 2);
    refill();
}

void ConsoleLogic::SetMode(int mode)
{
    m_mode = std::clamp(mode, 0, 3);
    refill();
}

void ConsoleLogic::SelectEntry(int position)
{
    if (position < 0 || position >= int(m_list.size()))
        return;
    m_position = position;
    const auto &entry = m_list[std::size_t(position)];
    if (entry.command < 0) {
        m_selected.reset();
        setCount(0);
        return;
    }
    m_selected = entry.command;
    setCount(entry.params);
    applyCommandHints();
    firstParameterRules();
    secondParameterRule();
    emit parametersChanged();
}

bool ConsoleLogic::selected(int group, int mode, int command) const
{
    return m_group == group && m_mode == mode && m_selected == command;
}

void ConsoleLogic::setHint(int index, const QString &hint)
{
    if (index >= 0 && index < kParameterEdits)
        m_hints[std::size_t(index)] = hint;
}

void ConsoleLogic::setCount(int count)
{
    m_count = std::clamp(count, 0, kParameterEdits);
    emit parametersChanged();
}

void ConsoleLogic::SetParameterCount(int count)
{
    setCount(count);
}

void ConsoleLogic::StepParameterCount(int count)
{
    for (int i = m_count; i < kParameterEdits; ++i)
        setHint(i, DataByteHint(i));
    setCount(count);
}

void ConsoleLogic::ParameterCountEdited(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) {
        emit parametersChanged(); // shows the current count again
        return;
    }
    setCount(std::min(value, kParameterEdits));
}

QString ConsoleLogic::FilterParameter(const QString &text)
{
    QString out;
    for (const QChar ch : text.toUpper()) {
        if (ch.isDigit() || (ch >= QLatin1Char('A') && ch <= QLatin1Char('F')))
            out += ch;
    }
    return out.left(2);
}

QString ConsoleLogic::NormalizeParameter(const QString &text)
{
    return FilterParameter(text).rightJustified(2, QLatin1Char('0'));
}

void ConsoleLogic::SetParameterText(int index, const QString &text)
{
    if (index < 0 || index >= kParameterEdits)
        return;
    m_params[std::size_t(index)] = FilterParameter(text);
    if (index == 0 && m_selected) {
        applyCommandHints();
        firstParameterRules();
    } else if (index == 1 && m_selected) {
        secondParameterRule();
    }
    emit parametersChanged();
}

void ConsoleLogic::ParameterEditLeft(int index)
{
    if (index < 0 || index >= kParameterEdits)
        return;
    m_params[std::size_t(index)] = NormalizeParameter(m_params[std::size_t(index)]);
    emit parametersChanged();
}

int ConsoleLogic::parameterValue(int index) const
{
    bool ok = false;
    const int value = m_params[std::size_t(index)].toInt(&ok, 16);
    return ok ? value : 0;
}

void ConsoleLogic::applyCommandHints()
{
    if (!m_selected)
        return;
    for (const auto &[index, hint] : CommandHints(m_group, m_mode, *m_selected))
        setHint(index, hint);
}

void ConsoleLogic::firstParameterRules()
{
    m_ctx.Operator().SetStatusText(1, m_hints[0]);
    const int v = parameterValue(0);
    // Each rule belongs to one command: other commands of the same group and mode (LIN
    // "Initialization according to Current Params." takes no parameters) keep their count.
    if (selected(kCan, kInitWrite, kWriteOnBus))
        canWriteRule(v);
    else if (selected(kLin, kInitWrite, kWriteOnBus))
        linWriteRule(v);
    else if (selected(kLin, kSet, kSetFrameLength))
        frameLengthRule(v);
    else if (selected(kLin, kSet, kSetFrameFormat) || selected(kLin, kSet, kSetSlaveMask))
        formatOrSlaveMaskRule(v, selected(kLin, kSet, kSetFrameFormat));
}

void ConsoleLogic::canWriteRule(int v)
{
    int count = 0;
    if (v < 0x80) {
        count = 3;
        setHint(1, QStringLiteral("STD Frm: LSB ID - Expl: 0x(7FF) P01 == \"FF\""));
        setHint(2, QStringLiteral("STD Frm: MSB ID - Expl: 0x(7FF) P02 == \"07\""));
    } else {
        count = 5;
        setHint(1, QStringLiteral("EXT Frm: First ID Byte (LSB) - Expl: 0x1ABBCCDD P01 == \"DD\""));
        setHint(2, QStringLiteral("EXT Frm: Second ID Byte - Expl: 0x1ABBCCDD P02 == \"CC\""));
        setHint(3, QStringLiteral("EXT Frm: Third ID Byte - Expl: 0x1ABBCCDD P03 == \"BB\""));
        setHint(4, QStringLiteral("EXT Frm: Fourth ID Byte (MSB) - Expl: 0x1ABBCCDD P04 == \"1A\""));
    }
    const int firstData = count;
    if ((v & 0x40) == 0)
        count += v & 0x0F;
    count = std::min(count, kParameterEdits);
    for (int i = firstData; i < count; ++i)
        setHint(i,
                QStringLiteral("Data Byte [") + QString::number(i - firstData)
                    + QStringLiteral("]"));
    setCount(count);
}

void ConsoleLogic::linWriteRule(int v)
{
    if (v >= 0x40) {
        setCount(1);
        if (v <= 0x7F)
            m_ctx.Operator().SetStatusText(1,
                                           QStringLiteral(
                                               "Range between 0x40 and 0x7F is not possible"));
        return;
    }
    struct Range
    {
        int count;
        const char *words;
    };
    const Range range = v < 0x20 ? Range{2, "between 0 and 1F are TWO"}
                                 : (v < 0x30 ? Range{4, "between 20 and 2F are FOUR"}
                                             : Range{8, "between 30 and 3F are EIGHT"});
    for (int j = 0; j < range.count; ++j)
        setHint(1 + j,
                QStringLiteral("Data Byte [%1] - ID %2 Data Bytes")
                    .arg(j)
                    .arg(QLatin1String(range.words)));
    setCount(range.count + 1);
}

void ConsoleLogic::dataByteHintsFromSecond()
{
    for (int i = 1; i < kParameterEdits; ++i)
        setHint(i, DataByteHint(i));
}

void ConsoleLogic::frameLengthRule(int v)
{
    if (v <= 3) {
        for (int j = 0; j < 8; ++j)
            setHint(1 + j,
                    QStringLiteral(
                        "Bit 3-0: Frame length LINID %1. Bit 7-4: Frame length LINID %2.")
                        .arg(16 * v + 2 * j)
                        .arg(16 * v + 2 * j + 1));
        setCount(9);
    } else if (v == 4) {
        setHint(1, QStringLiteral("LIN ID.  Range (0..63 / 0..3F) "));
        setHint(2, QStringLiteral("Frame Length (1-8)"));
        setCount(3);
    } else {
        dataByteHintsFromSecond();
        setCount(1);
    }
}

void ConsoleLogic::formatOrSlaveMaskRule(int v, bool frameFormat)
{
    if (v == 0) {
        for (int j = 0; j < 8; ++j)
            setHint(1 + j, formatHint(j));
        setCount(9);
    } else if (v == 1) {
        setHint(1, QStringLiteral("LIN ID.  Range (0..63 / 0..3F) "));
        setHint(2,
                frameFormat
                    ? QStringLiteral("Frame Format (0/1) - 0: LIN 1.x - 1: LIN 2.0")
                    : QStringLiteral(
                        "Slave Activation (0/1) - 0: Deactivate Slave - 1: Activate Slave"));
        setCount(3);
    } else {
        dataByteHintsFromSecond();
    }
}

void ConsoleLogic::secondParameterRule()
{
    if (!selected(kLin, kSet, kSetSlaveData))
        return;
    const int id = parameterValue(1);
    const auto &module = m_ctx.ModuleCopy();
    const int n = id > kMaxLinId ? 0 : SlaveDataLength(module, id);
    for (int j = 0; j < n; ++j)
        setHint(2 + j, QStringLiteral("Data Byte [%1] - Data Bytes %2/%3").arg(j).arg(j + 1).arg(n));
    setCount(n + 2);
}

void ConsoleLogic::Send()
{
    const QString entryText = m_list.empty() ? QString() : m_list[std::size_t(m_position)].text;
    if (entryText.startsWith(QLatin1String("SELECT"))) {
        m_ctx.Information(QStringLiteral("Select a command to execute please"));
        return;
    }
    if (entryText.startsWith(QLatin1String("Nothing"))) {
        m_ctx.Information(QStringLiteral(
            "There are not commands for this combination Interface / Command Group"));
        return;
    }
    if (!m_ctx.IsConnected()) {
        m_ctx.Error(QString::fromLatin1(kNoActiveConnection));
        return;
    }
    // An identification that timed out meanwhile has told the user and dropped the connection.
    m_ctx.AwaitIdentification();
    if (!m_ctx.IsConnected() || !m_ctx.IsIdle() || !m_selected)
        return;
    m_ctx.PaintBusy();
    const int g = m_group;
    std::vector<std::uint8_t> data;
    for (int i = 0; i < m_count; ++i)
        data.push_back(std::uint8_t(parameterValue(i)));
    QString frame;
    const int status = m_count > 0 ? SendCommandData(m_ctx.Link(), g, *m_selected, g, data, &frame)
                                   : SendCommand(m_ctx.Link(), g, *m_selected, g, &frame);
    if (status != 0)
        return;
    auto &engine = m_ctx.Engine();
    engine.SetRawCommand(g, *m_selected);
    engine.BeginTransaction(kRaw);
    static const char *const modes[] = {"Initialization and Write", "Read", "Set", "Delete / Reset"};
    AddStatusLine(g,
                  false,
                  QLatin1String(modes[m_mode]) + QStringLiteral(":- ") + entryText
                      + QStringLiteral("    |    raw-command [") + frame + QStringLiteral("]"));
}

void ConsoleLogic::OnRawCommandReply(const LIN_Msg &msg)
{
    auto &engine = m_ctx.Engine();
    engine.EndTransaction(kRaw);
    if (engine.RefreshAfterDefaults()) {
        engine.SetRefreshAfterDefaults(false);
        m_handoffs.activateView();
    }
    bool asked = false;
    // The question is about a profile just stored in flash: only the flash save's reply may ask
    // it. Any other reply (Defaults, a console command) leaves the tick to the send that set it.
    if (engine.RawCode() == kFlashSaveCode && m_ctx.FlashWriteTicked()) {
        m_ctx.SetFlashWriteTicked(false);
        if (m_ctx.Operator().CurrentView() == View::Profiles) {
            asked = true;
            if (m_ctx.Confirm(QStringLiteral(
                    "The profile was saved in the flash memory of the module. A module's reset "
                    "must "
                    "be issued in order to use the new configuration. Do you want to this now?")))
                m_handoffs.resetModule();
            else
                m_handoffs.activateView();
        }
    }
    const int sequence = HeaderField(msg.header, 1);
    if (sequence <= 3) {
        QString line;
        for (int i = 0; i < ReplyDataCount(msg); ++i)
            line += QStringLiteral("0x")
                    + QString::number(msg.data[std::size_t(i)], 16)
                          .toUpper()
                          .rightJustified(2, QLatin1Char('0'))
                    + QStringLiteral(" - ");
        line += QStringLiteral("    |    raw-command [") + FormatFrame(msg) + QStringLiteral("]");
        AddStatusLine(sequence, true, line);
    }
    if (engine.RawCode() == 43)
        m_handoffs.readFrameInfo();
    if (engine.RawCode() == kFlashSaveCode && !asked)
        m_handoffs.resetModule();
}

void ConsoleLogic::OnTimeout()
{
    auto &engine = m_ctx.Engine();
    AddStatusLine(engine.RawGroup(),
                  true,
                  OperatorMessage(3,
                                  std::uint32_t(m_ctx.Settings().Timeout),
                                  std::uint32_t(engine.RawGroup())
                                      + 256u * std::uint32_t(engine.RawCode())));
    if (engine.DefaultsRateWarning()) {
        engine.SetDefaultsRateWarning(false);
        m_ctx.Error(
            QStringLiteral("Connection lost because Bit rate change.  Please connect again with a "
                           "Bit rate of 38400 bit/s"));
    } else {
        m_ctx.Error(
            OperatorMessage(7, std::uint32_t(engine.RawGroup()), std::uint32_t(engine.RawCode())));
    }
    m_ctx.Link().SetBinaryMode(true);
}

void ConsoleLogic::AddStatusLine(int group, bool received, const QString &text)
{
    if (group < 0 || group >= kConsoleGroups)
        return;
    auto &lines = m_tree[std::size_t(group)][received ? 1 : 0];
    const QString line = QString::number(lines.size()) + QStringLiteral(" - ") + text;
    lines << line;
    emit lineAdded(group, received, line);
}

void ConsoleLogic::ShowStartupText()
{
    auto &lines = m_tree[3][1];
    const QString line = QString::number(lines.size()) + QStringLiteral(":- ")
                         + m_ctx.Link().TakeStartupText();
    lines << line;
    emit lineAdded(3, true, line);
}

void ConsoleLogic::ClearGroup(int group)
{
    if (group < 0 || group >= kConsoleGroups)
        return;
    for (auto &lines : m_tree[std::size_t(group)])
        lines.clear();
    emit linesCleared(group);
}

void ConsoleLogic::ClearAll()
{
    for (auto &node : m_tree)
        for (auto &lines : node)
            lines.clear();
    emit linesCleared(-1);
}

void ConsoleLogic::RefreshCommandSelection()
{
    if (m_position < 0 || m_position >= int(m_list.size()))
        return;
    const int command = m_list[std::size_t(m_position)].command;
    m_selected = command < 0 ? std::nullopt : std::optional<int>(command);
}

void ConsoleLogic::RebuildCommandList()
{
    const int position = m_position;
    const int count = m_count;
    refill();
    if (position >= 0 && position < int(m_list.size()))
        m_position = position;
    RefreshCommandSelection();
    setCount(count);
    emit listChanged();
}

} // namespace vxl
