// The main window offscreen: start modes against the emulator, the connection dialog's retry,
// view switching while busy, tool bars, Preferences, closing with a modified profile, About,
// and the module's scheduler entries and frames in view-only dialogs.

#include "core/operations/connection.h"
#include "core/operations/operations.h"
#include "support/modal_answer.h"
#include "support/ops_fixture.h"
#include "support/test_support.h"
#include "support/window_fixture.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/busy_notice.h"
#include "ui/dialogs/can_filter_dialog.h"
#include "ui/dialogs/connect_dialog.h"
#include "ui/dialogs/entries_dialog.h"
#include "ui/dialogs/entry_dialog.h"
#include "ui/dialogs/frame_editor_dialog.h"
#include "ui/dialogs/frames_config_dialog.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/preferences_dialog.h"
#include "ui/dialogs/slave_id_dialog.h"
#include "ui/main/application_setup.h"
#include "ui/main/main_window.h"
#include "ui/main/operator_gui.h"
#include "ui/views/module_grid_widget.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace vxl;
using namespace vxl::test;

// Passes when a wait returned no text, else fails with the text.
#define VERIFY_DONE(wait) \
    do { \
        const QString notDone = (wait); \
        QVERIFY2(notDone.isEmpty(), qPrintable(notDone)); \
    } while (false)

namespace {

constexpr int kCom = 9;

void storeSettings(int startMode, int port = kCom, int rate = 38400)
{
    storeStartSettings(startMode, port, rate);
}

// Empty when the window's operations stayed idle for a moment within the time, else what was
// awaited. A modal window that the guard had to close ends the wait at once: what the test
// waits for will not come.
QString waitIdle(TfMain &w, const ModalGuard &guard, int ms = 8000)
{
    QElapsedTimer timer;
    timer.start();
    int quiet = 0;
    while (timer.elapsed() < ms && guard.closed().isEmpty()) {
        QTest::qWait(20);
        quiet = w.ops().IsIdle() ? quiet + 1 : 0;
        if (quiet >= 10)
            return {};
    }
    return QStringLiteral("waited %1 ms for the end of the running action; closed meanwhile: %2")
        .arg(timer.elapsed())
        .arg(guard.closed().join(QStringLiteral(" | ")));
}

// Empty when connected to the emulator's port and the module read done, else what was awaited
// and what the status bar showed instead.
QString waitConnected(TfMain &w, const ModalGuard &guard, int ms = 8000)
{
    const QString connected = QStringLiteral(" Connected to COM9 at 38400 bit/s");
    QElapsedTimer timer;
    timer.start();
    while (statusLine(w) != connected) {
        if (timer.elapsed() > ms || !guard.closed().isEmpty())
            return QStringLiteral("waited %1 ms for \"%2\" in the status bar; it shows \"%3\"; "
                                  "closed meanwhile: %4")
                .arg(timer.elapsed())
                .arg(connected, statusLine(w), guard.closed().join(QStringLiteral(" | ")));
        QTest::qWait(20);
    }
    return waitIdle(w, guard);
}

QColor panelColor(TfMain &w, const char *panel)
{
    return w.findChild<QWidget *>(panel)->palette().color(QPalette::Window);
}

// Opens the menu bar's menu that holds item, as the user would; null when none does.
QMenu *openMenuHolding(TfMain &w, QAction *item)
{
    for (QAction *top : w.menuBar()->actions()) {
        if (!top->menu() || !top->menu()->actions().contains(item))
            continue;
        w.menuBar()->setActiveAction(top);
        return top->menu();
    }
    return nullptr;
}

void clickButton(QWidget *dialog, const char *name)
{
    auto *button = dialog->findChild<QPushButton *>(name);
    QVERIFY2(button, name);
    button->click();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startModeOneTouchesNoPort();
    void startModeThreeFillsGrid();
    void startModeThreeSilentOpensDialog();
    void dialogWithoutPorts();
    void dialogOkConnects();
    void retryShowsSameList();
    void viewChangeWhileBusy();
    void toolBarRules();
    void preferencesWrittenOnlyOnOk();
    void closeWithModifiedProfileCancel();
    void closingWhileNotConnectedShowsNoError();
    void plainMessageIsASimpleBoxWithOk();
    void aboutWithoutModule();
    void schedulerAndFramesViewOnly();
    void viewTabsReadTheViewCaptions();
    void hintsLeaveTheConnectionLine();
    void hintPanelFollowsTheMouse();
    void profilesViewFocusesTheTree_data();
    void profilesViewFocusesTheTree();
    void applicationAddsNothingToCaptions();
    void toolBarsFitTheDefaultWindow();
    void openedProfileIsEdited();

private:
    std::unique_ptr<ModalGuard> m_guard;
};

void TestMainWindow::init()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Norvel", "VEXALIN");
    store.clear();
    store.sync();
    m_guard = std::make_unique<ModalGuard>();
}

void TestMainWindow::cleanup()
{
    const QStringList closed = m_guard->closed();
    m_guard.reset();
    if (QTest::currentTestFailed())
        return; // its message already names them
    QVERIFY2(closed.isEmpty(),
             qPrintable(QStringLiteral("modal windows nobody answered: ") + closed.join(" | ")));
}

void TestMainWindow::startModeOneTouchesNoPort()
{
    SimPort port(kCom);
    storeSettings(1);
    TfMain w({}, port.portMap());
    w.show();
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    QTest::qWait(200);
    QVERIFY(!port.host().toolPresent());
    QCOMPARE(panelColor(w, "panControls1"), QColor::fromRgb(SystemColorToRgb(kDefaultColorOff)));
    QVERIFY(!w.action("mniReset")->isEnabled());
    QVERIFY(!w.action("mniCheckConnection")->isEnabled());
    QCOMPARE(w.windowTitle(), QStringLiteral(" VEXA-LIN CT"));
    QCOMPARE(w.minimumSize(), QSize(700, 500));
    const char *names[] = {"main_module_data", "main_messages", "main_profiles", "main_advanced"};
    const char *items[] = {"mniModuleData",
                           "mniAutoReplayMessages",
                           "mniFileManagement",
                           "mniAdvance"};
    for (int i = 3; i >= 0; --i) {
        w.action(items[i])->trigger();
        QCOMPARE(w.findChild<QStackedWidget *>("pgcViews")->currentIndex(), i);
        QCOMPARE(w.findChild<QTabBar *>("mdiTabViews")->currentIndex(), i);
        QVERIFY(w.action(items[i])->isChecked());
        QVERIFY(!saveScreenshot(&w, names[i]).isEmpty());
    }
}

void TestMainWindow::startModeThreeFillsGrid()
{
    SimPort port(kCom);
    storeSettings(3);
    TfMain w({}, port.portMap());
    w.show();
    // Views are built when first shown: the Profiles view's panel is looked at below.
    w.selectViewFromMenu(View::Profiles);
    w.selectViewFromMenu(View::ModuleData);
    VERIFY_DONE(waitConnected(w, *m_guard));
    auto *grid = w.findChild<ModuleGridWidget *>("sgridActualValues");
    QVERIFY(grid);
    QCOMPARE(grid->item(2, 2)->text(), QStringLiteral("500.0 kbit/s (0x001C)"));
    QCOMPARE(grid->item(3, 2)->text(), QStringLiteral("No Forwarding"));
    QCOMPARE(grid->item(7, 3)->text(), QStringLiteral("Scheduler not Active"));
    QCOMPARE(grid->item(8, 3)->text(), QStringLiteral("LIN Slave Termination"));
    QCOMPARE(grid->item(9, 3)->text(), QStringLiteral("0 - 0 - 0 - 0"));
    QCOMPARE(panelColor(w, "panControls3"), QColor::fromRgb(SystemColorToRgb(kDefaultColorOn)));
    QVERIFY(w.action("mniReset")->isEnabled());
    QVERIFY(w.action("mniCheckConnection")->isEnabled());
    QVERIFY(w.findChild<QPushButton *>("btbSaveDataAs")->isEnabled());
    QVERIFY(!saveScreenshot(&w, "main_connected").isEmpty());
}

void TestMainWindow::startModeThreeSilentOpensDialog()
{
    SimPort port(kCom);
    port.host().setSilent(true);
    storeSettings(3);
    QElapsedTimer timer;
    qint64 openedAfter = -1;
    auto watch = ModalAnswer::of<TfInitConnect>([&](TfInitConnect *dialog) {
        openedAfter = timer.elapsed();
        QCOMPARE(dialog->findChild<QComboBox *>("cbAvaConnect")->currentText(), QStringLiteral("9"));
        saveScreenshot(dialog, "main_connect_dialog");
        dialog->reject();
    });
    TfMain w({}, port.portMap());
    timer.start();
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(watch->answered(), 5000);
    QVERIFY2(openedAfter >= 200, qPrintable(QString::number(openedAfter)));
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
}

void TestMainWindow::dialogWithoutPorts()
{
    SimPort port(kCom, {}, false);
    storeSettings(2);
    auto watch = ModalAnswer::of<TfInitConnect>([](TfInitConnect *dialog) {
        QCOMPARE(dialog->findChild<QComboBox *>("cbAvaConnect")->currentText(),
                 QStringLiteral("None"));
        QVERIFY(!dialog->findChild<QPushButton *>("btbOK")->isEnabled());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Connect... (scanning 128 ports)"));
        dialog->reject();
    });
    TfMain w({}, port.portMap());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(watch->answered(), 5000);
}

void TestMainWindow::dialogOkConnects()
{
    SimPort port(kCom);
    storeSettings(2, 4); // COM4 is gone: the first listed port is offered
    auto watch = ModalAnswer::of<TfInitConnect>([](TfInitConnect *dialog) {
        QCOMPARE(dialog->findChild<QComboBox *>("cbAvaConnect")->currentText(), QStringLiteral("9"));
        clickButton(dialog, "btbOK");
    });
    TfMain w({}, port.portMap());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(watch->answered(), 5000);
    VERIFY_DONE(waitConnected(w, *m_guard));
    auto *grid = w.findChild<ModuleGridWidget *>("sgridActualValues");
    QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("Enabled"));
    QCOMPARE(w.findChild<QLabel *>("sttFirmware")->text(), QStringLiteral("01.02.15"));
    QVERIFY(!saveScreenshot(&w, "main_after_connect_dialog").isEmpty());
    // Connecting through the dialog does not write the port back.
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Norvel", "VEXALIN");
    QCOMPARE(store.value("Port").toInt(), 4);
}

void TestMainWindow::retryShowsSameList()
{
    SimPort port(kCom);
    port.host().setSilent(true);
    storeSettings(2);
    int shown = 0;
    QStringList selections;
    std::function<void()> answerDialog;
    std::unique_ptr<ModalAnswer> dialogWatch;
    std::unique_ptr<ModalAnswer> boxWatch;
    QString question;
    answerDialog = [&] {
        dialogWatch = ModalAnswer::of<TfInitConnect>([&](TfInitConnect *dialog) {
            ++shown;
            selections << dialog->findChild<QComboBox *>("cbAvaConnect")->currentText();
            if (shown == 2) {
                dialog->reject();
                return;
            }
            boxWatch = ModalAnswer::of<TfMsg>([&](TfMsg *box) {
                question = box->findChild<QLabel *>("laText")->text();
                answerDialog();
                clickButton(box, "btLeft"); // YES
            });
            clickButton(dialog, "btbOK");
        });
    };
    answerDialog();
    TfMain w({}, port.portMap());
    w.show();
    QTRY_COMPARE_WITH_TIMEOUT(shown, 2, 8000);
    QCOMPARE(selections, (QStringList{"9", "9"}));
    QVERIFY(question.startsWith("Try to connect to port/module: 9 failed"));
}

void TestMainWindow::viewChangeWhileBusy()
{
    SimPort port(kCom);
    storeSettings(3);
    TfMain w({}, port.portMap());
    w.show();
    VERIFY_DONE(waitConnected(w, *m_guard));
    port.host().setSilent(true);
    w.findChild<QPushButton *>("btbRefresh")->click(); // a read that stays unanswered
    QVERIFY(!w.ops().IsIdle());
    auto *tabs = w.findChild<QTabBar *>("mdiTabViews");
    auto *pages = w.findChild<QStackedWidget *>("pgcViews");
    tabs->setCurrentIndex(1);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(tabs->currentIndex(), 0);
    auto *popup = w.findChild<TfPopup *>();
    QVERIFY(popup && popup->showing());
    QCOMPARE(popup->text(), QStringLiteral("Action in progress. Please wait..."));
    w.action("mniAutoReplayMessages")->trigger();
    QCOMPARE(pages->currentIndex(), 0);
    w.action("mniAdvance")->trigger();
    QCOMPARE(pages->currentIndex(), 3);
    QCOMPARE(tabs->currentIndex(), 3);
    QVERIFY(w.action("mniAdvance")->isChecked());
    QVERIFY(!w.action("mniModuleData")->isChecked());
}

void TestMainWindow::toolBarRules()
{
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    const char *items[] = {"mniQbarVEXALIN",
                           "mniQbarProfiles",
                           "ModuleActionmniQbarModule",
                           "mniQbarConnections"};
    for (const char *item : items)
        w.action(item)->trigger();
    QVERIFY(!w.action("mniQuickBar")->isChecked());
    QVERIFY(!w.action("mniBarsToShow")->isEnabled());
    for (const char *bar : {"tlbVEXALIN", "tlbProfiles", "tlbModule", "tlbConnections"})
        QVERIFY(!w.toolBar(bar)->isVisible());
    w.action("mniQuickBar")->trigger();
    QVERIFY(w.action("mniQuickBar")->isChecked());
    QVERIFY(w.toolBar("tlbVEXALIN")->isVisible());
    QVERIFY(w.action("mniQbarVEXALIN")->isChecked());
    for (const char *bar : {"tlbProfiles", "tlbModule", "tlbConnections"})
        QVERIFY(!w.toolBar(bar)->isVisible());
    QVERIFY(w.action("mniBarsToShow")->isEnabled());
    // Tool buttons carry their own names and hints.
    auto *disconnect = w.findChild<QWidget *>("tbtCutConnection");
    QVERIFY(disconnect);
    QCOMPARE(disconnect->toolTip(), QStringLiteral("Terminates a current connection"));
}

void TestMainWindow::preferencesWrittenOnlyOnOk()
{
    SimPort port(kCom, {}, false);
    storeSettings(1, 300, 14400);
    TfMain w({}, port.portMap());
    w.show();
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    auto answer = [](bool ok) {
        return ModalAnswer::of<TfPreferences>([ok](TfPreferences *dialog) {
            QCOMPARE(dialog->findChild<QComboBox *>("cmbBaud")->currentText(),
                     QStringLiteral("38400 bit/s"));
            QCOMPARE(dialog->findChild<QLineEdit *>("ediPort")->text(), QStringLiteral("255"));
            saveScreenshot(dialog, "main_preferences");
            clickButton(dialog, ok ? "btbOK" : "btbCancel");
        });
    };
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Norvel", "VEXALIN");
    {
        auto watch = answer(false);
        w.showPreferences();
        QVERIFY(watch->answered());
    }
    store.sync();
    QCOMPARE(store.value("Port").toInt(), 300);
    {
        auto watch = answer(true);
        w.showPreferences();
        QVERIFY(watch->answered());
    }
    store.sync();
    QCOMPARE(store.value("Port").toInt(), 255);
    QCOMPARE(store.value("Baudrate").toInt(), 38400);
}

void TestMainWindow::closeWithModifiedProfileCancel()
{
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    w.action("mniNew")->trigger();
    // A new profile starts unmodified; one change makes closing ask.
    QVERIFY(!w.profile().IsModified());
    QVERIFY(w.profile().WriteRS232(4800));
    QString question;
    auto watch = ModalAnswer::of<TfMsg>([&](TfMsg *box) {
        question = box->findChild<QLabel *>("laText")->text();
        clickButton(box, "btRight"); // Cancel
    });
    QVERIFY(!w.close());
    QVERIFY(watch->answered());
    QCOMPARE(question,
             QStringLiteral("The current profile was modified. Do you want to save the "
                            "changes before leaving the application?"));
    QVERIFY(w.isVisible());
    // The placement was written before the question.
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Norvel", "VEXALIN");
    QVERIFY(store.contains("Width"));
}

void TestMainWindow::closingWhileNotConnectedShowsNoError()
{
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    QString shown;
    auto watch = ModalAnswer::of<TfMsg>([&](TfMsg *box) {
        shown = box->findChild<QLabel *>("laText")->text();
        box->reject();
    });
    QVERIFY(w.close());
    QVERIFY2(!watch->answered(), qPrintable(shown));
}

void TestMainWindow::plainMessageIsASimpleBoxWithOk()
{
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    QString text;
    QStringList buttons;
    auto watch = ModalAnswer::of<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        for (auto *button : box->buttons())
            buttons << (box->standardButton(button) == QMessageBox::Ok ? "Ok" : button->text());
        box->button(QMessageBox::Ok)->click();
    });
    const QString message = QStringLiteral(
        "Program: Flash Magic is not installed or it is incompatible");
    w.ops().Operator().ShowPlainMessage(message);
    QVERIFY(watch->answered());
    QCOMPARE(text, message);
    QCOMPARE(buttons, QStringList{"Ok"}); // a plain box, not the application's message box
}

void TestMainWindow::aboutWithoutModule()
{
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    QString line;
    auto watch = ModalAnswer::of<TfAbout>([&](TfAbout *about) {
        line = about->findChild<QLabel *>("laModule")->text();
        QVERIFY(about->findChild<QLabel *>("laVersion")->text().startsWith("Tool    Version: "));
        about->accept();
    });
    w.action("mniAbout")->trigger();
    QVERIFY(watch->answered());
    QCOMPARE(line, QStringLiteral("HW: ----- / FW: -----"));
}

void TestMainWindow::schedulerAndFramesViewOnly()
{
    SimPort port(kCom);
    port.host().withModel([](sim::ModuleModel &m) {
        auto &lin = m.Config().LIN;
        lin.SchedulerCount = 2;
        lin.SchedulerEntries[0] = {10, 0x01};
        lin.SchedulerEntries[1] = {20, 0x3C};
    });
    storeSettings(3);
    TfMain w({}, port.portMap());
    w.show();
    VERIFY_DONE(waitConnected(w, *m_guard));
    int rows = -1;
    bool okEnabled = true;
    auto entries = ModalAnswer::of<TfEntries>([&](TfEntries *dialog) {
        rows = int(dialog->entries().size());
        okEnabled = dialog->findChild<QPushButton *>("btbOK")->isEnabled();
        saveScreenshot(dialog, "main_scheduler_entries");
        dialog->reject();
    });
    w.findChild<QPushButton *>("btbScheduler")->click();
    QTRY_VERIFY_WITH_TIMEOUT(entries->answered(), 5000);
    QCOMPARE(rows, 2);
    QVERIFY(!okEnabled);
    VERIFY_DONE(waitIdle(w, *m_guard));

    LIN_Group shown;
    auto frames = ModalAnswer::of<TfFramesConfig>([&](TfFramesConfig *dialog) {
        shown = dialog->linGroup();
        saveScreenshot(dialog, "main_frames");
        dialog->reject();
    });
    w.findChild<QPushButton *>("btbFrames")->click();
    QTRY_VERIFY_WITH_TIMEOUT(frames->answered(), 5000);
    QCOMPARE(shown.FrameLengths, w.ops().ModuleCopy().LIN.FrameLengths);
}

void TestMainWindow::viewTabsReadTheViewCaptions()
{
    SimPort port(kCom, {}, false);
    storeSettings(1);
    TfMain w({}, port.portMap());
    auto *tabs = w.findChild<QTabBar *>("mdiTabViews");
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions << tabs->tabText(i);
    QCOMPARE(captions,
             (QStringList{"Data Present in Module",
                          "Messages and Scheduler",
                          "Profiles Management",
                          "Advanced Configuration"}));
}

void TestMainWindow::hintsLeaveTheConnectionLine()
{
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    auto *line = w.findChild<QLabel *>("stbPanel1");
    auto *hints = w.findChild<QLabel *>("stbPanel2");

    // A menu item under the mouse, as the menu bar opens it.
    QAction *item = w.action("mniNew");
    QMenu *file = openMenuHolding(w, item);
    QVERIFY(file);
    QTRY_VERIFY(file->isVisible());
    file->setActiveAction(item);
    QCOMPARE(hints->text(), QStringLiteral("Creates a new profile with standard values"));
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(), QStringLiteral(" Not connected. "));
    QVERIFY(!saveScreenshot(&w, "main_menu_hint").isEmpty());
    file->close();
    QVERIFY(line->isVisible());

    // A tool button under the mouse.
    auto *button = w.findChild<QWidget *>("tbtCutConnection");
    QTest::mouseMove(button);
    QTRY_COMPARE(hints->text(), QStringLiteral("Terminates a current connection"));
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(), QStringLiteral(" Not connected. "));
    QVERIFY(w.statusBar()->currentMessage().isEmpty());
}

void TestMainWindow::hintPanelFollowsTheMouse()
{
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    auto *hints = w.findChild<QLabel *>("stbPanel2");
    auto *withHint = w.findChild<QWidget *>("tbtCutConnection");
    auto *withoutHint = w.findChild<QWidget *>("stbPanel1");
    QVERIFY(withoutHint->toolTip().isEmpty());

    // The pointer may still rest where an earlier test left it, over the same button: a move
    // onto it from there brings no enter event.
    QTest::mouseMove(withoutHint);
    QTest::mouseMove(withHint);
    QTRY_COMPARE(hints->text(), QStringLiteral("Terminates a current connection"));
    // A control without a hint clears the panel, rather than leaving the last hint standing.
    QTest::mouseMove(withoutHint);
    QTRY_COMPARE(hints->text(), QString());
    QTest::mouseMove(withHint);
    QTRY_COMPARE(hints->text(), QStringLiteral("Terminates a current connection"));

    // So does a menu item without a hint.
    QAction *converter = w.action("mniProfileConverter");
    QVERIFY(converter->statusTip().isEmpty());
    QMenu *tools = openMenuHolding(w, converter);
    QVERIFY(tools);
    QTRY_VERIFY(tools->isVisible());
    tools->setActiveAction(converter);
    QCOMPARE(hints->text(), QString());
    tools->close();
}

void TestMainWindow::profilesViewFocusesTheTree_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("View menu") << true;
    QTest::newRow("tab set") << false;
}

void TestMainWindow::profilesViewFocusesTheTree()
{
    QFETCH(bool, fromMenu);
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_COMPARE(statusLine(w), QStringLiteral(" Not connected. "));
    if (fromMenu)
        w.selectViewFromMenu(View::Profiles);
    else
        w.findChild<QTabBar *>("mdiTabViews")->setCurrentIndex(int(View::Profiles));
    QCOMPARE(w.findChild<QStackedWidget *>("pgcViews")->currentIndex(), int(View::Profiles));
    QWidget *focused = w.focusWidget();
    QVERIFY(focused);
    QCOMPARE(focused->objectName(), QStringLiteral("trvProfile"));
}

void TestMainWindow::applicationAddsNothingToCaptions()
{
    SetUpApplication();
    // With a display name of its own the platform appends it to every window title. Without
    // one the display name follows the application's name.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
    SetUpApplication();

    SimPort port(kCom, {}, false);
    storeSettings(1);
    TfMain w({}, port.portMap());
    const std::pair<QWidget *, QString> windows[] = {
        {&w, QStringLiteral(" VEXA-LIN CT")},
        {new TfMsg(&w, BoxKind::Question, QStringLiteral("?")), QStringLiteral("VEXA-LIN CT")},
        {new TfAbout(&w, QString(), QString(), false), QStringLiteral("About VEXA-LIN CT")},
        {new TfPreferences(&w), QStringLiteral("Preferences")},
        {new TfInitConnect(&w, 8, kCom, port.portMap()),
         QStringLiteral("Connect... (scanning 8 ports)")},
        {new TfEntries(&w), QStringLiteral("  Scheduler Entries")},
        {new TfEntry(&w), QStringLiteral("Add entry")},
        {new TfFramesConfig(&w), QStringLiteral("  Frame Configuration")},
        {new TfFrameEditor(&w), QStringLiteral("Frame")},
        {new TfCanFilterConfig(&w, 0, 0), QStringLiteral(" CAN Filter Configuration")},
        {new TfSlaveIDConfig(&w), QStringLiteral(" Slave ID and Data Configuration")},
    };
    for (const auto &[window, title] : windows)
        QCOMPARE(window->windowTitle(), title);
}

void TestMainWindow::toolBarsFitTheDefaultWindow()
{
    WindowWithoutModule rig(kCom);
    TfMain &w = rig.window();
    QTRY_COMPARE(w.size(), TfMain::kDesignedSize);
    QTest::qWait(100); // the tool bar area lays itself out for the new size
    const char *bars[] = {"tlbModule", "tlbVEXALIN", "tlbConnections", "tlbProfiles"};
    for (const char *name : bars) {
        QToolBar *bar = w.toolBar(name);
        QVERIFY2(bar->isVisible(), name);
        auto *extension = bar->findChild<QToolButton *>("qt_toolbar_ext_button");
        QVERIFY2(!extension || !extension->isVisible(), name);
    }
    // Each button shows its picture beside its caption.
    for (const char *name : bars) {
        QToolBar *bar = w.toolBar(name);
        for (QAction *item : bar->actions()) {
            auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(item));
            QVERIFY2(button && button->isVisible(), qPrintable(item->text()));
            QVERIFY2(!button->icon().isNull(), qPrintable(item->text()));
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
            QCOMPARE(button->text(), item->text());
        }
    }
    QVERIFY(!saveScreenshot(&w, "main_default_size").isEmpty());
}

void TestMainWindow::openedProfileIsEdited()
{
    SimPort port(kCom, {}, false);
    storeSettings(1);
    QTemporaryDir dir;
    const QString path = dir.filePath("opened.vxlin");
    {
        clsVLINXMLProfile writer;
        QVERIFY(writer.LoadDefault());
        LIN_Group lin = ModuleConfig::NewProfile().LIN;
        lin.Baudrate = 9600;
        CAN_Group can;
        QVERIFY(writer.WriteAll(57600, can, lin));
        QVERIFY(writer.SaveAs(path));
    }
    TfMain w({QStringLiteral("vexalin-ct"), path}, port.portMap());
    w.show();
    // Views are built when first shown.
    w.selectViewFromMenu(View::Profiles);
    auto *tree = w.findChild<QTreeWidget *>("trvProfile");
    QVERIFY(tree);
    QTreeWidgetItem *lin = tree->topLevelItem(2);
    QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("Bit rate : 57600"));
    QCOMPARE(lin->child(1)->text(0), QStringLiteral("Bit rate : 9600"));
    w.selectViewFromMenu(View::Profiles);
    QVERIFY(w.findChild<QWidget *>("panEditing")->isVisible());
    QVERIFY(!w.profile().IsModified());
    tree->setCurrentItem(lin->child(6)); // LIN bus termination
    QTest::mouseClick(w.findChild<QPushButton *>("btnSetStandarValue"), Qt::LeftButton);
    QVERIFY(w.profile().IsModified());
    QCOMPARE(lin->child(6)->text(0), QStringLiteral("LIN Bus Termination : Master"));
    LIN_Group stored;
    QVERIFY(w.profile().ReadLIN(&stored));
    QCOMPARE(stored.BusTermination, std::uint16_t(1));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
