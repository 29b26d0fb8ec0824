#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace vxl {

class Operations;
class ProfileEditor;

// "Profiles Management": the profile loaded for editing and sending. Sending goes through the
// operations; the hidden "Put in Flash Memory" tick follows the operations' state.
class ProfilesView : public QWidget
{
    Q_OBJECT
public:
    explicit ProfilesView(Operations &ops, QWidget *parent = nullptr);

    [[nodiscard]] QWidget *controlPanel() const { return m_panel; }
    [[nodiscard]] QPushButton *defaultButton() const { return m_send; }
    // The profile tree and its editing panel (see profile_editor.h for how to drive it).
    [[nodiscard]] ProfileEditor *editor() const { return m_editor; }
    void setProfileName(const QString &path);
    void applyCommandStates();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Operations &m_ops;
    QWidget *m_panel = nullptr;
    QLabel *m_path = nullptr;
    ProfileEditor *m_editor = nullptr;
    QPushButton *m_send = nullptr;
    QCheckBox *m_flashWrite = nullptr;
};

} // namespace vxl
