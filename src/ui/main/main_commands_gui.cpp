// The main window's menus and tool bars, built from its command table, and their rules.

#include "ui/main/main_window.h"

#include "core/operations/operations.h"
#include "ui/widgets/control_icons.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <algorithm>
#include <vector>

namespace vxl {

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

QAction *TfMain::addCommand(QMenu *menu, const Command &command)
{
    if (command.flags & SeparatorBefore)
        menu->addSeparator();
    const QString hint = QString::fromLatin1(command.hint);
    auto *item = menu->addAction(QString::fromLatin1(command.caption));
    item->setObjectName(QString::fromLatin1(command.name));
    item->setShortcut(QKeySequence(QString::fromLatin1(command.keys), QKeySequence::PortableText));
    item->setStatusTip(hint);
    item->setToolTip(hint);
    item->setCheckable(command.flags & Checkable);
    item->setChecked(command.flags & Checked);
    item->setVisible(!(command.flags & Hidden));
    item->setEnabled(!(command.flags & StartsDisabled));
    if (command.run) {
        const auto run = command.run;
        connect(item, &QAction::triggered, this, [this, run](bool checked) { run(*this, checked); });
    }
    if (*command.showsToolBar) {
        const QString name = item->objectName();
        connect(item, &QAction::triggered, this, [this, name](bool on) { toggleToolBar(name, on); });
    }
    m_actions[item->objectName()] = item;
    return item;
}

void TfMain::buildCommands()
{
    std::map<QString, QMenu *> menus;
    for (const Command &command : commands()) {
        const QString path = QString::fromLatin1(command.menu);
        QMenu *&menu = menus[path];
        if (!menu)
            menu = menuBar()->addMenu(path);
        if (!(command.flags & Submenu)) {
            addCommand(menu, command);
            continue;
        }
        if (command.flags & SeparatorBefore)
            menu->addSeparator();
        QMenu *sub = menu->addMenu(QString::fromLatin1(command.caption));
        sub->menuAction()->setObjectName(QString::fromLatin1(command.name));
        m_actions[sub->menuAction()->objectName()] = sub->menuAction();
        menus[path + QLatin1Char('/') + QString::fromLatin1(command.caption)] = sub;
    }
}

void TfMain::buildToolBars()
{
    std::vector<const Command *> placed;
    for (const Command &command : commands()) {
        if (*command.toolBar)
            placed.push_back(&command);
    }
    std::sort(placed.begin(), placed.end(), [](const Command *a, const Command *b) {
        return a->slot < b->slot;
    });
    for (const Command *command : placed) {
        const QString barName = QString::fromLatin1(command->toolBar);
        QToolBar *&bar = m_toolBars[barName];
        if (!bar) {
            // Pictures and captions side by side take two rows at the designed width.
            if (command->flags & NewToolBarRow)
                addToolBarBreak();
            bar = addToolBar(barName);
            bar->setObjectName(barName);
            bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            bar->setIconSize(QSize(16, 16));
            bar->setFloatable(false);
        }
        QAction *item = action(QString::fromLatin1(command->name));
        item->setIcon(ControlIcon(item->objectName()));
        // A tool button shows the caption as it is; left alone it would drop a trailing "...".
        item->setIconText(item->text());
        if (command->buttonHint) {
            // A tool button with a hint of its own needs an action of its own: a button takes
            // its tool tip from its action whenever the action changes.
            auto *own = new QAction(item->icon(), item->text(), bar);
            own->setIconText(item->iconText());
            own->setToolTip(QString::fromLatin1(command->buttonHint));
            own->setStatusTip(own->toolTip());
            own->setEnabled(item->isEnabled());
            connect(own, &QAction::triggered, item, &QAction::trigger);
            connect(item, &QAction::enabledChanged, own, &QAction::setEnabled);
            item = own;
        }
        bar->addAction(item);
        if (*command->button) {
            bar->widgetForAction(item)->setObjectName(QString::fromLatin1(command->button));
            m_actions[QString::fromLatin1(command->button)] = item;
        }
    }
}

void TfMain::toggleToolBox(bool on)
{
    action("mniQuickBar")->setChecked(on);
    action("mniBarsToShow")->setEnabled(on);
    const auto itemOf = [this](const Command &command) {
        return action(QString::fromLatin1(command.name));
    };
    const auto anyTicked = std::any_of(commands().begin(),
                                       commands().end(),
                                       [&](const Command &command) {
                                           return *command.showsToolBar
                                                  && itemOf(command)->isChecked();
                                       });
    if (on && !anyTicked)
        action("mniQbarVEXALIN")->setChecked(true);
    for (const Command &command : commands()) {
        if (*command.showsToolBar)
            toolBar(QString::fromLatin1(command.showsToolBar))
                ->setVisible(on && itemOf(command)->isChecked());
    }
}

void TfMain::toggleToolBar(const QString &menuName, bool on)
{
    action(menuName)->setChecked(on);
    bool anyTicked = false;
    for (const Command &command : commands()) {
        if (!*command.showsToolBar)
            continue;
        QAction *item = action(QString::fromLatin1(command.name));
        if (item->objectName() == menuName)
            toolBar(QString::fromLatin1(command.showsToolBar))->setVisible(on);
        anyTicked = anyTicked || item->isChecked();
    }
    if (!anyTicked)
        toggleToolBox(false);
}

void TfMain::viewItemClicked(View view)
{
    // A click on the ticked item changes nothing: the click has just taken its tick away.
    viewItem(view)->setChecked(currentView() == view);
    selectViewFromMenu(view);
}

} // namespace vxl
