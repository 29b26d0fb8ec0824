#include "ui/views/profiles_view.h"

#include "core/operations/operations.h"
#include "core/operations/profile_send.h"
#include "ui/views/profile_editor.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vxl {

ProfilesView::ProfilesView(Operations &ops, QWidget *parent)
    : QWidget(parent)
    , m_ops(ops)
{
    setObjectName(QStringLiteral("tbsFiles"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_path = new QLabel(this);
    m_path->setObjectName(QStringLiteral("ediProfilePath"));
    m_path->setAlignment(Qt::AlignCenter);
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_path);
    m_editor = new ProfileEditor(this);
    layout->addWidget(m_editor, 1);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("panControls3"));
    m_panel->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(m_panel);
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
    setProfileName(QString());
    applyCommandStates();
}

bool ProfilesView::eventFilter(QObject *watched, QEvent *event)
{
    // Pointing at "Send" ticks "Put in Flash Memory" every time.
    if (watched == m_send && event->type() == QEvent::Enter)
        m_ops.SetFlashWriteTicked(true);
    return QWidget::eventFilter(watched, event);
}

void ProfilesView::setProfileName(const QString &path)
{
    m_path->setText(path.isEmpty() ? QStringLiteral("No profile loaded")
                                   : QStringLiteral("Profile: ") + QFileInfo(path).fileName());
    m_path->setToolTip(path);
}

void ProfilesView::applyCommandStates()
{
    m_send->setEnabled(m_ops.Enabled(m_send->objectName()));
    m_flashWrite->setEnabled(m_ops.Enabled(m_flashWrite->objectName()));
    m_flashWrite->setChecked(m_ops.FlashWriteTicked());
}

} // namespace vxl
