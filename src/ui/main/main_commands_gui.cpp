// The main window's menus, tool bars and their rules.

#include "ui/main/main_window.h"

#include "core/operations/connection.h"
#include "core/operations/flash_magic.h"
#include "core/operations/maintenance.h"
#include "core/operations/module_read.h"
#include "core/operations/operations.h"
#include "core/operations/profile_files.h"
#include "ui/dialogs/message_box.h"
#include "ui/main/operator_gui.h"
#include "ui/views/profiles_view.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace vxl {

namespace {

struct ToolBarItem
{
    const char *action;
    const char *button; // object name of the tool button, "" when it has none of its own
    const char *hint;   // the tool button's own hint when it differs from the menu item's
};

} // namespace

QAction *TfMain::action(const QString &name) const
{
    const auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

QToolBar *TfMain::toolBar(const QString &name) const
{
    const auto found = m_toolBars.find(name);
    return found == m_toolBars.end() ? nullptr : found->second;
}

QAction *TfMain::addCommand(QMenu *menu,
                            const QString &name,
                            const QString &caption,
                            const QKeySequence &keys,
                            const QString &hint)
{
    auto *item = menu->addAction(caption);
    item->setObjectName(name);
    item->setShortcut(keys);
    item->setStatusTip(hint);
    item->setToolTip(hint);
    connect(item, &QAction::hovered, this, [this, hint] { setStatusPanel(1, hint); });
    m_actions[name] = item;
    return item;
}

void TfMain::buildCommands()
{
    auto &ops = *m_ops;
    using K = QKeySequence;
    auto ctrlShift = [](Qt::Key key) { return K(Qt::CTRL | Qt::SHIFT | key); };

    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    connect(addCommand(file,
                       "mniNew",
                       "New",
                       K(Qt::CTRL | Qt::Key_N),
                       "Creates a new profile with standard values"),
            &QAction::triggered,
            this,
            [this] { m_files->NewFromMenu(); });
    connect(addCommand(file,
                       "mniNewFromModule",
                       "New from Module",
                       ctrlShift(Qt::Key_N),
                       "Creates a new profile with the current values of the module"),
            &QAction::triggered,
            this,
            [&ops] { ops.Reader().NewFromModule(); });
    connect(addCommand(file,
                       "msiOpen",
                       "Open ",
                       K(Qt::CTRL | Qt::Key_O),
                       "Opens an existing profile"),
            &QAction::triggered,
            this,
            [this] { m_files->OpenProfile(); });
    connect(addCommand(file,
                       "mniSave",
                       "Save ",
                       K(Qt::CTRL | Qt::Key_S),
                       "Saves the changes made to a profile"),
            &QAction::triggered,
            this,
            [this] { m_files->SaveProfile(); });
    connect(addCommand(file,
                       "mniSaveAs",
                       "Save As",
                       ctrlShift(Qt::Key_S),
                       "Saves the current loaded profile in a new file"),
            &QAction::triggered,
            this,
            [this] { m_files->SaveProfileAs(); });
    file->addSeparator();
    connect(addCommand(file, "mniFinish", "Exit", K(Qt::ALT | Qt::Key_F4), "Quits this application"),
            &QAction::triggered,
            this,
            &QWidget::close);

    QMenu *connection = menuBar()->addMenu(QStringLiteral("Connection"));
    connect(addCommand(connection,
                       "mniConnectionDlg",
                       "Connect",
                       ctrlShift(Qt::Key_C),
                       "Shows the connection  dialog"),
            &QAction::triggered,
            this,
            [&ops] {
                ops.Conn().ShowConnectDialog();
                ops.Conn().UpdateConnectionState();
            });
    connect(addCommand(connection,
                       "mniDisconnection",
                       "Disconnect",
                       ctrlShift(Qt::Key_X),
                       "Closes the current serial port connection"),
            &QAction::triggered,
            this,
            [&ops] { ops.Conn().DisconnectCommand(); });
    connect(addCommand(connection,
                       "mniCheckConnection",
                       "Check connection",
                       ctrlShift(Qt::Key_Q),
                       "Checks if the current serial port connection is still valid"),
            &QAction::triggered,
            this,
            [&ops] { ops.Conn().CheckConnection(); });
    action("mniCheckConnection")->setEnabled(false);

    QMenu *module = menuBar()->addMenu(QStringLiteral("Module"));
    connect(addCommand(module,
                       "mniReset",
                       "Reset",
                       ctrlShift(Qt::Key_R),
                       "Executes  a \"Reset\" action"),
            &QAction::triggered,
            this,
            [&ops] { ops.Maint().ResetModuleAction(); });
    connect(addCommand(module,
                       "mniCopyToFlash",
                       "Save configuration",
                       ctrlShift(Qt::Key_F),
                       "Saves the current configuration in the flash memory of the module"),
            &QAction::triggered,
            this,
            [&ops] { ops.Maint().FlashSaveAction(); });
    connect(addCommand(module,
                       "mniSetDefaultValues",
                       "Defaults",
                       ctrlShift(Qt::Key_D),
                       "Configures the module with its default values and initializes it"),
            &QAction::triggered,
            this,
            [&ops] { ops.Maint().SetDefaultsAction(true); });
    connect(addCommand(module,
                       "mniSetISPMode",
                       "Programming mode",
                       ctrlShift(Qt::Key_I),
                       "Sets the module in programming mode"),
            &QAction::triggered,
            this,
            [&ops] { ops.Maint().ProgrammingModeCommand(); });

    QMenu *tools = menuBar()->addMenu(QStringLiteral("Tools"));
    connect(addCommand(tools, "mniProfileConverter", "Profile Converter", K(), QString()),
            &QAction::triggered,
            this,
            &TfMain::showProfileConverter);
    connect(addCommand(tools, "mniFlashMagic", "Flash Magic", K(), QString()),
            &QAction::triggered,
            this,
            [&ops] { ops.Flash().Launch(); });

    QMenu *view = menuBar()->addMenu(QStringLiteral("View"));
    const char *const viewNames[] = {"mniModuleData",
                                     "mniAutoReplayMessages",
                                     "mniFileManagement",
                                     "mniAdvance"};
    const char *const viewCaptions[] = {"Data Present in Module",
                                        "Messages and Scheduler",
                                        "Profile Management",
                                        "Advanced"};
    const char *const viewHints[] = {"Shows/activates the pane \"Data Present in Module\"",
                                     "Shows/activates the pane \"Messages and Scheduler\"",
                                     "Shows/activates the pane \"Profiles Management\"",
                                     "Shows/activates the pane \"Advance\""};
    for (int i = 0; i < 4; ++i) {
        auto *item = addCommand(view, viewNames[i], viewCaptions[i], K(), viewHints[i]);
        item->setCheckable(true);
        item->setChecked(i == 0);
        // A click on the ticked item changes nothing.
        connect(item, &QAction::triggered, this, [this, item, i] {
            item->setChecked(currentView() == View(i));
            selectViewFromMenu(View(i));
        });
    }
    view->addSeparator();
    auto *toolBox = addCommand(view,
                               "mniQuickBar",
                               "Show Toolbox",
                               ctrlShift(Qt::Key_B),
                               "Shows/hides the toolbar section within the user interface");
    toolBox->setCheckable(true);
    toolBox->setChecked(true);
    connect(toolBox, &QAction::triggered, this, &TfMain::toggleToolBox);
    QMenu *bars = view->addMenu(QStringLiteral("Toolbars..."));
    bars->menuAction()->setObjectName(QStringLiteral("mniBarsToShow"));
    m_actions[QStringLiteral("mniBarsToShow")] = bars->menuAction();
    const char *const barItems[][2] = {
        {"mniQbarVEXALIN", "Shows/hides a toolbar with shortcuts for general actions"},
        {"mniQbarProfiles", "Shows/hides a toolbar with shortcuts for profile actions"},
        {"ModuleActionmniQbarModule",
         "Shows/hides a toolbar with shortcuts for module specific actions"},
        {"mniQbarConnections", "Shows/hides a toolbar with shortcuts for connection actions"},
    };
    const char *const barCaptions[] = {"VEXA-LIN", "Profiles", "Module", "Connections"};
    for (int i = 0; i < 4; ++i) {
        auto *item = addCommand(bars, barItems[i][0], barCaptions[i], K(), barItems[i][1]);
        item->setCheckable(true);
        item->setChecked(true);
        const QString name = QString::fromLatin1(barItems[i][0]);
        connect(item, &QAction::triggered, this, [this, name](bool on) { toggleToolBar(name, on); });
    }
    view->addSeparator();
    connect(addCommand(view,
                       "mniPreferences",
                       "Preferences",
                       ctrlShift(Qt::Key_P),
                       "Shows the preferences dialog"),
            &QAction::triggered,
            this,
            &TfMain::showPreferences);

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    connect(addCommand(help,
                       "mniHelp",
                       "Contents...",
                       K(Qt::Key_F1),
                       "Shows the \"Contents\" research pane of the VEXA-LIN CT online help"),
            &QAction::triggered,
            this,
            &TfMain::openHelp);
    auto *index = addCommand(help,
                             "mniHelpIndex",
                             "Index...",
                             K(),
                             "Shows the \"Index\" research pane of the VEXA-LIN CT online help");
    index->setVisible(false);
    connect(addCommand(help,
                       "mniHelpSearch",
                       "Search...",
                       K(),
                       "Shows the \"Search\" research pane of the VEXA-LIN CT online help"),
            &QAction::triggered,
            this,
            &TfMain::openHelpSearch);
    connect(addCommand(help,
                       "mniAbout",
                       "About...",
                       K(Qt::Key_F2),
                       "Shows a dialog with relevant information about the VEXA-LIN CT software"),
            &QAction::triggered,
            this,
            &TfMain::showAbout);
}

void TfMain::buildToolBars()
{
    struct Bar
    {
        const char *name;
        std::vector<ToolBarItem> items;
    };
    const Bar bars[] = {
        {"tlbModule",
         {{"mniReset", "tbtReset", nullptr},
          {"mniCopyToFlash", "tbtSaveFlash", nullptr},
          {"mniSetDefaultValues", "tbtSetDefault", nullptr}}},
        {"tlbVEXALIN",
         {{"mniPreferences", "", nullptr},
          {"mniHelp", "", nullptr},
          {"mniAbout", "", nullptr},
          {"mniFinish", "", nullptr}}},
        {"tlbConnections",
         {{"mniConnectionDlg", "tbtSearchConnection", nullptr},
          {"mniDisconnection", "tbtCutConnection", "Terminates a current connection"},
          {"mniCheckConnection", "tbtCheckConnection", nullptr}}},
        {"tlbProfiles",
         {{"mniNew", "tbtNew", nullptr},
          {"msiOpen", "", nullptr},
          {"mniSave", "tbtSave", "Saves changes made to an opened profile"},
          {"mniSaveAs", "tbtSaveAs", nullptr}}},
    };
    for (const auto &bar : bars) {
        auto *toolBar = addToolBar(QString::fromLatin1(bar.name));
        toolBar->setObjectName(QString::fromLatin1(bar.name));
        toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
        toolBar->setFloatable(false);
        m_toolBars[QString::fromLatin1(bar.name)] = toolBar;
        for (const auto &item : bar.items) {
            QAction *command = action(QString::fromLatin1(item.action));
            if (item.hint) {
                // A tool button with a hint of its own needs an action of its own: a button
                // takes its tool tip from its action whenever the action changes.
                auto *own = new QAction(command->text(), toolBar);
                own->setToolTip(QString::fromLatin1(item.hint));
                own->setStatusTip(own->toolTip());
                own->setEnabled(command->isEnabled());
                connect(own, &QAction::triggered, command, &QAction::trigger);
                connect(command, &QAction::enabledChanged, own, &QAction::setEnabled);
                command = own;
            }
            toolBar->addAction(command);
            QWidget *button = toolBar->widgetForAction(command);
            if (*item.button) {
                button->setObjectName(QString::fromLatin1(item.button));
                m_actions[QString::fromLatin1(item.button)] = command;
            }
        }
    }
    action("mniSave")->setEnabled(false);
    action("mniSaveAs")->setEnabled(false);
}

void TfMain::toggleToolBox(bool on)
{
    action("mniQuickBar")->setChecked(on);
    action("mniBarsToShow")->setEnabled(on);
    if (on) {
        bool any = false;
        for (const char *name : {"mniQbarVEXALIN",
                                 "mniQbarProfiles",
                                 "ModuleActionmniQbarModule",
                                 "mniQbarConnections"})
            any = any || action(QString::fromLatin1(name))->isChecked();
        if (!any)
            action("mniQbarVEXALIN")->setChecked(true);
    }
    const std::pair<const char *, const char *> pairs[] = {{"mniQbarVEXALIN", "tlbVEXALIN"},
                                                           {"mniQbarProfiles", "tlbProfiles"},
                                                           {"ModuleActionmniQbarModule",
                                                            "tlbModule"},
                                                           {"mniQbarConnections", "tlbConnections"}};
    for (const auto &[item, bar] : pairs)
        toolBar(QString::fromLatin1(bar))
            ->setVisible(on && action(QString::fromLatin1(item))->isChecked());
}

void TfMain::toggleToolBar(const QString &menuName, bool on)
{
    static const std::map<QString, QString> bars = {{"mniQbarVEXALIN", "tlbVEXALIN"},
                                                    {"mniQbarProfiles", "tlbProfiles"},
                                                    {"ModuleActionmniQbarModule", "tlbModule"},
                                                    {"mniQbarConnections", "tlbConnections"}};
    action(menuName)->setChecked(on);
    toolBar(bars.at(menuName))->setVisible(on);
    bool any = false;
    for (const auto &[item, bar] : bars)
        any = any || action(item)->isChecked();
    if (!any)
        toggleToolBox(false);
}

} // namespace vxl
