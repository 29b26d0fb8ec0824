// A child process saves a profile (or restores one) and is killed at one step of the writer;
// then the tool's own open must give the old profile, the new one, or offer the backup that
// holds the old one. Failures of the disk and of the folders take part as rows of their own.

#include "core/operations/profile_files.h"
#include "core/profiles/backup_recovery.h"
#include "core/profiles/in_place_writer.h"
#include "core/profiles/profile_document.h"
#include "scripted_operator.h"
#include "test_files.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vxl;
using vxl::test::ScriptedOperator;
using vxl::test::writeFile;

namespace {

constexpr std::uint32_t kOldRate = 9600;
constexpr std::uint32_t kNewRate = 4800;

// What the child does before it saves.
enum class Setup {
    Plain,          // nothing
    FolderRefuses,  // the profile's folder refuses the backup
    NoStateFolder,  // ... and a file stands where the state folder should be
    DiskFullTarget, // the new content does not fit
    DiskFullBackup, // not even the backup fits
    MidWrite,       // killed half-way through writing the new content
};

const char *stepName(WriteStep step)
{
    static const char *const names[] = {"backup beside",
                                        "backup created",
                                        "record synced",
                                        "backup synced",
                                        "backup's folder synced",
                                        "record completed",
                                        "target truncated",
                                        "target written",
                                        "target synced",
                                        "backup removed",
                                        "removal synced",
                                        "record removed",
                                        "target renamed",
                                        "target's folder synced"};
    return names[int(step)];
}

// What the child does: save the new profile, or restore the backup a killed save left.
enum class Job { Save, SaveNewFile, Restore };

// The new profile is the larger one, so that a limit can let the backup through and stop it.
QByteArray profileBytes(std::uint32_t baudrate)
{
    clsVLINXMLProfile document;
    document.LoadDefault();
    document.WriteRS232(baudrate);
    if (baudrate == kNewRate) {
        ModuleConfig values = ModuleConfig::NewProfile();
        values.LIN.SchedulerCount = kMaxSchedulerEntries;
        document.WriteLIN(values.LIN);
    }
    return document.Serialize();
}

void limitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

[[noreturn]] void runChild(Job job,
                           Setup setup,
                           std::optional<WriteStep> killAt,
                           const QString &path,
                           const QString &scratch)
{
    SafeWriteOptions options;
    options.oldContentSound = clsVLINXMLProfile::IsReadableProfile;
    options.afterStep = [&](WriteStep step) {
        if (killAt && step == *killAt)
            ::kill(::getpid(), SIGKILL);
        const bool refuse = setup == Setup::FolderRefuses || setup == Setup::NoStateFolder;
        return refuse && step == WriteStep::BackupBeside ? StepAction::Fail : StepAction::Continue;
    };
    if (setup == Setup::MidWrite)
        options.writer = [](int fd, const QByteArray &bytes) {
            (void) WriteAllBytes(fd, bytes.left(bytes.size() / 2));
            ::kill(::getpid(), SIGKILL);
            return false;
        };
    const QByteArray fresh = profileBytes(kNewRate);
    if (setup == Setup::NoStateFolder)
        qputenv("XDG_STATE_HOME", QFile::encodeName(scratch));
    const qsizetype old = profileBytes(kOldRate).size();
    if (setup == Setup::DiskFullTarget)
        limitFileSize(rlim_t((old + fresh.size()) / 2));
    if (setup == Setup::DiskFullBackup)
        limitFileSize(rlim_t(old / 2));
    bool ok = false;
    if (job == Job::Restore) {
        const auto backup = RestorableProfileBackup(path);
        ok = backup && RestoreBackup(*backup, options).ok;
    } else {
        ok = WriteFileSafely(path, fresh, options).ok;
    }
    ::_exit(ok ? 0 : 1);
}

// Runs the child to its end; how it ended.
QString runInChild(Job job,
                   Setup setup,
                   std::optional<WriteStep> killAt,
                   const QString &path,
                   const QString &scratch)
{
    const pid_t child = ::fork();
    if (child == 0)
        runChild(job, setup, killAt, path, scratch);
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return QStringLiteral("lost");
    if (WIFSIGNALED(status))
        return WTERMSIG(status) == SIGKILL ? QStringLiteral("killed") : QStringLiteral("crashed");
    return WEXITSTATUS(status) == 0 ? QStringLiteral("saved") : QStringLiteral("failed");
}

// What the tool's open gives, the backup's question answered YES.
QString openedByTheTool(const QString &path)
{
    ScriptedOperator op;
    op.defaultAnswer = BoxResult::Yes;
    clsVLINXMLProfile document;
    ProfileFiles files(op, document);
    const bool loaded = files.OpenProfileAtStart(path);
    const bool offered = !op.boxTexts(BoxKind::Confirmation).isEmpty();
    QString outcome = offered ? QStringLiteral("offered backup, ") : QString();
    if (!loaded)
        return outcome
               + (QFileInfo::exists(path) ? QStringLiteral("broken") : QStringLiteral("absent"));
    const std::uint32_t rate = files.ProfileCopy().RS232.Baudrate;
    return outcome
           + (rate == kOldRate   ? QStringLiteral("old")
              : rate == kNewRate ? QStringLiteral("new")
                                 : QStringLiteral("other"));
}

} // namespace

class TestSaveKillMatrix : public QObject
{
    Q_OBJECT

private slots:
    void killedOrFailing_data();
    void killedOrFailing();
};

void TestSaveKillMatrix::killedOrFailing_data()
{
    QTest::addColumn<Job>("job");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("killAt"); // -1: not killed
    QTest::addColumn<QString>("child");
    QTest::addColumn<QString>("opened");

    const QString old = "old";
    const QString fresh = "new";
    const QString offered = "offered backup, old";
    const std::pair<WriteStep, QString> saveSteps[] = {
        {WriteStep::BackupBeside, old},
        {WriteStep::BackupCreated, old},
        {WriteStep::RecordSynced, old},
        {WriteStep::BackupSynced, old},
        {WriteStep::BackupFolderSynced, old},
        {WriteStep::RecordCompleted, old},
        {WriteStep::TargetTruncated, offered},
        {WriteStep::TargetWritten, fresh},
        {WriteStep::TargetSynced, fresh},
        {WriteStep::BackupRemoved, fresh},
        {WriteStep::BackupRemovalSynced, fresh},
        {WriteStep::RecordRemoved, fresh},
    };
    for (const auto &[step, opened] : saveSteps) {
        QTest::addRow("save: %s", stepName(step))
            << Job::Save << Setup::Plain << int(step) << "killed" << opened;
        QTest::addRow("save, folder refuses: %s", stepName(step))
            << Job::Save << Setup::FolderRefuses << int(step) << "killed" << opened;
    }
    const std::pair<WriteStep, QString> newFileSteps[] = {
        {WriteStep::TargetWritten, "absent"},
        {WriteStep::TargetSynced, "absent"},
        {WriteStep::TargetRenamed, fresh},
        {WriteStep::TargetFolderSynced, fresh},
    };
    for (const auto &[step, opened] : newFileSteps)
        QTest::addRow("new file: %s", stepName(step))
            << Job::SaveNewFile << Setup::Plain << int(step) << "killed" << opened;
    // The restore of a backup that a save killed after the truncation left.
    const std::pair<WriteStep, QString> restoreSteps[] = {
        {WriteStep::TargetTruncated, offered},
        {WriteStep::TargetWritten, old},
        {WriteStep::TargetSynced, old},
        {WriteStep::BackupRemoved, old},
        {WriteStep::BackupRemovalSynced, old},
        {WriteStep::RecordRemoved, old},
    };
    for (const auto &[step, opened] : restoreSteps)
        QTest::addRow("restore: %s", stepName(step))
            << Job::Restore << Setup::Plain << int(step) << "killed" << opened;

    QTest::newRow("save: half-way through writing")
        << Job::Save << Setup::MidWrite << -1 << "killed" << offered;
    QTest::newRow("disk full: the new content does not fit")
        << Job::Save << Setup::DiskFullTarget << -1 << "failed" << old;
    QTest::newRow("disk full: the backup does not fit")
        << Job::Save << Setup::DiskFullBackup << -1 << "failed" << old;
    QTest::newRow("read-only folder: backup in the state folder")
        << Job::Save << Setup::FolderRefuses << -1 << "saved" << fresh;
    QTest::newRow("read-only folder, a file for the state folder")
        << Job::Save << Setup::NoStateFolder << -1 << "failed" << old;
}

void TestSaveKillMatrix::killedOrFailing()
{
    QFETCH(Job, job);
    QFETCH(Setup, setup);
    QFETCH(int, killAt);
    QFETCH(QString, child);
    QFETCH(QString, opened);

    QTemporaryDir dir;
    const QString path = dir.filePath("bench.vxlin");
    const QString scratch = dir.filePath("state-is-a-file");
    QVERIFY(writeFile(scratch, "not a folder"));
    if (job != Job::SaveNewFile)
        QVERIFY(writeFile(path, profileBytes(kOldRate)));
    if (job == Job::Restore)
        QCOMPARE(runInChild(Job::Save, Setup::Plain, WriteStep::TargetTruncated, path, scratch),
                 QString("killed"));
    const std::optional<WriteStep> step = killAt < 0 ? std::nullopt
                                                     : std::optional(WriteStep(killAt));
    QCOMPARE(runInChild(job, setup, step, path, scratch), child);
    QCOMPARE(openedByTheTool(path), opened);
    // Whatever the tool offered it restored: a second open finds the profile itself.
    if (opened.startsWith("offered"))
        QCOMPARE(openedByTheTool(path), QString("old"));
    qInfo().noquote() << "matrix:" << QTest::currentDataTag() << "|" << child << "|" << opened;
}

QTEST_GUILESS_MAIN(TestSaveKillMatrix)
#include "tst_save_kill_matrix.moc"
