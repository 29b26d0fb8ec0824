#include "ui/dialogs/list_dialog.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>

namespace vxl {

ListDialog::ListDialog(int helpContext, QWidget *parent)
    : HelpDialog(helpContext, parent)
{}

void ListDialog::accept()
{
    if (!m_editable)
        return;
    QDialog::accept();
}

QTableWidget *ListDialog::makeList(const QString &name, int rows, const QStringList &captions)
{
    auto *list = new QTableWidget(rows, int(captions.size()), this);
    list->setObjectName(name);
    list->setHorizontalHeaderLabels(captions);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->horizontalHeader()->setSectionsClickable(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setWordWrap(false);
    return list;
}

void ListDialog::fitListWidth(int columnsWidth)
{
    m_list->setMinimumWidth(columnsWidth + 2 * m_list->frameWidth()
                            + m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
}

std::vector<int> ListDialog::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace vxl
