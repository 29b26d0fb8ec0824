#include "ui/dialogs/entry_dialog.h"

#include "core/editing/entry_rules.h"
#include "ui/widgets/dialog_buttons_widget.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>

namespace vxl {

// Lets only digits of the field's current base in, upper-casing hexadecimal letters.
class IdValidator : public QValidator
{
public:
    explicit IdValidator(QObject *parent)
        : QValidator(parent)
    {}

    void setHex(bool hex) { m_hex = hex; }

    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return IsIdText(input, m_hex) ? Acceptable : Invalid;
    }

private:
    bool m_hex = true;
};

namespace {

const QColor kDecimalColour(0, 0x80, 0);

} // namespace

TfEntry::TfEntry(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TfEntry"));
    setWindowTitle(QStringLiteral("Add entry"));

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("labCaption"));
    m_caption->setVisible(false);

    m_labID = new QLabel(QStringLiteral("ID (hex):"), this);
    m_labID->setObjectName(QStringLiteral("labID"));
    m_ediID = new QLineEdit(QStringLiteral("0"), this);
    m_ediID->setObjectName(QStringLiteral("ediID"));
    m_ediID->setMaxLength(2);
    m_ediID->setToolTip(QStringLiteral("ID - Double Click to change the Entry Type"));
    m_idValidator = new IdValidator(this);
    m_ediID->setValidator(m_idValidator);
    m_ediID->installEventFilter(this);
    m_labID->setBuddy(m_ediID);

    auto *labTime = new QLabel(QStringLiteral("Timing (ms):"), this);
    labTime->setObjectName(QStringLiteral("labTime"));
    m_ediTime = new QLineEdit(QStringLiteral("5"), this);
    m_ediTime->setObjectName(QStringLiteral("ediTime"));
    m_ediTime->setMaxLength(5);
    m_ediTime->setToolTip(QStringLiteral("Time Stamp in Miliseconds"));
    m_ediTime->installEventFilter(this);
    labTime->setBuddy(m_ediTime);

    auto *fields = new QGridLayout;
    fields->addWidget(m_labID, 0, 0);
    fields->addWidget(m_ediID, 0, 1);
    fields->addWidget(labTime, 1, 0);
    fields->addWidget(m_ediTime, 1, 1);
    fields->setColumnStretch(1, 1);

    const DialogButtons buttons = MakeDialogButtons(this);
    m_cancel = buttons.cancel;

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttons.row);
    setMinimumWidth(260);
}

void TfEntry::setEntry(const LIN_SchedulerEntry &entry, int rowNumber, bool multiple)
{
    // A new dialog is in hex already and keeps the label it was made with.
    if (!m_hex)
        setHexMode(true);
    m_ediID->setText(QStringLiteral("%1").arg(int(entry.ID), 2, 16, QLatin1Char('0')).toUpper());
    m_ediTime->setText(QString::number(entry.Time));
    m_caption->setText(EntryCaption(rowNumber, multiple));
    m_caption->setVisible(true);
}

LIN_SchedulerEntry TfEntry::entry() const
{
    const std::optional<QString> time = LeftTimeText(m_ediTime->text());
    LIN_SchedulerEntry result;
    result.ID = static_cast<std::uint8_t>(IdValue(m_ediID->text(), m_hex));
    result.Time = static_cast<std::uint16_t>(time ? time->toInt() : kDefaultEntryTime);
    return result;
}

void TfEntry::accept()
{
    ediIDExit();
    if (!ediTimeExit()) {
        reportBadTime();
        return;
    }
    QDialog::accept();
}

bool TfEntry::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ediID && event->type() == QEvent::MouseButtonDblClick) {
        ediIDDblClick();
        return true;
    }
    if (event->type() != QEvent::FocusOut)
        return QDialog::eventFilter(watched, event);
    // Focus that leaves the dialog (to a message box, another window) is not the user leaving
    // the field; Cancel discards the entry anyway, so a bad time must not keep the user from it.
    QWidget *next = QApplication::focusWidget();
    if (m_reporting || next == m_cancel || (next && !isAncestorOf(next)))
        return QDialog::eventFilter(watched, event);
    if (watched == m_ediID)
        ediIDExit();
    if (watched == m_ediTime && !ediTimeExit())
        QTimer::singleShot(0, this, &TfEntry::reportBadTime);
    return QDialog::eventFilter(watched, event);
}

void TfEntry::setHexMode(bool hex)
{
    m_hex = hex;
    m_idValidator->setHex(hex);
    m_labID->setText(hex ? QStringLiteral("ID(hex):") : QStringLiteral("ID(dec):"));
    QFont font = m_ediID->font();
    font.setBold(!hex);
    for (QWidget *widget : {static_cast<QWidget *>(m_labID), static_cast<QWidget *>(m_ediID)}) {
        widget->setFont(font);
        QPalette palette;
        if (!hex) {
            palette.setColor(QPalette::WindowText, kDecimalColour);
            palette.setColor(QPalette::Text, kDecimalColour);
        }
        widget->setPalette(palette);
    }
}

void TfEntry::ediIDExit()
{
    m_ediID->setText(LeftIdText(m_ediID->text(), m_hex));
}

void TfEntry::ediIDDblClick()
{
    // The field is taken as left first: an empty field switches as 0, and a value beyond the
    // highest identifier would need more digits in the other base than the field holds (7F is
    // 127, which the field would cut to 12).
    ediIDExit();
    const QString text = m_ediID->text();
    const bool toHex = !m_hex;
    // The validator of the new base must be in place before the new digits are set.
    setHexMode(toHex);
    m_ediID->setText(SwitchedIdText(text, toHex));
}

bool TfEntry::ediTimeExit()
{
    const std::optional<QString> time = LeftTimeText(m_ediTime->text());
    if (!time)
        return false;
    m_ediTime->setText(*time);
    return true;
}

void TfEntry::reportBadTime()
{
    if (m_reporting || !isVisible())
        return;
    m_reporting = true;
    QMessageBox::critical(this,
                          QApplication::applicationDisplayName(),
                          NotAnIntegerMessage(m_ediTime->text()));
    m_reporting = false;
    activateWindow();
    m_ediTime->setFocus();
    m_ediTime->selectAll();
}

} // namespace vxl
