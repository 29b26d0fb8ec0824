#include "ui/main/operator_gui.h"

#include "core/profiles/profile_document.h"
#include "ui/dialogs/busy_notice.h"
#include "ui/dialogs/connect_dialog.h"
#include "ui/dialogs/entries_dialog.h"
#include "ui/dialogs/file_prompt_dialog.h"
#include "ui/dialogs/frames_config_dialog.h"
#include "ui/dialogs/message_box.h"
#include "ui/main/main_window.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace vxl {

GuiOperator::GuiOperator(TfMain &main, ComPortMap portMap)
    : m_main(main)
    , m_portMap(std::move(portMap))
    , m_popup(std::make_unique<TfPopup>(&main))
{}

GuiOperator::~GuiOperator() = default;

BoxResult GuiOperator::ShowMessage(BoxKind kind, const QString &text)
{
    return TfMsg::Ask(&m_main, kind, text);
}

void GuiOperator::ShowPlainMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon,
                    QCoreApplication::applicationName(),
                    text,
                    QMessageBox::Ok,
                    &m_main);
    box.setObjectName(QStringLiteral("PlainMessage"));
    box.exec();
}

void GuiOperator::ShowNotice(const QString &text, int displayMs)
{
    m_popup->ShowNotice(text, displayMs);
}

void GuiOperator::SetPanelColor(std::uint32_t systemColor)
{
    m_main.paintPanels(systemColor);
}

void GuiOperator::SetStatusText(int panel, const QString &text)
{
    m_main.setStatusPanel(panel, text);
}

QString GuiOperator::PromptFile(const FilePrompt &prompt)
{
    return RunFilePrompt(&m_main, prompt);
}

void GuiOperator::OpenConnectDialog(int preselectPort, int rate, int scanCount)
{
    m_connectDialog = std::make_unique<TfInitConnect>(&m_main, 0, preselectPort, m_portMap);
    m_connectDialog->selectBitRate(rate);
    m_connectDialog->setScanCount(scanCount);
}

std::optional<ConnectChoice> GuiOperator::ExecConnectDialog()
{
    if (!m_connectDialog || m_connectDialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return ConnectChoice{m_connectDialog->chosenPort(), m_connectDialog->chosenRate()};
}

void GuiOperator::CloseConnectDialog()
{
    m_connectDialog.reset();
}

std::optional<std::vector<LIN_SchedulerEntry>> GuiOperator::EditSchedulerEntries(
    const std::vector<LIN_SchedulerEntry> &entries, bool editable)
{
    TfEntries dialog(&m_main);
    dialog.setEditable(editable);
    dialog.setEntries(entries);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.entries();
}

void GuiOperator::ShowFrameTable(const LIN_Group &lin)
{
    TfFramesConfig dialog(&m_main);
    dialog.setEditable(false);
    dialog.setLinGroup(lin);
    dialog.exec();
}

View GuiOperator::CurrentView() const
{
    return m_main.currentView();
}

void GuiOperator::SwitchView(View view)
{
    m_main.selectViewFromMenu(view);
}

bool GuiOperator::NewProfileFromModule(const ModuleConfig &module)
{
    return m_main.newProfileFrom(module);
}

std::optional<ModuleConfig> GuiOperator::CurrentProfile() const
{
    const auto &document = m_main.profile();
    if (!document.IsLoaded())
        return std::nullopt;
    ModuleConfig config = ModuleConfig::NewProfile();
    if (!document.ReadAll(&config.RS232.Baudrate, &config.CAN, &config.LIN))
        return std::nullopt;
    return config;
}

QString GuiOperator::ProfileFileName() const
{
    return m_main.profile().FileName();
}

bool GuiOperator::ProfileModified() const
{
    return m_main.profile().IsModified();
}

} // namespace vxl
