#pragma once

#include "core/link/com_port_map.h"
#include "core/operations/operator_interface.h"
#include "core/profiles/profile_document.h"
#include "core/settings/settings_store.h"

#include <QMainWindow>

#include <map>
#include <memory>
#include <optional>
#include <span>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QToolBar;

namespace vxl {

class clsFormConfig;
class ConsoleView;
class GuiOperator;
class HelpAccess;
class MessagesView;
class ModuleDataView;
class Operations;
class ProfileFiles;
class ProfilesView;

// The main window: owns the long-lived objects, shows the four views, carries the menus, tool
// bars and status bar, and routes every command to the operation that carries it out.
class TfMain : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kStatusPanel1Width = 240;
    static constexpr int kStatusPanel2Width = 300;
    // The size of a first start, before any placement is stored.
    static constexpr QSize kDesignedSize{960, 640};

    explicit TfMain(const QStringList &arguments = {},
                    ComPortMap portMap = ComPortMap(),
                    QWidget *parent = nullptr);
    ~TfMain() override;

    Operations &ops() { return *m_ops; }
    GuiOperator &op() { return *m_operator; }
    [[nodiscard]] const clsVLINXMLProfile &profile() const { return m_profile; }
    clsVLINXMLProfile &profile() { return m_profile; }
    ProfileFiles &files() { return *m_files; }
    [[nodiscard]] const VXLIN_Values &settings() const { return m_settings; }
    HelpAccess &help() { return *m_help; }

    // Operator services.
    void paintPanels(std::uint32_t systemColor);
    void setStatusPanel(int panel, const QString &text);
    [[nodiscard]] View currentView() const;
    // The View menu's way: refused while busy except for "Advanced".
    void selectViewFromMenu(View view);
    bool newProfileFrom(const ModuleConfig &module);

    [[nodiscard]] QAction *action(const QString &name) const;
    [[nodiscard]] QToolBar *toolBar(const QString &name) const;

    // Commands.
    void showPreferences();
    void showAbout();
    void showProfileConverter();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum CommandFlag : unsigned {
        SeparatorBefore = 1,
        Checkable = 2,
        Checked = 4,
        Hidden = 8,
        StartsDisabled = 16,
        Submenu = 32,       // a submenu of the menu named in `menu`, holding the rows naming it
        NewToolBarRow = 64, // its tool bar starts a new row of the tool bar area
    };
    // One row of the window's command table: a menu item with its keys and hint, and the tool
    // button that shares it.
    struct Command
    {
        const char *menu;    // "File", or "View/Toolbars..." for an item of a submenu
        const char *name;    // the menu item's control name
        const char *caption; // as shown, blanks included
        const char *keys = "";
        const char *hint = "";
        void (*run)(TfMain &window, bool checked) = nullptr;
        unsigned flags = 0;
        const char *toolBar = "";         // the tool bar showing it, "" for none
        int slot = 0;                     // its place in the tool bar area, over all bars
        const char *button = "";          // the tool button's control name, "" for none
        const char *buttonHint = nullptr; // the tool button's hint where it differs
        const char *showsToolBar = "";    // the tool bar this item shows and hides
    };
    static const Command kCommands[];
    [[nodiscard]] static std::span<const Command> commands();

    void buildViews();
    void ensureView(View view);
    [[nodiscard]] QPushButton *defaultButton(View view) const;
    void applyPageHelp(int page);
    void buildStatusBar();
    void buildCommands();
    void buildToolBars();
    QAction *addCommand(QMenu *menu, const Command &command);
    void viewItemClicked(View view);
    [[nodiscard]] QAction *viewItem(View view) const;
    void firstActivation();
    void onTabChanged(int index);
    void runActivation(View view);
    void applyCommandStates();
    void toggleToolBox(bool on);
    void toggleToolBar(const QString &menuName, bool on);
    void applyStayOnTop();
    bool confirmClose();
    void applyProfileCommands();
    void installHelp();
    void openHelp();
    void openHelpSearch();

    VXLIN_Values m_settings;
    std::unique_ptr<clsFormConfig> m_placement;
    clsVLINXMLProfile m_profile;
    std::unique_ptr<GuiOperator> m_operator;
    std::unique_ptr<Operations> m_ops;
    std::unique_ptr<ProfileFiles> m_files;
    HelpAccess *m_help = nullptr;
    QTabBar *m_tabs = nullptr;
    QStackedWidget *m_pages = nullptr;
    ModuleDataView *m_dataView = nullptr;
    MessagesView *m_messagesView = nullptr;
    ProfilesView *m_profilesView = nullptr;
    ConsoleView *m_consoleView = nullptr;
    std::optional<std::uint32_t> m_panelColor; // the last painted, for views built later
    QLabel *m_status1 = nullptr;
    QLabel *m_status2 = nullptr;
    std::map<QString, QAction *> m_actions;
    std::map<QString, QToolBar *> m_toolBars;
    bool m_activated = false;
    bool m_switching = false;
};

} // namespace vxl
