#pragma once

#include "core/trace/display_entry.h"

#include <QHash>
#include <QObject>

#include <cstdint>
#include <deque>
#include <vector>

namespace vxl {

// The trace: one entry per distinct (source, type, code/ID), in creation order. Finding an
// entry is a hash lookup, so a message costs the same however many entries there are; the
// results are those of scanning the list from the start.
class TraceList : public QObject
{
    Q_OBJECT

public:
    explicit TraceList(QObject *parent = nullptr);

    // Adds one message of the module's own at the given millisecond tick; returns the entry
    // created or updated (stable until Clear).
    const clsDisplayEntry &AddTraceEntry(const LIN_Msg &msg, std::uint32_t tick);
    void Clear();

    [[nodiscard]] int Count() const { return int(m_entries.size()); }
    // In creation order.
    [[nodiscard]] const clsDisplayEntry &At(int index) const
    {
        return m_entries[std::size_t(index)];
    }

    // Indexes of the entries updated since the last call (each once), for a view's refresh.
    [[nodiscard]] std::vector<int> TakeChanged();

signals:
    // A new entry: the view inserts one row for it.
    void entryAdded(int index);
    void cleared();

private:
    // deque: entries never move, so references handed out stay valid.
    std::deque<clsDisplayEntry> m_entries;
    // Open addressing: a look-up touches one table, not a chain of nodes.
    QHash<std::uint64_t, int> m_index;
    std::vector<bool> m_changedFlags;
    std::vector<int> m_changed;
};

} // namespace vxl
