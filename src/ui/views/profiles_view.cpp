#include "ui/views/profiles_view.h"

#include "core/operations/operations.h"
#include "core/operations/profile_files.h"
#include "core/operations/profile_send.h"
#include "ui/views/profile_editor.h"
#include "ui/views/profile_file_panel.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vxl {

ProfilesView::ProfilesView(Operations &ops, ProfileFiles &files, QWidget *parent)
    : QWidget(parent)
    , m_ops(ops)
    , m_files(files)
{
    setObjectName(QStringLiteral("tbsFiles"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *filePanel = new ProfileFilePanel(files, this);
    layout->addWidget(filePanel);
    m_editor = new ProfileEditor(this);
    layout->addWidget(m_editor, 1);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("panControls3"));
    m_panel->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(m_panel);
    for (QPushButton *button : filePanel->createButtons(m_panel))
        row->addWidget(button);
    m_flashWrite = new QCheckBox(QStringLiteral("Put in Flash Memory"), m_panel);
    m_flashWrite->setObjectName(QStringLiteral("chbFlashWrite"));
    m_flashWrite->setToolTip(
        QStringLiteral("Copy the information of the profile in the Flash Memory of the Module"));
    m_flashWrite->setVisible(false);
    m_send = new QPushButton(QStringLiteral("Send"), m_panel);
    m_send->setObjectName(QStringLiteral("btbSendProfile"));
    m_send->setToolTip(QStringLiteral("Sends the current profile to the module"));
    m_send->installEventFilter(this);
    row->addStretch(1);
    row->addWidget(m_flashWrite);
    row->addWidget(m_send);
    layout->addWidget(m_panel);

    connect(m_send, &QPushButton::clicked, this, [this] {
        m_send->setEnabled(false);
        m_ops.Sender().SendProfile();
        applyCommandStates();
    });
    connect(&m_ops, &Operations::commandStatesChanged, this, &ProfilesView::applyCommandStates);
    // The tree shows what the file commands loaded, and its changes enable "Save".
    connect(&m_files, &ProfileFiles::profileShown, m_editor, [this] {
        m_editor->showProfile(m_files.Document());
    });
    connect(&m_files, &ProfileFiles::profileCleared, m_editor, &ProfileEditor::reset);
    for (auto signal : {&ProfileEditor::profileModified, &ProfileEditor::commandStatesRequested})
        connect(m_editor, signal, &m_files, &ProfileFiles::UpdateProfileCommands);
    applyCommandStates();
}

bool ProfilesView::eventFilter(QObject *watched, QEvent *event)
{
    // Pointing at "Send" ticks "Put in Flash Memory" every time.
    if (watched == m_send && event->type() == QEvent::Enter)
        m_ops.SetFlashWriteTicked(true);
    return QWidget::eventFilter(watched, event);
}

void ProfilesView::applyCommandStates()
{
    m_send->setEnabled(m_ops.Enabled(m_send->objectName()));
    m_flashWrite->setEnabled(m_ops.Enabled(m_flashWrite->objectName()));
    m_flashWrite->setChecked(m_ops.FlashWriteTicked());
}

} // namespace vxl
