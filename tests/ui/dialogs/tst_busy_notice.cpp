// The busy notice: display time, fade, restart and closing, with its real timer.

#include "support/test_support.h"
#include "ui/dialogs/busy_notice.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace vxl;

namespace {

QString labelText(TfPopup &popup)
{
    auto *label = popup.findChild<QLabel *>(QStringLiteral("laText"));
    return label ? label->text() : QStringLiteral("<no laText>");
}

} // namespace

class TestBusyNotice : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startsWithItsDefaults();
    void storedValuesAreKept_data();
    void storedValuesAreKept();
    void fadesOutAfterTheDisplayTime();
    void secondNoticeWhileFadingRestartsOpaque();
    void closeButtonHidesAtOnce();
    void centredOnItsOwner();

private:
    std::unique_ptr<QWidget> m_owner;
};

void TestBusyNotice::init()
{
    m_owner = std::make_unique<QWidget>();
    m_owner->setGeometry(200, 150, 700, 500);
    m_owner->show();
}

void TestBusyNotice::startsWithItsDefaults()
{
    TfPopup popup(m_owner.get());
    QCOMPARE(popup.displayTime(), 2000);
    QVERIFY(popup.beep());
    QCOMPARE(popup.soundType(), 0);
    QVERIFY(!popup.showing());
    QVERIFY(popup.isHidden());
    QCOMPARE(popup.size(), QSize(300, 100));

    popup.setBeep(false);
    popup.ShowNotice(QStringLiteral("Action in progress. Please wait..."));
    QVERIFY(popup.showing());
    QVERIFY(popup.isVisible());
    QCOMPARE(labelText(popup), QStringLiteral("Action in progress. Please wait..."));
    QCOMPARE(popup.currentOpacity(), 1.0);
    vxl::test::saveScreenshot(&popup, QStringLiteral("busy_notice"));
}

void TestBusyNotice::storedValuesAreKept_data()
{
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<int>("firstMs");
    QTest::addColumn<QString>("secondText");
    QTest::addColumn<int>("secondMs");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedMs");

    QTest::newRow("-1 keeps the display time")
        << "first" << 700 << "second" << -1 << "second" << 700;
    QTest::newRow("empty text keeps the text") << "first" << 700 << "" << 900 << "first" << 900;
    QTest::newRow("both kept") << "first" << 700 << "" << -1 << "first" << 700;
    QTest::newRow("-1 at start keeps 2000") << "first" << -1 << "second" << -1 << "second" << 2000;
    QTest::newRow("a negative time is no time")
        << "first" << 700 << "second" << -20 << "second" << 700;
}

void TestBusyNotice::storedValuesAreKept()
{
    QFETCH(QString, firstText);
    QFETCH(int, firstMs);
    QFETCH(QString, secondText);
    QFETCH(int, secondMs);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedMs);

    TfPopup popup(m_owner.get());
    popup.setBeep(false);
    popup.ShowNotice(firstText, firstMs);
    // Over between the two calls, so the second one shows it from hidden.
    popup.findChild<QToolButton *>(QStringLiteral("spbMasterOff"))->click();
    QVERIFY(!popup.showing());
    popup.ShowNotice(secondText, secondMs);

    QCOMPARE(popup.text(), expectedText);
    QCOMPARE(labelText(popup), expectedText);
    QCOMPARE(popup.displayTime(), expectedMs);
    auto *closer = popup.findChild<QTimer *>(QStringLiteral("tmrCloser"));
    QVERIFY(closer && closer->isActive());
    QCOMPARE(closer->interval(), expectedMs);
}

void TestBusyNotice::fadesOutAfterTheDisplayTime()
{
    TfPopup popup(m_owner.get());
    popup.setBeep(false);
    // Timers of one event loop fire in the order they were due, however late the machine runs
    // them; marks started before the notice therefore come before its own ticks due later.
    QList<std::pair<bool, qreal>> marks; // showing, opacity
    const auto mark = [&](int ms) {
        QTimer::singleShot(ms, Qt::PreciseTimer, &popup, [&] {
            marks.append({popup.showing(), popup.currentOpacity()});
        });
    };
    mark(250);  // within the display time
    mark(1050); // before the last of 16 fade steps of 50 ms after it
    popup.ShowNotice(QStringLiteral("Fading"), 300);

    // 16 steps of 15 each: it goes down to 15/255 and disappears.
    qreal lowest = 1.0;
    QList<qreal> seen;
    QElapsedTimer bound;
    bound.start();
    while (popup.showing() && bound.elapsed() < 20000) {
        QTest::qWait(5);
        const qreal now = popup.currentOpacity();
        QVERIFY2(now <= lowest, "the opacity never goes up while fading");
        if (now < lowest)
            seen << now;
        lowest = now;
    }
    QVERIFY2(!popup.showing(), "still showing after 20 s");
    QVERIFY(popup.isHidden());
    QCOMPARE(popup.fadeTicks(), 17);
    QCOMPARE(qRound(popup.currentOpacity() * 255), 15);
    QVERIFY2(!seen.isEmpty() && qRound(seen.first() * 255) == 240,
             "the first fade step lowers by 15");
    QTRY_COMPARE_WITH_TIMEOUT(marks.size(), 2, 5000);
    QCOMPARE(marks[0], std::make_pair(true, qreal(1.0)));
    QVERIFY2(marks[1].first, "hidden before the display time and the 16 fade steps were over");
}

void TestBusyNotice::secondNoticeWhileFadingRestartsOpaque()
{
    TfPopup popup(m_owner.get());
    popup.setBeep(false);
    QList<std::pair<bool, qreal>> marks; // showing, opacity
    qreal fadedTo = 1.0;
    // The second notice comes on the third tick of the first one's closer, two steps into its
    // fade; marks started with it come before the second notice's own ticks due later.
    auto *closer = popup.findChild<QTimer *>(QStringLiteral("tmrCloser"));
    QVERIFY(closer);
    QObject watch;
    connect(closer, &QTimer::timeout, &watch, [&] {
        if (popup.fadeTicks() != 3 || popup.text() != QStringLiteral("First notice"))
            return;
        fadedTo = popup.currentOpacity();
        for (const int ms : {300, 1150}) { // within its display time; before its last step
            QTimer::singleShot(ms, Qt::PreciseTimer, &popup, [&] {
                marks.append({popup.showing(), popup.currentOpacity()});
            });
        }
        popup.ShowNotice(QStringLiteral("Second notice"), 400);
        QCOMPARE(popup.currentOpacity(), 1.0);
        QCOMPARE(popup.fadeTicks(), 0);
        QCOMPARE(labelText(popup), QStringLiteral("Second notice"));
        QVERIFY(popup.isVisible());
    });
    popup.ShowNotice(QStringLiteral("First notice"), 100);
    QTRY_COMPARE_WITH_TIMEOUT(marks.size(), 2, 10000);
    QVERIFY2(fadedTo < 1.0, "the first notice had begun to fade");
    // The whole new display time and fade, not the rest of the old fade.
    QCOMPARE(marks[0], std::make_pair(true, qreal(1.0)));
    QVERIFY(marks[1].first);
    QTRY_VERIFY_WITH_TIMEOUT(!popup.showing(), 10000);
    QCOMPARE(popup.fadeTicks(), 17);
}

void TestBusyNotice::closeButtonHidesAtOnce()
{
    TfPopup popup(m_owner.get());
    popup.setBeep(false);
    popup.ShowNotice(QStringLiteral("Close me"), 5000);
    auto *close = popup.findChild<QToolButton *>(QStringLiteral("spbMasterOff"));
    QVERIFY(close);
    // Small, in the top right corner.
    QVERIFY(close->geometry().right() >= popup.width() - 12);
    QVERIFY(close->geometry().top() <= 10);
    QVERIFY(close->width() <= 20);

    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!popup.showing());
    QVERIFY(popup.isHidden());
    QVERIFY(!popup.findChild<QTimer *>(QStringLiteral("tmrCloser"))->isActive());
}

void TestBusyNotice::centredOnItsOwner()
{
    TfPopup popup(m_owner.get());
    popup.setBeep(false);
    popup.ShowNotice(QStringLiteral("Centred"), 5000);
    const QPoint ownerCentre = m_owner->mapToGlobal(m_owner->rect().center());
    const QPoint popupCentre = popup.mapToGlobal(popup.rect().center());
    QVERIFY((ownerCentre - popupCentre).manhattanLength() <= 2);

    m_owner->move(400, 300);
    popup.ShowNotice(QString());
    const QPoint movedCentre = m_owner->mapToGlobal(m_owner->rect().center());
    QVERIFY((movedCentre - popup.mapToGlobal(popup.rect().center())).manhattanLength() <= 2);
}

QTEST_MAIN(TestBusyNotice)
#include "tst_busy_notice.moc"
