#include "ui/dialogs/busy_notice.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vxl {

namespace {

constexpr int kCloseSize = 16;
constexpr qreal kCornerRadius = 12.0;
constexpr int kMargin = 14;

} // namespace

TfPopup::TfPopup(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("TfPopup"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kWidth, kHeight);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("laText"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin + 4, kMargin, kMargin + 4, kMargin);
    layout->addWidget(m_label);

    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("spbMasterOff"));
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setIconSize(QSize(kCloseSize - 6, kCloseSize - 6));
    m_close->setFixedSize(kCloseSize, kCloseSize);
    m_close->move(kWidth - kCloseSize - 6, 6);
    connect(m_close, &QToolButton::clicked, this, &TfPopup::spbMasterOffClick);

    m_closer = new QTimer(this);
    m_closer->setObjectName(QStringLiteral("tmrCloser"));
    m_closer->setTimerType(Qt::PreciseTimer);
    connect(m_closer, &QTimer::timeout, this, &TfPopup::tmrCloserTimer);
}

void TfPopup::ShowNotice(const QString &text, int displayMs)
{
    if (m_beep)
        QApplication::beep();
    if (displayMs >= 0)
        m_displayMs = displayMs;
    if (!text.isEmpty())
        m_text = text;

    // Showing or fading: start over, fully opaque for the whole display time.
    m_closer->stop();
    m_label->setText(m_text);
    m_fadeTicks = 0;
    setAlpha(kOpaque);
    m_showing = true;
    centreOnOwner();
    if (isHidden())
        show();
    raise();
    m_closer->start(m_displayMs);
}

void TfPopup::tmrCloserTimer()
{
    ++m_fadeTicks;
    if (m_fadeTicks == 1) {
        m_closer->setInterval(kFadeStepMs);
        return;
    }
    setAlpha(m_alpha - kFadeDecrement);
    if (m_fadeTicks > kFadeSteps)
        close();
}

void TfPopup::spbMasterOffClick()
{
    close();
}

void TfPopup::close()
{
    m_closer->stop();
    m_showing = false;
    hide();
}

void TfPopup::setAlpha(int alpha)
{
    m_alpha = alpha;
    setWindowOpacity(currentOpacity());
}

void TfPopup::centreOnOwner()
{
    QRect area;
    if (m_owner)
        area = QRect(m_owner->mapToGlobal(QPoint(0, 0)), m_owner->size());
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    move(area.center() - QPoint(kWidth / 2, kHeight / 2));
}

void TfPopup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5),
                         kCornerRadius,
                         kCornerRadius);
    painter.fillPath(panel, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawPath(panel);
}

} // namespace vxl
