#pragma once

#include "core/link/lin_msg.h"

#include <QString>

#include <cstdint>

namespace vxl {

// Entry types of the trace.
enum TraceType : std::uint8_t {
    TypeMessage = 0,
    TypeError = 1,
    TypeWarning = 2,
    TypeStatus = 3,
    TypeUnknown = 4
};

// One distinct (source, type, code/ID) of the module's own messages, counted.
class clsDisplayEntry
{
public:
    std::uint32_t previousTime = 0;
    std::uint32_t lastTime = 0;
    std::int32_t count = 1;
    LIN_Msg message; // as first received
    std::int32_t codeId = -1;
    std::uint8_t source = 0;
    std::uint8_t type = TypeUnknown;

    // Decodes a message into source, type, code/ID and description.
    [[nodiscard]] static clsDisplayEntry Decode(const LIN_Msg &msg);
    // Source, type and code/ID alone: the description is decoded when first asked for.
    [[nodiscard]] static clsDisplayEntry DecodeKey(const LIN_Msg &msg);

    // The decoded content of the last occurrence, empty when nothing is decoded. Decoded when
    // asked for rather than with every occurrence: a flood of repeats costs no text, only the
    // list's refresh and the log do.
    [[nodiscard]] const QString &Description() const;
    // Another occurrence: the description becomes that of this message.
    void SetLatest(const LIN_Msg &msg);
    // The message of the last occurrence.
    [[nodiscard]] const LIN_Msg &Latest() const { return m_latest; }

    [[nodiscard]] bool SameKey(const clsDisplayEntry &other) const
    {
        return source == other.source && type == other.type && codeId == other.codeId;
    }
    // Milliseconds between the last two occurrences, modulo 2^32.
    [[nodiscard]] std::uint32_t Period() const { return lastTime - previousTime; }
    [[nodiscard]] QString SourceName() const;
    [[nodiscard]] QString TypeName() const;
    // "Code / ID" cell: upper-case hexadecimal, at least two digits, then "h".
    [[nodiscard]] QString CodeIdText() const;

private:
    LIN_Msg m_latest;
    mutable QString m_description;
    mutable bool m_described = false;
};

[[nodiscard]] QString TraceSourceName(int source);
[[nodiscard]] QString TraceTypeName(int type);

// The three sort orders of the trace list, ascending (descending reverses them).
enum class TraceSortColumn { Source = 0, Type = 1, CodeId = 2 };
[[nodiscard]] int CompareEntries(const clsDisplayEntry &a,
                                 const clsDisplayEntry &b,
                                 TraceSortColumn column);

} // namespace vxl
