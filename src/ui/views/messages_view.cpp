#include "ui/views/messages_view.h"

#include "core/operations/operations.h"
#include "core/operations/scheduler_control.h"
#include "core/trace/trace_list.h"
#include "core/trace/trace_log.h"
#include "ui/widgets/command_button_widget.h"
#include "ui/widgets/control_panel_widget.h"
#include "ui/widgets/press_once.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vxl {

namespace {

constexpr int kRefreshMs = 100;

} // namespace

MessagesView::MessagesView(Operations &ops, QWidget *parent)
    : QWidget(parent)
    , m_ops(ops)
{
    setObjectName(QStringLiteral("tbsReplayMes"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lsvMsg"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Source"),
                             QStringLiteral("Type"),
                             QStringLiteral("Code / ID"),
                             QStringLiteral("Count"),
                             QStringLiteral("Period (ms)"),
                             QStringLiteral("Description")});
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list, 1);

    layout->addWidget(buildPanel());

    auto &scheduler = m_ops.Scheduler();
    m_pressOnce = new PressOnce([&ops](const QPushButton &b) { return ops.Enabled(b.objectName()); },
                                this);
    m_pressOnce->bind(m_on, [&scheduler] { scheduler.SwitchMaster(); });
    m_pressOnce->bind(m_off, [&scheduler] { scheduler.SwitchMaster(); });
    m_pressOnce->bind(m_adjust, [&scheduler] { scheduler.Adjust(); });
    m_pressOnce->bind(m_discard, [&scheduler] { scheduler.Discard(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { m_ops.Trace().Clear(); });
    connect(m_logStart, &QPushButton::clicked, this, [this] {
        m_ops.Log().Start();
        m_ops.UpdateCommandStates();
    });
    connect(m_logStop, &QPushButton::clicked, this, &MessagesView::stopLog);
    connect(&m_ops, &Operations::logStopRequested, this, &MessagesView::stopLog);

    auto &trace = m_ops.Trace();
    connect(&trace, &TraceList::entryAdded, this, &MessagesView::addEntry);
    connect(&trace, &TraceList::cleared, m_list, &QTreeWidget::clear);
    m_refresh = new QTimer(this);
    m_refresh->setInterval(kRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &MessagesView::refreshChanged);
    m_refresh->start();
    connect(&m_ops, &Operations::commandStatesChanged, this, &MessagesView::applyCommandStates);
    applyCommandStates();
}

ControlPanel *MessagesView::buildPanel()
{
    m_panel = new ControlPanel(QStringLiteral("panControls2"), this);
    auto *row = new QHBoxLayout(m_panel);
    m_on = CommandButton(QStringLiteral("btbMasterOn"),
                         QStringLiteral("ON"),
                         QStringLiteral("Activates the \"master\" functionallity of the module"),
                         m_panel);
    m_off = CommandButton(QStringLiteral("btbMasterOff"),
                          QStringLiteral("OFF"),
                          QStringLiteral("Deactivates the \"master\" functionallity of the module"),
                          m_panel);
    m_adjust = CommandButton(QStringLiteral("btbModifyScheduler"),
                             QStringLiteral("Adjust"),
                             QStringLiteral(
                                 "Modifies the content of the scheduler list of a module"),
                             m_panel);
    m_discard = CommandButton(QStringLiteral("btbDiscardScheduler"),
                              QStringLiteral("Discard"),
                              QStringLiteral("Empties the scheduler list of a VEXA-LIN module"),
                              m_panel);
    m_logStart = CommandButton(QStringLiteral("btbLogStart"),
                               QStringLiteral("Start Trace"),
                               QStringLiteral("Logs all messages forwarded to RS-232"),
                               m_panel);
    m_logStop = CommandButton(
        QStringLiteral("btbLogStop"),
        QStringLiteral("Stop Trace"),
        QStringLiteral(
            "Stops logging the forwarded messages and saves the recopiled data in a file"),
        m_panel);
    m_clear = CommandButton(QStringLiteral("btbAutoRplyClear"),
                            QStringLiteral("Clear"),
                            QStringLiteral("Clears the content of the message viewer"),
                            m_panel);
    row->addWidget(new QLabel(QStringLiteral("Master:"), m_panel));
    row->addWidget(m_on);
    row->addWidget(m_off);
    row->addSpacing(16);
    row->addWidget(new QLabel(QStringLiteral("Scheduler:"), m_panel));
    row->addWidget(m_adjust);
    row->addWidget(m_discard);
    row->addStretch(1);
    row->addWidget(m_logStart);
    row->addWidget(m_logStop);
    row->addWidget(m_clear);
    return m_panel;
}

void MessagesView::stopLog()
{
    auto &log = m_ops.Log();
    if (!log.IsRecording())
        return;
    const QString path = QFileDialog::getSaveFileName(this,
                                                      QStringLiteral("Save trace log"),
                                                      QString(),
                                                      QStringLiteral("Text files (*.txt)"));
    log.Stop(path);
    m_ops.UpdateCommandStates();
}

void MessagesView::addEntry(int index)
{
    new QTreeWidgetItem(m_list);
    setRow(index);
}

void MessagesView::setRow(int index)
{
    auto *item = m_list->topLevelItem(index);
    if (!item)
        return;
    const auto &entry = m_ops.Trace().At(index);
    item->setText(0, entry.SourceName());
    item->setText(1, entry.TypeName());
    item->setText(2, entry.CodeIdText());
    item->setText(3, QString::number(entry.count));
    item->setText(4, QString::number(entry.Period()));
    item->setText(5, entry.description);
}

void MessagesView::refreshChanged()
{
    for (int index : m_ops.Trace().TakeChanged())
        setRow(index);
}

void MessagesView::applyCommandStates()
{
    m_pressOnce->apply({m_on, m_off, m_adjust, m_discard, m_clear, m_logStart, m_logStop});
}

} // namespace vxl
