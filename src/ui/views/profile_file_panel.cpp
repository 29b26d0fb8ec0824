#include "ui/views/profile_file_panel.h"

#include "core/operations/profile_files.h"
#include "ui/widgets/command_button_widget.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vxl {

namespace {

QLabel *valueLabel(const char *name, const char *hint, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setToolTip(QString::fromLatin1(hint));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 ")));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

ProfileFilePanel::ProfileFilePanel(ProfileFiles &files, QWidget *parent)
    : QWidget(parent)
    , m_files(files)
{
    setObjectName(QStringLiteral("panProfileFile"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("ediProfilePath"));
    m_path->setReadOnly(true);
    m_date = valueLabel("laDate", "Creation date of the profile", this);
    m_time = valueLabel("laTime", "Creation time of the profile", this);
    m_accDate = valueLabel("laAccDate", "Date of the last modification of the profile", this);
    m_accTime = valueLabel("laAccTime", "Time of the last modification of the profile", this);

    grid->addWidget(new QLabel(QStringLiteral("Path:"), this), 0, 0);
    grid->addWidget(m_path, 0, 1, 1, 5);
    grid->addWidget(new QLabel(QStringLiteral("Creation Date:"), this), 1, 0);
    grid->addWidget(m_date, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Creation Time:"), this), 1, 2);
    grid->addWidget(m_time, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Last Modification Date:"), this), 2, 0);
    grid->addWidget(m_accDate, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Last Modification Time:"), this), 2, 2);
    grid->addWidget(m_accTime, 2, 3);
    grid->setColumnStretch(5, 1);

    connect(&m_files, &ProfileFiles::labelsChanged, this, &ProfileFilePanel::applyLabels);
    connect(&m_files, &ProfileFiles::commandsChanged, this, &ProfileFilePanel::applyStates);
    applyLabels();
}

std::vector<QPushButton *> ProfileFilePanel::createButtons(QWidget *parent)
{
    auto *create = CommandButton(QStringLiteral("btbCreateProfile"),
                                 QStringLiteral("New"),
                                 QStringLiteral("Creates a new Profile with standard values"),
                                 parent);
    auto *save = CommandButton(QStringLiteral("btbSave"),
                               QStringLiteral("Save"),
                               QStringLiteral(
                                   "Saves the modifications made to the current VEXA-LIN Profile"),
                               parent);
    auto *saveAs = CommandButton(QStringLiteral("btbSaveAs"),
                                 QStringLiteral("Save As"),
                                 QStringLiteral("Saves the current module configuration in a "
                                                "profile or the current loaded profile in a new "
                                                "file"),
                                 parent);
    auto *clear = CommandButton(QStringLiteral("btbClear"),
                                QStringLiteral("Clear"),
                                QStringLiteral("Unloads the current profile "),
                                parent);
    connect(create, &QPushButton::clicked, &m_files, [this] { m_files.NewProfile(); });
    connect(save, &QPushButton::clicked, &m_files, [this] { m_files.SaveProfile(); });
    connect(saveAs, &QPushButton::clicked, &m_files, [this] { m_files.SaveProfileAs(); });
    connect(clear, &QPushButton::clicked, &m_files, &ProfileFiles::ClearProfile);
    m_buttons = {create, save, saveAs, clear};
    applyStates();
    return m_buttons;
}

void ProfileFilePanel::applyLabels()
{
    const ProfileFileLabels &labels = m_files.Labels();
    m_path->setText(labels.path);
    m_path->setToolTip(labels.path);
    m_date->setText(labels.date);
    m_time->setText(labels.time);
    m_accDate->setText(labels.accDate);
    m_accTime->setText(labels.accTime);
}

void ProfileFilePanel::applyStates()
{
    for (QPushButton *button : m_buttons) {
        if (button->objectName() != QLatin1String("btbCreateProfile"))
            button->setEnabled(m_files.State(button->objectName()));
    }
}

} // namespace vxl
