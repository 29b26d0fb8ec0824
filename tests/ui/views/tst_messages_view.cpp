// The "Messages and Scheduler" view's trace list and log on an offscreen display, fed by the
// emulated module over a pty.

#include "core/operations/connection.h"
#include "core/trace/trace_list.h"
#include "core/trace/trace_log.h"
#include "core/trace/trace_model.h"
#include "sim/module_model.h"
#include "support/fault_guards.h"
#include "support/ops_fixture.h"
#include "support/test_support.h"
#include "support/tshark_reader.h"
#include "ui/views/messages_view.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

using namespace vxl;
using vxl::test::child;
using vxl::test::OpsRig;

namespace {

QPushButton *button(QWidget *view, const char *name)
{
    return child<QPushButton>(view, name);
}

QStringList rowTexts(QTableView *list, int row)
{
    QStringList texts;
    for (int column = 0; column < list->model()->columnCount(); ++column)
        texts << list->model()->index(row, column).data().toString();
    return texts;
}

QStringList columnTexts(QTableView *list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        texts << list->model()->index(row, column).data().toString();
    return texts;
}

void clickHeader(QTableView *list, int column)
{
    QHeaderView *header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QStringList fileLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
}

// The tool connected to the emulated module, the view shown, the saved files opened nowhere.
struct Rig
{
    Rig()
        : view(rig.ops())
    {
        rig.op().view = View::Messages;
        if (!rig.connect() || !rig.waitIdle())
            qFatal("no connection to the emulator");
        view.setFileOpener([this](const QString &path) {
            opened << path;
            return true;
        });
        view.resize(900, 420);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("view not shown");
        list = view.traceList();
    }

    // Sends the messages and waits until the trace has counted them all.
    bool send(const std::vector<LIN_Msg> &messages)
    {
        auto &trace = rig.ops().Trace();
        int before = 0;
        for (int i = 0; i < trace.Count(); ++i)
            before += trace.At(i).count;
        for (const LIN_Msg &msg : messages)
            rig.host().sendOwnMessage(msg);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            int total = 0;
            for (int i = 0; i < trace.Count(); ++i)
                total += trace.At(i).count;
            if (total >= before + int(messages.size())) {
                // One more refresh pass brings the rows up to date.
                QTest::qWait(3 * TraceModel::kRefreshMs);
                return true;
            }
            QTest::qWait(10);
        }
        return false;
    }

    OpsRig rig;
    MessagesView view;
    QTableView *list = nullptr;
    QStringList opened;
    QTemporaryDir dir;
};

LIN_Msg linFrame(std::uint8_t id, std::vector<std::uint8_t> data)
{
    return sim::MakeLinFrameMessage(id, data);
}

} // namespace

class TestMessagesView : public QObject
{
    Q_OBJECT

private slots:
    void rowsOfEveryKind();
    void repeatsCountedAndLogged();
    void emptyLogHoldsTheHeader();
    void headerClicksSort();
    void newIdentifierSortedIn();
    void clearing_data();
    void clearing();
    void cancelledSaveWritesNothing();
    void lostConnectionAsksOnce();
    void startFails();
    void appendFails();
    void saveFails_data();
    void saveFails();
    void stopSavesCapture();
    void captureSaveFails();
};

void TestMessagesView::rowsOfEveryKind()
{
    Rig r;
    QCOMPARE(r.list->objectName(), QStringLiteral("lsvMsg"));
    QStringList captions;
    for (int column = 0; column < r.list->model()->columnCount(); ++column)
        captions << r.list->model()->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(captions,
             (QStringList{"Source", "Type", "Code / ID", "Count", "Period", "Data / Message"}));
    QVERIFY(r.send({sim::MakeCanFrameMessage(0x123, false, false, {0xAA, 0xBB, 0xCC}),
                    sim::MakeCanFrameMessage(0x1ABCDEF0, true, false, {0x01, 0x02}),
                    sim::MakeCanFrameMessage(0x7E5, false, true, std::vector<std::uint8_t>(8)),
                    sim::MakeCanEventMessage(0x03, 0x8A, 5, 0),
                    linFrame(5, {0x11, 0x22}),
                    sim::MakeLinErrorMessage(10, 0x21)}));
    QCOMPARE(r.list->model()->rowCount(), 6);
    // Sorted by code/ID, ascending, as at start: -1 first.
    QCOMPARE(rowTexts(r.list, 0),
             (QStringList{"CAN",
                          "ERROR",
                          "FFFFFFFFh",
                          "1",
                          "0",
                          "CAN controller went to bus-passive status. | Error Capture Code "
                          "(SJA1000): 0x008Ah | Rx Error Counter (SJA1000): 5 | Tx Error Counter "
                          "(SJA1000): 0"}));
    QCOMPARE(rowTexts(r.list, 1), (QStringList{"LIN", "MSG-ID", "05h", "1", "0", "11 - 22"}));
    QCOMPARE(rowTexts(r.list, 2),
             (QStringList{"LIN", "WARNING", "0Ah", "1", "0", "Slave not responding. ID: 0x21"}));
    QCOMPARE(rowTexts(r.list, 3),
             (QStringList{"CAN", "MSG-ID", "123h", "1", "0", "STD: AA - BB - CC"}));
    QCOMPARE(rowTexts(r.list, 4),
             (QStringList{"CAN", "MSG-ID", "7E5h", "1", "0", "STD: Remote Request. Length = 8"}));
    QCOMPARE(rowTexts(r.list, 5),
             (QStringList{"CAN", "MSG-ID", "1ABCDEF0h", "1", "0", "EXT: 01 - 02"}));
    QVERIFY(!test::saveScreenshot(&r.view, QStringLiteral("messages_view_rows")).isEmpty());
}

void TestMessagesView::repeatsCountedAndLogged()
{
    Rig r;
    QVERIFY(!button(&r.view, "btbLogStop")->isEnabled());
    QVERIFY(button(&r.view, "btbLogStart")->isEnabled());
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QVERIFY(r.rig.ops().Log().IsRecording());
    QVERIFY(!button(&r.view, "btbLogStart")->isEnabled());
    QVERIFY(button(&r.view, "btbLogStop")->isEnabled());
    QVERIFY(r.send({linFrame(5, {0x11, 0x22}), linFrame(5, {0x33, 0x44}), linFrame(5, {0x55})}));
    QCOMPARE(r.list->model()->rowCount(), 1);
    QCOMPARE(rowTexts(r.list, 0).mid(0, 4), (QStringList{"LIN", "MSG-ID", "05h", "3"}));
    QCOMPARE(rowTexts(r.list, 0).at(5), QStringLiteral("55"));
    QVERIFY(!test::saveScreenshot(&r.view, QStringLiteral("messages_view_recording")).isEmpty());

    const QString recorded = r.rig.ops().Log().RecordedPath();
    const QString path = r.dir.filePath(QStringLiteral("LINLog.txt"));
    r.rig.op().saveFileAnswer = path;
    QTest::mouseClick(button(&r.view, "btbLogStop"), Qt::LeftButton);
    QCOMPARE(r.rig.op().filePrompts.size(), std::size_t(1));
    const FilePrompt &prompt = r.rig.op().filePrompts.front();
    QVERIFY(prompt.save);
    QCOMPARE(prompt.title, QStringLiteral("Save LOG File"));
    QCOMPARE(prompt.initialName, QStringLiteral("LINLog"));
    QCOMPARE(prompt.defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(prompt.filter, QStringLiteral("Text Files (*.txt);;Wireshark capture (*.pcapng)"));
    QCOMPARE(r.opened, QStringList{path});
    QVERIFY(!r.rig.ops().Log().IsRecording());
    QVERIFY(button(&r.view, "btbLogStart")->isEnabled());
    QVERIFY(!button(&r.view, "btbLogStop")->isEnabled());
    QVERIFY(r.rig.op().boxes.empty());

    const QStringList lines = fileLines(path);
    QCOMPARE(lines.size(), TraceLog::kHeaderLines + 3);
    QCOMPARE(lines.at(0), QStringLiteral("VEXA-LIN CT - LOG file"));
    QCOMPARE(lines.at(8), QStringLiteral("LINE\t|\tSOURCE\t|\tTIME\t\t|\tID\t\t|\tDescription"));
    QCOMPARE(lines.at(10), QString());
    const QStringList data{"11 - 22", "33 - 44", "55"};
    qulonglong lastTime = 0;
    for (int i = 0; i < 3; ++i) {
        const QStringList fields = lines.at(TraceLog::kHeaderLines + i).split("\t|\t");
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.at(0), QString::number(i + 1));
        QCOMPARE(fields.at(1), QStringLiteral("LIN"));
        bool number = false;
        const qulonglong time = fields.at(2).toULongLong(&number);
        QVERIFY(number && time >= lastTime);
        lastTime = time;
        QCOMPARE(fields.at(3), QStringLiteral("0x00000005"));
        QCOMPARE(fields.at(4), data.at(i));
    }
    // The recording's own file is gone once saved.
    QVERIFY(!QFile::exists(recorded));
}

void TestMessagesView::emptyLogHoldsTheHeader()
{
    Rig r;
    const QString path = r.dir.filePath(QStringLiteral("empty.txt"));
    r.rig.op().saveFileAnswer = path;
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QTest::mouseClick(button(&r.view, "btbLogStop"), Qt::LeftButton);
    const QStringList lines = fileLines(path);
    QCOMPARE(lines.size(), TraceLog::kHeaderLines);
    QCOMPARE(lines.at(2), QString(99, QLatin1Char('-')));
    QCOMPARE(lines.at(3),
             QStringLiteral("DATE: ")
                 + QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    QVERIFY(lines.at(4).startsWith(QStringLiteral("TIME: ")));
    QCOMPARE(lines.last(), QString()); // line 11, and nothing after it
}

void TestMessagesView::headerClicksSort()
{
    Rig r;
    QVERIFY(r.send({linFrame(5, {1}),
                    sim::MakeCanFrameMessage(0x123, false, false, {}),
                    sim::MakeCanEventMessage(0x01, 0, 0, 0),
                    sim::MakeLinErrorMessage(13)}));
    const QStringList ascending{"FFFFFFFFh", "05h", "0Dh", "123h"};
    const QStringList descending{"123h", "0Dh", "05h", "FFFFFFFFh"};
    QCOMPARE(columnTexts(r.list, 2), ascending);
    clickHeader(r.list, 2);
    QCOMPARE(columnTexts(r.list, 2), descending);
    clickHeader(r.list, 3); // "Count": no sort column
    QCOMPARE(columnTexts(r.list, 2), descending);
    clickHeader(r.list, 2);
    QCOMPARE(columnTexts(r.list, 2), ascending);
    clickHeader(r.list, 0);
    QCOMPARE(columnTexts(r.list, 0), (QStringList{"LIN", "LIN", "CAN", "CAN"}));
    QVERIFY(!test::saveScreenshot(&r.view, QStringLiteral("messages_view_sorted")).isEmpty());
}

void TestMessagesView::newIdentifierSortedIn()
{
    Rig r;
    QVERIFY(r.send({linFrame(5, {1}), sim::MakeCanFrameMessage(0x123, false, false, {})}));
    clickHeader(r.list, 0); // "Source", descending: LIN before CAN
    QCOMPARE(columnTexts(r.list, 2), (QStringList{"05h", "123h"}));
    // A repeat does not move its row; a new LIN identifier lands with the LIN rows.
    QVERIFY(r.send({sim::MakeCanFrameMessage(0x123, false, false, {}),
                    linFrame(9, {2}),
                    sim::MakeCanFrameMessage(0x124, false, false, {})}));
    QCOMPARE(columnTexts(r.list, 0), (QStringList{"LIN", "LIN", "CAN", "CAN"}));
    QCOMPARE(columnTexts(r.list, 2).mid(2), (QStringList{"123h", "124h"}));
    QCOMPARE(columnTexts(r.list, 3), (QStringList{"1", "1", "2", "1"}));
}

void TestMessagesView::clearing_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("double click") << true;
    QTest::newRow("Clear") << false;
}

void TestMessagesView::clearing()
{
    QFETCH(bool, doubleClick);
    Rig r;
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QVERIFY(r.send({linFrame(5, {1}), linFrame(5, {2}), linFrame(6, {3})}));
    QCOMPARE(r.list->model()->rowCount(), 2);
    if (doubleClick) {
        QTest::mouseDClick(r.list->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    } else {
        QVERIFY(button(&r.view, "btbAutoRplyClear")->isEnabled());
        QTest::mouseClick(button(&r.view, "btbAutoRplyClear"), Qt::LeftButton);
    }
    QCOMPARE(r.list->model()->rowCount(), 0);
    QCOMPARE(r.rig.ops().Trace().Count(), 0);
    QVERIFY(r.send({linFrame(5, {4})}));
    QCOMPARE(rowTexts(r.list, 0).mid(2, 3), (QStringList{"05h", "1", "0"}));
    // The log goes on counting its lines.
    QVERIFY(r.rig.ops().Log().IsRecording());
    QCOMPARE(r.rig.ops().Log().LineCount(), 4u);
}

void TestMessagesView::cancelledSaveWritesNothing()
{
    Rig r;
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QVERIFY(r.send({linFrame(5, {1})}));
    const QString recorded = r.rig.ops().Log().RecordedPath();
    QVERIFY(QFile::exists(recorded));
    r.rig.op().saveFileAnswer.clear();
    QTest::mouseClick(button(&r.view, "btbLogStop"), Qt::LeftButton);
    QCOMPARE(r.rig.op().filePrompts.size(), std::size_t(1));
    QVERIFY(!r.rig.ops().Log().IsRecording());
    QVERIFY(!QFile::exists(recorded));
    QVERIFY(r.opened.isEmpty());
    QVERIFY(r.rig.op().boxes.empty());
    QVERIFY(button(&r.view, "btbLogStart")->isEnabled());
}

void TestMessagesView::lostConnectionAsksOnce()
{
    Rig r;
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QVERIFY(r.send({linFrame(5, {1})}));
    auto &op = r.rig.op();
    op.saveFileAnswer = r.dir.filePath(QStringLiteral("lost.txt"));
    op.boxOpenMs = 300; // the dialog stays open while the state keeps being updated
    op.whileFilePromptOpen = [&r] {
        for (int i = 0; i < 3; ++i)
            r.rig.ops().Conn().UpdateConnectionState();
    };
    r.rig.ops().Conn().DropConnection();
    QCOMPARE(op.filePrompts.size(), std::size_t(1));
    QVERIFY(!r.rig.ops().Log().IsRecording());
    QCOMPARE(fileLines(op.saveFileAnswer).size(), TraceLog::kHeaderLines + 1);
    QCOMPARE(r.opened, QStringList{op.saveFileAnswer});
    QVERIFY(!button(&r.view, "btbLogStart")->isEnabled()); // not connected
    QVERIFY(!button(&r.view, "btbLogStop")->isEnabled());
    QTest::qWait(300);
    QCOMPARE(op.filePrompts.size(), std::size_t(1));
}

void TestMessagesView::startFails()
{
    Rig r;
    // The temporary folder is a regular file: permissions do not matter, not even for root.
    const QString notAFolder = r.dir.filePath(QStringLiteral("tmp"));
    QFile plain(notAFolder);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(notAFolder));
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    qputenv("TMPDIR", oldTmp);
    QVERIFY(!r.rig.ops().Log().IsRecording());
    QCOMPARE(r.rig.op().boxTexts(BoxKind::Error),
             QStringList{QStringLiteral("The trace cannot be recorded: no file can be written in "
                                        "the temporary folder \"")
                         + notAFolder + QStringLiteral("\" (")
                         + QString::fromLocal8Bit(std::strerror(ENOTDIR)) + QStringLiteral(").")});
    QVERIFY(button(&r.view, "btbLogStart")->isEnabled());
    QVERIFY(!button(&r.view, "btbLogStop")->isEnabled());
    // Messages still reach the trace.
    QVERIFY(r.send({linFrame(5, {1})}));
    QCOMPARE(r.list->model()->rowCount(), 1);
}

void TestMessagesView::appendFails()
{
    Rig r;
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QVERIFY(r.send({linFrame(5, {0x11}), linFrame(6, {0x22})}));
    const QString recorded = r.rig.ops().Log().RecordedPath();
    const qint64 size = QFileInfo(recorded).size();
    {
        // The disk is full after a few more bytes.
        const test::SignalIgnored ignored(SIGXFSZ);
        const test::FileSizeLimit limit(size + 10);
        QVERIFY(r.send({linFrame(7, {0x33}), linFrame(8, {0x44})}));
        QTRY_COMPARE_WITH_TIMEOUT(r.rig.op().boxes.size(), std::size_t(1), 5000);
    }
    QCOMPARE(r.rig.op().boxTexts(BoxKind::Error),
             QStringList{QStringLiteral("The trace log cannot be written any more (")
                         + QString::fromLocal8Bit(std::strerror(EFBIG))
                         + QStringLiteral("). Recording has stopped; the 2 message lines "
                                          "recorded so far are kept in \"")
                         + recorded + QStringLiteral("\".")});
    QVERIFY(!r.rig.ops().Log().IsRecording());
    QVERIFY(button(&r.view, "btbLogStart")->isEnabled());
    QVERIFY(!button(&r.view, "btbLogStop")->isEnabled());
    const QStringList lines = fileLines(recorded);
    QCOMPARE(lines.size(), TraceLog::kHeaderLines + 2);
    QVERIFY(lines.last().endsWith(QStringLiteral("\t|\t0x00000006\t|\t22")));
    // Kept: neither a stop nor a new recording removes it.
    QTest::mouseClick(button(&r.view, "btbLogStop"), Qt::LeftButton);
    QVERIFY(r.rig.op().filePrompts.empty());
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QVERIFY(QFile::exists(recorded));
    QFile::remove(recorded);
    // All four messages are in the trace.
    QCOMPARE(r.list->model()->rowCount(), 4);
}

void TestMessagesView::saveFails_data()
{
    QTest::addColumn<QString>("target"); // "%1": a folder of the test
    QTest::newRow("folder is a file") << "%1/plain/LINLog.txt";
    QTest::newRow("device") << "/dev/full";
    QTest::newRow("folder") << "%1";
}

void TestMessagesView::saveFails()
{
    QFETCH(QString, target);
    Rig r;
    QFile plain(r.dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString path = target.arg(r.dir.path());
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QVERIFY(r.send({linFrame(5, {0x11}), linFrame(5, {0x22})}));
    const QString recorded = r.rig.ops().Log().RecordedPath();
    r.rig.op().saveFileAnswer = path;
    QTest::mouseClick(button(&r.view, "btbLogStop"), Qt::LeftButton);
    QCOMPARE(r.rig.op().boxTexts(BoxKind::Error),
             QStringList{QStringLiteral("The trace log could not be saved as \"") + path
                         + QStringLiteral("\". The recorded lines are kept in \"") + recorded
                         + QStringLiteral("\".")});
    QVERIFY(r.opened.isEmpty());
    QVERIFY(!r.rig.ops().Log().IsRecording());
    const QStringList lines = fileLines(recorded);
    QCOMPARE(lines.size(), TraceLog::kHeaderLines + 2);
    QVERIFY(lines.last().endsWith(QStringLiteral("\t|\t22")));
    QFile::remove(recorded);
}

void TestMessagesView::stopSavesCapture()
{
    Rig r;
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    const std::vector<LIN_Msg> sent{linFrame(5, {0x11, 0x22}),
                                    sim::MakeCanFrameMessage(0x123, false, false, {0xAB}),
                                    linFrame(5, {0x33})};
    QVERIFY(r.send(sent));
    const QString recordedLines = r.rig.ops().Log().RecordedPath();
    const QString recordedCapture = r.rig.ops().Log().RecordedCapturePath();
    QVERIFY(QFile::exists(recordedCapture));
    const QString path = r.dir.filePath(QStringLiteral("LINLog.pcapng"));
    r.rig.op().saveFileAnswer = path;
    QTest::mouseClick(button(&r.view, "btbLogStop"), Qt::LeftButton);
    QVERIFY(r.rig.op().boxes.empty());
    QCOMPARE(r.opened, QStringList{path});
    QVERIFY(!QFile::exists(recordedLines));
    QVERIFY(!QFile::exists(recordedCapture));
    // The capture of the same messages, in their order, instead of the text lines.
    const test::TsharkRead read = test::ReadWithTshark(path);
    QVERIFY2(read.ran, qPrintable(read.failure));
    QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems.join('\n')));
    QCOMPARE(read.packets.size(), 3);
    const QStringList data{"11:22", "ab", "33"};
    const QStringList protocols{"lin", "can", "lin"};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject packet = read.packets.at(i).toObject();
        QCOMPARE(test::TsharkField(packet, "frame", "frame.protocols").section(':', 0, 0),
                 protocols.at(i));
        QCOMPARE(test::TsharkField(packet, "data", "data.data"), data.at(i));
    }
    QCOMPARE(test::TsharkField(read.packets.at(1).toObject(), "can", "can.id"),
             QStringLiteral("291"));
}

void TestMessagesView::captureSaveFails()
{
    Rig r;
    QFile plain(r.dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QTest::mouseClick(button(&r.view, "btbLogStart"), Qt::LeftButton);
    QVERIFY(r.send({linFrame(5, {0x11})}));
    const QString recorded = r.rig.ops().Log().RecordedCapturePath();
    const QString path = r.dir.filePath(QStringLiteral("plain/LINLog.pcapng"));
    r.rig.op().saveFileAnswer = path;
    QTest::mouseClick(button(&r.view, "btbLogStop"), Qt::LeftButton);
    QCOMPARE(r.rig.op().boxTexts(BoxKind::Error),
             QStringList{QStringLiteral("The trace capture could not be saved as \"") + path
                         + QStringLiteral("\". The recorded capture is kept in \"") + recorded
                         + QStringLiteral("\".")});
    QVERIFY(r.opened.isEmpty());
    const test::TsharkRead read = test::ReadWithTshark(recorded);
    QVERIFY2(read.ran, qPrintable(read.failure));
    QCOMPARE(read.packets.size(), 1);
    QFile::remove(recorded);
}

QTEST_MAIN(TestMessagesView)
#include "tst_messages_view.moc"
