#pragma once

#include "core/operations/operator_interface.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace vxl::cli {

// The operator of a terminal run: every box and notice goes to stderr with the text the window
// would show, and questions are answered from the command line instead of by a person. Nothing
// here waits for input, so a script never hangs on a question.
class CliOperator : public OperatorInterface
{
public:
    // Decides a Question or Confirmation box; the default answers "YES" only with --yes.
    using Answerer = std::function<BoxResult(const QString &question)>;

    explicit CliOperator(bool yes = false);

    void SetAnswerer(Answerer answerer) { m_answerer = std::move(answerer); }
    // Answers with --yes, and remembers a refusal so that the run ends with "refused".
    [[nodiscard]] BoxResult AnswerFromYesFlag(const QString &question);

    void SetView(View view) { m_view = view; }
    void SetProfile(std::optional<ModuleConfig> profile) { m_profile = std::move(profile); }
    void SetSaveFileAnswer(const QString &path) { m_saveFile = path; }
    void SetSchedulerAnswer(std::optional<std::vector<LIN_SchedulerEntry>> entries)
    {
        m_entries = std::move(entries);
    }

    // What the user would have seen.
    [[nodiscard]] const QStringList &Errors() const { return m_errors; }
    [[nodiscard]] const QStringList &Informations() const { return m_informations; }
    [[nodiscard]] const QStringList &Notices() const { return m_notices; }
    [[nodiscard]] bool Refused() const { return m_refused; }
    void MarkRefused() { m_refused = true; }
    void ClearRecords();

    // Writes one message line (or several) to stderr, carriage returns dropped.
    static void Print(const QString &text);

    // OperatorInterface
    BoxResult ShowMessage(BoxKind kind, const QString &text) override;
    // A plain message has nothing to answer: it is printed like an error.
    void ShowPlainMessage(const QString &text) override { ShowMessage(BoxKind::Error, text); }
    void ShowNotice(const QString &text, int displayMs) override;
    void SetPanelColor(std::uint32_t) override {}
    void SetStatusText(int, const QString &) override {}
    // Files come from the command line: a save goes to the file it names, nothing is opened by
    // asking.
    QString PromptFile(const FilePrompt &prompt) override
    {
        return prompt.save ? m_saveFile : QString();
    }
    void OpenConnectDialog(int, int, int) override {}
    std::optional<ConnectChoice> ExecConnectDialog() override { return std::nullopt; }
    void CloseConnectDialog() override {}
    // Hands back the entries of the command line instead of showing the module's.
    std::optional<std::vector<LIN_SchedulerEntry>> EditSchedulerEntries(
        const std::vector<LIN_SchedulerEntry> &, bool) override
    {
        return m_entries;
    }
    void ShowFrameTable(const LIN_Group &) override {}
    [[nodiscard]] View CurrentView() const override { return m_view; }
    void SwitchView(View view) override { m_view = view; }
    bool NewProfileFromModule(const ModuleConfig &) override { return false; }
    [[nodiscard]] std::optional<ModuleConfig> CurrentProfile() const override { return m_profile; }
    [[nodiscard]] QString ProfileFileName() const override { return {}; }
    [[nodiscard]] bool ProfileModified() const override { return false; }

private:
    bool m_yes = false;
    Answerer m_answerer;
    View m_view = View::ModuleData;
    std::optional<ModuleConfig> m_profile;
    QString m_saveFile;
    std::optional<std::vector<LIN_SchedulerEntry>> m_entries;
    QStringList m_errors;
    QStringList m_informations;
    QStringList m_notices;
    bool m_refused = false;
};

} // namespace vxl::cli
