#pragma once

#include "core/operations/operator_interface.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace vxl {
class Operations;
}

namespace vxl::test {

// Answers every box from a queue and records every text the user would have seen.
class ScriptedOperator : public OperatorInterface
{
public:
    struct Box
    {
        BoxKind kind;
        QString text;
        QString statusLine; // the connection line while the box was open
    };

    // Answers for the Question and Confirmation boxes to come, in order; `defaultAnswer` when
    // the queue is empty. Error and Information boxes are closed.
    std::deque<BoxResult> answers;
    BoxResult defaultAnswer = BoxResult::Yes;
    // While a box is "open" the event loop keeps running this long (re-entrancy).
    int boxOpenMs = 0;
    // Runs while a box is "open", before it is answered: what happens meanwhile.
    std::function<void(BoxKind, const QString &)> whileOpen;

    std::vector<Box> boxes;
    QStringList plainMessages;
    QStringList notices;
    std::vector<std::uint32_t> colors;
    QString statusLine;
    QStringList hints;

    // The connection dialog: one entry per Exec, nullopt = Cancel.
    std::deque<std::optional<ConnectChoice>> connectChoices;
    int connectDialogsOpened = 0;
    int connectDialogExecs = 0;

    // The scheduler entries dialog: what it was given, and what it hands back.
    std::function<
        std::optional<std::vector<LIN_SchedulerEntry>>(const std::vector<LIN_SchedulerEntry> &, bool)>
        entriesDialog;
    std::vector<std::vector<LIN_SchedulerEntry>> entriesShown;
    std::vector<bool> entriesEditable;
    std::vector<LIN_Group> framesShown;

    View view = View::ModuleData;
    Operations *ops = nullptr; // SwitchView runs the activation actions when set
    std::optional<ModuleConfig> profile;
    QString profileFile;
    bool profileModified = false;
    std::vector<ModuleConfig> newProfiles;
    // File dialogs: every prompt shown, and the answers in order (empty = Cancel). With none
    // left, a save dialog answers saveFileAnswer and an open dialog Cancel.
    std::vector<FilePrompt> filePrompts;
    std::deque<QString> fileAnswers;
    QString saveFileAnswer;
    // While set, a file dialog stays "open": the event loop runs for boxOpenMs, then this is
    // called (re-entrancy).
    std::function<void()> whileFilePromptOpen;

    // OperatorInterface
    BoxResult ShowMessage(BoxKind kind, const QString &text) override;
    void ShowPlainMessage(const QString &text) override { plainMessages << text; }
    void ShowNotice(const QString &text, int displayMs) override;
    void SetPanelColor(std::uint32_t systemColor) override { colors.push_back(systemColor); }
    void SetStatusText(int panel, const QString &text) override;
    QString PromptFile(const FilePrompt &prompt) override;
    void OpenConnectDialog(int, int, int) override { ++connectDialogsOpened; }
    std::optional<ConnectChoice> ExecConnectDialog() override;
    void CloseConnectDialog() override {}
    std::optional<std::vector<LIN_SchedulerEntry>> EditSchedulerEntries(
        const std::vector<LIN_SchedulerEntry> &entries, bool editable) override;
    void ShowFrameTable(const LIN_Group &lin) override { framesShown.push_back(lin); }
    View CurrentView() const override { return view; }
    void SwitchView(View target) override;
    bool NewProfileFromModule(const ModuleConfig &module) override
    {
        newProfiles.push_back(module);
        return true;
    }
    std::optional<ModuleConfig> CurrentProfile() const override { return profile; }
    QString ProfileFileName() const override { return profileFile; }
    bool ProfileModified() const override { return profileModified; }

    // The texts of the boxes shown, in order.
    [[nodiscard]] QStringList boxTexts() const;
    [[nodiscard]] QStringList boxTexts(BoxKind kind) const;
};

} // namespace vxl::test
