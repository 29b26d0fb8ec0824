// Enter in the main window, connected to the emulator with a profile loaded: it presses the
// view's default button, but not through a drop-down, a check box or a radio button, whose
// focus says the user was choosing, not sending.

#include "core/link/lin_port.h"
#include "support/modal_answer.h"
#include "support/ops_fixture.h"
#include "support/test_support.h"
#include "ui/main/main_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace vxl;
using namespace vxl::test;

namespace {

constexpr int kCom = 9;

// Empty when the window's operations stayed idle, nothing waiting to be sent, and the module
// received nothing new for a moment within the time, else what was awaited.
QString waitIdle(TfMain &w, SimPort &port, int ms = 8000)
{
    QElapsedTimer timer;
    timer.start();
    int quiet = 0;
    std::size_t received = port.host().requests().size();
    while (timer.elapsed() < ms) {
        QTest::qWait(20);
        const std::size_t now = port.host().requests().size();
        const bool idle = w.ops().IsIdle() && w.ops().Link().OutgoingCount() == 0;
        quiet = idle && now == received ? quiet + 1 : 0;
        received = now;
        if (quiet >= 10)
            return {};
    }
    return QStringLiteral("still busy after %1 ms").arg(ms);
}

QString waitConnected(TfMain &w, SimPort &port, int ms = 8000)
{
    const QString connected = QStringLiteral(" Connected to COM9 at 38400 bit/s");
    auto *status = child<QLabel>(&w, "stbPanel1");
    QElapsedTimer timer;
    timer.start();
    while (status->text() != connected) {
        if (timer.elapsed() > ms)
            return QStringLiteral("the status bar shows \"%1\"").arg(status->text());
        QTest::qWait(20);
    }
    return waitIdle(w, port);
}

QString writeProfile(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("enter.vxlin"));
    clsVLINXMLProfile writer;
    if (!writer.LoadDefault())
        return {};
    const ModuleConfig profile = ModuleConfig::NewProfile();
    if (!writer.WriteAll(38400, profile.CAN, profile.LIN) || !writer.SaveAs(path))
        return {};
    return path;
}

// Shows the profile value panel that holds `control`: selects tree nodes until it is visible.
bool showValueControl(TfMain &w, QWidget *control)
{
    auto *tree = child<QTreeWidget>(&w, "trvProfile");
    for (int top = 0; top < tree->topLevelItemCount(); ++top) {
        QTreeWidgetItem *group = tree->topLevelItem(top);
        for (int i = 0; i < group->childCount(); ++i) {
            tree->setCurrentItem(group->child(i));
            if (control->isVisible())
                return true;
        }
    }
    return false;
}

// The console sends a read on its own: RS-232 "Read" "Bit rate".
void chooseHarmlessRead(TfMain &w)
{
    child<QComboBox>(&w, "cmbGroup")->setCurrentIndex(0);
    child<QComboBox>(&w, "cmbMode")->setCurrentIndex(1);
    auto *action = child<QComboBox>(&w, "cmbAction");
    action->setCurrentIndex(action->findText(QStringLiteral("Bit rate")));
}

} // namespace

class TestEnterKey : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void enterPressesTheDefaultButton_data();
    void enterPressesTheDefaultButton();

private:
    std::unique_ptr<ModalGuard> m_guard;
};

void TestEnterKey::init()
{
    VXLIN_Values values;
    values.StartMode = 3; // the stored connection
    values.Port = kCom;
    values.Baudrate = 38400;
    values.Timeout = 5;
    WriteSettings(values);
    m_guard = std::make_unique<ModalGuard>();
}

void TestEnterKey::cleanup()
{
    const QStringList closed = m_guard->closed();
    m_guard.reset();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(closed.isEmpty(),
             qPrintable(QStringLiteral("modal windows nobody answered: ") + closed.join(" | ")));
}

void TestEnterKey::enterPressesTheDefaultButton_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("focus"); // a control name; "unchecked radio" picks one
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("sent"); // requests that reached the module
    const int console = int(View::Advanced);
    const int profiles = int(View::Profiles);
    const QStringList read{"0/11/0"};
    QTest::newRow("console's command drop-down")
        << console << "cmbAction" << int(Qt::Key_Return) << QStringList{};
    QTest::newRow("console's command drop-down, keypad Enter")
        << console << "cmbAction" << int(Qt::Key_Enter) << QStringList{};
    QTest::newRow("console's group drop-down")
        << console << "cmbMode" << int(Qt::Key_Return) << QStringList{};
    QTest::newRow("profile value drop-down")
        << profiles << "cmbActivationCAN" << int(Qt::Key_Return) << QStringList{};
    QTest::newRow("profile value check box")
        << profiles << "chbErrorMask" << int(Qt::Key_Return) << QStringList{};
    QTest::newRow("profile value radio button")
        << profiles << "unchecked radio" << int(Qt::Key_Return) << QStringList{};
    QTest::newRow("console's parameter count: Send is pressed")
        << console << "ediParam" << int(Qt::Key_Return) << read;
    QTest::newRow("console's parameter count, keypad Enter: Send is pressed")
        << console << "ediParam" << int(Qt::Key_Enter) << read;
}

void TestEnterKey::enterPressesTheDefaultButton()
{
    QFETCH(int, view);
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QStringList, sent);
    SimPort port(kCom);
    QTemporaryDir dir;
    const QString path = writeProfile(dir);
    QVERIFY(!path.isEmpty());
    TfMain w({QStringLiteral("vexalin-ct"), path}, port.portMap());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QString notConnected = waitConnected(w, port);
    QVERIFY2(notConnected.isEmpty(), qPrintable(notConnected));
    w.selectViewFromMenu(View(view));
    const QString busy = waitIdle(w, port);
    QVERIFY2(busy.isEmpty(), qPrintable(busy));

    QPushButton *send = child<QPushButton>(&w,
                                           view == int(View::Advanced) ? "btbSendCode"
                                                                       : "btbSendProfile");
    QVERIFY(send->isEnabled()); // else Enter could not press it anyway
    QWidget *target = nullptr;
    if (view == int(View::Advanced)) {
        chooseHarmlessRead(w);
        target = child<QWidget>(&w, qPrintable(focus));
    } else if (focus == QLatin1String("unchecked radio")) {
        auto *c11 = child<QAbstractButton>(&w, "rdbC11");
        QVERIFY(showValueControl(w, c11));
        target = c11->isChecked() ? child<QAbstractButton>(&w, "rdbC29") : c11;
    } else {
        target = child<QWidget>(&w, qPrintable(focus));
        QVERIFY(showValueControl(w, target));
    }
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    auto *toggle = qobject_cast<QAbstractButton *>(target);
    const bool checkedBefore = toggle && toggle->isChecked();
    const bool modifiedBefore = w.profile().IsModified();
    port.host().clearTranscript();
    QSignalSpy pressed(send, &QPushButton::clicked);

    QTest::keyClick(target,
                    Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    const QString after = waitIdle(w, port);
    QVERIFY2(after.isEmpty(), qPrintable(after));

    QCOMPARE(pressed.count(), sent.isEmpty() ? 0 : 1);
    QStringList requests;
    for (const auto &request : port.host().requests())
        requests << OpsRig::requestText(request);
    QCOMPARE(requests, sent);
    // Enter does not choose for the user either: a check box or radio button keeps its state.
    if (toggle)
        QCOMPARE(toggle->isChecked(), checkedBefore);
    QCOMPARE(w.profile().IsModified(), modifiedBefore);
}

QTEST_MAIN(TestEnterKey)
#include "tst_enter_key.moc"
