#pragma once

#include "core/editing/profile_editor_model.h"

#include <QWidget>

#include <map>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vxl {

// The editing panel of the profile editor (`panEditProfile`): one sub-panel per group with the
// value controls of every node, and the buttons "Set" and "Default". Shows the controls of one
// node at a time and applies the fields' input rules; what the values mean is the model's.
class ProfileValuePanel : public QWidget
{
    Q_OBJECT

public:
    explicit ProfileValuePanel(QWidget *parent = nullptr);
    ~ProfileValuePanel() override;

    // Shows the group's sub-panel with the controls of the code and the action caption.
    void showNode(EditGroup group, ParamCode code, const QString &caption);

    [[nodiscard]] EditorControls controls() const;
    void setControls(const EditorControls &controls);

signals:
    void setClicked();
    void defaultClicked();

private:
    QWidget *buildRs232();
    QWidget *buildCan();
    QWidget *buildLin();
    void buildSlaveActivation(QWidget *panel);
    QWidget *addRow(QWidget *panel, std::initializer_list<QWidget *> controls);
    QComboBox *selector(const char *name, const QStringList &entries);
    QLineEdit *hexField(const char *name, int length);
    void fitIdFields(std::initializer_list<QLineEdit *> fields, bool extended);
    void updateUserRates();

    QWidget *m_rs232 = nullptr;
    QWidget *m_can = nullptr;
    QWidget *m_lin = nullptr;
    QLabel *m_canAction = nullptr;
    QLabel *m_linAction = nullptr;
    // The rows of controls each code shows, by group and code.
    std::map<std::pair<int, int>, std::vector<QWidget *>> m_rows;
    std::vector<QWidget *> m_allRows;

    QComboBox *m_portModBaud = nullptr;
    QComboBox *m_activationCan = nullptr;
    QComboBox *m_bitrateCan = nullptr;
    QLineEdit *m_userCan = nullptr;
    QComboBox *m_canMask = nullptr;
    QCheckBox *m_canErrorMask = nullptr;
    QLineEdit *m_offset = nullptr;
    QLineEdit *m_canErrorId = nullptr;
    QRadioButton *m_c11 = nullptr;
    QRadioButton *m_c29 = nullptr;
    QComboBox *m_activationLin = nullptr;
    QComboBox *m_bitrateLin = nullptr;
    QLineEdit *m_userLin = nullptr;
    QComboBox *m_linMask = nullptr;
    QCheckBox *m_linErrorMask = nullptr;
    QCheckBox *m_linCanErrorMask = nullptr;
    QLineEdit *m_linFilterMask = nullptr;
    QLineEdit *m_linFilterCode = nullptr;
    QComboBox *m_masterStatus = nullptr;
    QComboBox *m_linTermination = nullptr;
    QLineEdit *m_slaveActivationId = nullptr;
    QCheckBox *m_slaveActivationActive = nullptr;
    QRadioButton *m_l11 = nullptr;
    QRadioButton *m_l29 = nullptr;
};

} // namespace vxl
