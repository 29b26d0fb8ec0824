#include "ui/widgets/color_box.h"

#include "core/settings/settings_store.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace vxl {

namespace {

struct NamedColor
{
    const char *name;
    std::uint32_t systemColor;
};

// The standard colours in the stored order.
constexpr std::array<NamedColor, 16> kStandardColors{{
    {"Black", 0x000000},
    {"Maroon", 0x000080},
    {"Green", 0x008000},
    {"Olive", 0x008080},
    {"Navy", 0x800000},
    {"Purple", 0x800080},
    {"Teal", 0x808000},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},
    {"Lime", 0x00FF00},
    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF},
}};

constexpr int kColorRole = Qt::UserRole;

QColor toQColor(std::uint32_t systemColor)
{
    return QColor::fromRgb(SystemColorToRgb(systemColor & 0xFFFFFF));
}

QIcon swatch(std::uint32_t systemColor)
{
    QPixmap pixmap(24, 12);
    pixmap.fill(toQColor(systemColor));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

ColorBox::ColorBox(const QString &name, std::uint32_t defaultColor, QWidget *parent)
    : QComboBox(parent)
    , m_default(defaultColor)
{
    setObjectName(name);
    setIconSize(QSize(24, 12));
    addItem(swatch(m_default), QStringLiteral("Default"), QVariant::fromValue(m_default));
    for (const NamedColor &named : kStandardColors)
        addItem(swatch(named.systemColor),
                QString::fromLatin1(named.name),
                QVariant::fromValue(named.systemColor));
    addItem(swatch(0xFFFFFF), QStringLiteral("Custom..."), QVariant::fromValue(0xFFFFFFu));
    setCurrentIndex(0);
    connect(this, &QComboBox::activated, this, &ColorBox::entryActivated);
}

void ColorBox::setColor(std::uint32_t systemColor)
{
    systemColor &= 0xFFFFFF;
    int index = -1;
    if (systemColor == m_default) {
        index = 0;
    } else {
        for (int i = 1; i < customIndex(); ++i) {
            if (itemData(i).toUInt() == systemColor) {
                index = i;
                break;
            }
        }
    }
    if (index < 0) {
        setCustom(systemColor);
        index = customIndex();
    }
    setCurrentIndex(index);
    m_lastIndex = index;
    emit colorChanged(systemColor);
}

std::uint32_t ColorBox::color() const
{
    return currentData().toUInt();
}

void ColorBox::setCustom(std::uint32_t systemColor)
{
    setItemData(customIndex(), QVariant::fromValue(systemColor));
    setItemIcon(customIndex(), swatch(systemColor));
}

void ColorBox::entryActivated(int index)
{
    if (index != customIndex()) {
        m_lastIndex = index;
        emit colorChanged(color());
        return;
    }
    const QColor chosen = QColorDialog::getColor(toQColor(itemData(m_lastIndex).toUInt()),
                                                 this,
                                                 QStringLiteral("Custom colour"));
    if (!chosen.isValid()) {
        setCurrentIndex(m_lastIndex);
        return;
    }
    // A custom choice that is one of the listed colours selects that entry instead.
    setColor(RgbToSystemColor(chosen.rgb() & 0xFFFFFF));
}

} // namespace vxl
