#pragma once

#include <QIcon>
#include <QIconEngine>

#include <functional>
#include <optional>

namespace vxl {

// An icon made the first time it is drawn or measured, and from then on the made icon itself.
// Making a style's standard icon decodes every picture size it ships, up to 128 pixels: the
// pictures of the window's first look are made while it is drawn instead of while it is built,
// and those of menus and views never shown are never made. The made icon is kept whole, so it
// answers every later size, mode and state as it would have from the start.
// It stands for an icon that is never null: the one it is made into is always there.
class LazyIconEngine final : public QIconEngine
{
public:
    using Maker = std::function<QIcon()>;

    explicit LazyIconEngine(Maker maker);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString iconName() override;
    bool isNull() override;
    [[nodiscard]] QString key() const override;
    [[nodiscard]] QIconEngine *clone() const override;

private:
    const QIcon &made();

    Maker m_maker;
    std::optional<QIcon> m_icon;
};

} // namespace vxl
