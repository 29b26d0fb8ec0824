#include "ui/main/main_window.h"

#include "core/link/lin_port.h"
#include "core/operations/connection.h"
#include "core/operations/console_logic.h"
#include "core/operations/flash_magic.h"
#include "core/operations/operations.h"
#include "core/operations/profile_files.h"
#include "core/settings/form_config.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/busy_notice.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/preferences_dialog.h"
#include "ui/dialogs/profile_converter_dialog.h"
#include "ui/main/enter_key.h"
#include "ui/main/operator_gui.h"
#include "ui/views/command_controls.h"
#include "ui/views/console_view.h"
#include "ui/views/control_names.h"
#include "ui/views/messages_view.h"
#include "ui/views/module_data_view.h"
#include "ui/views/profiles_view.h"
#include "ui/widgets/control_panel_widget.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace vxl {

namespace {

const char *const kViewCaptions[] = {"Data Present in Module",
                                     "Messages and Scheduler",
                                     "Profiles Management",
                                     "Advanced Configuration"};
const char *const kViewItems[] = {"mniModuleData",
                                  "mniAutoReplayMessages",
                                  "mniFileManagement",
                                  "mniAdvance"};

QSize desktopSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize(1920, 1080);
}

} // namespace

TfMain::TfMain(const QStringList &arguments, ComPortMap portMap, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TfMain"));
    setWindowTitle(QStringLiteral(" VEXA-LIN CT"));
    setMinimumSize(700, 500);
    // Tool bars are shown and hidden through the View menu only, so its ticks stay true.
    setContextMenuPolicy(Qt::PreventContextMenu);
    m_operator = std::make_unique<GuiOperator>(*this, portMap);
    ReadSettings(m_settings);
    m_ops = std::make_unique<Operations>(*m_operator, m_settings, portMap);
    m_files = std::make_unique<ProfileFiles>(*m_operator, m_profile, [this] {
        if (m_ops->IsIdle())
            return true;
        m_ops->Context().ShowBusyNotice();
        return false;
    });
    m_placement = std::make_unique<clsFormConfig>(desktopSize());
    if (m_placement->NotStored()) {
        // Applied at the first activation and written at exit.
        const QSize desk = desktopSize();
        m_placement->SetWidth(kDesignedSize.width());
        m_placement->SetHeight(kDesignedSize.height());
        m_placement->SetLeft(std::max(0, (desk.width() - kDesignedSize.width()) / 2));
        m_placement->SetTop(std::max(0, (desk.height() - kDesignedSize.height()) / 2));
        m_placement->SetMaximized(false);
    }
    applyStayOnTop();
    buildViews();
    buildCommands();
    buildToolBars();
    buildStatusBar();
    installHelp();
    connect(m_ops.get(), &Operations::commandStatesChanged, this, &TfMain::applyCommandStates);
    connect(m_files.get(), &ProfileFiles::commandsChanged, this, &TfMain::applyProfileCommands);
    qApp->installEventFilter(this);

    auto *enter = new QShortcut(QKeySequence(Qt::Key_Return), this);
    auto *enterPad = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    for (auto *shortcut : {enter, enterPad}) {
        connect(shortcut, &QShortcut::activated, this, [this] {
            QWidget *focused = QApplication::focusWidget();
            switch (EnterKeyActionFor(focused)) {
            case EnterKeyAction::Nothing:
                return;
            case EnterKeyAction::ClickFocused:
                static_cast<QAbstractButton *>(focused)->click();
                return;
            case EnterKeyAction::PressDefault:
                break;
            }
            auto *button = defaultButton(currentView());
            if (button && button->isEnabled())
                button->click();
        });
    }
    m_files->OpenProfileAtStart(arguments.value(1));
    m_files->UpdateProfileCommands();
}

TfMain::~TfMain()
{
    qApp->removeEventFilter(this);
    // A window still shown (the application told to quit) would hide itself only after the
    // operations are gone, and the focused field's leave handler would then call into them.
    hide();
    m_ops.reset();
}

void TfMain::buildViews()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    m_tabs = new QTabBar(central);
    m_tabs->setObjectName(QStringLiteral("mdiTabViews"));
    m_tabs->setExpanding(false);
    for (const char *caption : kViewCaptions)
        m_tabs->addTab(QString::fromLatin1(caption));
    m_pages = new QStackedWidget(central);
    m_pages->setObjectName(QStringLiteral("pgcViews"));
    // Each view is built when it is first shown; until then an empty page holds its place.
    for (int page = 0; page < int(std::size(kViewCaptions)); ++page)
        m_pages->addWidget(new QWidget(m_pages));
    ensureView(View::ModuleData);
    layout->addWidget(m_tabs);
    layout->addWidget(m_pages, 1);
    setCentralWidget(central);
    connect(m_tabs, &QTabBar::currentChanged, this, &TfMain::onTabChanged);
}

void TfMain::ensureView(View view)
{
    QWidget *built = nullptr;
    ControlPanel *panel = nullptr;
    switch (view) {
    case View::ModuleData:
        if (m_dataView)
            return;
        built = m_dataView = new ModuleDataView(*m_ops, m_pages);
        panel = m_dataView->controlPanel();
        break;
    case View::Messages:
        if (m_messagesView)
            return;
        built = m_messagesView = new MessagesView(*m_ops, m_pages);
        panel = m_messagesView->controlPanel();
        break;
    case View::Profiles:
        if (m_profilesView)
            return;
        built = m_profilesView = new ProfilesView(*m_ops, *m_files, m_pages);
        panel = m_profilesView->controlPanel();
        break;
    case View::Advanced:
        if (m_consoleView)
            return;
        built = m_consoleView = new ConsoleView(*m_ops, m_pages);
        panel = m_consoleView->controlPanel();
        break;
    }
    const int index = int(view);
    const int current = m_pages->currentIndex();
    std::unique_ptr<QWidget> placeholder(m_pages->widget(index));
    m_pages->insertWidget(index, built);
    m_pages->removeWidget(placeholder.get());
    m_pages->setCurrentIndex(current);
    if (m_help)
        applyPageHelp(index);
    if (m_panelColor)
        panel->paint(*m_panelColor);
}

QPushButton *TfMain::defaultButton(View view) const
{
    switch (view) {
    case View::ModuleData:
        return m_dataView
                   ? m_dataView->findChild<QPushButton *>(QString::fromLatin1(control::btbRefresh))
                   : nullptr;
    case View::Messages:
        return m_messagesView ? m_messagesView->defaultButton() : nullptr;
    case View::Profiles:
        return m_profilesView ? m_profilesView->defaultButton() : nullptr;
    case View::Advanced:
        return m_consoleView ? m_consoleView->defaultButton() : nullptr;
    }
    return nullptr;
}

void TfMain::buildStatusBar()
{
    m_status1 = new QLabel(QStringLiteral(" Not connected. "), this);
    m_status1->setObjectName(QStringLiteral("stbPanel1"));
    m_status1->setFixedWidth(kStatusPanel1Width);
    m_status2 = new QLabel(this);
    m_status2->setObjectName(QStringLiteral("stbPanel2"));
    m_status2->setFixedWidth(kStatusPanel2Width);
    statusBar()->addWidget(m_status1);
    statusBar()->addWidget(m_status2);
}

void TfMain::paintPanels(std::uint32_t systemColor)
{
    m_panelColor = systemColor;
    if (m_dataView)
        m_dataView->controlPanel()->paint(systemColor);
    if (m_messagesView)
        m_messagesView->controlPanel()->paint(systemColor);
    if (m_profilesView)
        m_profilesView->controlPanel()->paint(systemColor);
    if (m_consoleView)
        m_consoleView->controlPanel()->paint(systemColor);
}

void TfMain::setStatusPanel(int panel, const QString &text)
{
    (panel == 0 ? m_status1 : m_status2)->setText(text);
}

QAction *TfMain::viewItem(View view) const
{
    return action(QString::fromLatin1(kViewItems[int(view)]));
}

View TfMain::currentView() const
{
    return View(m_pages->currentIndex());
}

void TfMain::onTabChanged(int index)
{
    if (m_switching)
        return;
    if (!m_ops->MayChangeView(View(index), false)) {
        // While busy the page stays; its own activation tells the user why.
        m_switching = true;
        m_tabs->setCurrentIndex(m_pages->currentIndex());
        m_switching = false;
    } else {
        ensureView(View(index));
        m_pages->setCurrentIndex(index);
    }
    runActivation(currentView());
}

void TfMain::selectViewFromMenu(View view)
{
    if (!m_ops->MayChangeView(view, true))
        return;
    ensureView(view);
    m_pages->setCurrentIndex(int(view));
    m_switching = true;
    m_tabs->setCurrentIndex(int(view));
    m_switching = false;
    runActivation(view);
}

void TfMain::runActivation(View view)
{
    for (View each : {View::ModuleData, View::Messages, View::Profiles, View::Advanced})
        viewItem(each)->setChecked(each == view);
    if (view == View::Profiles)
        m_profilesView->setFocus();
    if (view == View::Messages)
        m_messagesView->traceList()->setFocus();
    m_ops->ActivateView(view);
}

void TfMain::applyCommandStates()
{
    ForEachControlState(m_ops->Commands(), [this](const QString &name, bool enabled) {
        if (QAction *item = action(name))
            item->setEnabled(enabled);
    });
}

// "Save" and "Save As" follow the profile alone: enabled by the path field, a new profile could
// never get a file.
void TfMain::applyProfileCommands()
{
    for (const char *name : {"mniSave", "mniSaveAs"}) {
        if (QAction *item = action(QString::fromLatin1(name)))
            item->setEnabled(m_files->State(QString::fromLatin1(name)));
    }
    // "Send" needs a loaded profile.
    m_ops->UpdateCommandStates();
}

bool TfMain::newProfileFrom(const ModuleConfig &module)
{
    return m_files->NewProfile(&module);
}

void TfMain::applyStayOnTop()
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_settings.TopMost);
    if (visible)
        show();
}

void TfMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_activated)
        return;
    m_activated = true;
    QTimer::singleShot(0, this, &TfMain::firstActivation);
}

void TfMain::firstActivation()
{
    m_operator->Popup().setBeep(false);
    setGeometry(m_placement->Left(),
                m_placement->Top(),
                m_placement->Width(),
                m_placement->Height());
    if (m_placement->Maximized())
        showMaximized();
    m_ops->Flash().Find();
    auto &connection = m_ops->Conn();
    connection.ApplyStartMode();
    connection.UpdateConnectionState();
    m_ops->SetEnabled(vxl::Command::SaveDataAs, m_ops->IsConnected());
}

void TfMain::showPreferences()
{
    TfPreferences dialog(this);
    dialog.setValues(m_settings);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_settings = dialog.values();
    WriteSettings(m_settings);
    applyStayOnTop();
    auto &console = m_ops->Console();
    console.SetGroup(console.Group());
    m_ops->ApplySettings(m_settings);
}

void TfMain::showAbout()
{
    if (TfAbout::isOpen())
        return;
    const auto &identity = m_ops->Identity();
    TfAbout about(this, identity.hardware, identity.firmware, m_ops->IsConnected());
    about.exec();
}

void TfMain::showProfileConverter()
{
    TfProfileConverter dialog(this);
    dialog.exec();
}

bool TfMain::confirmClose()
{
    m_placement->SetMaximized(isMaximized());
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    m_placement->SetLeft(normal.left());
    m_placement->SetTop(normal.top());
    m_placement->SetWidth(normal.width());
    m_placement->SetHeight(normal.height());
    m_placement->Write();
    // Only the Messages view records a log: without it there is none to stop.
    if (m_messagesView)
        m_messagesView->stopLog();
    return m_files->ConfirmExit();
}

void TfMain::closeEvent(QCloseEvent *event)
{
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    m_profile.Close();
    // Closing while not connected is not a failure.
    if (const int code = m_ops->Link().Disconnect();
        code != LinCode::Ok && code != LinCode::NotConnected)
        TfMsg::Ask(this, BoxKind::Error, QStringLiteral("Error disconnecting the comm-port"));
    m_ops->CollectedEntries().clear();
    event->accept();
}

bool TfMain::event(QEvent *event)
{
    // Hints go to the second panel. The status bar would otherwise show them as a message of
    // its own, hiding both panels and with them the connection line.
    // A menu item without a hint clears the panel as a control without one does.
    if (event->type() == QEvent::StatusTip) {
        setStatusPanel(1, static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TfMain::eventFilter(QObject *watched, QEvent *event)
{
    // The hint of the control under the mouse goes to the second status panel, and a control
    // without one empties it. Enter reaches every widget the mouse came into, so only the
    // innermost one, with no child under the mouse, decides; leaving a control for its parent
    // brings no Enter, so its hint goes on Leave.
    const auto type = event->type();
    if (type != QEvent::Enter && type != QEvent::Leave)
        return QMainWindow::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    if (type == QEvent::Enter) {
        const auto *enter = dynamic_cast<QEnterEvent *>(event);
        if (!enter || !widget->childAt(enter->position().toPoint()))
            setStatusPanel(1, widget->toolTip());
    } else if (!widget->toolTip().isEmpty() && m_status2->text() == widget->toolTip())
        setStatusPanel(1, QString());
    return QMainWindow::eventFilter(watched, event);
}

} // namespace vxl
