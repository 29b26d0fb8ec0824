#pragma once

#include "core/editing/frame_rules.h"
#include "ui/dialogs/list_dialog.h"

class QPushButton;

namespace vxl {

// "  Frame Configuration": the 64 LIN frame identifiers with length, checksum model, direction
// and published data. Works on a copy of a LIN group; callers take it back after OK. When not
// editable the dialog only shows the table and cannot be confirmed.
class TfFramesConfig : public ListDialog
{
    Q_OBJECT

public:
    static constexpr int kHelpContext = 230;

    explicit TfFramesConfig(QWidget *parent = nullptr);

    void setEditable(bool editable);

    // Fills every row from the record; selects row 0 when nothing is selected.
    void setLinGroup(const LIN_Group &lin);
    [[nodiscard]] LIN_Group linGroup() const { return m_lin; }
    // As "Defaults": also usable without showing the dialog.
    void applyDefaults();

private:
    void buildList();
    void buildMenu();
    void buildButtons();
    void fillRow(int n);
    void fillAll();
    void selectRange(int from, int to);
    void setColumnDefault(FrameColumn column);
    void setDefaultValues();
    void btbModifyClick();

    LIN_Group m_lin;
    LIN_Group m_defaults;
    QPushButton *m_modify = nullptr;
    QPushButton *m_setStandard = nullptr;
};

} // namespace vxl
