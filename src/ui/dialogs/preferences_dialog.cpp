#include "ui/dialogs/preferences_dialog.h"

#include "core/link/bit_rates.h"
#include "core/settings/preferences_mapping.h"
#include "ui/widgets/color_box.h"
#include "ui/widgets/dialog_buttons_widget.h"
#include "ui/widgets/up_down_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vxl {

namespace {

constexpr int kFieldWidth = 150;
constexpr int kUpDownWidth = 70;

QComboBox *itemList(const QString &name, const QStringList &items, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    list->setMinimumWidth(kFieldWidth);
    return list;
}

QCheckBox *useDefault(const QString &name, QWidget *parent)
{
    auto *box = new QCheckBox(QStringLiteral("Use default"), parent);
    box->setObjectName(name);
    return box;
}

// The "Use default" box follows the selector, and ticking it selects the default colour.
void bindDefault(ColorBox *selector, QCheckBox *useDefaultBox)
{
    QObject::connect(selector, &ColorBox::colorChanged, useDefaultBox, [=](std::uint32_t color) {
        useDefaultBox->setChecked(color == selector->defaultColor());
    });
    QObject::connect(useDefaultBox, &QCheckBox::toggled, selector, [=](bool ticked) {
        if (ticked && selector->color() != selector->defaultColor())
            selector->setColor(selector->defaultColor());
    });
}

} // namespace

TfPreferences::TfPreferences(QWidget *parent)
    : HelpDialog(kHelpContext, parent)
{
    setObjectName(QStringLiteral("TfPreferences"));
    setWindowTitle(QStringLiteral("Preferences"));

    const DialogButtons buttons = MakeDialogButtons(this);
    // Picture buttons: the hint says what they do.
    buttons.ok->setText(QString());
    buttons.ok->setAccessibleName(QStringLiteral("OK"));
    buttons.ok->setMinimumWidth(60);
    buttons.cancel->setText(QString());
    buttons.cancel->setAccessibleName(QStringLiteral("Cancel"));
    buttons.cancel->setMinimumWidth(60);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(makeDisplayGroup());
    layout->addWidget(makeConnectionGroup());
    layout->addLayout(buttons.row);

    setValues(m_values);
}

QWidget *TfPreferences::makeDisplayGroup()
{
    auto *group = new QGroupBox(QStringLiteral(" Display "), this);
    group->setObjectName(QStringLiteral("grbDisplay"));
    auto *grid = new QGridLayout(group);

    m_clbConnect = new ColorBox(QStringLiteral("clbConnect"), kDefaultColorOn, group);
    m_chbConnect = useDefault(QStringLiteral("chbConnect"), group);
    m_clbDisconnect = new ColorBox(QStringLiteral("clbDisconnect"), kDefaultColorOff, group);
    m_chbDisconnect = useDefault(QStringLiteral("chbDisconnect"), group);
    m_clbWorking = new ColorBox(QStringLiteral("clbWorking"), kDefaultColorWorking, group);
    m_chbWorking = useDefault(QStringLiteral("chbWorking"), group);
    bindDefault(m_clbConnect, m_chbConnect);
    bindDefault(m_clbDisconnect, m_chbDisconnect);
    bindDefault(m_clbWorking, m_chbWorking);

    int row = 0;
    const auto addColor = [&](const QString &caption, ColorBox *selector, QCheckBox *box) {
        auto *label = new QLabel(caption, group);
        label->setBuddy(selector);
        selector->setMinimumWidth(kFieldWidth);
        grid->addWidget(label, row, 0);
        grid->addWidget(selector, row, 1);
        grid->addWidget(box, row, 2);
        ++row;
    };
    addColor(QStringLiteral("Connect status:"), m_clbConnect, m_chbConnect);
    addColor(QStringLiteral("Disconnect status:"), m_clbDisconnect, m_chbDisconnect);
    addColor(QStringLiteral("Working status:"), m_clbWorking, m_chbWorking);

    m_cbbLanguage = itemList(QStringLiteral("cbbLanguage"), HelpLanguageItems(), group);
    auto *languageLabel = new QLabel(QStringLiteral("Help Language:"), group);
    languageLabel->setBuddy(m_cbbLanguage);
    grid->addWidget(languageLabel, row, 0);
    grid->addWidget(m_cbbLanguage, row, 1);
    ++row;

    m_chbStay = new QCheckBox(QStringLiteral("\"Stay on Top\" application"), group);
    m_chbStay->setObjectName(QStringLiteral("chbStay"));
    grid->addWidget(m_chbStay, row, 0, 1, 3);
    return group;
}

QWidget *TfPreferences::makeConnectionGroup()
{
    auto *group = new QGroupBox(QStringLiteral(" Connection "), this);
    group->setObjectName(QStringLiteral("grbConnection"));
    auto *grid = new QGridLayout(group);

    m_cbbConnection = itemList(QStringLiteral("cbbConnection"), StartModeItems(), group);
    connect(m_cbbConnection,
            &QComboBox::currentIndexChanged,
            this,
            &TfPreferences::cbbConnectionChange);
    m_port = new UpDownEdit(QStringLiteral("ediPort"), kPortMin, kPortMax, 3, group);
    m_cmbBaud = itemList(QStringLiteral("cmbBaud"), BitRateItems(), group);
    m_timeout = new UpDownEdit(QStringLiteral("ediTimeOut"), kTimeoutMin, kTimeoutMax, 2, group);
    m_scans = new UpDownEdit(QStringLiteral("ediScans"), kScanMin, kScanMax, 3, group);

    int row = 0;
    const auto addField = [&](const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, group);
        label->setBuddy(field);
        field->setMaximumWidth(kFieldWidth);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
        return label;
    };
    addField(QStringLiteral("Start mode:"), m_cbbConnection);
    m_portLabel = addField(QStringLiteral("Port:"), m_port);
    m_baudLabel = addField(QStringLiteral("Bit rate:"), m_cmbBaud);
    addField(QStringLiteral("Response timeout (seconds):"), m_timeout);
    // The scan count is kept but not offered: the field, its up-down and its label stay hidden.
    QLabel *scansLabel = addField(QStringLiteral("Number of ports to scan:"), m_scans);
    scansLabel->setObjectName(QStringLiteral("laScans"));
    scansLabel->hide();
    m_scans->hide();
    // Room for three digits and the arrows; the lists keep their own width.
    for (UpDownEdit *upDown : {m_port, m_timeout, m_scans})
        upDown->setMaximumWidth(kUpDownWidth);
    grid->setColumnStretch(2, 1);
    return group;
}

void TfPreferences::cbbConnectionChange()
{
    const bool stored = IndexToStartMode(m_cbbConnection->currentIndex()) == 3;
    m_port->setEnabled(stored);
    m_portLabel->setEnabled(stored);
    m_cmbBaud->setEnabled(stored);
    m_baudLabel->setEnabled(stored);
}

void TfPreferences::setValues(const VXLIN_Values &values)
{
    m_values = values;
    m_cbbConnection->setCurrentIndex(StartModeToIndex(values.StartMode));
    cbbConnectionChange();
    m_port->setValue(ClampPort(values.Port));
    m_timeout->setValue(ClampTimeout(values.Timeout));
    m_scans->setValue(ClampScanCount(values.ScanCount));
    m_clbConnect->setColor(values.ColorOn);
    m_clbDisconnect->setColor(values.ColorOff);
    m_clbWorking->setColor(values.ColorWorking);
    m_cbbLanguage->setCurrentIndex(values.GermanHelp ? 1 : 0);
    m_chbStay->setChecked(values.TopMost);
    m_cmbBaud->setCurrentIndex(BitRateIndex(values.Baudrate));
}

VXLIN_Values TfPreferences::values() const
{
    VXLIN_Values values = m_values;
    values.StartMode = std::uint8_t(IndexToStartMode(m_cbbConnection->currentIndex()));
    values.Port = m_port->value();
    values.Timeout = m_timeout->value();
    values.ScanCount = m_scans->value();
    values.ColorOn = m_chbConnect->isChecked() ? kDefaultColorOn : m_clbConnect->color();
    values.ColorOff = m_chbDisconnect->isChecked() ? kDefaultColorOff : m_clbDisconnect->color();
    values.ColorWorking = m_chbWorking->isChecked() ? kDefaultColorWorking : m_clbWorking->color();
    values.GermanHelp = m_cbbLanguage->currentIndex() > 0;
    values.TopMost = m_chbStay->isChecked();
    values.Baudrate = BitRateAt(m_cmbBaud->currentIndex());
    return values;
}

} // namespace vxl
