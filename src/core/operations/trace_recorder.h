#pragma once

#include "core/operations/operator_interface.h"

#include <QObject>
#include <QString>

#include <functional>

namespace vxl {

class OperationContext;
class TraceLog;

// "Start Trace" and "Stop Trace": records the trace log and, on stop, asks where to save it,
// saves it and opens the saved file. Shutdown and the loss of the connection stop it the same
// way. Whatever cannot be written is said, with the place where the recorded lines are kept.
// A file named *.pcapng gets the Wireshark capture of the same messages instead of the lines.
class TraceRecorder : public QObject
{
    Q_OBJECT

public:
    // Opens a saved file with the desktop's handler for its type.
    using FileOpener = std::function<bool(const QString &path)>;

    // `updateStates` recomputes the command states after the recording started or ended.
    TraceRecorder(OperationContext &context,
                  TraceLog &log,
                  std::function<void()> updateStates,
                  QObject *parent = nullptr);

    void SetFileOpener(FileOpener opener) { m_opener = std::move(opener); }

    // Starts recording; false (the user told why) when the log cannot be written.
    bool Start();
    // Ends a recording: asks for the file, saves and opens it. Asks once, however often it is
    // called while the question is open.
    void Stop();

    [[nodiscard]] static FilePrompt LogPrompt();
    // Whether the chosen file is to hold the capture rather than the text lines.
    [[nodiscard]] static bool IsCaptureFile(const QString &path);
    // Writes what the log recorded to `path` without ever truncating an existing file before
    // the new content is complete; a device or a folder is refused.
    [[nodiscard]] static bool SaveRecorded(const TraceLog &log, const QString &path);
    // The same for the capture recorded beside the lines.
    [[nodiscard]] static bool SaveRecordedCapture(const TraceLog &log, const QString &path);

private:
    void onAppendFailed();

    OperationContext &m_ctx;
    TraceLog &m_log;
    std::function<void()> m_updateStates;
    FileOpener m_opener;
    bool m_asking = false;
};

} // namespace vxl
