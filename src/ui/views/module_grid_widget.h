#pragma once

#include "core/operations/operations.h"

#include <QTableWidget>

namespace vxl {

// The module data grid: row 0 and column 0 hold the captions and look like a header, the other
// cells the module's values. Whole rows are selected (captions excepted); a column is resized
// by dragging its right edge in the caption row.
class ModuleGridWidget : public QTableWidget
{
    Q_OBJECT

public:
    // Colour of the caption cells, in the stored order (blue in bits 23..16).
    static constexpr std::uint32_t kFixedColor = 16577003;
    // How near an edge the pointer must be to grab it.
    static constexpr int kGripPixels = 4;
    static constexpr int kMinimumColumnWidth = 8;
    // Room a cell leaves beside its text, and the smallest font the captions are fitted with.
    static constexpr int kCellMargins = 8;
    static constexpr double kSmallestPointSize = 6.0;

    explicit ModuleGridWidget(QWidget *parent = nullptr);

    void setTexts(const GridTexts &texts);
    [[nodiscard]] static bool isFixedCell(int row, int column) { return row == 0 || column == 0; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    [[nodiscard]] bool captionsFit(const QFont &font) const;
    void fitFontToCaptions();
    // The column whose right edge lies under the point in the caption row, or -1.
    [[nodiscard]] int edgeAt(const QPoint &pos) const;

    int m_sizing = -1;
    int m_sizingStartX = 0;
    int m_sizingStartWidth = 0;
};

} // namespace vxl
