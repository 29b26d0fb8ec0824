// COM numbers resolved the way users and Wine map them, against fake roots only.

#include "core/link/com_port_map.h"

#include <QtTest>

using namespace vxl;

class TestComPortMap : public QObject
{
    Q_OBJECT

private slots:
    void resolve_data();
    void resolve();
    void userFolderFollowsXdgConfigHome();
};

void TestComPortMap::resolve_data()
{
    QTest::addColumn<QStringList>("userLinks"); // "n=target"
    QTest::addColumn<QStringList>("wineLinks");
    QTest::addColumn<QStringList>("devices"); // files in the fake /dev
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("expected"); // "user:n", "wine:n", "dev:name" or ""

    QTest::newRow("user link wins over wine")
        << QStringList{"3=/dev/null"} << QStringList{"3=/dev/zero"} << QStringList{"ttyS0"} << 3
        << "user:3";
    QTest::newRow("wine link") << QStringList{} << QStringList{"2=/dev/zero"} << QStringList{} << 2
                               << "wine:2";
    QTest::newRow("first serial device is COM1")
        << QStringList{} << QStringList{} << QStringList{"ttyS0", "ttyS1"} << 1 << "dev:ttyS0";
    QTest::newRow("families in order")
        << QStringList{} << QStringList{} << QStringList{"ttyS0", "ttyUSB0", "ttyACM0"} << 3
        << "dev:ttyACM0";
    QTest::newRow("family stops at its first gap")
        << QStringList{} << QStringList{} << QStringList{"ttyS0", "ttyS2", "ttyUSB0"} << 2
        << "dev:ttyUSB0";
    QTest::newRow("taken numbers are skipped") << QStringList{"1=/dev/null"} << QStringList{}
                                               << QStringList{"ttyS0", "ttyS1"} << 2 << "dev:ttyS0";
    QTest::newRow("wine and dangling links take their numbers too")
        << QStringList{"2=/nonexistent"} << QStringList{"1=/dev/null"}
        << QStringList{"ttyS0", "ttyS1"} << 3 << "dev:ttyS0";
    QTest::newRow("a number spelt with a leading zero takes nothing")
        << QStringList{"01=/dev/null"} << QStringList{} << QStringList{"ttyS0"} << 1 << "dev:ttyS0";
    QTest::newRow("dangling link still names the port")
        << QStringList{"4=/nonexistent"} << QStringList{} << QStringList{} << 4 << "user:4";
    QTest::newRow("nothing") << QStringList{} << QStringList{} << QStringList{"ttyS0"} << 5 << "";
    QTest::newRow("out of range") << QStringList{} << QStringList{} << QStringList{"ttyS0"} << 0
                                  << "";
}

void TestComPortMap::resolve()
{
    QFETCH(QStringList, userLinks);
    QFETCH(QStringList, wineLinks);
    QFETCH(QStringList, devices);
    QFETCH(int, number);
    QFETCH(QString, expected);

    QTemporaryDir user, wine, dev;
    const auto makeLinks = [](const QTemporaryDir &dir, const QStringList &links) {
        for (const QString &link : links) {
            const QStringList parts = link.split('=');
            QVERIFY(QFile::link(parts[1], dir.filePath("com" + parts[0])));
        }
    };
    makeLinks(user, userLinks);
    makeLinks(wine, wineLinks);
    for (const QString &device : devices) {
        QFile file(dev.filePath(device));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const ComPortMap map(ComPortRoots{user.path(), wine.path(), dev.path()});
    QString want;
    if (expected.startsWith("user:"))
        want = user.filePath("com" + expected.mid(5));
    else if (expected.startsWith("wine:"))
        want = wine.filePath("com" + expected.mid(5));
    else if (expected.startsWith("dev:"))
        want = dev.filePath(expected.mid(4));
    QCOMPARE(map.devicePath(number), want);
}

void TestComPortMap::userFolderFollowsXdgConfigHome()
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/vexalin-xdg");
    QCOMPARE(UserDosDevicesDir(), QStringLiteral("/tmp/vexalin-xdg/Norvel/VEXALIN/dosdevices"));
    QCOMPARE(ComPortRoots::fromEnvironment().userDosDevices, UserDosDevicesDir());
    qputenv("XDG_CONFIG_HOME", saved);
}

QTEST_GUILESS_MAIN(TestComPortMap)
#include "tst_com_port_map.moc"
