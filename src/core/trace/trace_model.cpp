#include "core/trace/trace_model.h"

#include "core/trace/trace_list.h"

#include <QTimer>

#include <algorithm>

namespace vxl {

namespace {

const char *const kCaptions[TraceModel::ColumnCount]
    = {"Source", "Type", "Code / ID", "Count", "Period", "Data / Message"};

} // namespace

TraceModel::TraceModel(TraceList &trace, QObject *parent)
    : QAbstractTableModel(parent)
    , m_trace(trace)
{
    connect(&m_trace, &TraceList::entryAdded, this, &TraceModel::entryAdded);
    connect(&m_trace, &TraceList::cleared, this, &TraceModel::cleared);
    for (int index = 0; index < m_trace.Count(); ++index)
        entryAdded(index);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("tmrDisplayTimer"));
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &TraceModel::Refresh);
    m_timer->start();
}

int TraceModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int TraceModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TraceModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::ToolTipRole && index.column() == ColData)
        return m_shown[std::size_t(m_order[std::size_t(index.row())])].description;
    if (role != Qt::DisplayRole)
        return {};
    const int entryIndex = m_order[std::size_t(index.row())];
    const clsDisplayEntry &entry = m_trace.At(entryIndex);
    const Shown &shown = m_shown[std::size_t(entryIndex)];
    switch (index.column()) {
    case ColSource:
        return entry.SourceName();
    case ColType:
        return entry.TypeName();
    case ColCodeId:
        return entry.CodeIdText();
    case ColCount:
        return QString::number(shown.count);
    case ColPeriod:
        return QString::number(shown.period);
    case ColData:
        return shown.description;
    default:
        return {};
    }
}

QVariant TraceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= ColumnCount)
        return {};
    return QString::fromLatin1(kCaptions[section]);
}

bool TraceModel::before(int a, int b) const
{
    const int order = CompareEntries(m_trace.At(a), m_trace.At(b), m_sortColumn);
    return Descending(m_sortColumn) ? order > 0 : order < 0;
}

void TraceModel::renumber(int fromRow)
{
    for (std::size_t row = std::size_t(fromRow); row < m_order.size(); ++row)
        m_rowOf[std::size_t(m_order[row])] = int(row);
}

void TraceModel::entryAdded(int index)
{
    const clsDisplayEntry &entry = m_trace.At(index);
    if (std::size_t(index) >= m_shown.size()) {
        m_shown.resize(std::size_t(index) + 1);
        m_rowOf.resize(std::size_t(index) + 1, -1);
    }
    m_shown[std::size_t(index)] = {entry.count, entry.Period(), entry.Description()};
    // After the entries it equals: the rows already there keep their places.
    const auto at = std::upper_bound(m_order.begin(), m_order.end(), index, [this](int a, int b) {
        return before(a, b);
    });
    const int row = int(at - m_order.begin());
    beginInsertRows(QModelIndex(), row, row);
    m_order.insert(at, index);
    renumber(row);
    endInsertRows();
}

void TraceModel::cleared()
{
    beginResetModel();
    m_order.clear();
    m_rowOf.clear();
    m_shown.clear();
    endResetModel();
}

void TraceModel::HeaderClicked(int column)
{
    if (column < ColSource || column > ColCodeId)
        return;
    m_sortColumn = static_cast<TraceSortColumn>(column);
    m_descending[std::size_t(column)] = !m_descending[std::size_t(column)];
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Selections and the current row follow their entries.
    const QModelIndexList persistent = persistentIndexList();
    std::vector<int> entries;
    entries.reserve(std::size_t(persistent.size()));
    for (const QModelIndex &cell : persistent)
        entries.push_back(m_order[std::size_t(cell.row())]);
    std::stable_sort(m_order.begin(), m_order.end(), [this](int a, int b) { return before(a, b); });
    renumber(0);
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (qsizetype i = 0; i < persistent.size(); ++i)
        moved << index(m_rowOf[std::size_t(entries[std::size_t(i)])], persistent[i].column());
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TraceModel::Refresh()
{
    for (const int index : m_trace.TakeChanged()) {
        if (std::size_t(index) >= m_shown.size())
            continue;
        const clsDisplayEntry &entry = m_trace.At(index);
        Shown &shown = m_shown[std::size_t(index)];
        const int row = m_rowOf[std::size_t(index)];
        // One cell at a time: the view repaints just that cell.
        const auto changed = [this, row](int column) {
            const QModelIndex cell = this->index(row, column);
            emit dataChanged(cell, cell, {Qt::DisplayRole});
        };
        if (shown.count != entry.count) {
            shown.count = entry.count;
            changed(ColCount);
        }
        if (shown.period != entry.Period()) {
            shown.period = entry.Period();
            changed(ColPeriod);
        }
        if (shown.description != entry.Description()) {
            shown.description = entry.Description();
            changed(ColData);
        }
    }
}

} // namespace vxl
