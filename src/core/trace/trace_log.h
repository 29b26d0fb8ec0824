#pragma once

#include "core/trace/display_entry.h"
#include "core/trace/trace_capture.h"

#include <QDateTime>
#include <QDir>
#include <QObject>
#include <QString>

#include <cstdint>

namespace vxl {

// The trace log: from start to stop one line per message of the module's own. Lines go to a
// file of their own in the temporary folder as they come, so a long recording costs no memory
// and is still on disk when the chosen file cannot be written; saving copies it there. Beside
// the lines, a Wireshark capture of the same messages is recorded the same way, so that either
// can be saved when the recording stops.
class TraceLog : public QObject
{
    Q_OBJECT

public:
    static constexpr int kHeaderLines = 11;

    explicit TraceLog(QObject *parent = nullptr);
    ~TraceLog() override;
    TraceLog(const TraceLog &) = delete;
    TraceLog &operator=(const TraceLog &) = delete;

    // Starts recording: header lines 1 to 11 with the given start time, line counter 0. A
    // recording not yet saved is dropped. False, with ErrorString(), when no file could be
    // written in the folder.
    bool Start(const QDateTime &started = QDateTime::currentDateTime(),
               const QString &folder = QDir::tempPath());
    [[nodiscard]] bool IsRecording() const { return m_fd >= 0; }
    // One message line for the entry as it is after the message, and the message in the
    // capture. When either cannot be written the recording ends, what was written before stays
    // in RecordedPath() and RecordedCapturePath() and appendFailed is emitted.
    bool Append(const clsDisplayEntry &entry);
    // Ends recording; the lines stay in RecordedPath() and the capture, closed with its
    // statistics, in RecordedCapturePath() until Discard() or the next Start().
    void Stop();
    // Removes the recorded files.
    void Discard();
    // Leaves the file of the lines where it is for good and returns its path; the capture goes.
    QString Keep();
    // Leaves the capture where it is for good and returns its path; the lines go.
    QString KeepCapture();

    [[nodiscard]] std::uint32_t LineCount() const { return m_lines; }
    // The file holding the lines (while recording and after Stop()).
    [[nodiscard]] QString RecordedPath() const { return m_path; }
    // The file holding the capture (pcapng).
    [[nodiscard]] QString RecordedCapturePath() const { return m_capturePath; }
    // Why the last Start() or Append() failed.
    [[nodiscard]] QString ErrorString() const { return m_error; }

    [[nodiscard]] static QString HeaderText(const QDateTime &started);
    [[nodiscard]] static QString MessageLine(std::uint32_t number, const clsDisplayEntry &entry);

signals:
    void appendFailed();

private:
    bool writeAll(const QByteArray &bytes);
    bool startCapture(const QString &folder);
    void closeFile();
    void removeCapture();

    int m_fd = -1;
    QString m_path;
    TraceCapture m_capture;
    QString m_capturePath;
    QString m_error;
    std::int64_t m_size = 0; // bytes of whole lines written
    std::uint32_t m_lines = 0;
};

} // namespace vxl
