#include "ui/views/profiles_view.h"

#include "core/operations/operations.h"
#include "core/operations/profile_files.h"
#include "core/operations/profile_send.h"
#include "core/profiles/profile_document.h"
#include "ui/views/command_controls.h"
#include "ui/views/control_names.h"
#include "ui/views/profile_editor.h"
#include "ui/views/profile_file_panel.h"
#include "ui/widgets/control_icons.h"
#include "ui/widgets/control_panel_widget.h"
#include "ui/widgets/press_once.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
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
    // Whoever activates the view gives the profile tree the focus.
    setFocusProxy(m_editor->tree());

    m_panel = new ControlPanel(QStringLiteral("panControls3"), this);
    auto *row = new QHBoxLayout(m_panel);
    for (QPushButton *button : filePanel->createButtons(m_panel))
        row->addWidget(button);
    m_flashWrite = new QCheckBox(QStringLiteral("Put in Flash Memory"), m_panel);
    m_flashWrite->setObjectName(QString::fromLatin1(control::chbFlashWrite));
    m_flashWrite->setToolTip(
        QStringLiteral("Copy the information of the profile in the Flash Memory of the Module"));
    m_flashWrite->setVisible(false);
    m_send = new QPushButton(QStringLiteral("Send"), m_panel);
    m_send->setObjectName(QString::fromLatin1(control::btbSendProfile));
    m_send->setIcon(ControlIcon(m_send->objectName()));
    m_send->setToolTip(QStringLiteral("Sends the current profile to the module"));
    m_send->installEventFilter(this);
    row->addStretch(1);
    row->addWidget(m_flashWrite);
    row->addWidget(m_send);
    layout->addWidget(m_panel);

    m_pressOnce = new PressOnce(
        [&ops](const QPushButton &b) { return ControlEnabled(ops.Commands(), b.objectName()); },
        this);
    m_pressOnce->bind(m_send, [this] { m_ops.Sender().SendProfile(); });
    connect(&m_ops, &Operations::commandStatesChanged, this, &ProfilesView::applyCommandStates);
    // The tree shows what the file commands loaded, and its changes enable "Save".
    connect(&m_files, &ProfileFiles::profileShown, m_editor, [this] {
        m_editor->showProfile(m_files.Document());
    });
    connect(&m_files, &ProfileFiles::profileCleared, m_editor, &ProfileEditor::reset);
    // A view built after a profile was loaded (one named at start) shows it at once.
    if (m_files.Document().IsLoaded())
        m_editor->showProfile(m_files.Document());
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
    m_pressOnce->apply({m_send});
    m_flashWrite->setEnabled(ControlEnabled(m_ops.Commands(), m_flashWrite->objectName()));
    m_flashWrite->setChecked(m_ops.FlashWriteTicked());
}

} // namespace vxl
