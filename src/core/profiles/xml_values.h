#pragma once

#include <pugixml.hpp>

#include <cstdint>

namespace vxl {

// How profile files keep their values, shared by the reader and the validator so that both
// take and refuse the same texts.

enum class DigitText { Number, NotANumber, AboveMax };

// Plain decimal digits only: no sign, no blanks, no prefix. A text of digits whose value passes
// max is AboveMax, even when a later character is no digit.
[[nodiscard]] DigitText ParseDigitText(const char *text, std::uint64_t max, std::uint64_t *value);

// True when the element holds child elements, where a value was expected.
[[nodiscard]] bool HoldsElements(const pugi::xml_node &node);

// Children are taken by position; walking on from the one before keeps reading a long list
// linear, where counting from the first child each time would not.
[[nodiscard]] pugi::xml_node FirstElement(const pugi::xml_node &parent);
[[nodiscard]] pugi::xml_node ElementAfter(const pugi::xml_node &node);
[[nodiscard]] int ElementCount(const pugi::xml_node &parent);

} // namespace vxl
