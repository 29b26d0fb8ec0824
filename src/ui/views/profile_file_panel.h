#pragma once

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vxl {

class ProfileFiles;

// The profile's file on the "Profiles Management" page: its path and dates, and the buttons
// "New", "Save", "Save As" and "Clear", which the page places in its control panel.
class ProfileFilePanel : public QWidget
{
    Q_OBJECT
public:
    explicit ProfileFilePanel(ProfileFiles &files, QWidget *parent = nullptr);

    // The four buttons, made children of `parent`, in their order.
    std::vector<QPushButton *> createButtons(QWidget *parent);

private:
    void applyLabels();
    void applyStates();

    ProfileFiles &m_files;
    QLineEdit *m_path = nullptr;
    QLabel *m_date = nullptr;
    QLabel *m_time = nullptr;
    QLabel *m_accDate = nullptr;
    QLabel *m_accTime = nullptr;
    std::vector<QPushButton *> m_buttons;
};

} // namespace vxl
