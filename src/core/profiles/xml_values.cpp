#include "core/profiles/xml_values.h"

namespace vxl {

namespace {

pugi::xml_node nextElement(pugi::xml_node node)
{
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

} // namespace

DigitText ParseDigitText(const char *text, std::uint64_t max, std::uint64_t *value)
{
    if (!text || !*text)
        return DigitText::NotANumber;
    std::uint64_t result = 0;
    for (const char *p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return DigitText::NotANumber;
        result = result * 10 + static_cast<std::uint64_t>(*p - '0');
        if (result > max)
            return DigitText::AboveMax;
    }
    *value = result;
    return DigitText::Number;
}

bool HoldsElements(const pugi::xml_node &node)
{
    return bool(
        node.find_child([](pugi::xml_node child) { return child.type() == pugi::node_element; }));
}

pugi::xml_node FirstElement(const pugi::xml_node &parent)
{
    return nextElement(parent.first_child());
}

pugi::xml_node ElementAfter(const pugi::xml_node &node)
{
    return node ? nextElement(node.next_sibling()) : pugi::xml_node();
}

int ElementCount(const pugi::xml_node &parent)
{
    int count = 0;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        count += child.type() == pugi::node_element ? 1 : 0;
    return count;
}

} // namespace vxl
