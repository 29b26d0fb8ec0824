#include "ui/dialogs/about_dialog.h"

#include "core/settings/version_info.h"
#include "ui/widgets/link_label_widget.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vxl {

namespace {

constexpr int kTextWidth = 330;

QLabel *text(const QString &name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFrame *rule(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// The maker's name, legal notice and contact links.
void addMakerTexts(QVBoxLayout *texts, QWidget *parent)
{
    QLabel *maker = text(QStringLiteral("laMaker"), QStringLiteral("Norvel"), parent);
    QFont makerFont = maker->font();
    makerFont.setBold(true);
    maker->setFont(makerFont);
    QLabel *legal = text(QStringLiteral("laLegal"),
                         QStringLiteral("Copyright \u00A9 2026 Norvel. All rights reserved.\n"
                                        "This program configures VEXA-LIN CAN/LIN gateway "
                                        "modules. It is provided as is, without warranty of "
                                        "any kind."),
                         parent);
    legal->setWordWrap(true);
    legal->setFixedWidth(kTextWidth);
    QLabel *contact = text(QStringLiteral("laContact"),
                           QStringLiteral("Questions, updates and support:"),
                           parent);

    auto *web = new LinkLabel(QStringLiteral("laWeb"),
                              QStringLiteral("www.norvel.example"),
                              QUrl(QStringLiteral("https://www.norvel.example/vexalin")),
                              parent);
    auto *mail = new LinkLabel(QStringLiteral("laMail"),
                               QStringLiteral("support@norvel.example"),
                               QUrl(QStringLiteral("mailto:support@norvel.example")),
                               parent);

    texts->addWidget(maker);
    texts->addWidget(legal);
    texts->addSpacing(6);
    texts->addWidget(contact);
    auto *links = new QGridLayout;
    links->addWidget(new QLabel(QStringLiteral("Web:"), parent), 0, 0);
    links->addWidget(web, 0, 1);
    links->addWidget(new QLabel(QStringLiteral("Mail:"), parent), 1, 0);
    links->addWidget(mail, 1, 1);
    links->setColumnStretch(1, 1);
    texts->addLayout(links);
}

} // namespace

TfAbout::TfAbout(QWidget *parent, const QString &hardware, const QString &firmware, bool connected)
    : QDialog(parent)
{
    ++s_open;
    setObjectName(QStringLiteral("TfAbout"));
    setWindowTitle(QStringLiteral("About VEXA-LIN CT"));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgLogo"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(48, 48));

    QLabel *product = text(QStringLiteral("laProduct"), QStringLiteral("VEXA-LIN CT"), this);
    QFont productFont = product->font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * 1.5);
    product->setFont(productFont);

    QLabel *version = text(QStringLiteral("laVersion"),
                           QStringLiteral("Tool    Version: ") + ToolVersion(),
                           this);
    // Both places are filled at once, so a "%1" in a module's text stays as it is.
    QLabel *module = text(QStringLiteral("laModule"),
                          QStringLiteral("HW: %1 / FW: %2")
                              .arg(connected ? hardware : kNotConnected,
                                   connected ? firmware : kNotConnected),
                          this);

    auto *texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addWidget(module);
    texts->addWidget(rule(this));
    addMakerTexts(texts, this);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    ok->setMinimumWidth(90);
    connect(ok, &QPushButton::clicked, this, &TfAbout::accept);

    auto *body = new QHBoxLayout;
    body->addWidget(picture, 0, Qt::AlignTop);
    body->addSpacing(10);
    body->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(body);
    layout->addSpacing(6);
    layout->addLayout(buttons);
}

TfAbout::~TfAbout()
{
    --s_open;
}

} // namespace vxl
