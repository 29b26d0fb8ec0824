#include "core/operations/trace_recorder.h"

#include "core/operations/operation_context.h"
#include "core/profiles/in_place_writer.h"
#include "core/trace/trace_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace vxl {

TraceRecorder::TraceRecorder(OperationContext &context,
                             TraceLog &log,
                             std::function<void()> updateStates,
                             QObject *parent)
    : QObject(parent)
    , m_ctx(context)
    , m_log(log)
    , m_updateStates(std::move(updateStates))
{
    connect(&m_log, &TraceLog::appendFailed, this, &TraceRecorder::onAppendFailed);
}

namespace {

const QString kCaptureSuffix = QStringLiteral("pcapng");

// Copies a recorded file to `path` without ever truncating an existing file before the new
// content is complete; a device or a folder is refused.
bool copyRecorded(const QString &recordedPath, const QString &path)
{
    QFile recorded(recordedPath);
    if (!recorded.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = recorded.readAll();
    if (recorded.error() != QFileDevice::NoError)
        return false;
    const QFileInfo target(path);
    if (target.exists()) {
        // A device or a folder is no place for a log (reading /dev/full for a backup would
        // never end).
        return target.isFile() && WriteFileInPlace(path, bytes);
    }
    QSaveFile created(path);
    return created.open(QIODevice::WriteOnly) && created.write(bytes) == bytes.size()
           && created.commit();
}

} // namespace

FilePrompt TraceRecorder::LogPrompt()
{
    // The extension the filter names, so that the desktop can open the saved file. The dialog
    // gives a name typed without one the extension of the file type chosen.
    return {true,
            QStringLiteral("Save LOG File"),
            QStringLiteral("Text Files (*.txt);;Wireshark capture (*.pcapng)"),
            QStringLiteral("txt"),
            QStringLiteral("LINLog")};
}

bool TraceRecorder::IsCaptureFile(const QString &path)
{
    return QFileInfo(path).suffix().compare(kCaptureSuffix, Qt::CaseInsensitive) == 0;
}

bool TraceRecorder::Start()
{
    TraceLog &log = m_log;
    if (log.IsRecording() || !m_ctx.IsConnected())
        return log.IsRecording();
    const QString folder = QDir::tempPath();
    const bool started = log.Start(QDateTime::currentDateTime(), folder);
    m_updateStates();
    if (!started)
        m_ctx.Error(QStringLiteral("The trace cannot be recorded: no file can be written in the "
                                   "temporary folder \"")
                    + QDir::toNativeSeparators(folder) + QStringLiteral("\" (") + log.ErrorString()
                    + QStringLiteral(")."));
    return started;
}

void TraceRecorder::Stop()
{
    TraceLog &log = m_log;
    if (!log.IsRecording() || m_asking)
        return;
    m_asking = true;
    const QString path = m_ctx.Operator().PromptFile(LogPrompt());
    m_asking = false;
    if (!log.IsRecording()) {
        // The log failed while the dialog was open; the user has been told where it is.
        m_updateStates();
        return;
    }
    log.Stop();
    m_updateStates();
    if (path.isEmpty()) {
        log.Discard();
        return;
    }
    const bool capture = IsCaptureFile(path);
    if (!(capture ? SaveRecordedCapture(m_log, path) : SaveRecorded(m_log, path))) {
        const QString kept = capture ? log.KeepCapture() : log.Keep();
        m_ctx.Error((capture ? QStringLiteral("The trace capture could not be saved as \"")
                             : QStringLiteral("The trace log could not be saved as \""))
                    + QDir::toNativeSeparators(path)
                    + (capture ? QStringLiteral("\". The recorded capture is kept in \"")
                               : QStringLiteral("\". The recorded lines are kept in \""))
                    + QDir::toNativeSeparators(kept) + QStringLiteral("\"."));
        return;
    }
    log.Discard();
    if (m_opener)
        m_opener(path);
}

bool TraceRecorder::SaveRecorded(const TraceLog &log, const QString &path)
{
    return copyRecorded(log.RecordedPath(), path);
}

bool TraceRecorder::SaveRecordedCapture(const TraceLog &log, const QString &path)
{
    return copyRecorded(log.RecordedCapturePath(), path);
}

void TraceRecorder::onAppendFailed()
{
    TraceLog &log = m_log;
    const std::uint32_t lines = log.LineCount();
    const QString reason = log.ErrorString();
    const QString kept = log.Keep();
    // Told after the message that failed has been handled, not in the middle of it.
    QMetaObject::invokeMethod(
        this,
        [this, lines, reason, kept] {
            m_updateStates();
            m_ctx.Error(QStringLiteral("The trace log cannot be written any more (") + reason
                        + QStringLiteral("). Recording has stopped; the ") + QString::number(lines)
                        + QStringLiteral(" message lines recorded so far are kept in \"")
                        + QDir::toNativeSeparators(kept) + QStringLiteral("\"."));
        },
        Qt::QueuedConnection);
}

} // namespace vxl
