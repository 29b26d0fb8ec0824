// Text rules behind the scheduler entry dialogs: identifier cells, the identifier field in both
// bases and the packed form callers exchange.

#include "core/editing/entry_rules.h"

#include <QtTest>

using namespace vxl;

class TestEntryRules : public QObject
{
    Q_OBJECT

private slots:
    void identifierCells_data();
    void identifierCells();
    void unreadableCells_data();
    void unreadableCells();
    void identifierField_data();
    void identifierField();
    void packedEntries_data();
    void packedEntries();
};

void TestEntryRules::identifierCells_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "0 / 0x00";
    QTest::newRow("10") << 10 << "10 / 0x0A";
    QTest::newRow("47") << 47 << "47 / 0x2F";
    QTest::newRow("63") << 63 << "63 / 0x3F";
}

void TestEntryRules::identifierCells()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QCOMPARE(IdCellText(id), text);
    QCOMPARE(IdFromCellText(text), std::optional<int>(id));
}

void TestEntryRules::unreadableCells_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("hex only") << "0x0A";
    QTest::newRow("no number before the slash") << " / 0x0A";
}

void TestEntryRules::unreadableCells()
{
    QFETCH(QString, text);
    QCOMPARE(IdFromCellText(text), std::nullopt);
}

void TestEntryRules::identifierField_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("typeable");
    QTest::addColumn<QString>("left");     // the text once the field is left
    QTest::addColumn<QString>("switched"); // the left text in the other base
    QTest::addColumn<int>("value");
    QTest::newRow("hex 7F") << true << "7F" << true << "3F"
                            << "63" << 63;
    QTest::newRow("hex 40") << true << "40" << true << "3F"
                            << "63" << 63;
    QTest::newRow("hex 3F") << true << "3F" << true << "3F"
                            << "63" << 63;
    QTest::newRow("hex 0A") << true << "0A" << true << "0A"
                            << "10" << 10;
    QTest::newRow("hex empty") << true << "" << true << "0"
                               << "0" << 0;
    QTest::newRow("hex G") << true << "G" << false << "0"
                           << "0" << 0;
    QTest::newRow("dec 64") << false << "64" << true << "63"
                            << "3F" << 63;
    QTest::newRow("dec 63") << false << "63" << true << "63"
                            << "3F" << 63;
    QTest::newRow("dec 05") << false << "05" << true << "05"
                            << "5" << 5;
    QTest::newRow("dec 1A") << false << "1A" << false << "0"
                            << "0" << 0;
    QTest::newRow("dec minus") << false << "-1" << false << "0"
                               << "0" << 0;
}

void TestEntryRules::identifierField()
{
    QFETCH(bool, hex);
    QFETCH(QString, text);
    QFETCH(bool, typeable);
    QFETCH(QString, left);
    QFETCH(QString, switched);
    QFETCH(int, value);
    QCOMPARE(IsIdText(text, hex), typeable);
    QCOMPARE(LeftIdText(text, hex), left);
    QCOMPARE(IdValue(left, hex), value);
    QCOMPARE(SwitchedIdText(left, !hex), switched);
    QCOMPARE(IdValue(switched, !hex), value);
}

void TestEntryRules::packedEntries_data()
{
    QTest::addColumn<uint>("packed");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("time");
    QTest::newRow("10 at 100 ms") << 0x000A0064u << 10 << 100;
    QTest::newRow("63 at 65535 ms") << 0x003FFFFFu << 63 << 65535;
    QTest::newRow("0 at 1 ms") << 0x00000001u << 0 << 1;
}

void TestEntryRules::packedEntries()
{
    QFETCH(uint, packed);
    QFETCH(int, id);
    QFETCH(int, time);
    const LIN_SchedulerEntry entry{std::uint16_t(time), std::uint8_t(id)};
    QCOMPARE(PackSchedulerEntry(entry), packed);
    QVERIFY(UnpackSchedulerEntry(packed) == entry);
}

QTEST_GUILESS_MAIN(TestEntryRules)
#include "tst_entry_rules.moc"
