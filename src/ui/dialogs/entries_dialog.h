#pragma once

#include "core/module/module_config.h"
#include "ui/dialogs/list_dialog.h"

#include <vector>

class QAction;
class QPushButton;

namespace vxl {

// "  Scheduler Entries": the master scheduler's list of at most 50 entries. Works on its own
// copy; callers read the rows back in order after a confirmed dialog. When not editable the list
// can only be looked at, and the dialog cannot be confirmed.
class TfEntries : public ListDialog
{
    Q_OBJECT

public:
    static constexpr int kHelpContext = 220;

    explicit TfEntries(QWidget *parent = nullptr);

    void setEditable(bool editable);

    void setEntries(const std::vector<LIN_SchedulerEntry> &entries);
    [[nodiscard]] std::vector<LIN_SchedulerEntry> entries() const;

    // Appends a row with the next row number and makes it the only selected and focused row.
    void addEntry(const LIN_SchedulerEntry &entry);
    // The entry of row index, advancing index; false once index is past the last row.
    bool readEntry(int &index, LIN_SchedulerEntry &entry) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildList();
    void buildMenu();
    void buildLayout();
    void btbInsertClick();
    void btbModifyClick();
    void btbRemoveClick();
    void selectAllClick();
    void updateCommands();
    void setRow(int row, const LIN_SchedulerEntry &entry);
    [[nodiscard]] bool canInsert() const;
    [[nodiscard]] bool canChange() const;

    QPushButton *m_insert = nullptr;
    QPushButton *m_modify = nullptr;
    QPushButton *m_remove = nullptr;
    QAction *m_mniInsert = nullptr;
    QAction *m_mniModify = nullptr;
    QAction *m_mniRemove = nullptr;
};

} // namespace vxl
