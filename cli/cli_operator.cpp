#include "cli/cli_operator.h"

#include "cli/module_record.h"

#include <cstdio>

namespace vxl::cli {

CliOperator::CliOperator(bool yes)
    : m_yes(yes)
{
    m_answerer = [this](const QString &question) { return AnswerFromYesFlag(question); };
}

BoxResult CliOperator::AnswerFromYesFlag(const QString &)
{
    if (m_yes)
        return BoxResult::Yes;
    m_refused = true;
    return BoxResult::No;
}

void CliOperator::ClearRecords()
{
    m_errors.clear();
    m_informations.clear();
    m_notices.clear();
    m_refused = false;
}

void CliOperator::Print(const QString &text)
{
    QString line = text;
    line.remove(QLatin1Char('\r'));
    if (auto *record = CapturedRecord()) {
        for (const QString &part : line.split(QLatin1Char('\n')))
            record->AddMessage(part);
        return;
    }
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

BoxResult CliOperator::ShowMessage(BoxKind kind, const QString &text)
{
    switch (kind) {
    case BoxKind::Error:
        m_errors << text;
        Print(QStringLiteral("Error: ") + text);
        return BoxResult::Closed;
    case BoxKind::Information:
        m_informations << text;
        Print(text);
        return BoxResult::Closed;
    case BoxKind::Question:
    case BoxKind::Confirmation:
        break;
    }
    const BoxResult answer = m_answerer(text);
    Print(text + (answer == BoxResult::Yes ? QStringLiteral(" YES") : QStringLiteral(" NO")));
    if (m_refused && answer != BoxResult::Yes)
        Print(QStringLiteral("vexalin-cli: refused; run with --yes to answer YES"));
    return answer;
}

void CliOperator::ShowNotice(const QString &text, int)
{
    if (text.isEmpty())
        return;
    m_notices << text;
    Print(text);
}

} // namespace vxl::cli
