#include "ui/dialogs/profile_converter_dialog.h"

#include "ui/dialogs/busy_notice.h"
#include "ui/dialogs/file_prompt_dialog.h"
#include "ui/widgets/command_button_widget.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vxl {

TfProfileConverter::TfProfileConverter(QWidget *parent, Services services)
    : HelpDialog(kHelpContext, parent)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("TfProfileConverter"));
    setWindowTitle(QStringLiteral("Profile Converter"));
    setMinimumWidth(640);
    m_source = new QLineEdit(this);
    m_source->setObjectName(QStringLiteral("ediSource"));
    m_source->setReadOnly(true);
    m_target = new QLineEdit(this);
    m_target->setObjectName(QStringLiteral("ediTarget"));
    m_open = CommandButton(QStringLiteral("btbOpen"),
                           QStringLiteral("..."),
                           QStringLiteral("Open a dialog to select a profile to convert"),
                           this);
    m_save = CommandButton(QStringLiteral("btbSave"),
                           QStringLiteral("..."),
                           QStringLiteral("Allows to select a path and name for the converted "
                                          "profile"),
                           this);
    m_save->setEnabled(false);
    for (QPushButton *browse : {m_open, m_save})
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
    m_convert = new QPushButton(QStringLiteral("Convert"), this);
    m_convert->setObjectName(QStringLiteral("btbSetStandard"));
    m_convert->setDefault(true);
    m_convert->setEnabled(false);
    m_convert->setMinimumWidth(90);
    auto *cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("Cancel"),
                                   this);
    cancel->setObjectName(QStringLiteral("btbCancel"));
    cancel->setToolTip(QStringLiteral("Discards changes and/or close this window "));
    cancel->setAutoDefault(false);
    cancel->setMinimumWidth(90);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Source:"), this), 0, 0);
    grid->addWidget(m_source, 0, 1);
    grid->addWidget(m_open, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Destination:"), this), 1, 0);
    grid->addWidget(m_target, 1, 1);
    grid->addWidget(m_save, 1, 2);
    grid->setColumnStretch(1, 1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_convert);
    row->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(row);

    connect(m_open, &QPushButton::clicked, this, &TfProfileConverter::btbOpenClick);
    connect(m_save, &QPushButton::clicked, this, &TfProfileConverter::btbSaveClick);
    connect(m_target, &QLineEdit::editingFinished, this, &TfProfileConverter::ediTargetExit);
    connect(m_convert, &QPushButton::clicked, this, &TfProfileConverter::actConvertExecute);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfProfileConverter::~TfProfileConverter() = default;

void TfProfileConverter::notice(const QString &text, int displayMs, int soundType)
{
    if (m_services.notice) {
        m_services.notice(text, displayMs, soundType);
        return;
    }
    if (!m_popup)
        m_popup = std::make_unique<TfPopup>(this);
    m_popup->setBeep(true);
    m_popup->setSoundType(soundType);
    m_popup->ShowNotice(text, displayMs);
    m_popup->setBeep(false);
}

void TfProfileConverter::btbOpenClick()
{
    const FilePrompt prompt{false,
                            QStringLiteral("Select the LIN Configuration file to be converted..."),
                            QStringLiteral("LIN Configuration Files (*.lin *.LIN)"),
                            QStringLiteral("LIN"),
                            QStringLiteral("*.lin")};
    const QString path = m_services.promptFile ? m_services.promptFile(prompt)
                                               : RunFilePrompt(this, prompt);
    if (path.isEmpty())
        return;
    m_converter.SetSource(path);
    m_source->setText(path);
    // A path the user already gave stays the one the conversion writes to.
    if (m_target->text().isEmpty())
        m_target->setText(m_converter.Target());
    else
        m_converter.SetTarget(m_target->text());
    if (!m_converter.Recognize()) {
        notice(QStringLiteral("The given profile cannot be recognized"), kNoticeMs, kErrorSound);
        return;
    }
    m_convert->setEnabled(true);
    m_save->setEnabled(true);
}

void TfProfileConverter::ediTargetExit()
{
    const std::optional<QString> target
        = clsVLINProfileConverter::TargetFromText(m_target->text(), QDir::currentPath());
    if (!target) {
        notice(QStringLiteral("Directory doesn't exist"), kMissingFolderMs, kErrorSound);
        m_target->setText(m_saveName);
        return;
    }
    m_saveName = *target;
    m_target->setText(*target);
    m_converter.SetTarget(*target);
}

void TfProfileConverter::btbSaveClick()
{
    if (m_saveName.isEmpty())
        m_saveName = QStringLiteral("ConvertedProfile.vxlin");
    const FilePrompt prompt{true,
                            QStringLiteral("Select a new path and name for the converted profile"),
                            QStringLiteral("VEXA-LIN profile (*.vxlin)"),
                            QStringLiteral("vxlin"),
                            m_saveName};
    const QString path = m_services.promptFile ? m_services.promptFile(prompt)
                                               : RunFilePrompt(this, prompt);
    if (path.isEmpty())
        return;
    m_saveName = path;
    m_target->setText(path);
    m_converter.SetTarget(path);
}

void TfProfileConverter::actConvertExecute()
{
    // Without a target the converter would write over the file of its last conversion.
    m_converter.SetTarget(m_target->text());
    if (m_target->text().isEmpty() || !m_converter.Convert()) {
        notice(QStringLiteral("An error occurred while converting the VEXA-LIN profile "),
               kNoticeMs,
               kErrorSound);
        return;
    }
    m_source->clear();
    m_target->clear();
    m_convert->setEnabled(false);
    m_save->setEnabled(false);
    notice(QStringLiteral("The profile was sucessfully updated"), kNoticeMs, kExclamationSound);
}

} // namespace vxl
