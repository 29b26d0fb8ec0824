// The main window's help: "Contents...", "Index..." and "Search..." of the Help menu, F1 in the
// dialogs and Shift+F1 in the four views.

#include "ui/main/help_access.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QStackedWidget>

namespace vxl {

namespace {

// Help context numbers of the four views, by page index.
constexpr int kPageContexts[] = {110, 120, 130, 140};

} // namespace

void TfMain::installHelp()
{
    m_help = new HelpAccess([this] { return m_settings.GermanHelp; }, this);
    for (int page = 0; page < m_pages->count(); ++page)
        applyPageHelp(page);
    m_help->install();
}

void TfMain::applyPageHelp(int page)
{
    m_pages->widget(page)->setProperty(HelpAccess::kContextProperty, kPageContexts[page]);
}

void TfMain::openHelp()
{
    m_help->showContents();
}

void TfMain::openHelpSearch()
{
    m_help->showSearch();
}

} // namespace vxl
