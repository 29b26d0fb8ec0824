// Saving over a file: stopped at every step, killed at random instants, and failing for real.
// Whatever happens the old content survives, in the file itself or in the named backup.

#include "core/profiles/backup_recovery.h"
#include "core/profiles/in_place_writer.h"
#include "core/profiles/state_folder.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

using namespace vxl;
using vxl::test::readFile;

namespace {

QByteArray filled(char c, int size)
{
    return QByteArray(size, c);
}

const QByteArray kOld = filled('o', 100);
const QByteArray kNew = filled('n', 4000);

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every file in the folder but the target: backups and half-written new files.
QStringList othersIn(const QTemporaryDir &dir, const QString &target)
{
    QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(QFileInfo(target).fileName());
    return names;
}

ino_t inodeOf(const QString &path)
{
    struct stat status
    {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

QString systemText(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

// Lowers the file size limit while alive; writes past it fail with EFBIG instead of a signal.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{bytes, m_saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

} // namespace

class TestInPlaceWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void savesInPlace();
    void stoppedAtStep_data();
    void stoppedAtStep();
    void newFileStopped_data();
    void newFileStopped();
    void failingWrite_data();
    void failingWrite();
    void failedRestoreKeepsBackup();
    void earlierBackupIsNeverOverwritten();
    void killedAtRandomInstants();
    void folderSyncFailures_data();
    void folderSyncFailures();
    void danglingLinkKeepsTheLink_data();
    void danglingLinkKeepsTheLink();
    void recordLeadsToTheBackup();
    void onlyOurOwnBackupIsUsed_data();
    void onlyOurOwnBackupIsUsed();
    void restoreFailingKeepsTheRecord();
    void refusedFolderKeepsTheBackupInTheStateFolder_data();
    void refusedFolderKeepsTheBackupInTheStateFolder();
    void stateFolderThatIsAFile();
    void hundredBackupNamesTaken();
    void earlierBackupsAfterASoundSave_data();
    void earlierBackupsAfterASoundSave();

private:
    // Backups and records a test leaves (a killed save leaves them on purpose) must not be seen
    // by the next test, nor by the next run.
    std::unique_ptr<QTemporaryDir> m_state;
};

void TestInPlaceWriter::init()
{
    m_state = std::make_unique<QTemporaryDir>();
    QVERIFY(m_state->isValid());
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_state->path()));
}

void TestInPlaceWriter::savesInPlace()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    const ino_t inode = inodeOf(path);

    const WriteResult result = WriteFileSafely(path, kNew);
    QVERIFY(result.ok);
    QVERIFY(result.error.isEmpty());
    QCOMPARE(readFile(path), kNew);
    QCOMPARE(inodeOf(path), inode);
    QCOMPARE(othersIn(dir, path), QStringList());

    // A new file appears whole, with nothing left beside it.
    const QString fresh = dir.filePath("fresh.vxlin");
    QVERIFY(WriteFileInPlace(fresh, kOld));
    QCOMPARE(readFile(fresh), kOld);
    QCOMPARE(othersIn(dir, path), QStringList{"fresh.vxlin"});
}

void TestInPlaceWriter::stoppedAtStep_data()
{
    // Failing for real at each step; the kill test stops a child process at each step.
    QTest::addColumn<WriteStep>("step");
    QTest::addColumn<bool>("saved");

    QTest::newRow("backup created") << WriteStep::BackupCreated << false;
    QTest::newRow("record synced") << WriteStep::RecordSynced << false;
    QTest::newRow("backup synced") << WriteStep::BackupSynced << false;
    QTest::newRow("backup's folder synced") << WriteStep::BackupFolderSynced << false;
    QTest::newRow("record completed") << WriteStep::RecordCompleted << false;
    QTest::newRow("target truncated") << WriteStep::TargetTruncated << false;
    QTest::newRow("target written") << WriteStep::TargetWritten << false;
    QTest::newRow("target synced") << WriteStep::TargetSynced << false;
    // The new content is durable by then: what is left to tidy up costs nothing.
    QTest::newRow("backup removed") << WriteStep::BackupRemoved << true;
    QTest::newRow("removal synced") << WriteStep::BackupRemovalSynced << true;
    QTest::newRow("record removed") << WriteStep::RecordRemoved << true;
}

void TestInPlaceWriter::stoppedAtStep()
{
    QFETCH(WriteStep, step);
    QFETCH(bool, saved);

    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    std::vector<WriteStep> seen;
    SafeWriteOptions options;
    options.afterStep = [&](WriteStep reached) {
        seen.push_back(reached);
        return reached == step ? StepAction::Fail : StepAction::Continue;
    };
    const WriteResult result = WriteFileSafely(path, kNew, options);

    QCOMPARE(result.ok, saved);
    QCOMPARE(result.keptBackup, QString());
    if (!saved)
        QCOMPARE(result.error, systemText(EIO));
    // A failure before the new content is durable ends the save there; after, it goes on.
    QCOMPARE(seen.at(int(step)), step);
    if (!saved)
        QCOMPARE(int(seen.size()), int(step) + 1);
    QCOMPARE(readFile(path), saved ? kNew : kOld);
    QCOMPARE(othersIn(dir, path), QStringList());
    QVERIFY(RecoverableBackupsOf(path).empty());
    QVERIFY(BackupRecordsOf(path).empty());
}

void TestInPlaceWriter::newFileStopped_data()
{
    QTest::addColumn<WriteStep>("step");
    QTest::addColumn<StepAction>("action");
    QTest::newRow("fail after writing") << WriteStep::TargetWritten << StepAction::Fail;
    QTest::newRow("fail after sync") << WriteStep::TargetSynced << StepAction::Fail;
    QTest::newRow("killed after writing") << WriteStep::TargetWritten << StepAction::Abandon;
}

void TestInPlaceWriter::newFileStopped()
{
    QFETCH(WriteStep, step);
    QFETCH(StepAction, action);
    QTemporaryDir dir;
    const QString path = dir.filePath("new.vxlin");
    SafeWriteOptions options;
    options.afterStep = [&](WriteStep reached) {
        return reached == step ? action : StepAction::Continue;
    };
    QVERIFY(!WriteFileSafely(path, kNew, options).ok);
    // Never a part of the content under the file's name.
    QVERIFY(!QFileInfo::exists(path));
    if (action == StepAction::Fail)
        QCOMPARE(othersIn(dir, path), QStringList());
}

void TestInPlaceWriter::failingWrite_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error");
    QTest::newRow("file size limit") << "rlimit" << EFBIG;
    QTest::newRow("disk full midway") << "devfull" << ENOSPC;
    QTest::newRow("folder is a regular file") << "folderfile" << ENOTDIR;
    QTest::newRow("target is a folder") << "folder" << EISDIR;
    QTest::newRow("device full") << "device" << ENOSPC;
}

void TestInPlaceWriter::failingWrite()
{
    QFETCH(QString, kind);
    QFETCH(int, error);
    QTemporaryDir dir;
    QString existing = dir.filePath("profile.vxlin");
    writeFile(existing, kOld);
    QString path = existing;
    SafeWriteOptions options;
    std::unique_ptr<FileSizeLimit> limit;
    if (kind == "rlimit") {
        limit = std::make_unique<FileSizeLimit>(1000);
    } else if (kind == "devfull") {
        // Half the bytes reach the file, the rest meets a full device.
        options.writer = [](int fd, const QByteArray &bytes) {
            if (!WriteAllBytes(fd, bytes.left(bytes.size() / 2)))
                return false;
            const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
            const bool ok = WriteAllBytes(full, bytes.mid(bytes.size() / 2));
            const int saved = errno;
            ::close(full);
            errno = saved;
            return ok;
        };
    } else if (kind == "folderfile") {
        path = existing + "/inside.vxlin";
    } else if (kind == "folder") {
        path = dir.path();
    } else {
        path = QStringLiteral("/dev/full");
    }
    const WriteResult result = WriteFileSafely(path, kNew, options);
    limit.reset();

    QVERIFY(!result.ok);
    QCOMPARE(result.error, systemText(error));
    QCOMPARE(result.keptBackup, QString());
    QCOMPARE(readFile(existing), kOld);
    QCOMPARE(othersIn(dir, existing), QStringList());
}

void TestInPlaceWriter::failedRestoreKeepsBackup()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    std::unique_ptr<FileSizeLimit> limit;
    SafeWriteOptions options;
    // The limit drops below the old size once the backup is written: neither the new nor the
    // old content fits any more.
    options.writer = [&limit](int fd, const QByteArray &bytes) {
        limit = std::make_unique<FileSizeLimit>(10);
        return WriteAllBytes(fd, bytes);
    };
    const WriteResult result = WriteFileSafely(path, kNew, options);
    limit.reset();

    QVERIFY(!result.ok);
    QCOMPARE(result.error, systemText(EFBIG));
    QCOMPARE(result.keptBackup, BackupPathFor(path));
    QCOMPARE(readFile(result.keptBackup), kOld);
    // The tool offers it when the file does not open.
    const std::vector<BackupRecord> kept = RecoverableBackupsOf(path);
    QCOMPARE(kept.size(), size_t(1));
    QCOMPARE(kept.front().backup, result.keptBackup);
    QVERIFY(RestoreBackup(kept.front()).ok);
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(othersIn(dir, path), QStringList());
    QVERIFY(BackupRecordsOf(path).empty());
}

void TestInPlaceWriter::earlierBackupIsNeverOverwritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    writeFile(BackupPathFor(path), "left by an earlier failure");
    SafeWriteOptions options;
    options.afterStep = [](WriteStep step) {
        return step == WriteStep::TargetTruncated ? StepAction::Abandon : StepAction::Continue;
    };
    QVERIFY(!WriteFileSafely(path, kNew, options).ok);
    QCOMPARE(readFile(BackupPathFor(path)), QByteArray("left by an earlier failure"));
    QCOMPARE(readFile(BackupPathFor(path, 1)), kOld);
}

void TestInPlaceWriter::killedAtRandomInstants()
{
    // A child saves two contents over the file by turns until it is killed; whenever that
    // happens, one complete content is at the file or, failing that, in a recorded backup.
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    const QByteArray contents[] = {kOld, kNew};
    int torn = 0;
    for (int run = 0; run < 300; ++run) {
        writeFile(path, kOld);
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            ::write(ready[1], "r", 1);
            for (unsigned i = 1;; ++i)
                (void) WriteFileSafely(path, contents[i % 2]);
        }
        ::close(ready[1]);
        char byte = 0;
        QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
        ::close(ready[0]);
        ::usleep(QRandomGenerator::global()->bounded(200u, 3000u));
        ::kill(child, SIGKILL);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);

        const QByteArray target = readFile(path);
        const std::vector<BackupRecord> recorded = RecoverableBackupsOf(path);
        if (target != kOld && target != kNew) {
            ++torn;
            QVERIFY2(!recorded.empty(),
                     qPrintable(QStringLiteral("run %1: %2 bytes and no recorded backup")
                                    .arg(run)
                                    .arg(target.size())));
            const QByteArray kept = readFile(recorded.front().backup);
            QVERIFY2(kept == kOld || kept == kNew, qPrintable(recorded.front().backup));
        }
        for (const BackupRecord &record : BackupRecordsOf(path))
            QVERIFY(RemoveBackupRecord(record));
        for (const QString &name : othersIn(dir, path))
            QFile::remove(dir.filePath(name));
    }
    qInfo("torn targets rescued by their backup: %d of 300", torn);
}

void TestInPlaceWriter::folderSyncFailures_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<WriteStep>("step");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("errorNamesFile");

    // The backup's name must be durable before the file is cut short.
    QTest::newRow("backup's folder, I/O error")
        << true << WriteStep::BackupFolderSynced << EIO << false << kOld << false;
    QTest::newRow("backup's folder, cannot sync a folder")
        << true << WriteStep::BackupFolderSynced << EINVAL << true << kNew << false;
    QTest::newRow("backup's folder, not supported")
        << true << WriteStep::BackupFolderSynced << ENOTSUP << true << kNew << false;
    // The new content is durable by then.
    QTest::newRow("after removing the backup")
        << true << WriteStep::BackupRemovalSynced << EIO << true << kNew << false;
    QTest::newRow("new file's folder")
        << false << WriteStep::TargetFolderSynced << EIO << false << kNew << true;
    QTest::newRow("new file's folder, not supported")
        << false << WriteStep::TargetFolderSynced << ENOTSUP << true << kNew << false;
}

void TestInPlaceWriter::folderSyncFailures()
{
    QFETCH(bool, existing);
    QFETCH(WriteStep, step);
    QFETCH(int, error);
    QFETCH(bool, saved);
    QFETCH(QByteArray, target);
    QFETCH(bool, errorNamesFile);

    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    if (existing)
        writeFile(path, kOld);
    bool reached = false;
    SafeWriteOptions options;
    options.stepError = error;
    options.afterStep = [&](WriteStep at) {
        reached = reached || at == step;
        return at == step ? StepAction::Fail : StepAction::Continue;
    };
    const WriteResult result = WriteFileSafely(path, kNew, options);
    QVERIFY(reached);
    QCOMPARE(result.ok, saved);
    QCOMPARE(readFile(path), target);
    QCOMPARE(othersIn(dir, path), QStringList());
    if (saved)
        return;
    QVERIFY2(result.error.startsWith(systemText(error)), qPrintable(result.error));
    QCOMPARE(result.error.contains("\"profile.vxlin\""), errorNamesFile);
}

void TestInPlaceWriter::danglingLinkKeepsTheLink_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("pointsTo");
    QTest::newRow("relative") << "link.vxlin"
                              << "real.vxlin";
    QTest::newRow("into a sub-folder") << "link.vxlin"
                                       << "sub/real.vxlin";
    QTest::newRow("link to a link") << "outer.vxlin"
                                    << "link.vxlin";
}

void TestInPlaceWriter::danglingLinkKeepsTheLink()
{
    QFETCH(QString, link);
    QFETCH(QString, pointsTo);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("sub"));
    if (link == "outer.vxlin")
        QVERIFY(QFile::link("real.vxlin", dir.filePath("link.vxlin")));
    QVERIFY(QFile::link(pointsTo, dir.filePath(link)));
    QVERIFY(WriteFileSafely(dir.filePath(link), kNew).ok);
    QVERIFY(QFileInfo(dir.filePath(link)).isSymLink());
    QCOMPARE(QFileInfo(dir.filePath(link)).symLinkTarget(), dir.filePath(pointsTo));
    QCOMPARE(readFile(dir.filePath(link)), kNew);
    const QString real = pointsTo.startsWith("sub/") ? pointsTo : QStringLiteral("real.vxlin");
    QVERIFY(!QFileInfo(dir.filePath(real)).isSymLink());
    QCOMPARE(readFile(dir.filePath(real)), kNew);
}

// A save killed between the truncation and the end: the record names the backup, made before
// the file was touched, and restoring it puts the old content back and tidies up.
void TestInPlaceWriter::recordLeadsToTheBackup()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    SafeWriteOptions options;
    std::vector<BackupRecord> duringSave;
    options.afterStep = [&](WriteStep step) {
        if (step == WriteStep::RecordCompleted)
            duringSave = RecoverableBackupsOf(path);
        return step == WriteStep::TargetTruncated ? StepAction::Abandon : StepAction::Continue;
    };
    QVERIFY(!WriteFileSafely(path, kNew, options).ok);
    // A save still running is neither offered nor tidied away.
    QVERIFY(duringSave.empty());
    QCOMPARE(BackupRecordsOf(path).size(), size_t(1));

    const std::vector<BackupRecord> kept = RecoverableBackupsOf(path);
    QCOMPARE(kept.size(), size_t(1));
    const BackupRecord &record = kept.front();
    struct stat status
    {};
    QCOMPARE(::stat(QFile::encodeName(record.backup).constData(), &status), 0);
    QCOMPARE(record.target, QFileInfo(path).canonicalFilePath());
    QCOMPARE(record.backup, QFileInfo(BackupPathFor(path)).canonicalFilePath());
    QCOMPARE(record.inode, std::uint64_t(status.st_ino));
    QCOMPARE(record.device, std::uint64_t(status.st_dev));
    QCOMPARE(record.pid, qint64(::getpid()));
    QCOMPARE(*record.size, kOld.size());
    QVERIFY(QFileInfo(record.recordFile).absolutePath().startsWith(StateFolder()));
    QCOMPARE(readFile(path), QByteArray());

    QVERIFY(RestoreBackup(record).ok);
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(othersIn(dir, path), QStringList());
    QVERIFY(BackupRecordsOf(path).empty());
}

void TestInPlaceWriter::onlyOurOwnBackupIsUsed_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("backup rewritten by the user") << "rewrite";
    QTest::newRow("same size, modified later") << "touch";
    QTest::newRow("another file moved in its place") << "replace";
    QTest::newRow("backup removed") << "remove";
    QTest::newRow("record never completed") << "incomplete";
}

void TestInPlaceWriter::onlyOurOwnBackupIsUsed()
{
    QFETCH(QString, change);
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    const QString backup = BackupPathFor(path);
    writeFile(path, kOld);
    SafeWriteOptions options;
    const WriteStep stop = change == "incomplete" ? WriteStep::BackupFolderSynced
                                                  : WriteStep::TargetTruncated;
    options.afterStep = [&](WriteStep step) {
        return step == stop ? StepAction::Abandon : StepAction::Continue;
    };
    QVERIFY(!WriteFileSafely(path, kNew, options).ok);
    const QByteArray mine = filled('u', kOld.size());
    const timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    if (change == "rewrite") {
        writeFile(backup, "the user's own notes");
    } else if (change == "touch") {
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(backup).constData(), later, 0), 0);
    } else if (change == "replace") {
        struct stat status
        {};
        QCOMPARE(::stat(QFile::encodeName(backup).constData(), &status), 0);
        const timespec same[2] = {{0, UTIME_OMIT}, status.st_mtim};
        writeFile(dir.filePath("mine"), mine);
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(dir.filePath("mine")).constData(), same, 0),
                 0);
        QCOMPARE(::rename(QFile::encodeName(dir.filePath("mine")).constData(),
                          QFile::encodeName(backup).constData()),
                 0);
    } else if (change == "remove") {
        QVERIFY(QFile::remove(backup));
    }
    const QByteArray before = readFile(backup);

    QVERIFY(RecoverableBackupsOf(path).empty());
    // The record is dropped; the file, whoever's it is now, stays as it is.
    QVERIFY(BackupRecordsOf(path).empty());
    QCOMPARE(readFile(backup), before);
    QCOMPARE(QFileInfo::exists(backup), change != "remove");
}

void TestInPlaceWriter::restoreFailingKeepsTheRecord()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    SafeWriteOptions killed;
    killed.afterStep = [](WriteStep step) {
        return step == WriteStep::TargetWritten ? StepAction::Abandon : StepAction::Continue;
    };
    QVERIFY(!WriteFileSafely(path, kNew.left(10), killed).ok);
    SafeWriteOptions failing;
    failing.afterStep = [](WriteStep step) {
        return step == WriteStep::TargetWritten ? StepAction::Fail : StepAction::Continue;
    };
    const WriteResult failed = RestoreBackup(RecoverableBackupsOf(path).front(), failing);
    QVERIFY(!failed.ok);
    QCOMPARE(failed.error, systemText(EIO));
    // Asked again next time, and then it works.
    const std::vector<BackupRecord> again = RecoverableBackupsOf(path);
    QCOMPARE(again.size(), size_t(1));
    QVERIFY(RestoreBackup(again.front()).ok);
    QCOMPARE(readFile(path), kOld);
    QVERIFY(BackupRecordsOf(path).empty());
}

void TestInPlaceWriter::refusedFolderKeepsTheBackupInTheStateFolder_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("saved") << false;
    QTest::newRow("killed after the truncation") << true;
}

void TestInPlaceWriter::refusedFolderKeepsTheBackupInTheStateFolder()
{
    QFETCH(bool, killed);
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    SafeWriteOptions options;
    options.afterStep = [&](WriteStep step) {
        if (step == WriteStep::BackupBeside)
            return StepAction::Fail;
        return killed && step == WriteStep::TargetTruncated ? StepAction::Abandon
                                                            : StepAction::Continue;
    };
    QCOMPARE(WriteFileSafely(path, kNew, options).ok, !killed);
    QCOMPARE(othersIn(dir, path), QStringList());
    const QStringList kept = QDir(StateBackupsFolder()).entryList(QDir::Files);
    if (!killed) {
        QCOMPARE(readFile(path), kNew);
        QCOMPARE(kept, QStringList());
        QVERIFY(BackupRecordsOf(path).empty());
        return;
    }
    const std::vector<BackupRecord> records = RecoverableBackupsOf(path);
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(QFileInfo(records.front().backup).absolutePath(), StateBackupsFolder());
    QVERIFY(records.front().backup.contains("profile.vxlin"));
    QCOMPARE(readFile(records.front().backup), kOld);
    QVERIFY(RestoreBackup(records.front()).ok);
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(QDir(StateBackupsFolder()).entryList(QDir::Files), QStringList());
}

// No record, no save: a save that could not be recovered from is not started.
void TestInPlaceWriter::stateFolderThatIsAFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    writeFile(dir.filePath("state"), "a file where a folder should be");
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("state")));
    const WriteResult result = WriteFileSafely(path, kNew);
    qputenv("XDG_STATE_HOME", saved);
    QVERIFY(!result.ok);
    QCOMPARE(result.error, systemText(ENOTDIR));
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(othersIn(dir, path), QStringList{"state"});
}

void TestInPlaceWriter::hundredBackupNamesTaken()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    for (int attempt = 0; attempt < 100; ++attempt)
        writeFile(BackupPathFor(path, attempt), "taken");
    const WriteResult result = WriteFileSafely(path, kNew);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(readFile(path), kNew);
    QCOMPARE(othersIn(dir, path).size(), 100);
}

void TestInPlaceWriter::earlierBackupsAfterASoundSave_data()
{
    QTest::addColumn<bool>("sound");
    QTest::newRow("the file was a sound profile") << true;
    QTest::newRow("the file was broken") << false;
}

// Every killed save leaves a backup; once a sound file is saved over they are no longer needed.
// A user's own file of a backup's name is never touched, and a hundred of them do not stop a
// save.
void TestInPlaceWriter::earlierBackupsAfterASoundSave()
{
    QFETCH(bool, sound);
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    for (int attempt = 0; attempt < 97; ++attempt)
        writeFile(BackupPathFor(path, attempt), "the user's own");
    SafeWriteOptions killed;
    killed.afterStep = [](WriteStep step) {
        return step == WriteStep::TargetSynced ? StepAction::Abandon : StepAction::Continue;
    };
    for (int run = 0; run < 5; ++run)
        QVERIFY(!WriteFileSafely(path, kOld, killed).ok);
    QCOMPARE(RecoverableBackupsOf(path).size(), size_t(5));

    SafeWriteOptions options;
    options.oldContentSound = [sound](const QByteArray &old) { return sound && old == kOld; };
    QVERIFY(WriteFileSafely(path, kNew, options).ok);
    QCOMPARE(readFile(path), kNew);
    QCOMPARE(RecoverableBackupsOf(path).size(), size_t(sound ? 0 : 5));
    for (int attempt = 0; attempt < 97; ++attempt)
        QCOMPARE(readFile(BackupPathFor(path, attempt)), QByteArray("the user's own"));
    QCOMPARE(othersIn(dir, path).size(), sound ? 97 : 100);
    QCOMPARE(QDir(StateBackupsFolder()).entryList(QDir::Files).size(), sound ? 0 : 2);
}

QTEST_GUILESS_MAIN(TestInPlaceWriter)
#include "tst_in_place_writer.moc"
