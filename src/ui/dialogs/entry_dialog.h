#pragma once

#include "core/module/module_config.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vxl {

class IdValidator;

// "Add entry": edits one scheduler entry, or the common values of several. The identifier field
// takes hexadecimal digits; a double click switches it to decimal and back.
class TfEntry : public QDialog
{
    Q_OBJECT

public:
    explicit TfEntry(QWidget *parent = nullptr);

    // Prefills the fields with an existing entry (identifier as two hexadecimal digits).
    // rowNumber counts from 1; multiple tells that several rows get the result.
    void setEntry(const LIN_SchedulerEntry &entry, int rowNumber, bool multiple);
    // The entry the fields stand for; read it after the dialog was confirmed.
    [[nodiscard]] LIN_SchedulerEntry entry() const;
    [[nodiscard]] bool hexMode() const { return m_hex; }

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setHexMode(bool hex);
    void ediIDExit();
    void ediIDDblClick();
    // False (after telling the user) when the time is not a number.
    bool ediTimeExit();
    void reportBadTime();

    QLabel *m_caption = nullptr;
    QLabel *m_labID = nullptr;
    QLineEdit *m_ediID = nullptr;
    QLineEdit *m_ediTime = nullptr;
    QPushButton *m_cancel = nullptr;
    IdValidator *m_idValidator = nullptr;
    bool m_hex = true;
    bool m_reporting = false;
};

} // namespace vxl
