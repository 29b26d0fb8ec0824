#pragma once

#include "core/link/com_port_map.h"
#include "core/operations/operator_interface.h"

#include <memory>

namespace vxl {

class TfMain;
class TfInitConnect;
class TfPopup;

// The operator interface on screen: the application message box, the busy notice and the
// dialogs, with the main window for views, panels and the status bar.
class GuiOperator : public OperatorInterface
{
public:
    GuiOperator(TfMain &main, ComPortMap portMap);
    ~GuiOperator() override;

    [[nodiscard]] TfPopup &Popup() { return *m_popup; }

    BoxResult ShowMessage(BoxKind kind, const QString &text) override;
    void ShowPlainMessage(const QString &text) override;
    void ShowNotice(const QString &text, int displayMs) override;
    void SetPanelColor(std::uint32_t systemColor) override;
    void SetStatusText(int panel, const QString &text) override;
    QString PromptFile(const FilePrompt &prompt) override;
    void OpenConnectDialog(int preselectPort, int rate, int scanCount) override;
    std::optional<ConnectChoice> ExecConnectDialog() override;
    void CloseConnectDialog() override;
    std::optional<std::vector<LIN_SchedulerEntry>> EditSchedulerEntries(
        const std::vector<LIN_SchedulerEntry> &entries, bool editable) override;
    void ShowFrameTable(const LIN_Group &lin) override;
    View CurrentView() const override;
    void SwitchView(View view) override;
    bool NewProfileFromModule(const ModuleConfig &module) override;
    std::optional<ModuleConfig> CurrentProfile() const override;
    QString ProfileFileName() const override;
    bool ProfileModified() const override;

private:
    TfMain &m_main;
    ComPortMap m_portMap;
    std::unique_ptr<TfPopup> m_popup;
    std::unique_ptr<TfInitConnect> m_connectDialog;
};

} // namespace vxl
