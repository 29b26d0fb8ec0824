// Files that are not what a profile or a legacy profile should be: too deep, too big, a FIFO or
// a device. Each is refused after a bounded number of bytes read (counted by the kernel for
// this process in /proc/self/io) and without blocking the caller.

#include "core/profiles/bounded_file.h"
#include "core/profiles/profile_converter.h"
#include "core/profiles/profile_document.h"
#include "test_files.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace vxl;
using vxl::test::legacyHead;
using vxl::test::writeFile;

namespace {

constexpr qint64 kMiB = 1024 * 1024;

// Bytes this process has read through read() and its kin so far.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

// A profile the tool wrote, in UTF-8, with `depth` unknown elements nested inside its root.
QByteArray profileNested(int depth)
{
    clsVLINXMLProfile profile;
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(
                                          profile.DefaultImage().constData() + 2),
                                      (profile.DefaultImage().size() - 2) / 2);
    text.replace(QStringLiteral("UTF-16"), QStringLiteral("UTF-8"));
    const QString nested = QStringLiteral("<Extra>").repeated(depth) + QStringLiteral("kept")
                           + QStringLiteral("</Extra>").repeated(depth);
    text.replace(QStringLiteral("<LIN "), nested + QStringLiteral("<LIN "));
    return text.toUtf8();
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Runs the call on a thread of its own and waits for it; a call stuck on a FIFO is released by
// opening the FIFO for writing and closing it again, so the test ends either way.
bool finishesWithoutBlocking(const std::function<void()> &call, const QString &fifo = {})
{
    std::atomic<bool> done = false;
    std::thread worker([&] {
        call();
        done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, 20000);
    if (!finished && !fifo.isEmpty()) {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    worker.join();
    return finished;
}

} // namespace

class TestHostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void readRegularFile_data();
    void readRegularFile();
    void openRefuses_data();
    void openRefuses();
    void generousNestingIsKept();
    void legacyRefuses_data();
    void legacyRefuses();
    void saveAsOverFifoRefused();
};

void TestHostileFiles::readRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("read");

    QTest::newRow("small file") << "file" << qint64(100) << true;
    QTest::newRow("file at the limit") << "file" << qint64(10) << true;
    QTest::newRow("file past the limit") << "file" << qint64(9) << false;
    QTest::newRow("missing file") << "missing" << qint64(100) << false;
    QTest::newRow("folder") << "folder" << qint64(100) << false;
    QTest::newRow("FIFO without writer") << "fifo" << qint64(100) << false;
    QTest::newRow("device /dev/zero") << "/dev/zero" << qint64(100) << false;
    QTest::newRow("device /dev/null") << "/dev/null" << qint64(100) << false;
}

void TestHostileFiles::readRegularFile()
{
    QFETCH(QString, kind);
    QFETCH(qint64, limit);
    QFETCH(bool, read);

    QTemporaryDir dir;
    QString path = kind.startsWith(QLatin1Char('/')) ? kind : dir.filePath(kind);
    if (kind == QLatin1String("file"))
        QVERIFY(writeFile(path, "0123456789"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(kind));
    if (kind == QLatin1String("fifo"))
        QVERIFY(makeFifo(path));

    std::optional<QByteArray> bytes;
    std::optional<QByteArray> head;
    QVERIFY(finishesWithoutBlocking(
        [&] {
            bytes = ReadRegularFile(path, limit);
            head = ReadRegularFileHead(path, 4);
        },
        kind == QLatin1String("fifo") ? path : QString()));
    QCOMPARE(bytes.has_value(), read);
    if (read)
        QCOMPARE(*bytes, QByteArray("0123456789"));
    // The head of a regular file does not depend on its size.
    QCOMPARE(head.has_value(), kind == QLatin1String("file"));
    if (head)
        QCOMPARE(*head, QByteArray("0123"));
}

void TestHostileFiles::openRefuses_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("unknown element 70 levels deep") << "deep70";
    QTest::newRow("unknown element 10000 levels deep") << "deep10000";
    QTest::newRow("100 MB profile") << "huge";
    QTest::newRow("FIFO without writer") << "fifo";
    QTest::newRow("device /dev/zero") << "/dev/zero";
    // Saving would drop the bad bytes and turn "3\xC9" "400" into a valid 3400.
    QTest::newRow("byte invalid in UTF-8") << "utf8";
}

void TestHostileFiles::openRefuses()
{
    QFETCH(QString, kind);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("hostile.vxlin"));
    if (kind == QLatin1String("deep70"))
        QVERIFY(writeFile(path, profileNested(70)));
    if (kind == QLatin1String("deep10000"))
        QVERIFY(writeFile(path, profileNested(10000)));
    if (kind == QLatin1String("huge")) {
        // A valid profile followed by blanks up to 100 MB (sparse: nothing to write).
        QVERIFY(writeFile(path, profileNested(0)));
        QFile file(path);
        QVERIFY(file.resize(100 * kMiB));
    }
    if (kind == QLatin1String("fifo"))
        QVERIFY(makeFifo(path));
    if (kind == QLatin1String("utf8"))
        QVERIFY(writeFile(path,
                          profileNested(0).replace("<Baudrate>38400<",
                                                   "<Baudrate>3\xC9"
                                                   "400<")));
    if (kind.startsWith(QLatin1Char('/')))
        path = kind;

    clsVLINXMLProfile profile;
    bool opened = true;
    const qint64 before = bytesReadSoFar();
    QVERIFY(finishesWithoutBlocking([&] { opened = profile.OpenFile(path); },
                                    kind == QLatin1String("fifo") ? path : QString()));
    const qint64 read = bytesReadSoFar() - before;

    QVERIFY(!opened);
    QVERIFY(!profile.IsLoaded());
    QVERIFY(profile.FileName().isEmpty());
    QVERIFY2(read < kMiB, qPrintable(QStringLiteral("%1 bytes read").arg(read)));
}

void TestHostileFiles::generousNestingIsKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nested.vxlin"));
    const QString saved = dir.filePath(QStringLiteral("saved.vxlin"));
    QVERIFY(writeFile(path, profileNested(60)));

    clsVLINXMLProfile profile;
    QVERIFY(profile.OpenFile(path));
    std::uint32_t baudrate = 0;
    CAN_Group can;
    LIN_Group lin;
    QVERIFY(profile.ReadAll(&baudrate, &can, &lin));
    QVERIFY(profile.SaveAs(saved));

    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()
                                                                               + 2),
                                            (bytes.size() - 2) / 2);
    QCOMPARE(text.count(QStringLiteral("<Extra>")), 60);
    QVERIFY(text.contains(QStringLiteral(">kept<")));
}

void TestHostileFiles::legacyRefuses_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("1 GB legacy file") << "huge";
    QTest::newRow("FIFO without writer") << "fifo";
}

void TestHostileFiles::legacyRefuses()
{
    QFETCH(QString, kind);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("old.lin"));
    const QString target = dir.filePath(QStringLiteral("old.vxlin"));
    if (kind == QLatin1String("huge")) {
        QVERIFY(writeFile(source, legacyHead()));
        QFile file(source);
        QVERIFY(file.resize(1024 * kMiB));
    } else {
        QVERIFY(makeFifo(source));
    }

    clsVLINProfileConverter converter;
    converter.SetSource(source);
    converter.SetTarget(target);
    bool recognized = false;
    bool converted = true;
    const qint64 before = bytesReadSoFar();
    QVERIFY(finishesWithoutBlocking(
        [&] {
            recognized = converter.Recognize();
            converted = converter.Convert();
        },
        kind == QLatin1String("fifo") ? source : QString()));
    const qint64 read = bytesReadSoFar() - before;

    // A big file is still one of the old tool's by its head; it is refused when converted.
    QCOMPARE(recognized, kind == QLatin1String("huge"));
    QVERIFY(!converted);
    QVERIFY(!QFile::exists(target));
    QVERIFY2(read < kMiB, qPrintable(QStringLiteral("%1 bytes read").arg(read)));
}

void TestHostileFiles::saveAsOverFifoRefused()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("chosen.vxlin"));
    QVERIFY(makeFifo(fifo));

    clsVLINXMLProfile profile;
    QVERIFY(profile.LoadDefault());
    bool saved = true;
    QVERIFY(finishesWithoutBlocking([&] { saved = profile.SaveAs(fifo); }, fifo));
    QVERIFY(!saved);
    // The profile stays as it was, and the FIFO is still a FIFO.
    QVERIFY(profile.IsLoaded());
    QVERIFY(profile.FileName().isEmpty());
    struct stat info
    {};
    QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
}

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
