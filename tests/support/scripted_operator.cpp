#include "scripted_operator.h"

#include "core/operations/operations.h"

#include <QTest>

namespace vxl::test {

BoxResult ScriptedOperator::ShowMessage(BoxKind kind, const QString &text)
{
    boxes.push_back({kind, text, statusLine});
    if (boxOpenMs > 0)
        QTest::qWait(boxOpenMs);
    if (whileOpen)
        whileOpen(kind, text);
    // Error and Information boxes only have "Close".
    if (kind != BoxKind::Question && kind != BoxKind::Confirmation)
        return BoxResult::Closed;
    if (answers.empty())
        return defaultAnswer;
    const BoxResult answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedOperator::ShowNotice(const QString &text, int)
{
    notices << text;
}

void ScriptedOperator::SetStatusText(int panel, const QString &text)
{
    if (panel == 0)
        statusLine = text;
    else
        hints << text;
}

QString ScriptedOperator::PromptFile(const FilePrompt &prompt)
{
    filePrompts.push_back(prompt);
    if (whileFilePromptOpen) {
        if (boxOpenMs > 0)
            QTest::qWait(boxOpenMs);
        whileFilePromptOpen();
    }
    if (fileAnswers.empty())
        return prompt.save ? saveFileAnswer : QString();
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<ConnectChoice> ScriptedOperator::ExecConnectDialog()
{
    ++connectDialogExecs;
    if (connectChoices.empty())
        return std::nullopt;
    auto choice = connectChoices.front();
    connectChoices.pop_front();
    return choice;
}

std::optional<std::vector<LIN_SchedulerEntry>> ScriptedOperator::EditSchedulerEntries(
    const std::vector<LIN_SchedulerEntry> &entries, bool editable)
{
    entriesShown.push_back(entries);
    entriesEditable.push_back(editable);
    if (entriesDialog)
        return entriesDialog(entries, editable);
    return std::nullopt;
}

void ScriptedOperator::SwitchView(View target)
{
    view = target;
    if (ops)
        ops->ActivateView(target);
}

QStringList ScriptedOperator::boxTexts() const
{
    QStringList out;
    for (const auto &box : boxes)
        out << box.text;
    return out;
}

QStringList ScriptedOperator::boxTexts(BoxKind kind) const
{
    QStringList out;
    for (const auto &box : boxes) {
        if (box.kind == kind)
            out << box.text;
    }
    return out;
}

} // namespace vxl::test
