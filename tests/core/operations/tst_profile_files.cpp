// The profile file commands through the scripted operator: the questions with their answers,
// the file prompts, the labels and the enabled commands, and files on disk.

#include "core/operations/profile_files.h"
#include "core/profiles/backup_record.h"
#include "core/profiles/file_times.h"
#include "core/profiles/in_place_writer.h"
#include "core/profiles/profile_document.h"
#include "scripted_operator.h"
#include "test_files.h"
#include "test_support.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vxl;
using vxl::test::readFile;
using vxl::test::ScriptedOperator;
using vxl::test::writeFile;

namespace {

constexpr char kCet[] = "CET-1CEST,M3.5.0,M10.5.0/3";

// A saved profile with one value of its own.
QString savedProfile(const QString &path, std::uint32_t baudrate)
{
    clsVLINXMLProfile document;
    document.LoadDefault();
    document.WriteRS232(baudrate);
    return document.SaveAs(path) ? path : QString();
}

// A profile whose LIN group lacks "Retries".
QString brokenProfile(const QString &path)
{
    clsVLINXMLProfile document;
    document.LoadDefault();
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(
                                          document.Serialize().constData() + 2),
                                      (document.Serialize().size() - 2) / 2);
    text.replace("encoding=\"UTF-16\"", "encoding=\"UTF-8\"");
    text.replace(QRegularExpression("<Retries>\\d+</Retries>"), QString());
    return writeFile(path, text.toUtf8()) ? path : QString();
}

// The file cut short by a save killed at a step; the old content is in the recorded backup.
void killedSave(const QString &path, const QByteArray &bytes, WriteStep step, bool halfWritten)
{
    SafeWriteOptions options;
    if (halfWritten)
        options.writer = [](int fd, const QByteArray &all) {
            return WriteAllBytes(fd, all.left(all.size() / 2));
        };
    options.afterStep = [step](WriteStep at) {
        return at == step ? StepAction::Abandon : StepAction::Continue;
    };
    QVERIFY(!WriteFileSafely(path, bytes, options).ok);
}

QByteArray profileBytes(std::uint32_t baudrate)
{
    clsVLINXMLProfile document;
    document.LoadDefault();
    document.WriteRS232(baudrate);
    return document.Serialize();
}

QString restoreQuestion(const QString &name, const QString &backup)
{
    return QStringLiteral("The profile \"%1\" was not saved completely. Its previous content was "
                          "kept in \"%2\". Restore it?")
        .arg(name, backup);
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

struct Fixture
{
    ScriptedOperator op;
    clsVLINXMLProfile document;
    ProfileFiles files{op, document};
    QSignalSpy shown{&files, &ProfileFiles::profileShown};
    QSignalSpy cleared{&files, &ProfileFiles::profileCleared};
};

} // namespace

class TestProfileFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void newThenSaveAsThenSet();
    void newFromModuleValues();
    void menuNewChecksFirst();
    void unsavedChangesQuestion_data();
    void unsavedChangesQuestion();
    void yesOnUnnamedProfileAsksForAFile_data();
    void yesOnUnnamedProfileAsksForAFile();
    void failedSaveEndsTheCommand();
    void openKeepsOrUnloads_data();
    void openKeepsOrUnloads();
    void openAtStart_data();
    void openAtStart();
    void fileTimeTexts_data();
    void fileTimeTexts();
    void labelsShowTheFileTimes();
    void openOffersTheRecordedBackup_data();
    void openOffersTheRecordedBackup();
    void offersTheNewestBackupThatIsAProfile();
    void failedReadBackKeepsTheDocument();
    void profileFromModuleCountsAsUnnamed_data();
    void profileFromModuleCountsAsUnnamed();
    void temporaryFileFailureNamesNoFolder();
};

void TestProfileFiles::initTestCase()
{
    // Every local time in this test is central European, whatever the machine's zone.
    qputenv("TZ", kCet);
    tzset();
}

void TestProfileFiles::newThenSaveAsThenSet()
{
    Fixture f;
    QCOMPARE(f.files.State("btbSaveAs"), false);
    f.files.NewProfile();
    QCOMPARE(f.op.boxes.size(), size_t(0));
    QVERIFY(f.document.IsLoaded());
    QVERIFY(!f.document.IsModified());
    QCOMPARE(f.files.ProfileCopy(), ModuleConfig::NewProfile());
    QCOMPARE(f.shown.count(), 1);
    QCOMPARE(f.cleared.count(), 1);
    QCOMPARE(f.files.Labels().path, QString());
    QCOMPARE(f.files.Labels().date, QString());
    for (const char *name : {"btbSave", "mniSave", "tbtSave"})
        QVERIFY2(!f.files.State(name), name);
    for (const char *name : {"btbSaveAs", "mniSaveAs", "tbtSaveAs", "btbClear", "panEditing"})
        QVERIFY2(f.files.State(name), name);

    QTemporaryDir dir;
    const QString path = dir.filePath("mine.vxlin");
    f.op.fileAnswers = {path};
    QVERIFY(f.files.SaveProfileAs());
    QCOMPARE(f.op.filePrompts.size(), size_t(1));
    const FilePrompt &prompt = f.op.filePrompts.front();
    QVERIFY(prompt.save);
    QCOMPARE(prompt.title, QString("Save LIN Configuration File"));
    QCOMPARE(prompt.initialName, QString("NewProfile.vxlin"));
    QCOMPARE(prompt.filter, QString("VEXA-LIN profile (*.vxlin)"));
    QCOMPARE(f.files.Labels().path, path);
    QVERIFY(!f.files.Labels().accDate.isEmpty());
    QVERIFY(!f.files.State("btbSave"));

    // "Set" on a value: "Save" is enabled; saving disables it and the file holds the value.
    QVERIFY(f.document.WriteRS232(9600));
    f.files.UpdateProfileCommands();
    QVERIFY(f.files.State("btbSave"));
    QVERIFY(f.files.SaveProfile());
    QVERIFY(!f.files.State("btbSave"));
    clsVLINXMLProfile again;
    QVERIFY(again.OpenFile(path));
    ModuleConfig values = ModuleConfig::NewProfile();
    QVERIFY(again.ReadAll(&values.RS232.Baudrate, &values.CAN, &values.LIN));
    QCOMPARE(values.RS232.Baudrate, 9600u);
}

void TestProfileFiles::newFromModuleValues()
{
    Fixture f;
    ModuleConfig module = ModuleConfig::NewProfile();
    module.RS232.Baudrate = 57600;
    module.CAN.IdOffset = 0x1234;
    f.files.NewProfile(&module);
    const QString file = f.document.FileName();
    QVERIFY(QFileInfo(file).fileName().startsWith("vxlin"));
    QVERIFY(!f.document.IsModified());
    QCOMPARE(f.files.ProfileCopy().RS232.Baudrate, 57600u);
    QCOMPARE(f.files.ProfileCopy().CAN.IdOffset, 0x1234u);
    QCOMPARE(f.files.Labels().path, QString());
    QFile::remove(file);
}

void TestProfileFiles::menuNewChecksFirst()
{
    ScriptedOperator op;
    clsVLINXMLProfile document;
    bool idle = false;
    int checks = 0;
    ProfileFiles files(op, document, [&] {
        ++checks;
        if (!idle)
            op.ShowNotice(QStringLiteral("Action in progress. Please wait..."), -1);
        return idle;
    });
    files.NewFromMenu();
    QCOMPARE(checks, 1);
    QCOMPARE(op.notices, QStringList{"Action in progress. Please wait..."});
    QCOMPARE(op.view, View::ModuleData);
    QVERIFY(!document.IsLoaded());

    idle = true;
    files.NewFromMenu();
    QCOMPARE(op.view, View::Profiles);
    QVERIFY(document.IsLoaded());
    // The button asks nothing and leaves the view to the user.
    op.view = View::Messages;
    files.NewProfile();
    QCOMPARE(op.view, View::Messages);
    QCOMPARE(checks, 2);
}

void TestProfileFiles::unsavedChangesQuestion_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<BoxResult>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("wentOn");

    const QString questions[] = {ProfileFiles::kNewQuestion,
                                 ProfileFiles::kOpenQuestion,
                                 ProfileFiles::kClearQuestion,
                                 ProfileFiles::kExitQuestion};
    const char *commands[] = {"new", "open", "clear", "exit"};
    for (int i = 0; i < 4; ++i) {
        const QString c = QString::fromLatin1(commands[i]);
        QTest::addRow("%s, yes", commands[i])
            << c << BoxResult::Yes << questions[i] << true << true;
        QTest::addRow("%s, no", commands[i]) << c << BoxResult::No << questions[i] << false << true;
        QTest::addRow("%s, cancel", commands[i])
            << c << BoxResult::Cancel << questions[i] << false << false;
    }
}

void TestProfileFiles::unsavedChangesQuestion()
{
    QFETCH(QString, command);
    QFETCH(BoxResult, answer);
    QFETCH(QString, question);
    QFETCH(bool, saved);
    QFETCH(bool, wentOn);

    QTemporaryDir dir;
    const QString path = savedProfile(dir.filePath("edited.vxlin"), 19200);
    const QString other = savedProfile(dir.filePath("other.vxlin"), 4800);
    const QByteArray before = readFile(path);
    Fixture f;
    QVERIFY(f.files.OpenProfileAtStart(path));
    QVERIFY(f.document.WriteRS232(115200));
    f.op.answers = {answer};
    f.op.fileAnswers = {other};

    bool result = true;
    if (command == "new")
        f.files.NewProfile();
    else if (command == "open")
        f.files.OpenProfile();
    else if (command == "clear")
        f.files.ClearProfile();
    else
        result = f.files.ConfirmExit();

    QCOMPARE(f.op.boxTexts(), QStringList{question});
    QCOMPARE(readFile(path) != before, saved);
    if (command == "exit") {
        QCOMPARE(result, wentOn);
        return;
    }
    // The command ended with the edited profile untouched, or went on and replaced it.
    const QString expectedFile = !wentOn ? path : command == "open" ? other : QString();
    QCOMPARE(f.document.FileName(), expectedFile);
    QCOMPARE(f.document.IsLoaded(), command != "clear" || !wentOn);
    QCOMPARE(f.document.IsModified(), !wentOn);
    // The open dialog is shown only once the question let the command go on.
    QCOMPARE(f.op.filePrompts.size(), size_t(command == "open" && wentOn ? 1 : 0));
}

void TestProfileFiles::yesOnUnnamedProfileAsksForAFile_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : {"new", "open", "clear", "exit"})
        QTest::newRow(command) << QString::fromLatin1(command);
}

void TestProfileFiles::yesOnUnnamedProfileAsksForAFile()
{
    QFETCH(QString, command);
    Fixture f;
    f.files.NewProfile();
    QVERIFY(f.document.WriteRS232(4800));
    f.op.answers = {BoxResult::Yes};
    // The save dialog is cancelled: the command ends and nothing is lost.
    bool result = true;
    if (command == "new")
        f.files.NewProfile();
    else if (command == "open")
        f.files.OpenProfile();
    else if (command == "clear")
        f.files.ClearProfile();
    else
        result = f.files.ConfirmExit();
    QCOMPARE(f.op.filePrompts.size(), size_t(1));
    QVERIFY(f.op.filePrompts.front().save);
    QVERIFY(!result || command != "exit");
    QVERIFY(f.document.IsLoaded());
    QVERIFY(f.document.IsModified());
    std::uint32_t baudrate = 0;
    QVERIFY(f.document.ReadRS232(&baudrate));
    QCOMPARE(baudrate, 4800u);

    // Given a file, the same answer saves there and the command goes on.
    QTemporaryDir dir;
    f.op.answers = {BoxResult::Yes};
    f.op.fileAnswers = {dir.filePath("named.vxlin"), QString()};
    f.files.ClearProfile();
    QVERIFY(!f.document.IsLoaded());
    QVERIFY(QFile::exists(dir.filePath("named.vxlin")));
}

void TestProfileFiles::failedSaveEndsTheCommand()
{
    QTemporaryDir dir;
    const QString path = savedProfile(dir.filePath("full.vxlin"), 19200);
    const QByteArray before = readFile(path);
    Fixture f;
    QVERIFY(f.files.OpenProfileAtStart(path));
    QVERIFY(f.document.WriteRS232(9600));
    clsVLINXMLProfile::SetFileWriterForTesting([](int fd, const QByteArray &bytes) {
        const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        const bool ok = WriteAllBytes(full, bytes);
        const int error = errno;
        ::close(full);
        errno = error;
        return ok && fd >= 0;
    });
    f.op.answers = {BoxResult::Yes};
    f.files.ClearProfile();
    f.files.SaveProfile();
    clsVLINXMLProfile::SetFileWriterForTesting({});

    const QString error = "Error saving the profile \"full.vxlin\": No space left on device";
    QCOMPARE(f.op.boxTexts(), (QStringList{ProfileFiles::kClearQuestion, error, error}));
    QCOMPARE(f.op.boxes.back().kind, BoxKind::Error);
    QVERIFY(f.document.IsModified());
    QVERIFY(f.files.State("btbSave"));
    QCOMPARE(readFile(path), before);
}

void TestProfileFiles::openKeepsOrUnloads_data()
{
    // The error box: the first line names the file, the second says why it cannot be read.
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("error"); // a pattern; empty: no box
    QTest::addColumn<bool>("keepsOld");
    QTest::newRow("cancelled") << "" << QString() << true;
    QTest::newRow("not a profile")
        << "not_a_profile.xml"
        << "Reading from file \"not_a_profile\\.xml\" failed\nVXLIN_PROFILE: missing, not a "
           "VEXA-LIN profile"
        << true;
    QTest::newRow("truncated")
        << "truncated.vxlin"
        << "Reading from file \"truncated\\.vxlin\" failed\nnot a well-formed XML file \\(.+ at "
           "offset \\d+\\)"
        << true;
    QTest::newRow("binary") << "binary.vxlin"
                            << "Reading from file \"binary\\.vxlin\" failed\nnot a well-formed XML "
                               "file \\(.+ at offset \\d+\\)"
                            << true;
    QTest::newRow("empty") << "empty.vxlin"
                           << "Reading from file \"empty\\.vxlin\" failed\nnot a well-formed XML "
                              "file \\(.+ at offset 0\\)"
                           << true;
    QTest::newRow("incomplete LIN group")
        << "broken.vxlin"
        << "Reading from file \"broken\\.vxlin\" failed\nLIN/Retries: missing" << false;
    QTest::newRow("text for a number")
        << "letters.vxlin"
        << "Reading from file \"letters\\.vxlin\" failed\nCAN/Baudrate: \"zz99\" is not a number "
           "from 0 to 65535"
        << false;
    QTest::newRow("good") << "good.vxlin" << QString() << false;
}

void TestProfileFiles::openKeepsOrUnloads()
{
    QFETCH(QString, chosen);
    QFETCH(QString, error);
    QFETCH(bool, keepsOld);
    QTemporaryDir dir;
    const QString old = savedProfile(dir.filePath("old.vxlin"), 9600);
    savedProfile(dir.filePath("good.vxlin"), 4800);
    brokenProfile(dir.filePath("broken.vxlin"));
    QVERIFY(QFile::copy(test::dataFile("profiles/not_a_profile.xml"),
                        dir.filePath("not_a_profile.xml")));
    const QByteArray whole = readFile(old);
    QVERIFY(writeFile(dir.filePath("truncated.vxlin"), whole.left(whole.size() / 2)));
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919 + 13) & 0xFF);
    QVERIFY(writeFile(dir.filePath("binary.vxlin"), binary));
    QVERIFY(writeFile(dir.filePath("empty.vxlin"), QByteArray()));
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(whole.constData() + 2),
                                      (whole.size() - 2) / 2);
    text.replace("encoding=\"UTF-16\"", "encoding=\"UTF-8\"");
    text.replace(QRegularExpression("<Baudrate>28</Baudrate>"), "<Baudrate>zz99</Baudrate>");
    QVERIFY(writeFile(dir.filePath("letters.vxlin"), text.toUtf8()));
    Fixture f;
    QVERIFY(f.files.OpenProfileAtStart(old));
    f.shown.clear();
    f.op.fileAnswers = {chosen.isEmpty() ? QString() : dir.filePath(chosen)};
    f.files.OpenProfile();

    const QStringList errors = f.op.boxTexts(BoxKind::Error);
    QCOMPARE(errors.size(), error.isEmpty() ? 0 : 1);
    if (!error.isEmpty()) {
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(error));
        QVERIFY2(pattern.match(errors.front()).hasMatch(), qPrintable(errors.front()));
    }
    QCOMPARE(f.op.filePrompts.front().title, QString("Select LIN Configuration File"));
    QVERIFY(!f.op.filePrompts.front().save);
    if (keepsOld) {
        QCOMPARE(f.document.FileName(), old);
        QVERIFY(f.document.IsLoaded());
        QCOMPARE(f.files.Labels().path, old);
        QCOMPARE(f.files.ProfileCopy().RS232.Baudrate, 9600u);
        QCOMPARE(f.shown.count(), 0);
        return;
    }
    if (!error.isEmpty()) {
        QVERIFY(!f.document.IsLoaded());
        QCOMPARE(f.files.Labels().path, QString());
        QVERIFY(!f.files.State("btbSaveAs"));
        QVERIFY(!f.files.State("panEditing"));
        return;
    }
    QCOMPARE(f.files.Labels().path, dir.filePath("good.vxlin"));
    QCOMPARE(f.files.ProfileCopy().RS232.Baudrate, 4800u);
    QCOMPARE(f.shown.count(), 1);
    QCOMPARE(f.op.view, View::Profiles);
}

void TestProfileFiles::openAtStart_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("profile") << "good.vxlin" << true;
    QTest::newRow("incomplete LIN group") << "broken.vxlin" << false;
    QTest::newRow("not a profile") << "not_a_profile.xml" << false;
    QTest::newRow("missing") << "missing.vxlin" << false;
    QTest::newRow("a folder") << "." << false;
}

void TestProfileFiles::openAtStart()
{
    QFETCH(QString, file);
    QFETCH(bool, loaded);
    QTemporaryDir dir;
    savedProfile(dir.filePath("good.vxlin"), 4800);
    brokenProfile(dir.filePath("broken.vxlin"));
    QVERIFY(QFile::copy(test::dataFile("profiles/not_a_profile.xml"),
                        dir.filePath("not_a_profile.xml")));
    Fixture f;
    QCOMPARE(f.files.OpenProfileAtStart(dir.filePath(file)), loaded);
    QCOMPARE(f.document.IsLoaded(), loaded);
    QCOMPARE(f.op.boxes.size(), size_t(0));
    QCOMPARE(f.shown.count(), loaded ? 1 : 0);
    QCOMPARE(f.files.Labels().path, loaded ? dir.filePath(file) : QString());
}

void TestProfileFiles::fileTimeTexts_data()
{
    QTest::addColumn<QByteArray>("rule");
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::newRow("winter") << QByteArray(kCet) << utc(2024, 1, 15, 9, 5, 7) << "15/01/2024"
                            << "10:05:07";
    QTest::newRow("before spring change")
        << QByteArray(kCet) << utc(2024, 3, 31, 0, 59, 59) << "31/03/2024"
        << "01:59:59";
    QTest::newRow("after spring change")
        << QByteArray(kCet) << utc(2024, 3, 31, 1, 0, 0) << "31/03/2024"
        << "03:00:00";
    QTest::newRow("before autumn change")
        << QByteArray(kCet) << utc(2024, 10, 27, 0, 59, 59) << "27/10/2024"
        << "02:59:59";
    QTest::newRow("after autumn change")
        << QByteArray(kCet) << utc(2024, 10, 27, 1, 0, 0) << "27/10/2024"
        << "02:00:00";
    QTest::newRow("summer, 23:30 UTC")
        << QByteArray(kCet) << utc(2024, 6, 30, 23, 30, 0) << "01/07/2024"
        << "01:30:00";
    QTest::newRow("new year") << QByteArray(kCet) << utc(2024, 12, 31, 23, 30, 0) << "01/01/2025"
                              << "00:30:00";
    QTest::newRow("west of UTC, day before")
        << QByteArray("EST5EDT,M3.2.0,M11.1.0") << utc(2024, 3, 10, 3, 30, 0) << "09/03/2024"
        << "22:30:00";
    QTest::newRow("west of UTC, summer")
        << QByteArray("EST5EDT,M3.2.0,M11.1.0") << utc(2024, 3, 10, 7, 30, 0) << "10/03/2024"
        << "03:30:00";
    QTest::newRow("southern summer")
        << QByteArray("AEST-10AEDT,M10.1.0,M4.1.0/3") << utc(2024, 1, 15, 13, 30, 0) << "16/01/2024"
        << "00:30:00";
    QTest::newRow("southern winter")
        << QByteArray("AEST-10AEDT,M10.1.0,M4.1.0/3") << utc(2024, 7, 15, 13, 30, 0) << "15/07/2024"
        << "23:30:00";
    QTest::newRow("no daylight saving")
        << QByteArray("UTC0") << utc(2024, 6, 30, 23, 30, 0) << "30/06/2024"
        << "23:30:00";
}

void TestProfileFiles::fileTimeTexts()
{
    QFETCH(QByteArray, rule);
    QFETCH(QDateTime, instant);
    QFETCH(QString, date);
    QFETCH(QString, time);
    const QTimeZone zone(rule);
    QVERIFY(zone.isValid());
    QCOMPARE(FormatFileTime(instant, zone), (FileTimeTexts{date, time}));
}

void TestProfileFiles::labelsShowTheFileTimes()
{
    QTemporaryDir dir;
    const QString dayBefore = FormatFileTime(QDateTime::currentDateTimeUtc()).date;
    const QString path = savedProfile(dir.filePath("dated.vxlin"), 19200);
    const QString dayAfter = FormatFileTime(QDateTime::currentDateTimeUtc()).date;
    const timespec times[2] = {{0, UTIME_OMIT}, {utc(2024, 6, 30, 23, 30, 5).toSecsSinceEpoch(), 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    Fixture f;
    QSignalSpy labels(&f.files, &ProfileFiles::labelsChanged);
    QVERIFY(f.files.OpenProfileAtStart(path));
    QCOMPARE(labels.count(), 1);
    QCOMPARE(f.files.Labels().accDate, QString("01/07/2024"));
    QCOMPARE(f.files.Labels().accTime, QString("01:30:05"));
    // The creation time is the file's own, today.
    QVERIFY(f.files.Labels().date == dayBefore || f.files.Labels().date == dayAfter);

    // Once the file is gone the labels keep what they showed.
    QVERIFY(QFile::remove(path));
    f.files.ShowProfileFile(false);
    QCOMPARE(f.files.Labels().accTime, QString("01:30:05"));
    f.files.ShowProfileFile(true);
    QCOMPARE(f.files.Labels().accTime, QString());
}

void TestProfileFiles::openOffersTheRecordedBackup_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("halfWritten");
    QTest::addColumn<BoxResult>("answer");
    for (const char *command : {"open", "start"}) {
        for (const bool half : {false, true}) {
            const char *cut = half ? "half written" : "empty";
            QTest::addRow("%s, %s, yes", command, cut) << command << half << BoxResult::Yes;
            QTest::addRow("%s, %s, no", command, cut) << command << half << BoxResult::No;
        }
    }
}

void TestProfileFiles::openOffersTheRecordedBackup()
{
    QFETCH(QString, command);
    QFETCH(bool, halfWritten);
    QFETCH(BoxResult, answer);
    QTemporaryDir dir;
    const QString path = savedProfile(dir.filePath("bench.vxlin"), 9600);
    const QByteArray old = readFile(path);
    killedSave(path,
               profileBytes(4800),
               halfWritten ? WriteStep::TargetWritten : WriteStep::TargetTruncated,
               halfWritten);
    QVERIFY(readFile(path) != old);

    const auto openIt = [&](Fixture &f) {
        f.op.answers = {answer};
        if (command == "start")
            return f.files.OpenProfileAtStart(path);
        f.op.fileAnswers = {path};
        f.files.OpenProfile();
        return f.document.IsLoaded();
    };
    Fixture f;
    const bool loaded = openIt(f);
    const QString question = restoreQuestion("bench.vxlin", "bench.vxlin.bak");
    QCOMPARE(f.op.boxTexts(), QStringList{question});
    QCOMPARE(f.op.boxes.front().kind, BoxKind::Confirmation);
    if (answer == BoxResult::Yes) {
        QVERIFY(loaded);
        QCOMPARE(f.files.ProfileCopy().RS232.Baudrate, 9600u);
        QCOMPARE(f.files.Labels().path, path);
        QCOMPARE(f.shown.count(), 1);
        QCOMPARE(readFile(path), old);
        QVERIFY(!QFile::exists(BackupPathFor(path)));
        QVERIFY(BackupRecordsOf(path).empty());
        if (command == "open")
            QCOMPARE(f.op.view, View::Profiles);
        return;
    }
    // NO opens nothing and keeps the backup: the same question comes next time.
    QVERIFY(!loaded);
    QCOMPARE(f.shown.count(), 0);
    QCOMPARE(readFile(BackupPathFor(path)), old);
    Fixture again;
    QVERIFY(!openIt(again));
    QCOMPARE(again.op.boxTexts(), QStringList{question});
}

// Of two saves cut short the newer one is offered; a backup that is no profile is not.
void TestProfileFiles::offersTheNewestBackupThatIsAProfile()
{
    QTemporaryDir dir;
    const QString path = savedProfile(dir.filePath("bench.vxlin"), 9600);
    killedSave(path, profileBytes(4800), WriteStep::TargetSynced, false);
    killedSave(path, profileBytes(2400), WriteStep::TargetTruncated, false);
    Fixture f;
    f.op.answers = {BoxResult::Yes};
    QVERIFY(f.files.OpenProfileAtStart(path));
    QCOMPARE(f.op.boxTexts(), QStringList{restoreQuestion("bench.vxlin", "bench.vxlin.bak2")});
    QCOMPARE(f.files.ProfileCopy().RS232.Baudrate, 4800u);

    const QString broken = dir.filePath("broken.vxlin");
    QVERIFY(writeFile(broken, profileBytes(9600).left(300)));
    killedSave(broken, profileBytes(4800), WriteStep::TargetTruncated, false);
    Fixture g;
    g.op.fileAnswers = {broken};
    g.files.OpenProfile();
    QCOMPARE(g.op.boxTexts(BoxKind::Confirmation), QStringList());
    QVERIFY(!g.document.IsLoaded());
    QCOMPARE(readFile(BackupPathFor(broken)), profileBytes(9600).left(300));
}

// Save As whose file cannot be read back (a pipe): the document stays the one the editor shows,
// so a later Set writes into it and not into a fresh default document.
void TestProfileFiles::failedReadBackKeepsTheDocument()
{
    QTemporaryDir dir;
    const QString path = savedProfile(dir.filePath("edited.vxlin"), 19200);
    Fixture f;
    QVERIFY(f.files.OpenProfileAtStart(path));
    ModuleConfig edited = f.files.ProfileCopy();
    edited.CAN.IdOffset = 0x4321;
    QVERIFY(f.document.WriteCAN(edited.CAN));
    const QString pipe = dir.filePath("pipe.vxlin");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    QVERIFY(::fcntl(reader, F_SETPIPE_SZ, 1 << 20) > 0);
    f.op.fileAnswers = {pipe};
    QVERIFY(!f.files.SaveProfileAs());
    ::close(reader);

    QCOMPARE(f.op.boxTexts(BoxKind::Error),
             QStringList{"Error saving the profile \"pipe.vxlin\": The saved file cannot be read "
                         "again"});
    QVERIFY(f.document.IsLoaded());
    QCOMPARE(f.document.FileName(), path);
    QVERIFY(f.document.IsModified());
    QCOMPARE(f.files.Labels().path, path);
    // "Set" on the RS-232 group: the CAN group edited before is still there.
    QVERIFY(f.document.WriteRS232(57600));
    CAN_Group can{};
    QVERIFY(f.document.ReadCAN(&can));
    QCOMPARE(can.IdOffset, 0x4321u);
    QVERIFY(f.files.SaveProfile());
    clsVLINXMLProfile saved;
    QVERIFY(saved.OpenFile(path));
    QVERIFY(saved.ReadCAN(&can));
    QCOMPARE(can.IdOffset, 0x4321u);
}

void TestProfileFiles::profileFromModuleCountsAsUnnamed_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : {"save", "new", "open", "clear", "exit"})
        QTest::newRow(command) << QString::fromLatin1(command);
}

// "New from Module" keeps the profile in a temporary file; saving asks for a name, as for any
// new profile, and never writes the temporary file behind the user's back.
void TestProfileFiles::profileFromModuleCountsAsUnnamed()
{
    QFETCH(QString, command);
    Fixture f;
    ModuleConfig module = ModuleConfig::NewProfile();
    module.RS232.Baudrate = 57600;
    f.files.NewProfile(&module);
    const QString temporary = f.document.FileName();
    const QByteArray before = readFile(temporary);
    QVERIFY(f.document.WriteRS232(4800));
    f.files.UpdateProfileCommands();
    QVERIFY(!f.files.State("btbSave"));
    f.op.answers = {BoxResult::Yes};
    if (command == "save")
        QVERIFY(!f.files.SaveProfile());
    else if (command == "new")
        f.files.NewProfile();
    else if (command == "open")
        f.files.OpenProfile();
    else if (command == "clear")
        f.files.ClearProfile();
    else
        QVERIFY(!f.files.ConfirmExit());
    QCOMPARE(f.op.filePrompts.size(), size_t(1));
    QVERIFY(f.op.filePrompts.front().save);
    QCOMPARE(readFile(temporary), before);
    QVERIFY(f.document.IsModified());

    QTemporaryDir dir;
    f.op.fileAnswers = {dir.filePath("named.vxlin")};
    QVERIFY(f.files.SaveProfileAs());
    QVERIFY(f.document.WriteRS232(9600));
    QVERIFY(f.files.SaveProfile());
    QCOMPARE(f.op.filePrompts.size(), size_t(2));
    QCOMPARE(readFile(temporary), before);
    QFile::remove(temporary);
}

void TestProfileFiles::temporaryFileFailureNamesNoFolder()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("tmp"), "a file where the folder should be"));
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(dir.filePath("tmp")));
    Fixture f;
    ModuleConfig module = ModuleConfig::NewProfile();
    f.files.NewProfile(&module);
    qputenv("TMPDIR", saved);
    const QStringList errors = f.op.boxTexts(BoxKind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.front().startsWith("Error saving the profile \"NewProfile.vxlin\": "),
             qPrintable(errors.front()));
    QVERIFY(f.document.IsLoaded());
}

QTEST_GUILESS_MAIN(TestProfileFiles)
#include "tst_profile_files.moc"
