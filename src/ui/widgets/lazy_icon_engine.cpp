#include "ui/widgets/lazy_icon_engine.h"

#include <QPainter>

namespace vxl {

LazyIconEngine::LazyIconEngine(Maker maker)
    : m_maker(std::move(maker))
{}

const QIcon &LazyIconEngine::made()
{
    if (!m_icon)
        m_icon = m_maker();
    return *m_icon;
}

void LazyIconEngine::paint(QPainter *painter,
                           const QRect &rect,
                           QIcon::Mode mode,
                           QIcon::State state)
{
    // The rectangle is already fitted to actualSize(), the made icon's own answer, so centring
    // it again moves nothing.
    made().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize LazyIconEngine::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    // On a dense screen the icon scales the size asked for once more; a picture never grows past
    // what it was asked for, so the answer stays the one the made icon gives.
    return made().actualSize(size, mode, state);
}

QPixmap LazyIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    // The size asked for is already in device pixels: a ratio of 1 takes it as it is.
    return made().pixmap(size, 1.0, mode, state);
}

QList<QSize> LazyIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return made().availableSizes(mode, state);
}

QString LazyIconEngine::iconName()
{
    return made().name();
}

bool LazyIconEngine::isNull()
{
    return m_icon && m_icon->isNull();
}

QString LazyIconEngine::key() const
{
    return QStringLiteral("LazyIconEngine");
}

QIconEngine *LazyIconEngine::clone() const
{
    auto *copy = new LazyIconEngine(m_maker);
    copy->m_icon = m_icon;
    return copy;
}

} // namespace vxl
