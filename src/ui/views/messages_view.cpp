#include "ui/views/messages_view.h"

#include "core/operations/operations.h"
#include "core/operations/scheduler_control.h"
#include "core/operations/trace_recorder.h"
#include "core/trace/trace_list.h"
#include "core/trace/trace_log.h"
#include "core/trace/trace_model.h"
#include "ui/views/command_controls.h"
#include "ui/views/control_names.h"
#include "ui/widgets/command_button_widget.h"
#include "ui/widgets/control_panel_widget.h"
#include "ui/widgets/press_once.h"
#include "ui/widgets/row_redraw_pacer.h"

#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <array>

namespace vxl {

namespace {

constexpr std::array<int, TraceModel::ColumnCount> kColumnWidths{80, 80, 90, 80, 80, 250};

QTableView *traceView(TraceModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(QStringLiteral("lsvMsg"));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    auto *rows = view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 4);
    auto *header = view->horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    // The description takes the room left; a long one shows whole in its tooltip.
    header->setStretchLastSection(true);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < TraceModel::ColumnCount; ++column)
        header->resizeSection(column, kColumnWidths[std::size_t(column)]);
    return view;
}

} // namespace

MessagesView::MessagesView(Operations &ops, QWidget *parent)
    : QWidget(parent)
    , m_ops(ops)
{
    setObjectName(QStringLiteral("tbsReplayMes"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_model = new TraceModel(m_ops.Trace(), this);
    m_list = traceView(m_model, this);
    m_list->viewport()->installEventFilter(this);
    // A burst of new rows is drawn with the list's refresh, as its counts are.
    new RowRedrawPacer(*m_model,
                       {m_list->viewport(), m_list->verticalScrollBar()},
                       std::chrono::milliseconds(TraceModel::kRefreshMs));
    connect(m_list->horizontalHeader(),
            &QHeaderView::sectionClicked,
            m_model,
            &TraceModel::HeaderClicked);
    layout->addWidget(m_list, 1);
    m_recorder = new TraceRecorder(
        m_ops.Context(), m_ops.Log(), [this] { m_ops.UpdateCommandStates(); }, this);
    connect(&m_ops, &Operations::logStopRequested, m_recorder, &TraceRecorder::Stop);
    m_recorder->SetFileOpener(
        [](const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });

    layout->addWidget(buildPanel());

    auto &scheduler = m_ops.Scheduler();
    m_pressOnce = new PressOnce(
        [&ops](const QPushButton &b) { return ControlEnabled(ops.Commands(), b.objectName()); },
        this);
    m_pressOnce->bind(m_on, [&scheduler] { scheduler.SwitchMaster(); });
    m_pressOnce->bind(m_off, [&scheduler] { scheduler.SwitchMaster(); });
    m_pressOnce->bind(m_adjust, [&scheduler] { scheduler.Adjust(); });
    m_pressOnce->bind(m_discard, [&scheduler] { scheduler.Discard(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { m_ops.Trace().Clear(); });
    connect(m_logStart, &QPushButton::clicked, m_recorder, &TraceRecorder::Start);
    connect(m_logStop, &QPushButton::clicked, m_recorder, &TraceRecorder::Stop);
    connect(&m_ops, &Operations::commandStatesChanged, this, &MessagesView::applyCommandStates);
    applyCommandStates();
}

ControlPanel *MessagesView::buildPanel()
{
    m_panel = new ControlPanel(QStringLiteral("panControls2"), this);
    auto *row = new QHBoxLayout(m_panel);
    m_on = CommandButton(QString::fromLatin1(control::btbMasterOn),
                         QStringLiteral("ON"),
                         QStringLiteral("Activates the \"master\" functionallity of the module"),
                         m_panel);
    m_off = CommandButton(QString::fromLatin1(control::btbMasterOff),
                          QStringLiteral("OFF"),
                          QStringLiteral("Deactivates the \"master\" functionallity of the module"),
                          m_panel);
    m_adjust = CommandButton(QString::fromLatin1(control::btbModifyScheduler),
                             QStringLiteral("Adjust"),
                             QStringLiteral(
                                 "Modifies the content of the scheduler list of a module"),
                             m_panel);
    m_discard = CommandButton(QString::fromLatin1(control::btbDiscardScheduler),
                              QStringLiteral("Discard"),
                              QStringLiteral("Empties the scheduler list of a VEXA-LIN module"),
                              m_panel);
    m_logStart = CommandButton(QString::fromLatin1(control::btbLogStart),
                               QStringLiteral("Start Trace"),
                               QStringLiteral("Logs all messages forwarded to RS-232"),
                               m_panel);
    m_logStop = CommandButton(
        QString::fromLatin1(control::btbLogStop),
        QStringLiteral("Stop Trace"),
        QStringLiteral(
            "Stops logging the forwarded messages and saves the recopiled data in a file"),
        m_panel);
    m_clear = CommandButton(QString::fromLatin1(control::btbAutoRplyClear),
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
    m_recorder->Stop();
}

void MessagesView::setFileOpener(std::function<bool(const QString &)> opener)
{
    m_recorder->SetFileOpener(std::move(opener));
}

bool MessagesView::eventFilter(QObject *watched, QEvent *event)
{
    // A double click anywhere on the list clears the trace, as "Clear" does.
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        m_ops.Trace().Clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MessagesView::applyCommandStates()
{
    m_pressOnce->apply({m_on, m_off, m_adjust, m_discard, m_clear, m_logStart, m_logStop});
}

} // namespace vxl
