// Decoding the module's own messages, their aggregation and the trace log.

#include "core/trace/trace_list.h"
#include "core/trace/trace_log.h"
#include "core/trace/trace_model.h"
#include "support/fault_guards.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

using namespace vxl;

namespace {

LIN_Msg message(std::uint8_t header, const QByteArray &data)
{
    LIN_Msg msg;
    msg.start = kStartByte;
    msg.header = header;
    msg.count = HeaderField(header, 2);
    for (int i = 0; i < data.size() && i < kMaxDataBytes; ++i)
        msg.data[std::size_t(i)] = std::uint8_t(data.at(i));
    return msg;
}

// The trace as a plain scan over the list, the way it reads when written out: the reference the
// indexed list must match.
// Every message is decoded whole here, its description kept apart from the entries.
struct ScanTrace
{
    std::vector<clsDisplayEntry> entries;
    std::vector<QString> descriptions;
    void add(const LIN_Msg &msg, std::uint32_t tick)
    {
        clsDisplayEntry decoded = clsDisplayEntry::Decode(msg);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            clsDisplayEntry &entry = entries[i];
            if (entry.SameKey(decoded)) {
                ++entry.count;
                entry.previousTime = entry.lastTime;
                entry.lastTime = tick;
                descriptions[i] = decoded.Description();
                return;
            }
        }
        decoded.previousTime = decoded.lastTime = tick;
        descriptions.push_back(decoded.Description());
        entries.push_back(decoded);
    }
};

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

QStringList columnTexts(const TraceModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

// Four entries with distinct codes, two of each source and type.
void addFour(TraceList &trace)
{
    trace.AddTraceEntry(message(0x96, QByteArray::fromHex("032301AABBCC")), 1); // CAN 123h
    trace.AddTraceEntry(message(0x95, QByteArray::fromHex("2001000000")), 2);   // CAN event
    trace.AddTraceEntry(message(0xA3, QByteArray::fromHex("051122")), 3);       // LIN 05h
    trace.AddTraceEntry(message(0xA1, QByteArray::fromHex("4D")), 4);           // LIN error 0Dh
}

} // namespace

class TestTrace : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void repeatsAreCounted();
    void indexedMatchesScan();
    void sorting();
    void headerClicks_data();
    void headerClicks();
    void newEntriesSortedIn();
    void refreshReportsChangedCells();
    void logHeaderOnly();
    void logLines();
    void logIsStreamed();
    void startFails();
    void appendPastTheFileSizeLimit();
};

void TestTrace::decode_data()
{
    QTest::addColumn<int>("header");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("codeId");
    QTest::addColumn<QString>("description");

    QTest::newRow("LIN frame") << 0xA3 << QByteArray::fromHex("051122") << "LIN"
                               << "MSG-ID" << 5 << "11 - 22";
    QTest::newRow("CAN standard") << 0x96 << QByteArray::fromHex("032301AABBCC") << "CAN"
                                  << "MSG-ID" << 0x123 << "STD: AA - BB - CC";
    QTest::newRow("CAN remote") << 0x93 << QByteArray::fromHex("482301") << "CAN"
                                << "MSG-ID" << 0x123 << "STD: Remote Request. Length = 8";
    QTest::newRow("CAN extended") << 0x97 << QByteArray::fromHex("82F0DEBC1A0102") << "CAN"
                                  << "MSG-ID" << 0x1ABCDEF0 << "EXT: 01 - 02";
    QTest::newRow("CAN DLC 0") << 0x93 << QByteArray::fromHex("000700") << "CAN"
                               << "MSG-ID" << 7 << "STD: ";
    QTest::newRow("CAN event")
        << 0x95 << QByteArray::fromHex("20038A0500") << "CAN"
        << "ERROR" << -1
        << "CAN controller went to bus-passive status. | Error Capture Code (SJA1000): 0x008Ah | "
           "Rx Error Counter (SJA1000): 5 | Tx Error Counter (SJA1000): 0";
    QTest::newRow("LIN status 12") << 0xA1 << QByteArray::fromHex("4C") << "LIN"
                                   << "STATUS" << 12 << "Wakeup detected.";
    QTest::newRow("LIN warning 10 with id") << 0xA2 << QByteArray::fromHex("4A21") << "LIN"
                                            << "WARNING" << 10 << "Slave not responding. ID: 0x21";
    QTest::newRow("LIN error 13") << 0xA1 << QByteArray::fromHex("4D") << "LIN"
                                  << "ERROR" << 13 << "LIN line possibly shorted to power.";
    QTest::newRow("RS-232 source") << 0x81 << QByteArray::fromHex("01") << "RS-232"
                                   << "UNKNOWN" << -1 << "";
    QTest::newRow("module source") << 0xB1 << QByteArray::fromHex("01") << "MODULE"
                                   << "UNKNOWN" << -1 << "";
    QTest::newRow("source 5") << 0xD1 << QByteArray::fromHex("01") << "UNKNOWN"
                              << "UNKNOWN" << -1 << "";
    // Eight data bytes claimed behind a 29-bit identifier and DLC 15: only the message's own
    // fifteen bytes are read.
    QTest::newRow("CAN DLC beyond the message")
        << 0x9F << QByteArray::fromHex("8F01020304AABBCCDDEEFF0011223344") << "CAN"
        << "MSG-ID" << 0x04030201 << "EXT: AA - BB - CC - DD - EE - FF - 00 - 11 - 22 - 33";
}

void TestTrace::decode()
{
    QFETCH(int, header);
    QFETCH(QByteArray, data);
    QFETCH(QString, source);
    QFETCH(QString, type);
    QFETCH(int, codeId);
    QFETCH(QString, description);
    const clsDisplayEntry entry = clsDisplayEntry::Decode(message(std::uint8_t(header), data));
    QCOMPARE(entry.SourceName(), source);
    QCOMPARE(entry.TypeName(), type);
    QCOMPARE(entry.codeId, codeId);
    QCOMPARE(entry.Description(), description);
}

void TestTrace::repeatsAreCounted()
{
    TraceList trace;
    QSignalSpy added(&trace, &TraceList::entryAdded);
    const LIN_Msg lin = message(0xA3, QByteArray::fromHex("051122"));
    trace.AddTraceEntry(lin, 1000);
    const clsDisplayEntry &entry = trace.AddTraceEntry(lin, 1250);
    QCOMPARE(entry.count, 2);
    QCOMPARE(entry.Period(), 250u);
    QCOMPARE(added.count(), 1);
    QCOMPARE(trace.TakeChanged(), std::vector<int>{0});
    QCOMPARE(trace.TakeChanged(), std::vector<int>{});
    // An 11-bit and a 29-bit identifier of the same value share one entry; so do all CAN events.
    trace.AddTraceEntry(message(0x93, QByteArray::fromHex("002301")), 1);
    trace.AddTraceEntry(message(0x95, QByteArray::fromHex("8023010000")), 2);
    trace.AddTraceEntry(message(0x95, QByteArray::fromHex("2001000000")), 3);
    trace.AddTraceEntry(message(0x95, QByteArray::fromHex("2020000000")), 4);
    QCOMPARE(trace.Count(), 3);
    QCOMPARE(trace.At(1).count, 2);
    QCOMPARE(trace.At(2).count, 2);
    // Periods wrap with the tick counter.
    trace.AddTraceEntry(lin, 0xFFFFFFF0u);
    trace.AddTraceEntry(lin, 0x10);
    QCOMPARE(trace.At(0).Period(), 0x20u);
    trace.Clear();
    QCOMPARE(trace.Count(), 0);
    QCOMPARE(trace.AddTraceEntry(lin, 5).count, 1);
}

void TestTrace::indexedMatchesScan()
{
    QRandomGenerator random(4711);
    TraceList trace;
    ScanTrace reference;
    for (int i = 0; i < 100000; ++i) {
        const int kind = random.bounded(4);
        LIN_Msg msg;
        const std::uint32_t key = random.bounded(3000);
        switch (kind) {
        case 0:
            msg = message(0x97,
                          QByteArray::fromHex("82")
                              + QByteArray(reinterpret_cast<const char *>(&key), 4)
                              + QByteArray(1, char(i)) + QByteArray(1, char(i >> 8)));
            break;
        case 1:
            msg = message(0x93,
                          QByteArray::fromHex("00") + QByteArray(1, char(key))
                              + QByteArray(1, char(key >> 8 & 7)));
            break;
        case 2:
            msg = message(0xA3,
                          QByteArray(1, char(key & 0x3F)) + QByteArray(1, char(i))
                              + QByteArray(1, char(key)));
            break;
        default:
            msg = message(0xA2,
                          QByteArray(1, char(0x40 | (key % 20))) + QByteArray(1, char(i & 0x3F)));
            break;
        }
        const std::uint32_t tick = std::uint32_t(i) * 3u;
        trace.AddTraceEntry(msg, tick);
        reference.add(msg, tick);
    }
    QCOMPARE(trace.Count(), int(reference.entries.size()));
    QVERIFY(trace.Count() > 2000);
    for (int i = 0; i < trace.Count(); ++i) {
        const clsDisplayEntry &a = trace.At(i);
        const clsDisplayEntry &b = reference.entries[std::size_t(i)];
        QVERIFY(a.SameKey(b));
        QCOMPARE(a.count, b.count);
        QCOMPARE(a.Period(), b.Period());
        QCOMPARE(a.lastTime, b.lastTime);
        QCOMPARE(a.Description(), reference.descriptions[std::size_t(i)]);
        QCOMPARE(a.message, b.message);
    }
}

void TestTrace::sorting()
{
    clsDisplayEntry can = clsDisplayEntry::Decode(message(0x93, QByteArray::fromHex("000100")));
    clsDisplayEntry event = clsDisplayEntry::Decode(
        message(0x95, QByteArray::fromHex("2001000000")));
    clsDisplayEntry lin = clsDisplayEntry::Decode(message(0xA1, QByteArray::fromHex("05")));
    QVERIFY(CompareEntries(event, can, TraceSortColumn::CodeId)
            < 0); // -1 below 1, as signed numbers
    QVERIFY(CompareEntries(lin, can, TraceSortColumn::CodeId) > 0);
    QVERIFY(CompareEntries(can, lin, TraceSortColumn::Source) < 0);
    QCOMPARE(CompareEntries(can, event, TraceSortColumn::Source), 0);
    QVERIFY(CompareEntries(event, can, TraceSortColumn::Type) < 0); // "ERROR" before "MSG-ID"
    QCOMPARE(event.CodeIdText(), QStringLiteral("FFFFFFFFh"));
    QCOMPARE(lin.CodeIdText(), QStringLiteral("05h"));
}

void TestTrace::headerClicks_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("expected");
    const QStringList ascending{"FFFFFFFFh", "05h", "0Dh", "123h"};
    const QStringList descending{"123h", "0Dh", "05h", "FFFFFFFFh"};
    QTest::newRow("start") << QList<int>{} << 2 << ascending;
    QTest::newRow("code once") << QList<int>{2} << 2 << descending;
    QTest::newRow("code twice") << QList<int>{2, 2} << 2 << ascending;
    QTest::newRow("count, period, data") << QList<int>{3, 4, 5} << 2 << ascending;
    QTest::newRow("count after code") << QList<int>{2, 3} << 2 << descending;
    QTest::newRow("source once") << QList<int>{0} << 0 << QStringList{"LIN", "LIN", "CAN", "CAN"};
    QTest::newRow("type once") << QList<int>{1} << 1
                               << QStringList{"MSG-ID", "MSG-ID", "ERROR", "ERROR"};
    QTest::newRow("type twice") << QList<int>{1, 1} << 1
                                << QStringList{"ERROR", "ERROR", "MSG-ID", "MSG-ID"};
    // Each column keeps its own direction.
    QTest::newRow("code, source, code") << QList<int>{2, 0, 2} << 2 << ascending;
}

void TestTrace::headerClicks()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, column);
    QFETCH(QStringList, expected);
    TraceList trace;
    TraceModel model(trace);
    addFour(trace);
    for (int click : clicks)
        model.HeaderClicked(click);
    QCOMPARE(columnTexts(model, column), expected);
    QCOMPARE(model.rowCount(), trace.Count());
}

void TestTrace::newEntriesSortedIn()
{
    TraceList trace;
    TraceModel model(trace);
    addFour(trace);
    model.HeaderClicked(0); // source, descending: LIN rows first
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reordered(&model, &QAbstractItemModel::layoutChanged);
    trace.AddTraceEntry(message(0xB1, QByteArray::fromHex("01")), 5); // MODULE
    trace.AddTraceEntry(message(0x81, QByteArray::fromHex("01")), 6); // RS-232
    QCOMPARE(columnTexts(model, 0), (QStringList{"RS-232", "MODULE", "LIN", "LIN", "CAN", "CAN"}));
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(reordered.count(), 0); // inserted, not sorted again
    // An update does not move its row, whatever the sort column.
    model.HeaderClicked(2);
    const QStringList before = columnTexts(model, 2);
    for (int i = 0; i < 5; ++i)
        trace.AddTraceEntry(message(0xA3, QByteArray::fromHex("051122")), 10 + i);
    model.Refresh();
    QCOMPARE(columnTexts(model, 2), before);
    QCOMPARE(reordered.count(), 1);
    trace.Clear();
    QCOMPARE(model.rowCount(), 0);
    trace.AddTraceEntry(message(0xA3, QByteArray::fromHex("051122")), 20);
    QCOMPARE(columnTexts(model, 3), QStringList{"1"});
}

void TestTrace::refreshReportsChangedCells()
{
    TraceList trace;
    TraceModel model(trace);
    addFour(trace);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const auto cells = [&changed] {
        QStringList out;
        for (const auto &args : changed)
            out << QStringLiteral("%1,%2")
                       .arg(args.at(0).toModelIndex().row())
                       .arg(args.at(0).toModelIndex().column());
        changed.clear();
        return out;
    };
    // Repeats only change numbers in the entry; the row shows them after the next pass.
    trace.AddTraceEntry(message(0xA3, QByteArray::fromHex("051122")), 13);
    QCOMPARE(model.index(1, 3).data().toString(), QStringLiteral("1"));
    QVERIFY(cells().isEmpty());
    model.Refresh();
    QCOMPARE(cells(), (QStringList{"1,3", "1,4"})); // count and period; same data
    QCOMPARE(model.index(1, 3).data().toString(), QStringLiteral("2"));
    QCOMPARE(model.index(1, 4).data().toString(), QStringLiteral("10"));
    model.Refresh();
    QVERIFY(cells().isEmpty());
    // Same period again, new data.
    trace.AddTraceEntry(message(0xA2, QByteArray::fromHex("0533")), 23);
    model.Refresh();
    QCOMPARE(cells(), (QStringList{"1,3", "1,5"}));
    QCOMPARE(model.index(1, 5).data().toString(), QStringLiteral("33"));
}

void TestTrace::logHeaderOnly()
{
    QTemporaryDir dir;
    TraceLog log;
    QVERIFY(log.Start(QDateTime(QDate(2026, 12, 9), QTime(10, 11, 12)), dir.path()));
    log.Stop();
    QVERIFY(!log.IsRecording());
    const QString path = log.RecordedPath();
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
    const QStringList lines = readText(path).split("\r\n");
    QCOMPARE(lines.size(), TraceLog::kHeaderLines);
    QCOMPARE(lines[0], QStringLiteral("VEXA-LIN CT - LOG file"));
    QCOMPARE(lines[1], QString());
    QCOMPARE(lines[2], QString(99, '-'));
    QVERIFY(lines[3].startsWith("DATE: "));
    QVERIFY(lines[4].startsWith("TIME: "));
    QCOMPARE(lines[8], QStringLiteral("LINE\t|\tSOURCE\t|\tTIME\t\t|\tID\t\t|\tDescription"));
    QCOMPARE(lines[10], QString());
    QVERIFY(!readText(path).contains(QRegularExpression("[^\r]\n"))); // CR LF line ends only
    log.Discard();
    QVERIFY(!QFile::exists(path));
}

void TestTrace::logLines()
{
    QTemporaryDir dir;
    TraceList trace;
    TraceLog log;
    QVERIFY(log.Start());
    const QList<QByteArray> data{QByteArray::fromHex("051122"),
                                 QByteArray::fromHex("053344"),
                                 QByteArray::fromHex("055566")};
    std::uint32_t tick = 100;
    for (const QByteArray &bytes : data)
        QVERIFY(log.Append(trace.AddTraceEntry(message(0xA3, bytes), tick += 10)));
    QVERIFY(log.Append(
        trace.AddTraceEntry(message(0x95, QByteArray::fromHex("2001000000")), 0x80000000u)));
    QCOMPARE(trace.Count(), 2);
    QCOMPARE(trace.At(0).count, 3);
    log.Stop();
    const QString path = log.RecordedPath();
    const QStringList lines = readText(path).split("\r\n");
    QCOMPARE(lines.size(), TraceLog::kHeaderLines + 4);
    QCOMPARE(lines[11], QStringLiteral("1\t|\tLIN\t|\t110\t|\t0x00000005\t|\t11 - 22"));
    QCOMPARE(lines[12], QStringLiteral("2\t|\tLIN\t|\t120\t|\t0x00000005\t|\t33 - 44"));
    QCOMPARE(lines[13], QStringLiteral("3\t|\tLIN\t|\t130\t|\t0x00000005\t|\t55 - 66"));
    QVERIFY(lines[14].startsWith(QStringLiteral(
        "4\t|\tCAN\t|\t2147483648\t|\t0xFFFFFFFF\t|\tCAN controller went to bus-off status.")));
}

void TestTrace::logIsStreamed()
{
    TraceList trace;
    TraceLog log;
    QVERIFY(log.Start());
    const QString temporary = log.RecordedPath();
    const qint64 headerSize = QFileInfo(temporary).size();
    for (int i = 0; i < 1000; ++i)
        log.Append(
            trace.AddTraceEntry(message(0xA3, QByteArray::fromHex("051122")), std::uint32_t(i)));
    // On disk while recording, not held until the stop.
    QVERIFY(QFileInfo(temporary).size() > headerSize + 1000 * 20);
    QCOMPARE(log.LineCount(), 1000u);
    log.Stop();
    log.Discard(); // a cancelled save: the recorded file goes
    QVERIFY(!QFile::exists(temporary));
    QVERIFY(!log.IsRecording());
}

void TestTrace::startFails()
{
    // A folder that is a regular file: no file can be created in it, not even by root.
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath("plain");
    QFile plain(notAFolder);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    TraceLog log;
    QVERIFY(!log.Start(QDateTime::currentDateTime(), notAFolder));
    QVERIFY(!log.IsRecording());
    QCOMPARE(log.ErrorString(), QString::fromLocal8Bit(std::strerror(ENOTDIR)));
    QVERIFY(log.RecordedPath().isEmpty());
}

void TestTrace::appendPastTheFileSizeLimit()
{
    QTemporaryDir dir;
    TraceList trace;
    TraceLog log;
    QSignalSpy failed(&log, &TraceLog::appendFailed);
    QVERIFY(log.Start(QDateTime::currentDateTime(), dir.path()));
    const LIN_Msg lin = message(0xA3, QByteArray::fromHex("051122"));
    QVERIFY(log.Append(trace.AddTraceEntry(lin, 1)));
    QVERIFY(log.Append(trace.AddTraceEntry(lin, 2)));
    const qint64 whole = QFileInfo(log.RecordedPath()).size();
    {
        // Room for half a line more: the third line is cut, which the log must undo.
        const test::SignalIgnored ignored(SIGXFSZ);
        const test::FileSizeLimit limit(whole + 20);
        QVERIFY(!log.Append(trace.AddTraceEntry(lin, 3)));
    }
    QCOMPARE(failed.count(), 1);
    QVERIFY(!log.IsRecording());
    QCOMPARE(log.ErrorString(), QString::fromLocal8Bit(std::strerror(EFBIG)));
    QCOMPARE(log.LineCount(), 2u);
    const QString kept = log.RecordedPath();
    QCOMPARE(QFileInfo(kept).size(), whole);
    QVERIFY(readText(kept).endsWith(QStringLiteral("2\t|\tLIN\t|\t2\t|\t0x00000005\t|\t11 - 22")));
    QVERIFY(!log.Append(trace.AddTraceEntry(lin, 4))); // ended: nothing more is written
    QCOMPARE(failed.count(), 1);
    QCOMPARE(log.Keep(), kept);
    QVERIFY(QFile::exists(kept));
}

QTEST_GUILESS_MAIN(TestTrace)
#include "tst_trace.moc"
