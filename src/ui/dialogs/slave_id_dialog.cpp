#include "ui/dialogs/slave_id_dialog.h"

#include "core/editing/profile_fields.h"
#include "ui/widgets/dialog_buttons_widget.h"
#include "ui/widgets/field_rules_widget.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vxl {

namespace {

constexpr int kIdDigits = 2;

QLineEdit *byteField(const QString &name, const QString &text, QWidget *parent)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(name);
    MakeHexField(field, kIdDigits);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("WWW")) + 12);
    WhenLeft(field, [field] {
        field->setText(field->text().rightJustified(kIdDigits, QLatin1Char('0')));
    });
    return field;
}

} // namespace

TfSlaveIDConfig::TfSlaveIDConfig(QWidget *parent, bool editable)
    : HelpDialog(kHelpContext, parent)
    , m_source(ModuleConfig::NewProfile().LIN)
    , m_editable(editable)
{
    setObjectName(QStringLiteral("TfSlaveIDConfig"));
    setWindowTitle(QStringLiteral(" Slave ID and Data Configuration"));
    setModal(true);

    m_id = byteField(QStringLiteral("ediID"), QStringLiteral("0"), this);
    m_id->setToolTip(QStringLiteral("ID - Double Click to change the Entry Type"));
    m_enabled = new QRadioButton(QStringLiteral("Enabled"), this);
    m_enabled->setObjectName(QStringLiteral("rdbEnabled"));
    m_disabled = new QRadioButton(QStringLiteral("Disabled"), this);
    m_disabled->setObjectName(QStringLiteral("rdbDisabled"));
    m_disabled->setChecked(true);
    auto *status = new QButtonGroup(this);
    status->addButton(m_enabled);
    status->addButton(m_disabled);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("ID:"), this), 0, 0);
    auto *idRow = new QHBoxLayout;
    idRow->addWidget(new QLabel(QStringLiteral("0x"), this));
    idRow->addWidget(m_id);
    idRow->addStretch(1);
    grid->addLayout(idRow, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Status:"), this), 1, 0);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(m_enabled);
    statusRow->addWidget(m_disabled);
    statusRow->addStretch(1);
    grid->addLayout(statusRow, 1, 1);
    m_dataLabel = new QLabel(QStringLiteral("Data:"), this);
    m_dataLabel->setObjectName(QStringLiteral("laData"));
    m_dataLabel->installEventFilter(this);
    grid->addWidget(m_dataLabel, 2, 0, Qt::AlignTop);
    auto *dataGrid = new QGridLayout;
    for (int i = 0; i < kFrameDataBytes; ++i) {
        const auto n = std::size_t(i);
        m_data[n] = byteField(QStringLiteral("ediP0%1").arg(i), QStringLiteral("00"), this);
        m_dataLabels[n] = new QLabel(QStringLiteral("[D%1]").arg(i), this);
        m_dataLabels[n]->setObjectName(QStringLiteral("laP0%1").arg(i));
        m_dataLabels[n]->setAlignment(Qt::AlignCenter);
        dataGrid->addWidget(m_data[n], 0, i);
        dataGrid->addWidget(m_dataLabels[n], 1, i);
    }
    grid->addLayout(dataGrid, 2, 1);

    const DialogButtons buttons = MakeDialogButtons(this);
    m_ok = buttons.ok;

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons.row);

    connect(m_id, &QLineEdit::textChanged, this, &TfSlaveIDConfig::updateDataFields);
    if (!m_editable) {
        m_id->setReadOnly(true);
        for (QLineEdit *field : m_data)
            field->setReadOnly(true);
        m_enabled->setEnabled(false);
        m_disabled->setEnabled(false);
    }
    updateDataFields();
    m_id->setFocus();
}

void TfSlaveIDConfig::fill(const LIN_Group &lin)
{
    m_source = lin;
    const LIN_FrameEntry &slave = lin.SlaveIdData;
    (slave.Active != 0 ? m_enabled : m_disabled)->setChecked(true);
    const int length = std::min<int>(slave.Length, kFrameDataBytes);
    for (int i = 0; i < length; ++i)
        m_data[std::size_t(i)]->setText(HexText(slave.Data[std::size_t(i)], 2));
    m_id->setText(HexText(slave.ID, kIdDigits));
    updateDataFields();
}

QString TfSlaveIDConfig::idText() const
{
    return m_id->text();
}

bool TfSlaveIDConfig::isEnabledChosen() const
{
    return m_enabled->isChecked();
}

QString TfSlaveIDConfig::dataText() const
{
    QString text;
    for (const QLineEdit *field : m_data)
        text += field->text();
    return text;
}

void TfSlaveIDConfig::updateDataFields()
{
    const std::uint32_t id = HexValue(m_id->text());
    // The table has 64 identifiers; any other opens no data field.
    const int length = id > std::uint32_t(kMaxLinId) ? 0 : FrameByteCount(m_source, int(id));
    for (int i = 0; i < kFrameDataBytes; ++i) {
        m_data[std::size_t(i)]->setEnabled(i < length);
        m_dataLabels[std::size_t(i)]->setEnabled(i < length);
    }
    if (m_editable)
        m_ok->setEnabled(id <= std::uint32_t(kMaxLinId));
    else
        m_ok->setEnabled(false);
}

void TfSlaveIDConfig::accept()
{
    if (!m_editable || !m_ok->isEnabled())
        return;
    m_id->setText(m_id->text().rightJustified(kIdDigits, QLatin1Char('0')));
    for (QLineEdit *field : m_data)
        field->setText(field->text().rightJustified(kIdDigits, QLatin1Char('0')));
    QDialog::accept();
}

bool TfSlaveIDConfig::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dataLabel && event->type() == QEvent::MouseButtonPress)
        updateDataFields();
    return QDialog::eventFilter(watched, event);
}

TfSlaveIDConfig::~TfSlaveIDConfig()
{
    // Leaving a field runs its rule: let it happen while the fields are whole, not while the
    // base class takes them down.
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
}

} // namespace vxl
