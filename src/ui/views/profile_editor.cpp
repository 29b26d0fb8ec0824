#include "ui/views/profile_editor.h"

#include "core/profiles/profile_document.h"
#include "ui/dialogs/can_filter_dialog.h"
#include "ui/dialogs/entries_dialog.h"
#include "ui/dialogs/frames_config_dialog.h"
#include "ui/dialogs/slave_id_dialog.h"
#include "ui/views/profile_value_panel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vxl {

namespace {

constexpr int kEditingLabelLeft = 10;

} // namespace

ProfileEditor::ProfileEditor(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ProfileEditor"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    buildTree();
    layout->addWidget(m_tree, 1);

    m_editing = new QWidget(this);
    m_editing->setObjectName(QStringLiteral("panEditing"));
    m_editingLabel = new QLabel(QStringLiteral("Editing:"), m_editing);
    m_editingLabel->setObjectName(QStringLiteral("labEditing"));
    QFont font = m_editingLabel->font();
    font.setBold(true);
    m_editingLabel->setFont(font);
    auto *editingLayout = new QVBoxLayout(m_editing);
    // The label is placed by hand (see eventFilter); the panel starts below it.
    editingLayout->setContentsMargins(0, m_editingLabel->sizeHint().height() + 8, 0, 0);
    m_panel = new ProfileValuePanel(m_editing);
    editingLayout->addWidget(m_panel);
    m_editing->installEventFilter(this);
    m_editing->setMinimumWidth(360);
    layout->addWidget(m_editing, 1);

    connect(m_panel, &ProfileValuePanel::setClicked, this, &ProfileEditor::btnSetValueClick);
    connect(m_panel,
            &ProfileValuePanel::defaultClicked,
            this,
            &ProfileEditor::btnSetStandarValueClick);
    m_editing->hide();
    m_panel->hide();
}

void ProfileEditor::buildTree()
{
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("trvProfile"));
    m_tree->setToolTip(QStringLiteral("VEXA-LIN Module configuration information in the profile"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QFont font = m_tree->font();
    font.setBold(true);
    m_tree->setFont(font);
    // Wide enough for the longest captions a profile can give, so that none is cut short.
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const char *longest :
         {"Forward Mask :  CAN / LIN / RS-232 / Errors Via CAN / Errors Via RS-232 ",
          "CAN ID For Slave Activation : Disabled:  0x1FFFFFFF (29 bits)",
          "Slave ID + Data Configuration :  Disabled: 3F - 00 00 00 00 00 00 00 00"})
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromLatin1(longest)));
    m_tree->setMinimumWidth(widest + 2 * m_tree->indentation() + 4 * m_tree->frameWidth() + 24);
    // The selection stays visible while the editing panel has the focus.
    QPalette palette = m_tree->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_tree->setPalette(palette);

    m_items.resize(kProfileTreeNodes);
    for (int node = 0; node < kProfileTreeNodes; ++node) {
        const ProfileNode &info = ProfileNodeAt(node);
        QTreeWidgetItem *item = info.parent < 0
                                    ? new QTreeWidgetItem(m_tree)
                                    : new QTreeWidgetItem(m_items[std::size_t(info.parent)]);
        item->setData(0, Qt::UserRole, node);
        m_items[std::size_t(node)] = item;
    }
    showCaptions();
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &ProfileEditor::trvProfileChange);
}

bool ProfileEditor::showProfile(clsVLINXMLProfile &document)
{
    ModuleConfig profile = ModuleConfig::NewProfile();
    if (!document.ReadAll(&profile.RS232.Baudrate, &profile.CAN, &profile.LIN)) {
        reset();
        return false;
    }
    m_document = &document;
    m_model.Load(profile);
    showCaptions();
    m_tree->expandAll();
    m_editing->show();
    trvProfileChange();
    return true;
}

void ProfileEditor::reset()
{
    m_document = nullptr;
    m_model.Clear();
    showCaptions();
    m_tree->collapseAll();
    m_editing->hide();
}

void ProfileEditor::showCaptions()
{
    for (int node = 0; node < kProfileTreeNodes; ++node)
        m_items[std::size_t(node)]->setText(0, m_model.Captions()[std::size_t(node)]);
}

void ProfileEditor::trvProfileChange()
{
    const QTreeWidgetItem *item = m_tree->currentItem();
    const int node = item ? item->data(0, Qt::UserRole).toInt() : -1;
    if (!m_model.Select(node)) {
        m_panel->hide();
        return;
    }
    m_panel->showNode(m_model.SelectedGroup(), m_model.SelectedCode(), m_model.ActionCaption());
    EditorControls controls = m_panel->controls();
    m_model.Fill(controls);
    m_panel->setControls(controls);
    m_panel->show();
}

void ProfileEditor::btnSetValueClick()
{
    EditorControls controls = m_panel->controls();
    switch (m_model.Set(controls)) {
    case SetAction::Nothing:
        break;
    case SetAction::Stored:
        // The fields show what was stored, as leaving them would have.
        m_panel->setControls(controls);
        break;
    case SetAction::FilterDialog:
        runFilterDialog();
        break;
    case SetAction::SchedulerDialog:
        runSchedulerDialog();
        break;
    case SetAction::SlaveDialog:
        // The slave entry goes into the frame table even when the dialog was cancelled.
        runSlaveDialog();
        break;
    case SetAction::FrameDialog:
        runFrameDialog();
        break;
    }
    // Every "Set" on a value marks the profile modified, also when nothing changed or its
    // dialog was cancelled.
    writeGroup(m_model.SelectedGroup());
    emit commandStatesRequested();
}

void ProfileEditor::btnSetStandarValueClick()
{
    writeGroup(m_model.Default());
    emit commandStatesRequested();
}

void ProfileEditor::runFilterDialog()
{
    const CAN_Group &can = m_model.Profile().CAN;
    TfCanFilterConfig dialog(window(), can.FilterCode, can.FilterMask);
    if (dialog.exec() == QDialog::Accepted)
        m_model.SetCanFilter(dialog.acceptanceCode(), dialog.acceptanceMask());
}

void ProfileEditor::runSchedulerDialog()
{
    TfEntries dialog(window());
    dialog.setEditable(true);
    dialog.setEntries(m_model.SchedulerEntries());
    if (dialog.exec() == QDialog::Accepted)
        m_model.SetSchedulerEntries(dialog.entries());
}

void ProfileEditor::runSlaveDialog()
{
    TfSlaveIDConfig dialog(window(), true);
    dialog.fill(m_model.Profile().LIN);
    if (dialog.exec() == QDialog::Accepted)
        m_model.SetSlaveIdData(dialog.idText(), dialog.isEnabledChosen(), dialog.dataText());
    m_model.CopySlaveIdIntoFrames();
}

void ProfileEditor::runFrameDialog()
{
    TfFramesConfig dialog(window());
    dialog.setEditable(true);
    dialog.setLinGroup(m_model.Profile().LIN);
    if (dialog.exec() == QDialog::Accepted)
        m_model.SetFrameConfig(dialog.linGroup());
}

void ProfileEditor::writeGroup(EditGroup group)
{
    if (group == NoGroup)
        return;
    showCaptions();
    if (!m_document)
        return;
    const ModuleConfig &profile = m_model.Profile();
    if (group == Rs232Group)
        m_document->WriteRS232(profile.RS232.Baudrate);
    else if (group == CanGroup)
        m_document->WriteCAN(profile.CAN);
    else
        m_document->WriteLIN(profile.LIN);
    emit profileModified();
}

bool ProfileEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editing && event->type() == QEvent::Resize)
        m_editingLabel->move(kEditingLabelLeft, 4);
    return QWidget::eventFilter(watched, event);
}

} // namespace vxl
