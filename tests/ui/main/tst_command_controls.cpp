// The commands the operations enable and disable reach every control that carries them: the
// menu items and tool buttons of the main window and the buttons of the four views, whichever
// view is shown.

#include "core/operations/operations.h"
#include "test_support.h"
#include "ui/main/main_window.h"
#include "ui/views/command_controls.h"

#include <QAction>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace vxl;

class TestCommandControls : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void everyControlFollowsItsCommand_data();
    void everyControlFollowsItsCommand();
};

void TestCommandControls::init()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Norvel", "VEXALIN");
    store.clear();
    VXLIN_Values values;
    values.StartMode = 1; // no connection, no dialog
    WriteSettings(values);
}

void TestCommandControls::everyControlFollowsItsCommand_data()
{
    QTest::addColumn<int>("command");
    for (int i = 0; i < kCommandCount; ++i)
        QTest::addRow("%s", ControlsOf(Command(i)).front()) << i;
}

void TestCommandControls::everyControlFollowsItsCommand()
{
    QFETCH(int, command);
    const auto cmd = Command(command);
    QTemporaryDir noPorts;
    TfMain w({},
             ComPortMap(ComPortRoots{noPorts.path(), QString(), QStringLiteral("/nonexistent")}));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.ops().Commands().State(Command::Reset).has_value());
    // Views are built when first shown: each is shown once, then the first again.
    for (const View view : {View::Messages, View::Profiles, View::Advanced, View::ModuleData})
        w.selectViewFromMenu(view);
    const auto enabledOf = [&w](const QString &name) -> std::optional<bool> {
        if (QAction *item = w.action(name))
            return item->isEnabled();
        if (auto *control = w.findChild<QWidget *>(name))
            return control->isEnabled();
        return std::nullopt;
    };
    const bool first = !w.ops().Enabled(cmd);
    for (const bool state : {first, !first}) {
        w.ops().SetEnabled(cmd, state);
        QCOMPARE(w.ops().Enabled(cmd), state);
        for (const char *name : ControlsOf(cmd)) {
            const auto enabled = enabledOf(QString::fromLatin1(name));
            QVERIFY2(enabled.has_value(), name);
            QVERIFY2(*enabled == state, name);
        }
    }
}

QTEST_MAIN(TestCommandControls)
#include "tst_command_controls.moc"
