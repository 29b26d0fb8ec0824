// The Advanced view's console on an offscreen display: the parameter count typed or stepped,
// and the hints each way leaves on the parameter edits.

#include "core/operations/console_logic.h"
#include "core/operations/operations.h"
#include "scripted_operator.h"
#include "support/ops_fixture.h"
#include "test_support.h"
#include "ui/views/console_view.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace vxl;
using namespace vxl::test;

namespace {

struct ShownConsole
{
    ShownConsole()
        : ops(op, OpsRig::fastSettings())
        , view(ops)
    {
        op.ops = &ops;
        view.resize(1100, 420);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("view not shown");
    }

    QLineEdit *count() { return child<QLineEdit>(&view, "ediParam"); }
    QLineEdit *param(int i)
    {
        const QString name = QStringLiteral("ediP") + QString::number(i).rightJustified(2, '0');
        return child<QLineEdit>(&view, name.toLatin1().constData());
    }
    // Chooses LIN / Set / "Frame Length": nine parameters with the block hints.
    void chooseFrameLength()
    {
        child<QComboBox>(&view, "cmbGroup")->setCurrentIndex(2);
        child<QComboBox>(&view, "cmbMode")->setCurrentIndex(2);
        auto *action = child<QComboBox>(&view, "cmbAction");
        action->setCurrentIndex(action->findText(QStringLiteral("Frame Length")));
    }
    void typeCount(const QString &text)
    {
        count()->setFocus();
        count()->selectAll();
        QTest::keyClicks(count(), text);
    }

    ScriptedOperator op;
    Operations ops;
    ConsoleView view;
};

const QString kBlockHint = QStringLiteral(
    "Bit 3-0: Frame length LINID 0. Bit 7-4: Frame length LINID 1.");

} // namespace

class TestConsoleView : public QObject
{
    Q_OBJECT

private slots:
    void typedCountAboveFifteenBecomesFifteen();
    void typedCountKeepsTheCommandsHints();
    void arrowsGiveDataByteHints();
    void emptyCountFieldShowsTheCountAgain();
};

void TestConsoleView::typedCountAboveFifteenBecomesFifteen()
{
    ShownConsole s;
    s.typeCount(QStringLiteral("99"));
    QCOMPARE(s.ops.Console().ParameterCount(), 15);
    QCOMPARE(s.count()->text(), QStringLiteral("15"));
    QVERIFY(s.param(14)->isEnabled());
    s.param(0)->setFocus(); // leaving the field keeps 15
    QCOMPARE(s.count()->text(), QStringLiteral("15"));
    QCOMPARE(s.ops.Console().ParameterCount(), 15);
}

void TestConsoleView::typedCountKeepsTheCommandsHints()
{
    ShownConsole s;
    s.chooseFrameLength();
    QCOMPARE(s.ops.Console().ParameterCount(), 9);
    QCOMPARE(s.param(1)->toolTip(), kBlockHint);
    s.typeCount(QStringLiteral("1"));
    QCOMPARE(s.ops.Console().ParameterCount(), 1);
    s.typeCount(QStringLiteral("12"));
    QCOMPARE(s.ops.Console().ParameterCount(), 12);
    QVERIFY(s.param(11)->isEnabled());
    QVERIFY(!s.param(12)->isEnabled());
    // Typing touched no hint: the command's and the untouched ones stay.
    QCOMPARE(s.param(1)->toolTip(), kBlockHint);
    QCOMPARE(s.param(9)->toolTip(), QStringLiteral("Parameter to Send number 9"));
    QVERIFY(!saveScreenshot(&s.view, QStringLiteral("console_view_typed_count")).isEmpty());
}

void TestConsoleView::arrowsGiveDataByteHints()
{
    ShownConsole s;
    s.chooseFrameLength();
    s.typeCount(QStringLiteral("1"));
    // The up arrow: every edit from the old count on gets its data-byte hint, then the count
    // grows by one.
    auto *upDown = child<QWidget>(&s.view, "udwParams");
    const auto arrows = upDown->findChildren<QToolButton *>();
    QCOMPARE(arrows.size(), 2);
    auto *up = arrows[0]->arrowType() == Qt::UpArrow ? arrows[0] : arrows[1];
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(s.ops.Console().ParameterCount(), 2);
    QCOMPARE(s.count()->text(), QStringLiteral("2"));
    QCOMPARE(s.param(1)->toolTip(), QStringLiteral("Data Byte [01]"));
    QCOMPARE(s.param(9)->toolTip(), QStringLiteral("Data Byte [09]"));
    QCOMPARE(s.param(0)->toolTip(),
             QStringLiteral("Range (0..4): [00]= Set 0-15 / [01]= Set 16-31 / [02]= Set 32-47 / "
                            "[03]= Set 48-63 / [04]= Single ID"));
    // The arrow key in the field steps as well.
    s.count()->setFocus();
    QTest::keyClick(s.count(), Qt::Key_Up);
    QCOMPARE(s.ops.Console().ParameterCount(), 3);
}

void TestConsoleView::emptyCountFieldShowsTheCountAgain()
{
    ShownConsole s;
    s.chooseFrameLength();
    s.typeCount(QStringLiteral("4"));
    s.count()->setFocus();
    s.count()->selectAll();
    QTest::keyClick(s.count(), Qt::Key_Backspace);
    QCOMPARE(s.count()->text(), QString());
    s.param(0)->setFocus();
    QCOMPARE(s.count()->text(), QStringLiteral("4"));
    QCOMPARE(s.ops.Console().ParameterCount(), 4);
}

QTEST_MAIN(TestConsoleView)
#include "tst_console_view.moc"
