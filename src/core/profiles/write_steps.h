#pragma once

#include "core/profiles/in_place_writer.h"

namespace vxl {

// Consults the test seam of a save at each step.
class WriteSteps
{
public:
    explicit WriteSteps(const SafeWriteOptions &options)
        : m_options(options)
    {}
    // False when the save stops here: errno is set unless it was abandoned.
    bool passed(WriteStep step);
    [[nodiscard]] bool abandoned() const { return m_abandoned; }

private:
    const SafeWriteOptions &m_options;
    bool m_abandoned = false;
};

// Runs the writer; a writer that fails without saying why counts as an I/O error.
[[nodiscard]] bool RunWriter(const RawWriter &writer, int fd, const QByteArray &bytes);

// Cuts the open file short and writes the bytes into it, durably; errno set on failure.
[[nodiscard]] bool ReplaceContent(int fd,
                                  const QByteArray &bytes,
                                  const RawWriter &writer,
                                  WriteSteps *steps);

[[nodiscard]] WriteResult WriteFailure(int error);
[[nodiscard]] WriteResult WriteAbandoned();

} // namespace vxl
