#include "ui/dialogs/can_filter_dialog.h"

#include "core/editing/profile_fields.h"
#include "ui/dialogs/message_box.h"
#include "ui/widgets/dialog_buttons_widget.h"
#include "ui/widgets/field_rules_widget.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vxl {

namespace {

constexpr int kRegisterDigits = 2;

std::uint8_t byteOf(std::uint32_t value, int n)
{
    return std::uint8_t((value >> (8 * n)) & 0xFF);
}

void setByte(std::uint32_t &value, int n, std::uint32_t byte)
{
    value = (value & ~(0xFFu << (8 * n))) | ((byte & 0xFF) << (8 * n));
}

QRadioButton *radio(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

TfCanFilterConfig::TfCanFilterConfig(QWidget *parent, std::uint32_t code, std::uint32_t mask)
    : HelpDialog(kHelpContext, parent)
    , m_filter{code, mask}
{
    setObjectName(QStringLiteral("TfCanFilterConfig"));
    setWindowTitle(QStringLiteral(" CAN Filter Configuration"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buildRegisters();

    auto *modes = new QHBoxLayout;
    const char *const names[ModeCount] = {"spb11Bits", "spb29Bits", "spbMonitor"};
    const char *const captions[ModeCount] = {"As 11-Bits Range",
                                             "As 29-Bits Range",
                                             "As in VEXA-Monitor"};
    for (int m = 0; m < ModeCount; ++m) {
        auto *button = new QPushButton(QString::fromLatin1(captions[m]), this);
        button->setObjectName(QString::fromLatin1(names[m]));
        button->setCheckable(true);
        button->setFlat(true);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, m](bool pressed) {
            modeClicked(Mode(m), pressed);
        });
        m_modeButtons[std::size_t(m)] = button;
        modes->addWidget(button);
    }
    layout->addLayout(modes);
    m_panels[Range11] = buildRangePanel(false);
    m_panels[Range29] = buildRangePanel(true);
    m_panels[Monitor] = buildMonitorPanel();
    for (QWidget *panel : m_panels) {
        panel->hide();
        layout->addWidget(panel);
    }

    const DialogButtons buttons = MakeDialogButtons(this);
    m_ok = buttons.ok;
    layout->addLayout(buttons.row);

    showRegisters();
    m_code[0]->setFocus();
}

void TfCanFilterConfig::buildRegisters()
{
    auto *grid = new QGridLayout;
    for (int n = 0; n < 4; ++n) {
        auto *heading = new QLabel(QString::number(n), this);
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, 0, n + 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("Acceptance Code:"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Acceptance Mask:"), this), 2, 0);
    for (int n = 0; n < 4; ++n) {
        const auto i = std::size_t(n);
        m_code[i] = hexField(qPrintable(QStringLiteral("cxtCode%1").arg(n)), {}, 2, true);
        m_mask[i] = hexField(qPrintable(QStringLiteral("cxtMask%1").arg(n)), {}, 2, true);
        for (QLineEdit *field : {m_code[i], m_mask[i]}) {
            field->setAlignment(Qt::AlignCenter);
            field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("WWW")) + 12);
            WhenLeft(field, [this] { readRegisters(); });
        }
        grid->addWidget(m_code[i], 1, n + 1);
        grid->addWidget(m_mask[i], 2, n + 1);
    }
    static_cast<QVBoxLayout *>(layout())->addLayout(grid);
}

QWidget *TfCanFilterConfig::buildRangePanel(bool extended)
{
    const auto e = std::size_t(extended);
    const int digits = extended ? kId29Digits : kId11Digits;
    const QString suffix = extended ? QStringLiteral("29") : QStringLiteral("11");
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pan%1Bits").arg(suffix));
    m_from[e] = hexField(qPrintable(QStringLiteral("cxtFrom%1ID").arg(suffix)),
                         HexText(0, digits),
                         digits,
                         true);
    m_to[e] = hexField(qPrintable(QStringLiteral("cxtTo%1ID").arg(suffix)),
                       HexText(extended ? kMax29BitId : kMax11BitId, digits),
                       digits,
                       true);
    m_rtr[e] = radio(qPrintable(QStringLiteral("rdbRTR%1").arg(suffix)),
                     QStringLiteral("RTR"),
                     panel);
    auto *data = radio(qPrintable(QStringLiteral("rdbData%1").arg(suffix)),
                       QStringLiteral("Data"),
                       panel);
    m_both[e] = radio(qPrintable(QStringLiteral("rdbBoth%1").arg(suffix)),
                      QStringLiteral("Both"),
                      panel);
    data->setChecked(true);
    auto *kinds = new QButtonGroup(panel);
    for (QRadioButton *button : {m_rtr[e], data, m_both[e]})
        kinds->addButton(button);
    auto *apply = new QPushButton(QStringLiteral("Apply"), panel);
    apply->setObjectName(QStringLiteral("btbApply%1").arg(suffix));
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, [this, extended] { applyRange(extended); });

    auto *grid = new QGridLayout(panel);
    grid->addWidget(new QLabel(QStringLiteral("From ID:"), panel), 0, 0);
    grid->addWidget(m_from[e], 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("To ID:"), panel), 0, 2);
    grid->addWidget(m_to[e], 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Kind:"), panel), 1, 0);
    auto *kindRow = new QHBoxLayout;
    for (QRadioButton *button : {m_rtr[e], data, m_both[e]})
        kindRow->addWidget(button);
    kindRow->addStretch(1);
    grid->addLayout(kindRow, 1, 1, 1, 3);
    grid->addWidget(
        new QLabel(QStringLiteral(
                       "(It is not guaranteed to receive only messages within the range)"),
                   panel),
        2,
        0,
        1,
        4);
    grid->addWidget(apply, 3, 3, Qt::AlignRight);
    for (QLineEdit *field : {m_from[e], m_to[e]})
        field->setParent(panel);
    return panel;
}

QWidget *TfCanFilterConfig::buildMonitorPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panMonitorMode"));
    m_accCode = hexField("cxtAccCode", QStringLiteral("000"), kId11Digits, false);
    m_accMask = hexField("cxtAccMask", QStringLiteral("7FF"), kId11Digits, false);
    auto *display11 = radio("rdb11Bits", QStringLiteral("11-Bits"), panel);
    m_display29 = radio("rdb29Bits", QStringLiteral("29-Bits"), panel);
    display11->setChecked(true);
    auto *display = new QButtonGroup(panel);
    display->addButton(display11);
    display->addButton(m_display29);
    connect(m_display29, &QRadioButton::toggled, this, &TfCanFilterConfig::displayAsChanged);
    auto *apply = new QPushButton(QStringLiteral("Apply"), panel);
    apply->setObjectName(QStringLiteral("btbApplyMonitor"));
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, &TfCanFilterConfig::applyMonitor);

    auto *grid = new QGridLayout(panel);
    grid->addWidget(new QLabel(QStringLiteral("Acceptance Code:"), panel), 0, 0);
    grid->addWidget(m_accCode, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Acceptance Mask:"), panel), 1, 0);
    grid->addWidget(m_accMask, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Display As:"), panel), 2, 0);
    auto *displayRow = new QHBoxLayout;
    displayRow->addWidget(display11);
    displayRow->addWidget(m_display29);
    displayRow->addStretch(1);
    grid->addLayout(displayRow, 2, 1);
    grid->addWidget(apply, 3, 1, Qt::AlignRight);
    for (QLineEdit *field : {m_accCode, m_accMask})
        field->setParent(panel);
    return panel;
}

QLineEdit *TfCanFilterConfig::hexField(const char *name,
                                       const QString &text,
                                       int digits,
                                       bool limited)
{
    auto *field = new QLineEdit(text, this);
    field->setObjectName(QString::fromLatin1(name));
    MakeHexField(field, digits);
    field->setMinimumWidth(
        field->fontMetrics().horizontalAdvance(QStringLiteral("W").repeated(digits)) + 12);
    WhenLeft(field, [this, field, limited] { normalise(field, limited); });
    // A full field hands the keyboard on to the next control.
    connect(field, &QLineEdit::textEdited, this, [this, field] {
        if (field->text().size() >= field->maxLength() && field->hasFocus())
            focusNextChild();
    });
    return field;
}

void TfCanFilterConfig::normalise(QLineEdit *field, bool limited) const
{
    const int digits = field->maxLength();
    const std::uint32_t value = HexValue(field->text());
    field->setText(HexText(limited ? LimitToDigits(value, digits) : value, digits));
}

void TfCanFilterConfig::showRegisters()
{
    for (int n = 0; n < 4; ++n) {
        m_code[std::size_t(n)]->setText(HexText(byteOf(m_filter.code, n), kRegisterDigits));
        m_mask[std::size_t(n)]->setText(HexText(byteOf(m_filter.mask, n), kRegisterDigits));
    }
}

void TfCanFilterConfig::readRegisters()
{
    for (int n = 0; n < 4; ++n) {
        for (QLineEdit *field : {m_code[std::size_t(n)], m_mask[std::size_t(n)]})
            normalise(field, true);
        setByte(m_filter.code, n, HexValue(m_code[std::size_t(n)]->text()));
        setByte(m_filter.mask, n, HexValue(m_mask[std::size_t(n)]->text()));
    }
}

void TfCanFilterConfig::modeClicked(Mode mode, bool pressed)
{
    if (!pressed) {
        closeModes();
        return;
    }
    readRegisters();
    for (int m = 0; m < ModeCount; ++m) {
        m_modeButtons[std::size_t(m)]->setChecked(m == mode);
        m_panels[std::size_t(m)]->setVisible(m == mode);
    }
    if (mode == Monitor) {
        const IdLevel level = RegistersToIdLevel(m_filter, m_display29->isChecked());
        m_accCode->setText(HexText(level.code, idLevelDigits()));
        m_accMask->setText(HexText(level.mask, idLevelDigits()));
    }
    m_ok->setEnabled(false);
    for (int n = 0; n < 4; ++n) {
        m_code[std::size_t(n)]->setEnabled(false);
        m_mask[std::size_t(n)]->setEnabled(false);
    }
}

void TfCanFilterConfig::closeModes()
{
    for (int m = 0; m < ModeCount; ++m) {
        m_modeButtons[std::size_t(m)]->setChecked(false);
        m_panels[std::size_t(m)]->hide();
    }
    m_ok->setEnabled(true);
    for (int n = 0; n < 4; ++n) {
        m_code[std::size_t(n)]->setEnabled(true);
        m_mask[std::size_t(n)]->setEnabled(true);
    }
    m_code[0]->setFocus();
}

void TfCanFilterConfig::applyRange(bool extended)
{
    const auto e = std::size_t(extended);
    normalise(m_from[e], true);
    normalise(m_to[e], true);
    const std::uint32_t from = HexValue(m_from[e]->text());
    const std::uint32_t to = HexValue(m_to[e]->text());
    if (to < from) {
        TfMsg::Ask(this,
                   BoxKind::Information,
                   QStringLiteral("The last ID of the range must be equal or greater than the "
                                  "first ID"));
        m_to[e]->setFocus();
        return;
    }
    const FrameKind kind = m_rtr[e]->isChecked()
                               ? FrameKind::Rtr
                               : (m_both[e]->isChecked() ? FrameKind::Both : FrameKind::Data);
    m_filter = extended ? FilterFor29BitRange(from, to, kind) : FilterFor11BitRange(from, to, kind);
    showRegisters();
    closeModes();
}

void TfCanFilterConfig::applyMonitor()
{
    normalise(m_accCode, false);
    normalise(m_accMask, false);
    const IdLevel level{HexValue(m_accCode->text()), HexValue(m_accMask->text())};
    m_filter = IdLevelToRegisters(level, m_display29->isChecked());
    showRegisters();
    closeModes();
}

int TfCanFilterConfig::idLevelDigits() const
{
    return m_display29->isChecked() ? kId29Digits : kId11Digits;
}

void TfCanFilterConfig::displayAsChanged(bool extended)
{
    const IdLevel shown{HexValue(m_accCode->text()), HexValue(m_accMask->text())};
    const IdLevel level = extended ? IdLevel11To29(shown) : IdLevel29To11(shown);
    const int digits = idLevelDigits();
    for (auto [field, value] :
         {std::pair{m_accCode, level.code}, std::pair{m_accMask, level.mask}}) {
        // Widen before the new text, narrow after it: a shorter limit would cut the old text.
        if (digits > field->maxLength())
            field->setMaxLength(digits);
        field->setText(HexText(value, digits));
        field->setMaxLength(digits);
    }
}

void TfCanFilterConfig::accept()
{
    if (!m_ok->isEnabled())
        return;
    readRegisters();
    QDialog::accept();
}

TfCanFilterConfig::~TfCanFilterConfig()
{
    // Leaving a field runs its rule on this object: let it happen while the object is whole,
    // not while the base class takes the children down.
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
}

} // namespace vxl
