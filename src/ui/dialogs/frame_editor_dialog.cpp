#include "ui/dialogs/frame_editor_dialog.h"

#include "ui/widgets/dialog_buttons_widget.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>

namespace vxl {

namespace {

constexpr int kPublisherIndex = 1;
constexpr int kEnhancedIndex = 1;

// Lets only hexadecimal digits in, upper-cased.
class HexDigitsValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        const bool hex = std::all_of(input.cbegin(), input.cend(), [](QChar c) {
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                   || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        });
        return hex ? Acceptable : Invalid;
    }
};

QComboBox *selector(const QString &name,
                    const QString &hint,
                    const QStringList &items,
                    QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setToolTip(hint);
    box->addItems(items);
    return box;
}

} // namespace

TfFrameEditor::TfFrameEditor(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TfFrameEditor"));
    setWindowTitle(QStringLiteral("Frame"));

    QStringList lengths;
    for (int length = 0; length <= kFrameDataBytes; ++length)
        lengths << QString::number(length);
    m_length = selector(QStringLiteral("cbbLength"), QStringLiteral("Frame Length"), lengths, this);
    m_format = selector(QStringLiteral("cbbFormat"),
                        QStringLiteral("Frame Format"),
                        {QStringLiteral("CLASSIC (LIN 1.x)"), QStringLiteral("ENHANCED (LIN 2.x)")},
                        this);
    m_direction = selector(QStringLiteral("cbbDirection"),
                           QStringLiteral("Frame Direction"),
                           {QStringLiteral("Subscriber"), QStringLiteral("Publisher")},
                           this);
    connect(m_length, &QComboBox::currentIndexChanged, this, &TfFrameEditor::updateDataFields);
    connect(m_direction, &QComboBox::currentIndexChanged, this, &TfFrameEditor::updateDataFields);

    auto *selectors = new QGridLayout;
    const std::array<std::pair<const char *, QComboBox *>, 3> rows = {std::pair{"Length:", m_length},
                                                                      {"Format:", m_format},
                                                                      {"Direction:", m_direction}};
    for (int row = 0; row < int(rows.size()); ++row) {
        auto *label = new QLabel(QString::fromLatin1(rows[std::size_t(row)].first), this);
        label->setBuddy(rows[std::size_t(row)].second);
        selectors->addWidget(label, row, 0);
        selectors->addWidget(rows[std::size_t(row)].second, row, 1);
    }
    selectors->setColumnStretch(1, 1);

    auto *data = new QGridLayout;
    data->addWidget(new QLabel(QStringLiteral("Data:"), this), 1, 0);
    auto *validator = new HexDigitsValidator(this);
    for (int i = 0; i < kFrameDataBytes; ++i) {
        auto *field = new QLineEdit(QStringLiteral("00"), this);
        field->setObjectName(QStringLiteral("ediP%1").arg(i, 2, 10, QLatin1Char('0')));
        field->setMaxLength(2);
        field->setValidator(validator);
        field->setAlignment(Qt::AlignCenter);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 16);
        field->installEventFilter(this);
        auto *label = new QLabel(QStringLiteral("[D%1]").arg(i), this);
        label->setAlignment(Qt::AlignCenter);
        label->setBuddy(field);
        data->addWidget(label, 0, i + 1);
        data->addWidget(field, 1, i + 1);
        m_data[std::size_t(i)] = field;
    }

    const DialogButtons buttons = MakeDialogButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(selectors);
    layout->addSpacing(6);
    layout->addLayout(data);
    layout->addSpacing(8);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    updateDataFields();
}

void TfFrameEditor::prefill(const FrameEdit &values, bool multiple)
{
    m_id = values.id;
    m_length->setCurrentIndex(std::clamp(values.length, 0, kFrameDataBytes));
    m_format->setCurrentIndex(values.enhanced ? kEnhancedIndex : 0);
    m_direction->setCurrentIndex(values.publisher ? kPublisherIndex : 0);
    for (int i = 0; i < kFrameDataBytes; ++i)
        m_data[std::size_t(i)]->setText(
            HexByteText(QString::number(values.data[std::size_t(i)], 16)));
    setWindowTitle(FrameEditorTitle(values.id, multiple));
    updateDataFields();
}

FrameEdit TfFrameEditor::result() const
{
    FrameEdit edit;
    edit.length = m_length->currentIndex();
    edit.enhanced = m_format->currentIndex() == kEnhancedIndex;
    edit.publisher = m_direction->currentIndex() == kPublisherIndex;
    for (int i = 0; i < kFrameDataBytes; ++i)
        edit.data[std::size_t(i)] = HexByteValue(m_data[std::size_t(i)]->text());
    edit.id = m_id;
    return edit;
}

void TfFrameEditor::accept()
{
    for (QLineEdit *field : m_data)
        field->setText(HexByteText(field->text()));
    QDialog::accept();
}

bool TfFrameEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        const auto found = std::find(m_data.cbegin(), m_data.cend(), watched);
        if (found != m_data.cend())
            (*found)->setText(HexByteText((*found)->text()));
    }
    return QDialog::eventFilter(watched, event);
}

void TfFrameEditor::showEvent(QShowEvent *event)
{
    updateDataFields();
    QDialog::showEvent(event);
}

void TfFrameEditor::updateDataFields()
{
    const int length = m_length->currentIndex();
    const bool publisher = m_direction->currentIndex() == kPublisherIndex;
    for (int i = 0; i < kFrameDataBytes; ++i)
        m_data[std::size_t(i)]->setEnabled(DataFieldEnabled(i, length, publisher));
}

} // namespace vxl
