// Requests as the module must receive them, and the frame text the console shows.

#include "core/link/command_builders.h"
#include "core/link/command_catalogue.h"
#include "core/link/lin_port.h"

#include <QtTest>

using namespace vxl;

namespace {

QByteArray wire(const LIN_Msg &msg)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(msg.start));
    bytes.append(static_cast<char>(msg.header));
    bytes.append(static_cast<char>(msg.code));
    for (int i = 0; i < HeaderField(msg.header, 2); ++i)
        bytes.append(static_cast<char>(msg.data[static_cast<std::size_t>(i)]));
    bytes.append(static_cast<char>(msg.checksum));
    return bytes;
}

} // namespace

class TestCommandBuilders : public QObject
{
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
    void headerAndCodeHelpers();
    void ispRequest();
    void queuedThroughTheLink();
    void catalogueModes_data();
    void catalogueModes();
};

void TestCommandBuilders::requests_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("master status read")
        << 2 << 16 << 6 << QByteArray() << QByteArray::fromHex("026090F0") << "02h 60h 90h F0h";
    QTest::newRow("rs-232 rate 19200")
        << 0 << 31 << 0 << QByteArray::fromHex("004B") << QByteArray::fromHex("02021F004B56")
        << "02h 02h 1Fh 00h 4Bh 56h";
    QTest::newRow("hardware version")
        << 3 << 0 << 3 << QByteArray() << QByteArray::fromHex("0230C0F0") << "02h 30h C0h F0h";
    const QByteArray fifteen = QByteArray::fromHex("0102030405060708090A0B0C0D0E0F");
    QTest::newRow("fifteen data bytes")
        << 1 << 33 << 7 << fifteen
        << QByteArray::fromHex("027F61") + fifteen + QByteArray::fromHex("1E")
        << "02h 7Fh 61h 01h 02h 03h 04h 05h 06h 07h 08h 09h 0Ah 0Bh 0Ch 0Dh 0Eh 0Fh 1Eh";
    QTest::newRow("sixteenth byte ignored")
        << 1 << 33 << 7 << fifteen + QByteArray(1, '\x55')
        << QByteArray::fromHex("027F61") + fifteen + QByteArray::fromHex("1E")
        << "02h 7Fh 61h 01h 02h 03h 04h 05h 06h 07h 08h 09h 0Ah 0Bh 0Ch 0Dh 0Eh 0Fh 1Eh";
}

void TestCommandBuilders::requests()
{
    QFETCH(int, group);
    QFETCH(int, command);
    QFETCH(int, sequence);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const auto *raw = reinterpret_cast<const std::uint8_t *>(data.constData());
    const LIN_Msg msg = BuildRequest(group,
                                     command,
                                     sequence,
                                     {raw, static_cast<std::size_t>(data.size())});
    QCOMPARE(wire(msg), bytes);
    QCOMPARE(FormatFrame(msg), text);
}

void TestCommandBuilders::headerAndCodeHelpers()
{
    QCOMPARE(MakeHeader(7, 15), 0x7F);
    QCOMPARE(MakeHeader(8, 0), 255);
    QCOMPARE(MakeHeader(0, 16), 255);
    QCOMPARE(MakeCode(3, 63), 0xFF);
    QCOMPARE(MakeCode(4, 0), 255);
    QCOMPARE(MakeCode(1, 64), 255);
    QCOMPARE(HeaderField(0xD5, 0), 1);
    QCOMPARE(HeaderField(0xD5, 1), 5);
    QCOMPARE(HeaderField(0xD5, 2), 5);
    QCOMPARE(HeaderField(0xD5, 3), -1);
    LIN_Msg received;
    received.start = 2;
    received.header = 0x01;
    received.data[0] = 5;
    received.data[1] = 9; // beyond the length: never shown
    received.checksum = 4;
    QCOMPARE(FormatFrame(received), QStringLiteral("02h 01h 00h 05h 04h"));
}

void TestCommandBuilders::ispRequest()
{
    clsLinPort link;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(SendIspRequest(link, 2), 0);
    QVERIFY(timer.elapsed() >= 50);
    // The sender thread may already have taken it (no port open: the write fails), so check
    // the frame itself.
    const std::span<const std::uint8_t> access(reinterpret_cast<const std::uint8_t *>(
                                                   kIspAccessText),
                                               13);
    const LIN_Msg msg = BuildRequest(3, 63, 2, access);
    QCOMPARE(msg.header, 0x2D);
    QCOMPARE(msg.code, 0xFF);
    QCOMPARE(wire(msg).size(), 17);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(msg.data.data()), 13),
             QByteArray("MellowCanyons"));
}

void TestCommandBuilders::queuedThroughTheLink()
{
    clsLinPort link;
    QString text;
    const std::uint8_t data[] = {0x00, 0x4B};
    QCOMPARE(SendCommandData(link, 0, 31, 0, data, &text), 0);
    QCOMPARE(text, QStringLiteral("02h 02h 1Fh 00h 4Bh 56h"));
}

void TestCommandBuilders::catalogueModes_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("params");

    QTest::newRow("rs-232 set") << 0 << int(CommandMode::Set) << QStringList{"Bit rate"}
                                << QList<int>{2};
    QTest::newRow("can delete") << 1 << int(CommandMode::DeleteReset) << QStringList{}
                                << QList<int>{};
    QTest::newRow("lin init/write")
        << 2 << int(CommandMode::InitWrite)
        << QStringList{"Initialization according to Current Params.", "Write Data on Bus"}
        << QList<int>{0, 3};
}

void TestCommandBuilders::catalogueModes()
{
    QFETCH(int, group);
    QFETCH(int, mode);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, params);
    QStringList gotNames;
    QList<int> gotParams;
    for (const CommandInfo &info : CommandsOf(group, static_cast<CommandMode>(mode))) {
        gotNames << QString::fromLatin1(info.name);
        gotParams << info.params;
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotParams, params);
    QVERIFY(!FindCommand(2, 35));
    QCOMPARE(FindCommand(2, 43)->params, 9);
    QCOMPARE(GroupName(3), QStringLiteral("MODULE"));
}

QTEST_GUILESS_MAIN(TestCommandBuilders)
#include "tst_command_builders.moc"
