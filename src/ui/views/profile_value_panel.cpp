#include "ui/views/profile_value_panel.h"

#include "core/editing/profile_fields.h"
#include "ui/widgets/field_rules_widget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vxl {

namespace {

QLabel *label(const QString &text, QWidget *parent, const char *name = nullptr)
{
    auto *shown = new QLabel(text, parent);
    if (name)
        shown->setObjectName(QString::fromLatin1(name));
    return shown;
}

QLabel *heading(const QString &text, QWidget *parent)
{
    QLabel *shown = label(text, parent);
    QFont font = shown->font();
    font.setBold(true);
    shown->setFont(font);
    return shown;
}

QLabel *note(const char *name, const QString &text, QWidget *parent)
{
    QLabel *shown = label(text, parent, name);
    shown->setWordWrap(true);
    return shown;
}

QCheckBox *checkBox(const char *name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QRadioButton *radio(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// Puts text into an identifier field whose length changes without the length cutting it.
void setIdField(QLineEdit *field, const QString &text, int length)
{
    field->setMaxLength(std::max<int>(length, int(text.size())));
    field->setText(text);
    field->setMaxLength(length);
}

QPushButton *button(const char *name, const QString &caption, const QString &hint, QWidget *parent)
{
    auto *shown = new QPushButton(caption, parent);
    shown->setObjectName(QString::fromLatin1(name));
    shown->setToolTip(hint);
    shown->setAutoDefault(false);
    return shown;
}

} // namespace

ProfileValuePanel::ProfileValuePanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("panEditProfile"));
    auto *layout = new QVBoxLayout(this);
    m_rs232 = buildRs232();
    m_can = buildCan();
    m_lin = buildLin();
    for (QWidget *panel : {m_rs232, m_can, m_lin})
        layout->addWidget(panel);
    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    QPushButton *set = button("btnSetValue",
                              QStringLiteral("Set"),
                              QStringLiteral("Modify the selectede field with the new value"),
                              this);
    QPushButton *standard = button("btnSetStandarValue",
                                   QStringLiteral("Default"),
                                   QStringLiteral("Set Standard value for the selected field"),
                                   this);
    buttons->addStretch(1);
    buttons->addWidget(set);
    buttons->addWidget(standard);
    layout->addLayout(buttons);
    connect(set, &QPushButton::clicked, this, &ProfileValuePanel::setClicked);
    connect(standard, &QPushButton::clicked, this, &ProfileValuePanel::defaultClicked);
    updateUserRates();
}

QWidget *ProfileValuePanel::addRow(QWidget *panel, std::initializer_list<QWidget *> controls)
{
    auto *row = new QWidget(panel);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *control : controls) {
        control->setParent(row);
        layout->addWidget(control);
    }
    layout->addStretch(1);
    panel->layout()->addWidget(row);
    m_allRows.push_back(row);
    return row;
}

QComboBox *ProfileValuePanel::selector(const char *name, const QStringList &entries)
{
    auto *box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(entries);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

QLineEdit *ProfileValuePanel::hexField(const char *name, int length)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(name));
    MakeHexField(field, length);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("W").repeated(8))
                         + 12);
    return field;
}

QWidget *ProfileValuePanel::buildRs232()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panRS232"));
    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(heading(QStringLiteral("   RS-232"), panel));
    m_portModBaud = selector("cmbPortModBaud", Rs232RateEntries());
    addRow(panel,
           {label(QStringLiteral("Allow Bit rates:"), panel),
            m_portModBaud,
            label(QStringLiteral("bit/s"), panel)});
    m_allRows.pop_back(); // the only row: always shown with its panel
    return panel;
}

QWidget *ProfileValuePanel::buildCan()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panCAN"));
    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(heading(QStringLiteral("   CAN"), panel));
    m_canAction = label(QString(), panel, "laCanAction");
    layout->addWidget(m_canAction);

    const QStringList onOff = {QStringLiteral("Enable"), QStringLiteral("Disable")};
    m_activationCan = selector("cmbActivationCAN", onOff);
    m_rows[{CanGroup, CodeActivation}] = {addRow(panel, {m_activationCan})};
    m_bitrateCan = selector("cmbBitrateCAN", CanBitRateEntries());
    m_userCan = hexField("ediUserCAN", kUserCanDigits);
    WhenLeft(m_userCan, [this] { m_userCan->setText(PadHex(m_userCan->text(), kUserCanDigits)); });
    m_rows[{CanGroup, CodeBitRate}] = {
        addRow(panel, {m_bitrateCan, label(QStringLiteral("0x"), panel), m_userCan})};
    m_canMask = selector("cbCanMask", CanForwardEntries());
    m_canErrorMask = checkBox("chbErrorMask", QStringLiteral("RS-232 Error"), panel);
    m_rows[{CanGroup, CodeForwardMask}] = {addRow(panel, {m_canMask, m_canErrorMask})};
    QWidget *filterNote
        = addRow(panel,
                 {note("laMaskCodeCAN",
                       QStringLiteral(
                           "Use Set to edit the SJA1000 filter. Use Default to reset them. "),
                       panel)});
    m_rows[{CanGroup, CodeFilterMask}] = {filterNote};
    m_rows[{CanGroup, CodeFilterCode}] = {filterNote};

    m_offset = hexField("ediOffset", kId11Digits);
    m_canErrorId = hexField("ediCANErrorID", kId11Digits);
    m_c11 = radio("rdbC11", QStringLiteral("11"), panel);
    m_c29 = radio("rdbC29", QStringLiteral("29"), panel);
    m_c11->setChecked(true);
    auto *bits = new QButtonGroup(panel);
    bits->addButton(m_c11);
    bits->addButton(m_c29);
    QWidget *offsetRow = addRow(panel, {label(QStringLiteral("0x"), panel), m_offset});
    QWidget *errorIdRow = addRow(panel, {label(QStringLiteral("0x"), panel), m_canErrorId});
    QWidget *bitsRow = addRow(panel, {label(QStringLiteral("Bits:"), panel), m_c11, m_c29});
    m_rows[{CanGroup, CodeIdOffset}] = {offsetRow, bitsRow};
    m_rows[{CanGroup, CodeErrorIdOrMaster}] = {errorIdRow, bitsRow};
    for (QLineEdit *field : {m_offset, m_canErrorId})
        WhenLeft(field, [this, field] { fitIdFields({field}, m_c29->isChecked()); });
    connect(m_c29, &QRadioButton::toggled, this, [this](bool extended) {
        fitIdFields({m_offset, m_canErrorId}, extended);
    });
    connect(m_bitrateCan,
            &QComboBox::currentIndexChanged,
            this,
            &ProfileValuePanel::updateUserRates);
    return panel;
}

QWidget *ProfileValuePanel::buildLin()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panLIN"));
    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(heading(QStringLiteral("   LIN"), panel));
    m_linAction = label(QString(), panel, "laLinAction");
    layout->addWidget(m_linAction);

    m_activationLin = selector("cmbActivationLIN",
                               {QStringLiteral("Enable"), QStringLiteral("Disable")});
    m_rows[{LinGroup, CodeActivation}] = {addRow(panel, {m_activationLin})};
    m_bitrateLin = selector("cmbBitrateLIN", LinBitRateEntries());
    m_userLin = new QLineEdit(panel);
    m_userLin->setObjectName(QStringLiteral("ediUserLIN"));
    m_userLin->setValidator(new DecimalFieldValidator(m_userLin));
    m_userLin->setMaxLength(kUserLinMaxChars);
    m_userLin->setFixedWidth(m_userLin->fontMetrics().horizontalAdvance(QStringLiteral("000000"))
                             + 12);
    WhenLeft(m_userLin, [this] { m_userLin->setText(LeftUserLinRate(m_userLin->text())); });
    m_rows[{LinGroup, CodeBitRate}] = {addRow(panel, {m_bitrateLin, m_userLin})};
    m_linMask = selector("cbLinMask", LinForwardEntries());
    m_linErrorMask = checkBox("chbLinErrorMask", QStringLiteral("RS-232 Error"), panel);
    m_linCanErrorMask = checkBox("chbLinCANErrorMask", QStringLiteral("CAN Error"), panel);
    m_rows[{LinGroup, CodeForwardMask}] = {addRow(panel, {m_linMask}),
                                           addRow(panel, {m_linErrorMask, m_linCanErrorMask})};
    m_linFilterMask = hexField("ediLINFilterMask", kLinFilterDigits);
    m_linFilterCode = hexField("ediLINFilterCode", kLinFilterDigits);
    for (QLineEdit *field : {m_linFilterMask, m_linFilterCode})
        WhenLeft(field, [field] { field->setText(PadHex(field->text(), kLinFilterDigits)); });
    m_rows[{LinGroup, CodeFilterMask}] = {
        addRow(panel, {label(QStringLiteral("0x"), panel), m_linFilterMask})};
    m_rows[{LinGroup, CodeFilterCode}] = {
        addRow(panel, {label(QStringLiteral("0x"), panel), m_linFilterCode})};
    m_masterStatus = selector("cmbMasterStatus",
                              {QStringLiteral("Active"), QStringLiteral("Inactive")});
    m_rows[{LinGroup, CodeErrorIdOrMaster}] = {addRow(panel, {m_masterStatus})};
    m_linTermination = selector("cmbLinSlaveTermination",
                                {QStringLiteral("Master"), QStringLiteral("Slave")});
    m_rows[{LinGroup, CodeBusTermination}] = {addRow(panel, {m_linTermination})};
    m_rows[{LinGroup, CodeSchedulerEntries}] = {
        addRow(panel,
               {note("laEntriesCaption",
                     QStringLiteral(
                         "Use Set to Add/Modify entries. Use Default to Delete it all. "),
                     panel)})};
    QWidget *framesNote
        = addRow(panel,
                 {note("laFrames",
                       QStringLiteral(
                           "Use Set to edit Configuration. Use Default for default values. "),
                       panel)});
    m_rows[{LinGroup, CodeSlaveIdData}] = {framesNote};
    m_rows[{LinGroup, CodeFrameConfig}] = {framesNote};

    buildSlaveActivation(panel);
    connect(m_bitrateLin,
            &QComboBox::currentIndexChanged,
            this,
            &ProfileValuePanel::updateUserRates);
    return panel;
}

void ProfileValuePanel::buildSlaveActivation(QWidget *panel)
{
    m_slaveActivationId = hexField("ediCANIDSActivation", kId11Digits);
    m_slaveActivationActive = checkBox("chbCANIDActivation", QStringLiteral("Active"), panel);
    m_l11 = radio("rdbL11", QStringLiteral("11"), panel);
    m_l29 = radio("rdbL29", QStringLiteral("29 bits"), panel);
    m_l11->setChecked(true);
    auto *bits = new QButtonGroup(panel);
    bits->addButton(m_l11);
    bits->addButton(m_l29);
    m_rows[{LinGroup, CodeSlaveActivationId}] = {addRow(panel,
                                                        {label(QStringLiteral("0x"), panel),
                                                         m_slaveActivationId,
                                                         m_slaveActivationActive}),
                                                 addRow(panel, {m_l11, m_l29})};
    WhenLeft(m_slaveActivationId,
             [this] { fitIdFields({m_slaveActivationId}, m_l29->isChecked()); });
    connect(m_l29, &QRadioButton::toggled, this, [this](bool extended) {
        fitIdFields({m_slaveActivationId}, extended);
    });
}

void ProfileValuePanel::fitIdFields(std::initializer_list<QLineEdit *> fields, bool extended)
{
    const int length = IdFieldLength(extended);
    for (QLineEdit *field : fields)
        setIdField(field, FitIdField(field->text(), length), length);
}

void ProfileValuePanel::updateUserRates()
{
    m_userCan->setEnabled(m_bitrateCan->currentIndex() == kCanUserIndex);
    m_userLin->setEnabled(m_bitrateLin->currentIndex() == kLinUserRateIndex);
}

void ProfileValuePanel::showNode(EditGroup group, ParamCode code, const QString &caption)
{
    m_rs232->setVisible(group == Rs232Group);
    m_can->setVisible(group == CanGroup);
    m_lin->setVisible(group == LinGroup);
    for (QWidget *row : m_allRows)
        row->hide();
    const auto found = m_rows.find({int(group), int(code)});
    if (found != m_rows.end()) {
        for (QWidget *row : found->second)
            row->show();
    }
    if (group == CanGroup)
        m_canAction->setText(caption);
    else if (group == LinGroup)
        m_linAction->setText(caption);
}

EditorControls ProfileValuePanel::controls() const
{
    EditorControls c;
    c.portModBaud = m_portModBaud->currentIndex();
    c.activationCan = m_activationCan->currentIndex();
    c.bitrateCan = m_bitrateCan->currentIndex();
    c.userCan = m_userCan->text();
    c.canMask = m_canMask->currentIndex();
    c.canErrorMask = m_canErrorMask->isChecked();
    c.offset = m_offset->text();
    c.canErrorId = m_canErrorId->text();
    c.can29 = m_c29->isChecked();
    c.activationLin = m_activationLin->currentIndex();
    c.bitrateLin = m_bitrateLin->currentIndex();
    c.userLin = m_userLin->text();
    c.linMask = m_linMask->currentIndex();
    c.linErrorMask = m_linErrorMask->isChecked();
    c.linCanErrorMask = m_linCanErrorMask->isChecked();
    c.linFilterMask = m_linFilterMask->text();
    c.linFilterCode = m_linFilterCode->text();
    c.masterStatus = m_masterStatus->currentIndex();
    c.linTermination = m_linTermination->currentIndex();
    c.slaveActivationId = m_slaveActivationId->text();
    c.slaveActivationActive = m_slaveActivationActive->isChecked();
    c.lin29 = m_l29->isChecked();
    return c;
}

void ProfileValuePanel::setControls(const EditorControls &c)
{
    // The radio buttons' own fitting would run on the old texts: the model has fitted them.
    const QSignalBlocker blockC29(m_c29);
    const QSignalBlocker blockL29(m_l29);
    m_portModBaud->setCurrentIndex(c.portModBaud);
    m_activationCan->setCurrentIndex(c.activationCan);
    m_bitrateCan->setCurrentIndex(c.bitrateCan);
    m_userCan->setText(c.userCan);
    m_canMask->setCurrentIndex(c.canMask);
    m_canErrorMask->setChecked(c.canErrorMask);
    (c.can29 ? m_c29 : m_c11)->setChecked(true);
    setIdField(m_offset, c.offset, IdFieldLength(c.can29));
    setIdField(m_canErrorId, c.canErrorId, IdFieldLength(c.can29));
    m_activationLin->setCurrentIndex(c.activationLin);
    m_bitrateLin->setCurrentIndex(c.bitrateLin);
    m_userLin->setText(c.userLin);
    m_linMask->setCurrentIndex(c.linMask);
    m_linErrorMask->setChecked(c.linErrorMask);
    m_linCanErrorMask->setChecked(c.linCanErrorMask);
    m_linFilterMask->setText(c.linFilterMask);
    m_linFilterCode->setText(c.linFilterCode);
    m_masterStatus->setCurrentIndex(c.masterStatus);
    m_linTermination->setCurrentIndex(c.linTermination);
    (c.lin29 ? m_l29 : m_l11)->setChecked(true);
    setIdField(m_slaveActivationId, c.slaveActivationId, IdFieldLength(c.lin29));
    m_slaveActivationActive->setChecked(c.slaveActivationActive);
    updateUserRates();
}

ProfileValuePanel::~ProfileValuePanel()
{
    // Leaving a field runs its rule on this object: let it happen while the object is whole,
    // not while the base class takes the children down.
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
}

} // namespace vxl
