#pragma once

#include "core/editing/frame_rules.h"

#include <QDialog>

#include <vector>

class QMenu;
class QPushButton;
class QTableWidget;

namespace vxl {

// "  Frame Configuration": the 64 LIN frame identifiers with length, checksum model, direction
// and published data. Works on a copy of a LIN group; callers take it back after OK. When not
// editable the dialog only shows the table and cannot be confirmed.
class TfFramesConfig : public QDialog
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

    void accept() override;

signals:
    void helpRequested(int context);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildMenu();
    void fillRow(int n);
    void fillAll();
    void selectRange(int from, int to);
    void setColumnDefault(FrameColumn column);
    void setDefaultValues();
    void btbModifyClick();
    [[nodiscard]] std::vector<int> selectedRows() const;

    LIN_Group m_lin;
    LIN_Group m_defaults;
    QTableWidget *m_list = nullptr;
    QMenu *m_menu = nullptr;
    QPushButton *m_modify = nullptr;
    QPushButton *m_setStandard = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_editable = true;
};

} // namespace vxl
