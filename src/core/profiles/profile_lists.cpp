#include "core/profiles/profile_lists.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vxl {

namespace {

bool isElement(const pugi::xml_node &node, const char *name)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// An element of that name without attributes: what append_child makes.
bool isBareElement(const pugi::xml_node &node, const char *name)
{
    return isElement(node, name) && !node.first_attribute();
}

// A value as the writer makes it: the element, its one attribute when it has one, and its text
// as the only child. Saved, it is one line however its value changes.
bool isValue(const pugi::xml_node &node, const char *name, const char *attribute = nullptr)
{
    if (!isElement(node, name))
        return false;
    const pugi::xml_attribute first = node.first_attribute();
    const bool attributeFits = attribute ? first && !first.next_attribute()
                                               && std::strcmp(first.name(), attribute) == 0
                                         : !first;
    const pugi::xml_node text = node.first_child();
    return attributeFits && text.type() == pugi::node_pcdata && !text.next_sibling();
}

void shapeValue(pugi::xml_node node, const char *attribute = nullptr)
{
    if (attribute)
        node.append_attribute(attribute);
    node.append_child(pugi::node_pcdata);
}

// Makes the children of `parent` exactly `count` elements named `name`. A child that `fits`
// stays; any other gives way to a new element that `shape` builds up to fitting. `fill` then
// writes the values of the i-th.
template<typename Fits, typename Shape, typename Fill>
void writeList(pugi::xml_node parent, const char *name, int count, Fits fits, Shape shape, Fill fill)
{
    pugi::xml_node node = parent.first_child();
    for (int i = 0; i < count; ++i) {
        if (!node || !fits(node)) {
            const pugi::xml_node stale = node;
            node = stale ? parent.insert_child_before(name, stale) : parent.append_child(name);
            shape(node);
            if (stale)
                parent.remove_child(stale);
        }
        fill(node, i);
        node = node.next_sibling();
    }
    while (node) {
        const pugi::xml_node stale = node;
        node = node.next_sibling();
        parent.remove_child(stale);
    }
}

constexpr const char *kFrameValues[] = {"ID", "Active", "Length", "Format"};

bool frameFits(const pugi::xml_node &frame)
{
    if (!isBareElement(frame, "Frame"))
        return false;
    pugi::xml_node child = frame.first_child();
    for (const char *value : kFrameValues) {
        if (!isValue(child, value))
            return false;
        child = child.next_sibling();
    }
    return isBareElement(child, "Data") && !child.next_sibling();
}

void shapeFrame(pugi::xml_node frame)
{
    for (const char *value : kFrameValues)
        shapeValue(frame.append_child(value));
    frame.append_child("Data");
}

} // namespace

void WriteSchedulerList(pugi::xml_node scheduler, const LIN_Group &lin)
{
    const int count = std::min<int>(lin.SchedulerCount, kMaxSchedulerEntries);
    writeList(
        scheduler,
        "Entry",
        count,
        [](const pugi::xml_node &node) { return isValue(node, "Entry", "Time"); },
        [](pugi::xml_node node) { shapeValue(node, "Time"); },
        [&lin](pugi::xml_node node, int i) {
            const LIN_SchedulerEntry &entry = lin.SchedulerEntries[static_cast<std::size_t>(i)];
            node.first_attribute().set_value(static_cast<unsigned>(entry.Time));
            node.text().set(static_cast<unsigned>(entry.ID));
        });
}

void WriteDataBytes(pugi::xml_node data,
                    const std::array<std::uint8_t, kFrameDataBytes> &bytes,
                    int length)
{
    writeList(
        data,
        "Byte",
        std::clamp(length, 0, kFrameDataBytes),
        [](const pugi::xml_node &node) { return isValue(node, "Byte", "Index"); },
        [](pugi::xml_node node) { shapeValue(node, "Index"); },
        [&bytes](pugi::xml_node node, int i) {
            node.first_attribute().set_value(i);
            node.text().set(static_cast<unsigned>(bytes[static_cast<std::size_t>(i)]));
        });
}

void WriteFrameTable(pugi::xml_node frames,
                     const LIN_Group &lin,
                     std::optional<WrittenFrames> &lastWritten)
{
    WrittenFrames now;
    for (int k = 0; k < kFrameCount; ++k) {
        const LIN_FrameEntry &entry = lin.Frames[static_cast<std::size_t>(k)];
        now[static_cast<std::size_t>(k)] = {entry.Active,
                                            FrameByteCount(lin, k),
                                            TestBit(lin.FrameFormats, k),
                                            entry.Data};
    }
    const std::optional<WrittenFrames> before = std::exchange(lastWritten, std::nullopt);
    writeList(frames,
              "Frame",
              kFrameCount,
              frameFits,
              shapeFrame,
              [&now, &before](pugi::xml_node frame, int k) {
                  const WrittenFrame &values = now[static_cast<std::size_t>(k)];
                  if (before && (*before)[static_cast<std::size_t>(k)] == values)
                      return;
                  pugi::xml_node value = frame.first_child();
                  value.text().set(k);
                  value = value.next_sibling();
                  value.text().set(static_cast<unsigned>(values.active));
                  value = value.next_sibling();
                  value.text().set(values.length);
                  value = value.next_sibling();
                  value.text().set(values.format);
                  WriteDataBytes(value.next_sibling(), values.data, values.length);
              });
    lastWritten = now;
}

} // namespace vxl
