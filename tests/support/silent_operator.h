#pragma once

#include "core/operations/operator_interface.h"

#include <cstdio>

namespace vxl::test {

// Nobody answers: every box is closed, every prompt and dialog cancelled. For programs that
// drive the operations without a user (fuzz targets, benchmarks); the scripted operator is for
// tests that assert what the user saw. With echoBoxes the texts of the boxes go to stderr.
class SilentOperator : public OperatorInterface
{
public:
    explicit SilentOperator(View current = View::Advanced, bool echoBoxes = false)
        : m_current(current)
        , m_echoBoxes(echoBoxes)
    {}

    BoxResult ShowMessage(BoxKind kind, const QString &text) override
    {
        if (m_echoBoxes)
            std::fprintf(stderr, "box %d: %s\n", int(kind), qPrintable(text));
        return BoxResult::Closed;
    }
    void ShowPlainMessage(const QString &text) override
    {
        if (m_echoBoxes)
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void ShowNotice(const QString &, int) override {}
    void SetPanelColor(std::uint32_t) override {}
    void SetStatusText(int, const QString &) override {}
    QString PromptFile(const FilePrompt &) override { return {}; }
    void OpenConnectDialog(int, int, int) override {}
    std::optional<ConnectChoice> ExecConnectDialog() override { return std::nullopt; }
    void CloseConnectDialog() override {}
    std::optional<std::vector<LIN_SchedulerEntry>> EditSchedulerEntries(
        const std::vector<LIN_SchedulerEntry> &, bool) override
    {
        return std::nullopt;
    }
    void ShowFrameTable(const LIN_Group &) override {}
    View CurrentView() const override { return m_current; }
    void SwitchView(View) override {}
    bool NewProfileFromModule(const ModuleConfig &) override { return false; }
    std::optional<ModuleConfig> CurrentProfile() const override { return std::nullopt; }
    QString ProfileFileName() const override { return {}; }
    bool ProfileModified() const override { return false; }

private:
    View m_current;
    bool m_echoBoxes;
};

} // namespace vxl::test
