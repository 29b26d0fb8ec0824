#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace vxl {

class ControlPanel;
class Operations;
class PressOnce;
class ProfileEditor;
class ProfileFiles;

// "Profiles Management": the profile loaded for editing and sending. Sending goes through the
// operations; the hidden "Put in Flash Memory" tick follows the operations' state.
class ProfilesView : public QWidget
{
    Q_OBJECT
public:
    ProfilesView(Operations &ops, ProfileFiles &files, QWidget *parent = nullptr);

    [[nodiscard]] ControlPanel *controlPanel() const { return m_panel; }
    [[nodiscard]] QPushButton *defaultButton() const { return m_send; }
    // The profile tree and its editing panel (see profile_editor.h for how to drive it).
    [[nodiscard]] ProfileEditor *editor() const { return m_editor; }
    void applyCommandStates();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Operations &m_ops;
    ProfileFiles &m_files;
    ControlPanel *m_panel = nullptr;
    ProfileEditor *m_editor = nullptr;
    QPushButton *m_send = nullptr;
    QCheckBox *m_flashWrite = nullptr;
    PressOnce *m_pressOnce = nullptr;
};

} // namespace vxl
