#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace vxl {

class Operations;
class ProfileFiles;

// "Profiles Management": the profile loaded for editing and sending. Sending goes through the
// operations; the hidden "Put in Flash Memory" tick follows the operations' state.
class ProfilesView : public QWidget
{
    Q_OBJECT
public:
    ProfilesView(Operations &ops, ProfileFiles &files, QWidget *parent = nullptr);

    [[nodiscard]] QWidget *controlPanel() const { return m_panel; }
    [[nodiscard]] QPushButton *defaultButton() const { return m_send; }
    void applyCommandStates();

signals:
    // The profile tree follows these: show the loaded profile (every group refreshed, expanded),
    // or its captions without values.
    void profileShown();
    void profileCleared();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyEditingArea();

    Operations &m_ops;
    ProfileFiles &m_files;
    QWidget *m_panel = nullptr;
    QPushButton *m_send = nullptr;
    QCheckBox *m_flashWrite = nullptr;
};

} // namespace vxl
