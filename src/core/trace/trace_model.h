#pragma once

#include "core/trace/display_entry.h"

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QTimer;

namespace vxl {

class TraceList;

// The rows of the trace list: one per entry, in the order of the sort column and its
// direction. A new entry is inserted at its place; counts, periods and descriptions reach the
// rows on the refresh timer, which reports only the cells whose text changed.
class TraceModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { ColSource, ColType, ColCodeId, ColCount, ColPeriod, ColData, ColumnCount };
    static constexpr int kRefreshMs = 100;

    explicit TraceModel(TraceList &trace, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section,
                                      Qt::Orientation orientation,
                                      int role) const override;

    // A click on a column header: columns 0 to 2 become the sort column with their direction
    // reversed; any other column changes nothing.
    void HeaderClicked(int column);
    [[nodiscard]] TraceSortColumn SortColumn() const { return m_sortColumn; }
    [[nodiscard]] bool Descending(TraceSortColumn column) const
    {
        return m_descending[std::size_t(column)];
    }
    // The index in the trace list of the entry shown in a row.
    [[nodiscard]] int EntryAt(int row) const { return m_order[std::size_t(row)]; }

    // One pass of the refresh timer: brings the changed entries' cells up to date.
    void Refresh();

private:
    struct Shown
    {
        std::int32_t count = 0;
        std::uint32_t period = 0;
        QString description;
    };

    void entryAdded(int index);
    void cleared();
    [[nodiscard]] bool before(int a, int b) const;
    void renumber(int fromRow);

    TraceList &m_trace;
    QTimer *m_timer = nullptr;
    TraceSortColumn m_sortColumn = TraceSortColumn::CodeId;
    std::array<bool, 3> m_descending{};
    std::vector<int> m_order;   // row -> entry index
    std::vector<int> m_rowOf;   // entry index -> row
    std::vector<Shown> m_shown; // by entry index: what the rows show
};

} // namespace vxl
