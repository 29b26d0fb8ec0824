#include "ui/widgets/link_label_widget.h"

#include <QDesktopServices>

namespace vxl {

LinkLabel::LinkLabel(const QString &name, const QString &caption, const QUrl &url, QWidget *parent)
    : QLabel(parent)
    , m_caption(caption)
    , m_url(url)
{
    setObjectName(name);
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setOpenExternalLinks(false);
    setCursor(Qt::PointingHandCursor);
    setToolTip(url.toString());
    connect(this, &QLabel::linkHovered, this, &LinkLabel::hovered);
    connect(this, &QLabel::linkActivated, this, &LinkLabel::activated);
    render();
}

QColor LinkLabel::linkColor() const
{
    if (m_hover)
        return kHoverColor;
    return m_opened ? kOpenedColor : kLinkColor;
}

void LinkLabel::hovered(const QString &link)
{
    m_hover = !link.isEmpty();
    render();
}

void LinkLabel::leaveEvent(QEvent *event)
{
    m_hover = false;
    render();
    QLabel::leaveEvent(event);
}

void LinkLabel::activated()
{
    // Only a link that really opened counts as visited.
    if (QDesktopServices::openUrl(m_url))
        m_opened = true;
    render();
}

void LinkLabel::render()
{
    setText(
        QStringLiteral("<a href=\"%1\" style=\"color:%2; text-decoration:underline\">%3</a>")
            .arg(m_url.toString().toHtmlEscaped(), linkColor().name(), m_caption.toHtmlEscaped()));
}

} // namespace vxl
