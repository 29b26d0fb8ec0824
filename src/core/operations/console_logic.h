#pragma once

#include "core/link/lin_msg.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace vxl {

class OperationContext;

inline constexpr int kParameterEdits = 15;
inline constexpr int kConsoleGroups = 4; // RS-232, CAN, LIN, MODULE

// The command console of the Advanced view: the command lists per group and mode, the
// parameter count and hints, sending a raw command and the message tree of what was sent and
// received.
class ConsoleLogic : public QObject
{
    Q_OBJECT
public:
    struct ListEntry
    {
        QString text;
        int command = -1; // -1: the placeholder or "Nothing to Delete/Reset"
        int params = 0;
    };

    struct Handoffs
    {
        std::function<void()> activateView;  // the current view's activation again
        std::function<void()> resetModule;   // the maintenance Reset
        std::function<void()> readFrameInfo; // the frame tables changed
    };

    ConsoleLogic(OperationContext &context, Handoffs handoffs);

    // Selectors.
    void SetGroup(int group);
    void SetMode(int mode);
    [[nodiscard]] int Group() const { return m_group; }
    [[nodiscard]] int Mode() const { return m_mode; }
    [[nodiscard]] const std::vector<ListEntry> &List() const { return m_list; }
    [[nodiscard]] int Position() const { return m_position; }
    // The command list of a group and mode, as the console shows it.
    [[nodiscard]] static std::vector<ListEntry> CommandList(int group, int mode);
    void SelectEntry(int position);
    [[nodiscard]] std::optional<int> SelectedCommand() const { return m_selected; }

    // Parameters.
    [[nodiscard]] int ParameterCount() const { return m_count; }
    void SetParameterCount(int count);
    // The up/down arrows: every edit from the old count on gets its data-byte hint first.
    void StepParameterCount(int count);
    // The count field was left with this text.
    void ParameterCountEdited(const QString &text);
    [[nodiscard]] QString ParameterText(int index) const { return m_params[std::size_t(index)]; }
    // Typed text (upper-cased and filtered to hexadecimal digits).
    void SetParameterText(int index, const QString &text);
    // The edit was left: padded to two characters.
    void ParameterEditLeft(int index);
    [[nodiscard]] QString Hint(int index) const { return m_hints[std::size_t(index)]; }
    [[nodiscard]] static QString NormalizeParameter(const QString &text);
    [[nodiscard]] static QString FilterParameter(const QString &text);

    // Sending and replies.
    void Send();
    void OnRawCommandReply(const LIN_Msg &msg);
    void OnTimeout();

    // The message tree.
    void AddStatusLine(int group, bool received, const QString &text);
    void ShowStartupText();
    [[nodiscard]] const QStringList &Lines(int group, bool received) const
    {
        return m_tree[std::size_t(group)][received ? 1 : 0];
    }
    void ClearGroup(int group);
    void ClearAll();

    void RefreshCommandSelection();
    void RebuildCommandList();

signals:
    void listChanged();
    void parametersChanged();
    void lineAdded(int group, bool received, const QString &line);
    void linesCleared(int group); // -1: all groups

private:
    void refill();
    void applyCommandHints();
    void firstParameterRules();
    void secondParameterRule();
    [[nodiscard]] int parameterValue(int index) const;
    void setHint(int index, const QString &hint);
    void setCount(int count);
    [[nodiscard]] bool selected(int group, int mode, int command) const;

    OperationContext &m_ctx;
    Handoffs m_handoffs;
    int m_group = 0;
    int m_mode = 0;
    std::vector<ListEntry> m_list;
    int m_position = 0;
    std::optional<int> m_selected;
    int m_count = 0;
    std::array<QString, kParameterEdits> m_params;
    std::array<QString, kParameterEdits> m_hints;
    std::array<std::array<QStringList, 2>, kConsoleGroups> m_tree;
};

} // namespace vxl
