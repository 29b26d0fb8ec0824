// The command console: lists per group and mode, parameter counts and hints, the texts of
// sent and received lines, and its follow-ups against the emulator (frame information re-read,
// flash save followed by a reset, the reset's start-up text).

#include "core/link/lin_port.h"
#include "core/operations/console_hints.h"
#include "core/operations/console_logic.h"
#include "core/operations/maintenance.h"
#include "core/operations/operations.h"
#include "ops_fixture.h"

#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

int positionOf(const ConsoleLogic &console, const QString &name)
{
    const auto &list = console.List();
    for (int i = 0; i < int(list.size()); ++i) {
        if (list[std::size_t(i)].text == name)
            return i;
    }
    return -1;
}

// Chooses group, mode and command by name.
void choose(ConsoleLogic &console, int group, int mode, const QString &name)
{
    console.SetGroup(group);
    console.SetMode(mode);
    const int position = positionOf(console, name);
    QVERIFY2(position > 0, qPrintable(name));
    console.SelectEntry(position);
}

} // namespace

class TestConsole : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commandLists_data();
    void commandLists();
    void parameterCounts_data();
    void parameterCounts();
    void hints_data();
    void hints();
    void slaveDataLengthFollowsFirmware_data();
    void slaveDataLengthFollowsFirmware();
    void countFieldAndEdits();
    void placeholderAndNothingRefuse();
    void linesAndClearing();

    void sendAndReplyLines();
    void frameLengthSetRereadsFrameInfo();
    void flashSaveThenReset();
    void replyWithHighSequenceAddsNoLine();
    void busyConsoleSendsNothing();

private:
    std::unique_ptr<ScriptedOperator> m_op;
    std::unique_ptr<Operations> m_ops;
};

void TestConsole::init()
{
    m_op = std::make_unique<ScriptedOperator>();
    m_ops = std::make_unique<Operations>(*m_op, OpsRig::fastSettings());
    m_op->ops = m_ops.get();
}

void TestConsole::cleanup()
{
    m_ops.reset();
    m_op.reset();
}

void TestConsole::commandLists_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("first");
    QTest::newRow("start") << 0 << 0
                           << QStringList{"SELECT COMMAND",
                                          "Initialization according to Current Params."};
    QTest::newRow("CAN delete") << 1 << 3 << QStringList{"Nothing to Delete/Reset"};
    QTest::newRow("RS-232 read") << 0 << 1 << QStringList{"SELECT COMMAND"};
    QTest::newRow("LIN set") << 2 << 2 << QStringList{"SELECT COMMAND", "Activation", "Bit rate"};
}

void TestConsole::commandLists()
{
    QFETCH(int, group);
    QFETCH(int, mode);
    QFETCH(QStringList, first);
    auto &console = m_ops->Console();
    console.SetGroup(group);
    console.SetMode(mode);
    QStringList texts;
    for (const auto &entry : console.List())
        texts << entry.text;
    QCOMPARE(texts.mid(0, first.size()), first);
    QCOMPARE(console.Position(), 0);
    QVERIFY(!console.SelectedCommand());
    QCOMPARE(console.ParameterCount(), 0);
    // Commands in ascending number.
    int last = -1;
    for (const auto &entry : console.List()) {
        if (entry.command < 0)
            continue;
        QVERIFY(entry.command > last);
        last = entry.command;
    }
}

void TestConsole::parameterCounts_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("p0");
    QTest::addColumn<int>("count");
    QTest::newRow("frame length chosen") << 2 << 2 << "Frame Length"
                                         << "" << 9;
    QTest::newRow("frame length 04") << 2 << 2 << "Frame Length"
                                     << "04" << 3;
    QTest::newRow("frame length 07") << 2 << 2 << "Frame Length"
                                     << "07" << 1;
    QTest::newRow("CAN write 88") << 1 << 0 << "Write Data on Bus"
                                  << "88" << 13;
    QTest::newRow("CAN write 48") << 1 << 0 << "Write Data on Bus"
                                  << "48" << 3;
    QTest::newRow("CAN write 08") << 1 << 0 << "Write Data on Bus"
                                  << "08" << 11;
    QTest::newRow("CAN write 8F capped") << 1 << 0 << "Write Data on Bus"
                                         << "8F" << 15;
    QTest::newRow("LIN write 1F") << 2 << 0 << "Write Data on Bus"
                                  << "1F" << 3;
    QTest::newRow("LIN write 2A") << 2 << 0 << "Write Data on Bus"
                                  << "2A" << 5;
    QTest::newRow("LIN write 30") << 2 << 0 << "Write Data on Bus"
                                  << "30" << 9;
    QTest::newRow("LIN write 45") << 2 << 0 << "Write Data on Bus"
                                  << "45" << 1;
    QTest::newRow("frame format 00") << 2 << 2 << "Frame Format"
                                     << "00" << 9;
    QTest::newRow("frame format 01") << 2 << 2 << "Frame Format"
                                     << "01" << 3;
    QTest::newRow("slave mask 01") << 2 << 2 << "Slave Mask"
                                   << "01" << 3;
}

void TestConsole::parameterCounts()
{
    QFETCH(int, group);
    QFETCH(int, mode);
    QFETCH(QString, command);
    QFETCH(QString, p0);
    QFETCH(int, count);
    auto &console = m_ops->Console();
    choose(console, group, mode, command);
    if (!p0.isEmpty())
        console.SetParameterText(0, p0);
    QCOMPARE(console.ParameterCount(), count);
}

void TestConsole::hints_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("p0");
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("hint");
    QTest::newRow("frame length block 0")
        << 2 << 2 << "Frame Length"
        << "00" << 1 << "Bit 3-0: Frame length LINID 0. Bit 7-4: Frame length LINID 1.";
    QTest::newRow("frame length block 3")
        << 2 << 2 << "Frame Length"
        << "03" << 8 << "Bit 3-0: Frame length LINID 62. Bit 7-4: Frame length LINID 63.";
    QTest::newRow("frame length single") << 2 << 2 << "Frame Length"
                                         << "04" << 1 << "LIN ID.  Range (0..63 / 0..3F) ";
    QTest::newRow("frame length other") << 2 << 2 << "Frame Length"
                                        << "07" << 7 << "Data Byte [07]";
    QTest::newRow("frame format byte 7")
        << 2 << 2 << "Frame Format"
        << "00" << 8
        << "Format (0:LIN 1.x/1:LIN 2.0): [Bit N/LIN ID X]: "
           "[0/56]-[1/57]-[2/58]-[3/59]-[4/60]-[5/61]-[6/62]-[7/63]";
    QTest::newRow("slave mask single")
        << 2 << 2 << "Slave Mask"
        << "01" << 2 << "Slave Activation (0/1) - 0: Deactivate Slave - 1: Activate Slave";
    QTest::newRow("CAN write ext")
        << 1 << 0 << "Write Data on Bus"
        << "88" << 4 << "EXT Frm: Fourth ID Byte (MSB) - Expl: 0x1ABBCCDD P04 == \"1A\"";
    QTest::newRow("CAN write data") << 1 << 0 << "Write Data on Bus"
                                    << "02" << 4 << "Data Byte [1]";
    QTest::newRow("LIN write eight")
        << 2 << 0 << "Write Data on Bus"
        << "31" << 8 << "Data Byte [7] - ID between 30 and 3F are EIGHT Data Bytes";
    QTest::newRow("CAN filter mask P03")
        << 1 << 2 << "Filter Mask"
        << "" << 3 << "Fourth Filter Mask Byte (MSB) / Expl: 0x1ABBCCDD P03 == \"1A\"";
    QTest::newRow("RS-232 bit rate") << 0 << 2 << "Bit rate"
                                     << "" << 1
                                     << "MSB. 12C0h(4800),2580h(9600),4B00h(19200),9600h(38400),"
                                        "E100h(57600),1C200h(115200)";
    QTest::newRow("untouched edit") << 0 << 2 << "Bit rate"
                                    << "" << 9 << "Parameter to Send number 9";
}

void TestConsole::hints()
{
    QFETCH(int, group);
    QFETCH(int, mode);
    QFETCH(QString, command);
    QFETCH(QString, p0);
    QFETCH(int, edit);
    QFETCH(QString, hint);
    auto &console = m_ops->Console();
    choose(console, group, mode, command);
    if (!p0.isEmpty())
        console.SetParameterText(0, p0);
    QCOMPARE(console.Hint(edit), hint);
    // The first parameter's hint goes to the status bar.
    QVERIFY(!m_op->hints.isEmpty());
}

void TestConsole::slaveDataLengthFollowsFirmware_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("count");
    // Identifier 0x28 has length 3 in the module's table, 4 by the LIN 1.x rule.
    QTest::newRow("old firmware, 1.x rule") << "01.01.05"
                                            << "28" << 6;
    QTest::newRow("table") << "01.02.15"
                           << "28" << 5;
    QTest::newRow("old firmware, low id") << "01.01.05"
                                          << "05" << 4;
}

void TestConsole::slaveDataLengthFollowsFirmware()
{
    QFETCH(QString, firmware);
    QFETCH(QString, id);
    QFETCH(int, count);
    m_ops->ModuleCopy().Module.FirmwareText = firmware;
    SetNibble(m_ops->ModuleCopy().LIN.FrameLengths, 0x28, 3);
    auto &console = m_ops->Console();
    choose(console, 2, 2, "Slave ID + Data Configuration");
    console.SetParameterText(1, id);
    QCOMPARE(console.ParameterCount(), count);
    const int n = count - 2;
    QCOMPARE(console.Hint(2 + n - 1),
             QStringLiteral("Data Byte [%1] - Data Bytes %2/%3").arg(n - 1).arg(n).arg(n));
}

void TestConsole::countFieldAndEdits()
{
    auto &console = m_ops->Console();
    console.ParameterCountEdited("99");
    QCOMPARE(console.ParameterCount(), 15);
    console.ParameterCountEdited("");
    QCOMPARE(console.ParameterCount(), 15);
    console.SetParameterText(3, "a");
    console.ParameterEditLeft(3);
    QCOMPARE(console.ParameterText(3), QStringLiteral("0A"));
    console.SetParameterText(4, "xz");
    console.ParameterEditLeft(4);
    QCOMPARE(console.ParameterText(4), QStringLiteral("00"));
    // The arrows give every edit from the old count on its data-byte hint first.
    console.SetParameterCount(2);
    console.StepParameterCount(3);
    QCOMPARE(console.Hint(7), QStringLiteral("Data Byte [07]"));
    QCOMPARE(console.Hint(1), QStringLiteral("Parameter to Send number 1"));
    QCOMPARE(console.ParameterCount(), 3);
}

void TestConsole::placeholderAndNothingRefuse()
{
    auto &console = m_ops->Console();
    for (int group = 0; group < 3; ++group) {
        for (int mode = 0; mode < 4; ++mode) {
            console.SetGroup(group);
            console.SetMode(mode);
            m_op->boxes.clear();
            console.Send();
            const QString expected
                = group == 1 && mode == 3
                      ? "There are not commands for this combination Interface / Command Group"
                      : "Select a command to execute please";
            QCOMPARE(m_op->boxTexts(), QStringList{expected});
            QCOMPARE(m_op->boxes[0].kind, BoxKind::Information);
        }
    }
    choose(console, 2, 2, "Frame Length");
    console.SelectEntry(0);
    QCOMPARE(console.ParameterCount(), 0);
    m_op->boxes.clear();
    choose(console, 2, 2, "Frame Length");
    console.Send();
    QCOMPARE(m_op->boxTexts(), QStringList{"There is not an active connection"});
}

void TestConsole::linesAndClearing()
{
    auto &console = m_ops->Console();
    console.AddStatusLine(2, true, "a");
    console.AddStatusLine(2, true, "b");
    console.AddStatusLine(2, false, "c");
    console.AddStatusLine(4, false, "ignored");
    QCOMPARE(console.Lines(2, true), (QStringList{"0 - a", "1 - b"}));
    QCOMPARE(console.Lines(2, false), QStringList{"0 - c"});
    console.AddStatusLine(1, false, "can");
    console.ClearGroup(2);
    QVERIFY(console.Lines(2, true).isEmpty());
    QVERIFY(console.Lines(2, false).isEmpty());
    QCOMPARE(console.Lines(1, false).size(), 1);
    console.AddStatusLine(2, true, "again");
    QCOMPARE(console.Lines(2, true), QStringList{"0 - again"});
    console.ClearAll();
    QVERIFY(console.Lines(1, false).isEmpty());
}

void TestConsole::sendAndReplyLines()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    auto &console = rig.ops().Console();
    choose(console, 0, 1, "Bit rate");
    console.Send();
    QVERIFY(rig.waitIdle());
    QCOMPARE(console.Lines(0, false),
             QStringList{"0 - Read:- Bit rate    |    raw-command [02h 00h 0Bh 0Bh]"});
    QCOMPARE(console.Lines(0, true),
             QStringList{"0 - 0x00 - 0x96 -     |    raw-command [02h 02h 00h 00h 96h 94h]"});

    // A one-byte reply: LIN Set Master Status 0.
    choose(console, 2, 2, "Master Status");
    console.SetParameterText(0, "00");
    console.Send();
    QVERIFY(rig.waitIdle());
    QCOMPARE(console.Lines(2, true),
             QStringList{"0 - 0x00 -     |    raw-command [02h 21h 00h 00h 21h]"});
}

void TestConsole::frameLengthSetRereadsFrameInfo()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    auto &console = rig.ops().Console();
    choose(console, 2, 2, "Frame Length");
    console.SetParameterText(0, "04");
    console.SetParameterText(1, "0A");
    console.SetParameterText(2, "05");
    const auto before = rig.host().requests().size();
    console.Send();
    QVERIFY(rig.waitIdle());
    const QStringList sent = rig.requestTexts().mid(int(before));
    QCOMPARE(sent,
             (QStringList{"2/43/2 040A05",
                          "2/27/0 0000",
                          "2/27/1 0100",
                          "2/27/2 0200",
                          "2/27/3 0300",
                          "2/28/4 0000"}));
    // Each request of the re-read went out only after the previous reply.
    const auto transcript = rig.host().transcript();
    int start = 0;
    while (start < int(transcript.size()) && transcript[std::size_t(start)].command != 43)
        ++start;
    int lastReplyIndex = -1;
    int seen = 0;
    for (int i = start + 1; i < int(transcript.size()); ++i) {
        const auto &entry = transcript[std::size_t(i)];
        if (entry.received && (entry.command == 27 || entry.command == 28)) {
            QVERIFY(lastReplyIndex >= 0 && lastReplyIndex < i);
            ++seen;
        } else if (!entry.received) {
            lastReplyIndex = i;
        }
    }
    QCOMPARE(seen, 5);
    QCOMPARE(GetNibble(rig.ops().ModuleCopy().LIN.FrameLengths, 10), 5);
}

void TestConsole::flashSaveThenReset()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().view = View::Advanced;
    auto &console = rig.ops().Console();
    const auto before = rig.host().requests().size();
    rig.ops().Maint().FlashSaveAction();
    QVERIFY(rig.waitIdle(15000));
    const QStringList sent = rig.requestTexts().mid(int(before));
    QCOMPARE(sent.mid(0, 2), (QStringList{"3/3/3", "3/4/3"}));
    // The start-up text is shown and a module read follows.
    QCOMPARE(sent.at(2), QStringLiteral("3/0/0"));
    QCOMPARE(console.Lines(3, false),
             (QStringList{"0 - Copy current configuration in the flash memory",
                          "1 - Reset Module"}));
    QCOMPARE(console.Lines(3, true).size(), 2);
    QVERIFY(console.Lines(3, true).at(1).startsWith("1:- "));
    QCOMPARE(rig.op().boxTexts(),
             QStringList{
                 "The current module configuration will be copied in its flash memory.  Proceed?"});
    QVERIFY(rig.ops().Link().BinaryMode());
}

void TestConsole::replyWithHighSequenceAddsNoLine()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    auto &console = rig.ops().Console();
    choose(console, 2, 1, "Master Status");
    auto &engine = rig.ops().Engine();
    // A reply with sequence number 5 arrives while the console waits.
    engine.SetRawCommand(2, 16);
    engine.BeginTransaction(TransactionKind::tkRawCommand);
    LIN_Msg reply;
    reply.header = MakeHeader(5, 1);
    reply.count = 1;
    console.OnRawCommandReply(reply);
    QVERIFY(rig.ops().IsIdle());
    for (int g = 0; g < 4; ++g)
        QVERIFY(console.Lines(g, true).isEmpty());
}

void TestConsole::busyConsoleSendsNothing()
{
    OpsRig rig;
    QVERIFY(rig.connect());
    QVERIFY(!rig.ops().IsIdle()); // the module read runs
    auto &console = rig.ops().Console();
    choose(console, 0, 1, "Bit rate");
    console.Send();
    QVERIFY(rig.op().boxes.empty());
    QVERIFY(rig.op().notices.isEmpty());
    QVERIFY(console.Lines(0, false).isEmpty());
    QVERIFY(rig.waitIdle());
    QCOMPARE(rig.requestTexts().count("0/11/0"), 1); // the read's own request only
}

QTEST_GUILESS_MAIN(TestConsole)
#include "tst_console.moc"
