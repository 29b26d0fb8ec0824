#pragma once

#include "core/settings/settings_store.h"
#include "ui/dialogs/help_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace vxl {

class ColorBox;
class UpDownEdit;

// "Preferences": edits a copy of the settings record. The caller takes values() back and writes
// them only after OK; values the dialog does not show are carried through unchanged.
class TfPreferences : public HelpDialog
{
    Q_OBJECT

public:
    static constexpr int kHelpContext = 210;

    explicit TfPreferences(QWidget *parent);

    void setValues(const VXLIN_Values &values);
    [[nodiscard]] VXLIN_Values values() const;

private:
    QWidget *makeDisplayGroup();
    QWidget *makeConnectionGroup();
    void cbbConnectionChange();

    VXLIN_Values m_values;
    ColorBox *m_clbConnect = nullptr;
    ColorBox *m_clbDisconnect = nullptr;
    ColorBox *m_clbWorking = nullptr;
    QCheckBox *m_chbConnect = nullptr;
    QCheckBox *m_chbDisconnect = nullptr;
    QCheckBox *m_chbWorking = nullptr;
    QComboBox *m_cbbLanguage = nullptr;
    QCheckBox *m_chbStay = nullptr;
    QComboBox *m_cbbConnection = nullptr;
    UpDownEdit *m_port = nullptr;
    QLabel *m_portLabel = nullptr;
    QComboBox *m_cmbBaud = nullptr;
    QLabel *m_baudLabel = nullptr;
    UpDownEdit *m_timeout = nullptr;
    UpDownEdit *m_scans = nullptr;
};

} // namespace vxl
