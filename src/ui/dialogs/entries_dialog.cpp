#include "ui/dialogs/entries_dialog.h"

#include "ui/widgets/command_button_widget.h"

#include "core/editing/entry_rules.h"
#include "ui/dialogs/entry_dialog.h"
#include "ui/widgets/dialog_buttons_widget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vxl {

namespace {

constexpr int kColumnWidth = 115;
enum Column : int { IndexColumn, IdentifierColumn, TimingColumn, ColumnCount };

} // namespace

TfEntries::TfEntries(QWidget *parent)
    : ListDialog(kHelpContext, parent)
{
    setObjectName(QStringLiteral("TfEntries"));
    setWindowTitle(QStringLiteral("  Scheduler Entries"));
    buildList();
    m_insert = CommandButton(QStringLiteral("btbInsert"),
                             QStringLiteral("Insert..."),
                             QString(),
                             this);
    m_modify = CommandButton(QStringLiteral("btbModify"),
                             QStringLiteral("Modify..."),
                             QString(),
                             this);
    m_remove = CommandButton(QStringLiteral("btbRemove"), QStringLiteral("Delete"), QString(), this);
    connect(m_insert, &QPushButton::clicked, this, &TfEntries::btbInsertClick);
    connect(m_modify, &QPushButton::clicked, this, &TfEntries::btbModifyClick);
    connect(m_remove, &QPushButton::clicked, this, &TfEntries::btbRemoveClick);
    buildMenu();
    buildLayout();
    updateCommands();
}

void TfEntries::buildList()
{
    m_list = makeList(QStringLiteral("lvEntries"),
                      0,
                      {QStringLiteral("Index"),
                       QStringLiteral("Identifier"),
                       QStringLiteral("Timing (ms)")});
    m_list->setToolTip(QStringLiteral("Scheduler Entries for the connected Module"));
    for (int column = 0; column < ColumnCount; ++column)
        m_list->setColumnWidth(column, kColumnWidth);
    fitListWidth(kColumnWidth * ColumnCount);
    m_list->setMinimumHeight(260);
    m_list->installEventFilter(this);
    connect(m_list->selectionModel(),
            &QItemSelectionModel::selectionChanged,
            this,
            &TfEntries::updateCommands);
}

void TfEntries::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("pumEntries"));
    QAction *selectAll = m_menu->addAction(QStringLiteral("Select all"));
    selectAll->setObjectName(QStringLiteral("mniSelectAll"));
    connect(selectAll, &QAction::triggered, this, &TfEntries::selectAllClick);
    m_menu->addSeparator();
    m_mniInsert = m_menu->addAction(QStringLiteral("Insert..."));
    m_mniInsert->setObjectName(QStringLiteral("mniInsert"));
    connect(m_mniInsert, &QAction::triggered, this, &TfEntries::btbInsertClick);
    m_mniModify = m_menu->addAction(QStringLiteral("Modify..."));
    m_mniModify->setObjectName(QStringLiteral("mniModify"));
    connect(m_mniModify, &QAction::triggered, this, &TfEntries::btbModifyClick);
    m_mniRemove = m_menu->addAction(QStringLiteral("Delete"));
    m_mniRemove->setObjectName(QStringLiteral("mniRemove"));
    connect(m_mniRemove, &QAction::triggered, this, &TfEntries::btbRemoveClick);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        m_menu->popup(m_list->viewport()->mapToGlobal(pos));
    });
}

// The list with its commands beside it, OK and Cancel below.
void TfEntries::buildLayout()
{
    const DialogButtons buttons = MakeDialogButtons(this);
    m_ok = buttons.ok;

    auto *commands = new QVBoxLayout;
    commands->addWidget(m_insert);
    commands->addWidget(m_modify);
    commands->addWidget(m_remove);
    commands->addStretch(1);
    auto *body = new QHBoxLayout;
    body->addWidget(m_list, 1);
    body->addLayout(commands);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons.row);
}

void TfEntries::setEditable(bool editable)
{
    m_editable = editable;
    updateCommands();
}

void TfEntries::setEntries(const std::vector<LIN_SchedulerEntry> &entries)
{
    m_list->setRowCount(0);
    for (const LIN_SchedulerEntry &entry : entries)
        addEntry(entry);
    updateCommands();
}

std::vector<LIN_SchedulerEntry> TfEntries::entries() const
{
    std::vector<LIN_SchedulerEntry> result;
    result.reserve(static_cast<std::size_t>(m_list->rowCount()));
    int index = 0;
    LIN_SchedulerEntry entry;
    while (readEntry(index, entry))
        result.push_back(entry);
    return result;
}

void TfEntries::addEntry(const LIN_SchedulerEntry &entry)
{
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    m_list->setItem(row, IndexColumn, ReadOnlyCell(QString::number(row + 1), false));
    setRow(row, entry);
    const QModelIndex index = m_list->model()->index(row, IndexColumn);
    m_list->selectionModel()->setCurrentIndex(index,
                                              QItemSelectionModel::ClearAndSelect
                                                  | QItemSelectionModel::Rows);
    m_list->scrollTo(index);
    updateCommands();
}

bool TfEntries::readEntry(int &index, LIN_SchedulerEntry &entry) const
{
    if (index < 0 || index >= m_list->rowCount())
        return false;
    // The rows are the dialog's only copy of the entries.
    const std::optional<int> id = IdFromCellText(m_list->item(index, IdentifierColumn)->text());
    entry.ID = static_cast<std::uint8_t>(std::clamp(id.value_or(0), 0, kMaxLinId));
    entry.Time = static_cast<std::uint16_t>(m_list->item(index, TimingColumn)->text().toUInt());
    ++index;
    return true;
}

bool TfEntries::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_list || event->type() != QEvent::KeyPress)
        return ListDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Delete && key->key() != Qt::Key_Backspace)
        return ListDialog::eventFilter(watched, event);
    if (canChange())
        btbRemoveClick();
    return true;
}

void TfEntries::btbInsertClick()
{
    if (!canInsert())
        return;
    TfEntry dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    addEntry(dialog.entry());
}

void TfEntries::btbModifyClick()
{
    const std::vector<int> rows = selectedRows();
    if (!canChange() || rows.empty())
        return;
    int index = rows.front();
    LIN_SchedulerEntry first;
    readEntry(index, first);
    TfEntry dialog(this);
    dialog.setEntry(first, rows.front() + 1, rows.size() > 1);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const LIN_SchedulerEntry changed = dialog.entry();
    for (const int row : rows)
        setRow(row, changed);
}

void TfEntries::btbRemoveClick()
{
    const std::vector<int> rows = selectedRows();
    if (!canChange() || rows.empty())
        return;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        m_list->removeRow(*row);
    for (int row = 0; row < m_list->rowCount(); ++row)
        m_list->item(row, IndexColumn)->setText(QString::number(row + 1));
    const QModelIndex current = m_list->currentIndex();
    if (current.isValid())
        m_list->selectionModel()->select(current,
                                         QItemSelectionModel::ClearAndSelect
                                             | QItemSelectionModel::Rows);
    updateCommands();
}

void TfEntries::selectAllClick()
{
    m_list->selectAll();
}

void TfEntries::updateCommands()
{
    const bool insert = canInsert();
    const bool change = canChange();
    m_insert->setEnabled(insert);
    m_mniInsert->setEnabled(insert);
    m_modify->setEnabled(change);
    m_mniModify->setEnabled(change);
    m_remove->setEnabled(change);
    m_mniRemove->setEnabled(change);
    m_ok->setEnabled(m_editable);
}

void TfEntries::setRow(int row, const LIN_SchedulerEntry &entry)
{
    m_list->setItem(row, IdentifierColumn, ReadOnlyCell(IdCellText(entry.ID), true));
    m_list->setItem(row, TimingColumn, ReadOnlyCell(QString::number(entry.Time), true));
}

bool TfEntries::canInsert() const
{
    return m_editable && CanInsertEntry(m_list->rowCount());
}

bool TfEntries::canChange() const
{
    return m_editable && m_list->rowCount() > 0;
}

} // namespace vxl
