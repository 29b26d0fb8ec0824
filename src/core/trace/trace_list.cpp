#include "core/trace/trace_list.h"

namespace vxl {

namespace {

std::uint64_t keyOf(const clsDisplayEntry &entry)
{
    return (std::uint64_t(entry.source) << 40) | (std::uint64_t(entry.type) << 32)
           | std::uint32_t(entry.codeId);
}

} // namespace

TraceList::TraceList(QObject *parent)
    : QObject(parent)
{}

const clsDisplayEntry &TraceList::AddTraceEntry(const LIN_Msg &msg, std::uint32_t tick)
{
    clsDisplayEntry decoded = clsDisplayEntry::DecodeKey(msg);
    const std::uint64_t key = keyOf(decoded);
    if (const auto found = m_index.constFind(key); found != m_index.cend()) {
        clsDisplayEntry &entry = m_entries[std::size_t(*found)];
        ++entry.count;
        entry.previousTime = entry.lastTime;
        entry.lastTime = tick;
        entry.SetLatest(msg);
        if (!m_changedFlags[std::size_t(*found)]) {
            m_changedFlags[std::size_t(*found)] = true;
            m_changed.push_back(*found);
        }
        return entry;
    }
    decoded.previousTime = tick;
    decoded.lastTime = tick;
    decoded.count = 1;
    const int index = int(m_entries.size());
    m_entries.push_back(std::move(decoded));
    m_changedFlags.push_back(false);
    m_index.insert(key, index);
    emit entryAdded(index);
    return m_entries.back();
}

void TraceList::Clear()
{
    m_entries.clear();
    m_index.clear();
    m_changedFlags.clear();
    m_changed.clear();
    emit cleared();
}

std::vector<int> TraceList::TakeChanged()
{
    std::vector<int> changed;
    changed.swap(m_changed);
    for (int index : changed)
        m_changedFlags[std::size_t(index)] = false;
    return changed;
}

} // namespace vxl
