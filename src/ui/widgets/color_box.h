#pragma once

#include <QComboBox>

#include <cstdint>

namespace vxl {

// A colour selector: a "Default" entry showing the default colour, the sixteen standard colours
// and a custom colour choice. Colours are in the stored order (blue in bits 23..16).
class ColorBox : public QComboBox
{
    Q_OBJECT

public:
    ColorBox(const QString &name, std::uint32_t defaultColor, QWidget *parent);

    // Selects the entry showing the colour: "Default" for the default colour, else a standard
    // colour, else the custom entry takes it.
    void setColor(std::uint32_t systemColor);
    [[nodiscard]] std::uint32_t color() const;
    [[nodiscard]] std::uint32_t defaultColor() const { return m_default; }

signals:
    // After every change of the selected colour, by the user or by setColor.
    void colorChanged(std::uint32_t systemColor);

private:
    void entryActivated(int index);
    void setCustom(std::uint32_t systemColor);
    [[nodiscard]] int customIndex() const { return count() - 1; }

    std::uint32_t m_default;
    int m_lastIndex = 0;
};

} // namespace vxl
