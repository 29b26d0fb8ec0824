#pragma once

#include "core/trace/display_entry.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTemporaryFile>

#include <memory>

namespace vxl {

// The trace log: from start to stop one line per message of the module's own. Lines go to a
// temporary file as they come, so a long recording costs no memory and survives until it is
// saved; stopping copies them to the file the user chose.
class TraceLog
{
public:
    static constexpr int kHeaderLines = 11;

    // Starts recording: header lines 1 to 11 with the given start time, line counter 0.
    bool Start(const QDateTime &started = QDateTime::currentDateTime());
    [[nodiscard]] bool IsRecording() const { return m_file != nullptr; }
    // One message line for the entry as it is after the message.
    bool Append(const clsDisplayEntry &entry);
    // Ends recording; with a path, the log is written there (replacing the file). False when
    // it could not be written.
    bool Stop(const QString &path = QString());

    [[nodiscard]] std::uint32_t LineCount() const { return m_lines; }
    // The file holding the lines so far (while recording).
    [[nodiscard]] QString TemporaryPath() const;

    // Where the lines of a log that could not be saved were kept.
    [[nodiscard]] QString KeptPath() const { return m_keptPath; }

    [[nodiscard]] static QString HeaderText(const QDateTime &started);
    [[nodiscard]] static QString MessageLine(std::uint32_t number, const clsDisplayEntry &entry);

private:
    static bool copyTo(QFile &source, const QString &path);

    std::unique_ptr<QTemporaryFile> m_file;
    QString m_keptPath;
    std::uint32_t m_lines = 0;
};

} // namespace vxl
