#pragma once

#include "ui/dialogs/help_dialog.h"

#include <QStringList>

#include <vector>

class QMenu;
class QPushButton;
class QTableWidget;

namespace vxl {

// A dialog around one table of rows: rows selected whole and several at once, a context menu,
// OK only while the rows may be edited, and F1 for the dialog's help page.
class ListDialog : public HelpDialog
{
    Q_OBJECT

public:
    // A list shown for viewing only is never confirmed.
    void accept() override;

protected:
    ListDialog(int helpContext, QWidget *parent);

    // The table with the settings every list shares: fixed captions, rows selected whole,
    // no editing in place, a grid.
    [[nodiscard]] QTableWidget *makeList(const QString &name, int rows, const QStringList &captions);
    // Wide enough for columns of the given total width and the vertical scroll bar.
    void fitListWidth(int columnsWidth);
    // The selected rows in ascending order.
    [[nodiscard]] std::vector<int> selectedRows() const;

    QTableWidget *m_list = nullptr;
    QMenu *m_menu = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_editable = true;
};

} // namespace vxl
