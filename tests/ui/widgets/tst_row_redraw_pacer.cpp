// The pacing of a list's redraws when rows arrive one after another faster than a screen shows
// frames: a row after a quiet time is drawn at once, a burst is drawn frame by frame, and the
// last row of a burst is drawn when its frame ends.

#include "ui/widgets/row_redraw_pacer.h"

#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

using namespace vxl;

constexpr std::chrono::milliseconds kFrame{16};
// Longer than a burst of rows takes on a slow machine, so that the burst falls in one frame.
constexpr std::chrono::milliseconds kLongFrame{2000};

namespace {

// Counts the paints a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget &widget) { widget.installEventFilter(this); }
    [[nodiscard]] int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return QObject::eventFilter(watched, event);
    }

private:
    int m_paints = 0;
};

struct PacedList
{
    QStandardItemModel model{0, 2};
    QTableView view;
    explicit PacedList(std::chrono::milliseconds frame)
    {
        view.setModel(&model);
        view.resize(400, 300);
        new RowRedrawPacer(model, {view.viewport(), view.verticalScrollBar()}, frame);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // Past the paints of the first show; no row has come yet.
        QTest::qWait(3 * int(kFrame.count()));
    }
    // A row at the top: every row below it moves.
    void addRow(int number)
    {
        model.insertRow(0, {new QStandardItem(QString::number(number)), new QStandardItem("x")});
    }
    // The passes of the event loop a row takes to be drawn, with no time waited.
    static void drawPending()
    {
        for (int pass = 0; pass < 5; ++pass)
            QCoreApplication::processEvents();
    }
};

} // namespace

class TestRowRedrawPacer : public QObject
{
    Q_OBJECT

private slots:
    void rowAfterQuietTimeDrawnAtOnce();
    void burstDrawnByFrames();
};

void TestRowRedrawPacer::rowAfterQuietTimeDrawnAtOnce()
{
    PacedList list(kFrame);
    PaintCounter counter(*list.view.viewport());
    list.addRow(1);
    QVERIFY(list.view.viewport()->updatesEnabled());
    PacedList::drawPending();
    QCOMPARE(counter.paints(), 1);
    // The same once the frame of that row is over.
    QTest::qWait(3 * int(kFrame.count()));
    const int before = counter.paints();
    list.addRow(2);
    QVERIFY(list.view.viewport()->updatesEnabled());
    PacedList::drawPending();
    QCOMPARE(counter.paints(), before + 1);
}

void TestRowRedrawPacer::burstDrawnByFrames()
{
    PacedList list(kLongFrame);
    PaintCounter counter(*list.view.viewport());
    // Each new row also moves the scroll bar's handle: it is drawn with the rows, not per row.
    QScrollBar &scrollBar = *list.view.verticalScrollBar();
    PaintCounter scrollBarCounter(scrollBar);
    // The first row of a burst is drawn at once: between rows at line rate the event loop has
    // the time it takes.
    list.addRow(0);
    PacedList::drawPending();
    QCOMPARE(counter.paints(), 1);
    // Without pacing each pass of the event loop after a new row would draw the list.
    constexpr int kRows = 50;
    for (int row = 1; row < kRows; ++row) {
        list.addRow(row);
        QCoreApplication::processEvents();
    }
    const int duringBurst = counter.paints();
    const int scrollBarDuringBurst = scrollBarCounter.paints();
    QVERIFY(scrollBar.isVisible());
    // The rest wait for the frame's end (a second frame only on a machine slower than it).
    QVERIFY2(duringBurst <= 2, qPrintable(QString::number(duringBurst)));
    QVERIFY2(scrollBarDuringBurst <= 2, qPrintable(QString::number(scrollBarDuringBurst)));
    // The rows held back are drawn when the frame ends, and the list draws as before afterwards.
    QTRY_VERIFY_WITH_TIMEOUT(counter.paints() > duringBurst, 3 * int(kLongFrame.count()));
    QTRY_VERIFY(scrollBarCounter.paints() > scrollBarDuringBurst);
    QVERIFY(list.view.viewport()->updatesEnabled());
    QVERIFY(scrollBar.updatesEnabled());
    const int settled = counter.paints();
    list.view.viewport()->update();
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints(), settled + 1);
}

QTEST_MAIN(TestRowRedrawPacer)
#include "tst_row_redraw_pacer.moc"
