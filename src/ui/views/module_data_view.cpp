#include "ui/views/module_data_view.h"

#include "core/operations/module_read.h"
#include "core/operations/operations.h"
#include "core/operations/scheduler_control.h"
#include "core/settings/settings_store.h"
#include "ui/views/command_controls.h"
#include "ui/views/control_names.h"
#include "ui/views/module_grid_widget.h"
#include "ui/widgets/control_icons.h"
#include "ui/widgets/control_panel_widget.h"
#include "ui/widgets/press_once.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vxl {

namespace {

const QString kHardwareCaption = QStringLiteral("Hardware:");
const QString kFirmwareCaption = QStringLiteral("Firmware:");
const QString kBuildModeCaption = QStringLiteral("Build Mode:");

QLabel *identityText(const QString &caption,
                     const QString &name,
                     const QString &hint,
                     QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setToolTip(hint);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the longest identity the module reports (15 characters).
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("W").repeated(15)));
    return label;
}

} // namespace

ModuleDataView::ModuleDataView(Operations &ops, QWidget *parent)
    : QWidget(parent)
    , m_ops(ops)
{
    setObjectName(QStringLiteral("tbsModuleData"));

    auto *title = new QLabel(QStringLiteral("Current Configuration"), this);
    title->setObjectName(QStringLiteral("laCaption"));
    title->setFrameShape(QFrame::StyledPanel);
    title->setAutoFillBackground(true);
    title->setBackgroundRole(QPalette::Mid);
    title->setForegroundRole(QPalette::BrightText);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setContentsMargins(6, 3, 6, 3);

    m_grid = new ModuleGridWidget(this);
    m_pressOnce = new PressOnce(
        [&ops](const QPushButton &b) { return ControlEnabled(ops.Commands(), b.objectName()); },
        this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    layout->addWidget(m_grid, 1);
    layout->addWidget(buildPanel());

    connect(&m_ops, &Operations::gridChanged, this, &ModuleDataView::showGrid);
    connect(&m_ops, &Operations::identityChanged, this, &ModuleDataView::showIdentity);
    connect(&m_ops, &Operations::commandStatesChanged, this, &ModuleDataView::showCommandStates);
    showGrid();
    showIdentity();
    showCommandStates();
    const auto &settings = m_ops.Settings();
    m_panel->paint(m_ops.IsConnected() ? settings.ColorOn : settings.ColorOff);
}

QWidget *ModuleDataView::buildPanel()
{
    auto *panel = new ControlPanel(QStringLiteral("panControls1"), this);
    m_panel = panel;
    panel->setFrameShape(QFrame::StyledPanel);

    m_save = addButton(QStringLiteral("Save"),
                       QString::fromLatin1(control::btbSaveDataAs),
                       QStringLiteral("Saves the current configuration present in the VEXA-LIN "
                                      "module in a VEXA-LIN profile"),
                       &ModuleDataView::btbSaveDataAsClick);
    m_scheduler = addButton(QStringLiteral("Scheduler"),
                            QString::fromLatin1(control::btbScheduler),
                            QStringLiteral("Shows the content of the Master Scheduler of the "
                                           "VEXA-LIN module"),
                            &ModuleDataView::btbSchedulerClick);
    m_frames = addButton(QStringLiteral("Frames"),
                         QString::fromLatin1(control::btbFrames),
                         QStringLiteral("Shows a detailed frame configuration information of the "
                                        "VEXA-LIN module"),
                         &ModuleDataView::btbFramesClick);
    m_refresh = addButton(QStringLiteral("Refresh"),
                          QString::fromLatin1(control::btbRefresh),
                          QStringLiteral("Forces to read again all the information from the module "
                                         "and to refresh the data in the information grid"),
                          &ModuleDataView::btbRefreshClick);
    m_refresh->setDefault(true);

    m_hardware = identityText(kHardwareCaption,
                              QStringLiteral("sttHardware"),
                              QStringLiteral("Hardware version"),
                              panel);
    m_firmware = identityText(kFirmwareCaption,
                              QStringLiteral("sttFirmware"),
                              QStringLiteral("Firmware version"),
                              panel);
    m_buildMode = identityText(kBuildModeCaption,
                               QStringLiteral("sttVersion"),
                               QStringLiteral("Build mode"),
                               panel);

    auto *showLabel = new QLabel(QStringLiteral("Show:"), panel);
    auto *shown = new QHBoxLayout;
    shown->addWidget(m_scheduler);
    shown->addWidget(m_frames);
    auto *showGroup = new QVBoxLayout;
    showGroup->setSpacing(2);
    showGroup->addWidget(showLabel);
    showGroup->addLayout(shown);

    auto *identity = new QVBoxLayout;
    identity->setSpacing(2);
    identity->addWidget(m_hardware);
    identity->addWidget(m_firmware);
    identity->addWidget(m_buildMode);

    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(12);
    row->addWidget(m_save, 0, Qt::AlignBottom);
    row->addLayout(showGroup);
    row->addSpacing(12);
    row->addLayout(identity);
    row->addStretch(1);
    row->addWidget(m_refresh, 0, Qt::AlignBottom);
    return panel;
}

QPushButton *ModuleDataView::addButton(const QString &text,
                                       const QString &name,
                                       const QString &hint,
                                       void (ModuleDataView::*handler)())
{
    auto *button = new QPushButton(text, m_panel);
    button->setObjectName(name);
    button->setIcon(ControlIcon(name));
    button->setToolTip(hint);
    button->setMinimumWidth(90);
    m_pressOnce->bind(button, [this, handler] { (this->*handler)(); });
    return button;
}

void ModuleDataView::keyPressEvent(QKeyEvent *event)
{
    // Outside a dialog nothing else makes a default button answer Return.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_refresh->isEnabled()) {
        m_refresh->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ModuleDataView::showGrid()
{
    m_grid->setTexts(m_ops.Grid());
}

void ModuleDataView::showIdentity()
{
    const auto &identity = m_ops.Identity();
    // Before the first read the texts name what they will show.
    const auto show = [](QLabel *label, const QString &text, const QString &caption) {
        label->setText(text.isEmpty() ? caption : text);
    };
    show(m_hardware, identity.hardware, kHardwareCaption);
    show(m_firmware, identity.firmware, kFirmwareCaption);
    show(m_buildMode, identity.buildMode, kBuildModeCaption);
}

void ModuleDataView::showCommandStates()
{
    m_pressOnce->apply({m_save, m_scheduler, m_frames, m_refresh});
}

void ModuleDataView::btbRefreshClick()
{
    m_ops.ActivateView(View::ModuleData);
}

void ModuleDataView::btbSaveDataAsClick()
{
    m_ops.Reader().SaveModuleDataAsProfile();
}

void ModuleDataView::btbSchedulerClick()
{
    m_ops.Scheduler().ShowModuleEntries();
}

void ModuleDataView::btbFramesClick()
{
    m_ops.ShowModuleFrames();
}

} // namespace vxl
