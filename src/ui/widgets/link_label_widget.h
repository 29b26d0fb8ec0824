#pragma once

#include <QColor>
#include <QLabel>
#include <QUrl>

namespace vxl {

// A web or mail link that opens in the desktop's browser or mail program. Drawn blue while the
// mouse is over it, navy otherwise, and maroon once it was opened successfully.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    static inline const QColor kHoverColor{0x00, 0x00, 0xFF};  // blue
    static inline const QColor kLinkColor{0x00, 0x00, 0x80};   // navy
    static inline const QColor kOpenedColor{0x80, 0x00, 0x00}; // maroon

    LinkLabel(const QString &name, const QString &caption, const QUrl &url, QWidget *parent);

    [[nodiscard]] QUrl url() const { return m_url; }
    [[nodiscard]] bool opened() const { return m_opened; }
    [[nodiscard]] QColor linkColor() const;

protected:
    void leaveEvent(QEvent *event) override;

private:
    void hovered(const QString &link);
    void activated();
    void render();

    QString m_caption;
    QUrl m_url;
    bool m_hover = false;
    bool m_opened = false;
};

} // namespace vxl
