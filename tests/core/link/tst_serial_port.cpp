// The serial port over real pseudo-terminals: delivery, line settings, exclusivity, bounded
// writes, an idle reader after hang-up, reopening and closing.

#include "core/link/serial_port.h"
#include "pty_pair.h"

#include <QtTest>

#include <atomic>
#include <ctime>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace vxl;

namespace {

ComPortMap mapFor(const test::PtyPair &pty)
{
    return ComPortMap(ComPortRoots{pty.dosDevices(), QString(), QStringLiteral("/nonexistent")});
}

class CountingPort : public clsSrlPort
{
public:
    using clsSrlPort::clsSrlPort;
    std::atomic<int> chars{0};
    std::atomic<int> blocks{0};

protected:
    void OnRxChar() override { ++chars; }
    void OnRxBlock() override { ++blocks; }
};

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void burstsArriveInOrderWithoutLoss();
    void lineSettings_data();
    void lineSettings();
    void reopenWithZeroKeepsPortAndRate();
    void bytesFromBeforeTheOpenAreNotReceived();
    void heldPortIsNotAvailable();
    void listPorts();
    void writeIsBoundedWhenFarSideStopsReading();
    void readerIdlesAfterHangUp();
    void closeWaitsForReader();
    void openMissingPortFails();
    void terminalSettingsAreRestoredOnClose();
    void nonTerminalsAreNeitherListedNorOpened_data();
    void nonTerminalsAreNeitherListedNorOpened();
};

void TestSerialPort::burstsArriveInOrderWithoutLoss()
{
    test::PtyPair pty(3);
    CountingPort port(mapFor(pty));
    QVERIFY(port.OpenPort(3, 115200));
    QByteArray sent;
    for (int i = 0; i < 10000; ++i)
        sent.append(static_cast<char>((i * 7 + i / 256) & 0xFF));
    QVERIFY(pty.write(sent.left(3000)));
    QVERIFY(pty.write(sent.mid(3000)));
    QTRY_COMPARE_WITH_TIMEOUT(int(port.RxCount()), sent.size(), 5000);
    QCOMPARE(port.chars.load(), sent.size());
    QVERIFY(port.blocks.load() >= 5); // at most 2048 bytes a pass
    QByteArray got;
    std::uint8_t byte = 0;
    while (port.ReadByte(byte))
        got.append(static_cast<char>(byte));
    QCOMPARE(got, sent);
    QVERIFY(!port.ReadByte(byte));
}

void TestSerialPort::lineSettings_data()
{
    QTest::addColumn<uint>("rate");
    QTest::addColumn<uint>("speed");
    QTest::newRow("4800") << 4800u << uint(B4800);
    QTest::newRow("9600") << 9600u << uint(B9600);
    QTest::newRow("19200") << 19200u << uint(B19200);
    QTest::newRow("38400") << 38400u << uint(B38400);
    QTest::newRow("57600") << 57600u << uint(B57600);
    QTest::newRow("115200") << 115200u << uint(B115200);
}

void TestSerialPort::lineSettings()
{
    QFETCH(uint, rate);
    QFETCH(uint, speed);
    test::PtyPair pty(7);
    clsSrlPort port(mapFor(pty));
    QVERIFY(port.OpenPort(7, rate));
    QCOMPARE(port.GetBaudRate(), rate);
    termios tio{};
    QCOMPARE(tcgetattr(pty.masterFd(), &tio), 0);
    QCOMPARE(uint(cfgetospeed(&tio)), speed);
    QCOMPARE(uint(cfgetispeed(&tio)), speed);
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QVERIFY(tio.c_cflag & CLOCAL);
    QVERIFY(tio.c_cflag & CREAD);
    QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
    QCOMPARE(tio.c_iflag & (IXON | IXOFF | ICRNL), tcflag_t(0));
    QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
}

void TestSerialPort::reopenWithZeroKeepsPortAndRate()
{
    test::PtyPair pty(12);
    clsSrlPort port(mapFor(pty));
    QVERIFY(port.OpenPort(12, 9600));
    port.ClosePort();
    QVERIFY(!port.IsOpen());
    QVERIFY(port.OpenPort(0, 0));
    QCOMPARE(port.GetPortNumber(), std::uint8_t(12));
    QCOMPARE(port.GetBaudRate(), 9600u);
    termios tio{};
    tcgetattr(pty.masterFd(), &tio);
    QCOMPARE(cfgetospeed(&tio), speed_t(B9600));
}

// What the far end said while the port was closed (the last connection's traffic) is no answer
// to anything the new connection asks.
void TestSerialPort::bytesFromBeforeTheOpenAreNotReceived()
{
    test::PtyPair pty(13);
    clsSrlPort port(mapFor(pty));
    QVERIFY(port.OpenPort(13, 38400));
    port.ClosePort();
    QVERIFY(pty.write(QByteArrayLiteral("stale")));
    QVERIFY(port.OpenPort(13, 19200));
    QVERIFY(pty.write(QByteArrayLiteral("fresh")));
    QTRY_VERIFY_WITH_TIMEOUT(port.RxCount() >= 5, 5000);
    QByteArray got;
    std::uint8_t byte = 0;
    while (port.ReadByte(byte))
        got.append(static_cast<char>(byte));
    QCOMPARE(got, QByteArrayLiteral("fresh"));
}

void TestSerialPort::heldPortIsNotAvailable()
{
    test::PtyPair pty(2);
    const ComPortMap map = mapFor(pty);
    QVERIFY(clsSrlPort::PortExists(2, map));
    {
        clsSrlPort holder(map);
        QVERIFY(holder.OpenPort(2, 38400));
        QVERIFY(!clsSrlPort::PortExists(2, map));
        QString text;
        QCOMPARE(clsSrlPort::ListPorts(text, 10, map), 0);
        QCOMPARE(text, QString());
        clsSrlPort second(map);
        QVERIFY(!second.OpenPort(2, 38400));
        QVERIFY(second.LastError() != 0);
        second.ClosePort();
    }
    // Another program's lock (as root, the exclusive mode alone would not stop us).
    const int fd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    QVERIFY(!clsSrlPort::PortExists(2, map));
    ::close(fd);
    QVERIFY(clsSrlPort::PortExists(2, map));
}

void TestSerialPort::listPorts()
{
    test::PtyPair two(2);
    test::PtyPair seven(7);
    // One folder holding both links.
    QTemporaryDir dir;
    QVERIFY(QFile::link(two.slavePath(), dir.filePath("com2")));
    QVERIFY(QFile::link(seven.slavePath(), dir.filePath("com7")));
    QVERIFY(QFile::link("/nonexistent/tty", dir.filePath("com4")));
    const ComPortMap map(ComPortRoots{dir.path(), QString(), QStringLiteral("/nonexistent")});
    QString text;
    QCOMPARE(clsSrlPort::ListPorts(text, 10, map), 2);
    QCOMPARE(text, QStringLiteral("2,7"));
    QCOMPARE(clsSrlPort::ListPorts(text, 5, map), 1);
    QCOMPARE(text, QStringLiteral("2"));
    QCOMPARE(clsSrlPort::ListPorts(text, 0, map), 0);
    QCOMPARE(text, QString());
}

void TestSerialPort::writeIsBoundedWhenFarSideStopsReading()
{
    test::PtyPair pty(5);
    clsSrlPort port(mapFor(pty));
    QVERIFY(port.OpenPort(5, 38400));
    QElapsedTimer timer;
    timer.start();
    int written = 0;
    while (port.WriteByte(0x55)) {
        ++written;
        QVERIFY2(written < 1'000'000, "the pty never filled up");
    }
    const qint64 elapsed = timer.elapsed();
    QVERIFY(written > 0);
    QCOMPARE(port.LastError(), std::uint32_t(ETIMEDOUT));
    // The blocked byte waited the full write time-out, not longer.
    QVERIFY2(elapsed >= clsSrlPort::kWriteTimeoutMs - 50
                 && elapsed < clsSrlPort::kWriteTimeoutMs + 3000,
             qPrintable(QString::number(elapsed)));
}

void TestSerialPort::readerIdlesAfterHangUp()
{
    auto pty = std::make_unique<test::PtyPair>(8);
    clsSrlPort port(mapFor(*pty));
    QVERIFY(port.OpenPort(8, 38400));
    pty->closeMaster();
    QTest::qWait(50);
    const double before = processCpuSeconds();
    QTest::qWait(400);
    const double used = processCpuSeconds() - before;
    QVERIFY2(used < 0.1, qPrintable(QString::number(used)));
    port.ClosePort();
    QVERIFY(!port.IsOpen());
}

void TestSerialPort::closeWaitsForReader()
{
    test::PtyPair pty(3);
    struct SlowHookPort : clsSrlPort
    {
        using clsSrlPort::clsSrlPort;
        std::atomic<bool> inHook{false};
        std::atomic<bool> hookDone{false};
        void OnRxBlock() override
        {
            inHook = true;
            QThread::msleep(200);
            hookDone = true;
        }
    } port(mapFor(pty));
    QVERIFY(port.OpenPort(3, 38400));
    QVERIFY(pty.write("x"));
    QTRY_VERIFY(port.inHook.load());
    port.ClosePort();
    QVERIFY(port.hookDone.load());
    port.ClosePort(); // closing a closed port does nothing
    QVERIFY(!port.IsOpen());
    QCOMPARE(port.RxCount(), std::size_t(1)); // closing keeps queued bytes
    QCOMPARE(port.PurgePort(), std::uint32_t(EBADF));
    QCOMPARE(port.RxCount(), std::size_t(1));
}

void TestSerialPort::openMissingPortFails()
{
    QTemporaryDir dir;
    clsSrlPort port(ComPortMap(ComPortRoots{dir.path(), QString(), QStringLiteral("/nonexistent")}));
    QVERIFY(!port.OpenPort(9, 38400));
    QVERIFY(!port.IsOpen());
    QCOMPARE(port.LastError(), std::uint32_t(ENOENT));
}

void TestSerialPort::terminalSettingsAreRestoredOnClose()
{
    // A terminal someone works in: line editing and echo on, 9600 bit/s.
    test::PtyPair pty(3);
    termios cooked{};
    QCOMPARE(tcgetattr(pty.masterFd(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_iflag |= ICRNL;
    cooked.c_oflag |= OPOST;
    cfsetspeed(&cooked, B9600);
    QCOMPARE(tcsetattr(pty.masterFd(), TCSANOW, &cooked), 0);

    clsSrlPort port(mapFor(pty));
    QVERIFY(port.OpenPort(3, 38400));
    termios during{};
    tcgetattr(pty.masterFd(), &during);
    QCOMPARE(during.c_lflag & (ICANON | ECHO), tcflag_t(0));
    port.ClosePort();

    termios after{};
    QCOMPARE(tcgetattr(pty.masterFd(), &after), 0);
    QCOMPARE(after.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(ICANON | ECHO | ISIG));
    QCOMPARE(after.c_iflag & ICRNL, tcflag_t(ICRNL));
    QCOMPARE(after.c_oflag & OPOST, tcflag_t(OPOST));
    QCOMPARE(cfgetospeed(&after), speed_t(B9600));
}

void TestSerialPort::nonTerminalsAreNeitherListedNorOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("regular file") << "file";
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("character device that is no terminal") << "null";
}

void TestSerialPort::nonTerminalsAreNeitherListedNorOpened()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString target = dir.filePath("target");
    if (kind == "file") {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(target.toLocal8Bit().constData(), 0600), 0);
    } else {
        target = "/dev/null";
    }
    QVERIFY(QFile::link(target, dir.filePath("com3")));
    const ComPortMap map(ComPortRoots{dir.path(), QString(), QStringLiteral("/nonexistent")});
    QString text;
    QCOMPARE(clsSrlPort::ListPorts(text, 5, map), 0);
    QVERIFY(!clsSrlPort::PortExists(3, map));
    clsSrlPort port(map);
    QVERIFY(!port.OpenPort(3, 38400));
    QCOMPARE(port.LastError(), std::uint32_t(ENOTTY));
    port.ClosePort();
    if (kind == "file") {
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep"));
    }
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serial_port.moc"
