// Saving over a file: stopped at every step, killed at random instants, and failing for real.
// Whatever happens the old content survives, in the file itself or in the named backup.

#include "core/profiles/in_place_writer.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

using namespace vxl;

namespace {

QByteArray filled(char c, int size)
{
    return QByteArray(size, c);
}

const QByteArray kOld = filled('o', 100);
const QByteArray kNew = filled('n', 4000);

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
};

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
    QTest::addColumn<WriteStep>("step");
    QTest::addColumn<StepAction>("action");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("backupLeft");

    const QByteArray empty;
    QTest::newRow("fail after backup")
        << WriteStep::BackupSynced << StepAction::Fail << false << kOld << false;
    QTest::newRow("fail after truncation")
        << WriteStep::TargetTruncated << StepAction::Fail << false << kOld << false;
    QTest::newRow("fail after writing")
        << WriteStep::TargetWritten << StepAction::Fail << false << kOld << false;
    QTest::newRow("fail after sync")
        << WriteStep::TargetSynced << StepAction::Fail << false << kOld << false;
    // The new content is durable by then: a backup that cannot be removed costs nothing.
    QTest::newRow("fail after removal")
        << WriteStep::BackupRemoved << StepAction::Fail << true << kNew << false;
    QTest::newRow("killed after backup")
        << WriteStep::BackupSynced << StepAction::Abandon << false << kOld << true;
    QTest::newRow("killed after truncation")
        << WriteStep::TargetTruncated << StepAction::Abandon << false << empty << true;
    QTest::newRow("killed after writing")
        << WriteStep::TargetWritten << StepAction::Abandon << false << kNew << true;
    QTest::newRow("killed after sync")
        << WriteStep::TargetSynced << StepAction::Abandon << false << kNew << true;
    QTest::newRow("killed after removal")
        << WriteStep::BackupRemoved << StepAction::Abandon << false << kNew << false;
}

void TestInPlaceWriter::stoppedAtStep()
{
    QFETCH(WriteStep, step);
    QFETCH(StepAction, action);
    QFETCH(bool, saved);
    QFETCH(QByteArray, target);
    QFETCH(bool, backupLeft);

    QTemporaryDir dir;
    const QString path = dir.filePath("profile.vxlin");
    writeFile(path, kOld);
    std::vector<WriteStep> seen;
    SafeWriteOptions options;
    options.afterStep = [&](WriteStep reached) {
        seen.push_back(reached);
        return reached == step ? action : StepAction::Continue;
    };
    const WriteResult result = WriteFileSafely(path, kNew, options);

    QCOMPARE(result.ok, saved);
    QCOMPARE(result.keptBackup, QString());
    if (!saved && action == StepAction::Fail)
        QCOMPARE(result.error, systemText(EIO));
    QCOMPARE(seen.back(), step);
    QCOMPARE(int(seen.size()), int(step) + 1);
    QCOMPARE(readFile(path), target);
    const QStringList others = othersIn(dir, path);
    if (!backupLeft) {
        QCOMPARE(others, QStringList());
        return;
    }
    QCOMPARE(others, QStringList{"profile.vxlin.bak"});
    QCOMPARE(readFile(BackupPathFor(path)), kOld);
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
    // happens, one complete content is at the file or, failing that, in a backup beside it.
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
        const QStringList others = othersIn(dir, path);
        if (target != kOld && target != kNew) {
            ++torn;
            bool backedUp = false;
            for (const QString &name : others) {
                const QByteArray kept = readFile(dir.filePath(name));
                backedUp = backedUp
                           || (name.startsWith("profile.vxlin.bak")
                               && (kept == kOld || kept == kNew));
            }
            QVERIFY2(backedUp,
                     qPrintable(QStringLiteral("run %1: %2 bytes and no backup")
                                    .arg(run)
                                    .arg(target.size())));
        }
        for (const QString &name : others)
            QFile::remove(dir.filePath(name));
    }
    qInfo("torn targets rescued by their backup: %d of 300", torn);
}

QTEST_GUILESS_MAIN(TestInPlaceWriter)
#include "tst_in_place_writer.moc"
