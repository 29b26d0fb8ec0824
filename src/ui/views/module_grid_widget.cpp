#include "ui/views/module_grid_widget.h"

#include "core/module/module_grid_text.h"
#include "core/settings/settings_store.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>
#include <cstdlib>

namespace vxl {

ModuleGridWidget::ModuleGridWidget(QWidget *parent)
    : QTableWidget(kGridRows, kGridColumns, parent)
{
    setObjectName(QStringLiteral("sgridActualValues"));
    // The caption cells take the place of the headers, so they scroll with the values.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(kMinimumColumnWidth);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 0; column < kGridColumns; ++column)
        setColumnWidth(column, kGridColumnWidths[column]);
    for (int row = 0; row < kGridRows; ++row)
        setRowHeight(row, row == kGridShortRow ? kGridShortRowHeight : kGridRowHeight);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    // The dashed separator row is longer than its cells on purpose: cut, not "...".
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    viewport()->setMouseTracking(true);

    const QBrush fixed{QColor::fromRgb(SystemColorToRgb(kFixedColor))};
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            if (isFixedCell(row, column)) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(fixed);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            setItem(row, column, item);
        }
    }
    setTexts(FixedGridTexts());
    fitFontToCaptions();

    // The cursor lives on the values: a caption cell never becomes the current cell (it would be
    // drawn as focused); the caption of a row stands for its row.
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row < 0 || !isFixedCell(row, column))
            return;
        setCurrentCell(std::max(row, 1), std::max(column, 1));
    });
}

void ModuleGridWidget::setTexts(const GridTexts &texts)
{
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column)
            item(row, column)->setText(texts[std::size_t(row)][std::size_t(column)]);
    }
}

bool ModuleGridWidget::captionsFit(const QFont &font) const
{
    const QFontMetrics metrics(font);
    const GridTexts captions = FixedGridTexts();
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            if (!isFixedCell(row, column))
                continue;
            const QString &text = captions[std::size_t(row)][std::size_t(column)];
            if (metrics.horizontalAdvance(text) + kCellMargins > columnWidth(column))
                return false;
        }
    }
    return true;
}

void ModuleGridWidget::fitFontToCaptions()
{
    // The column widths are fixed in pixels; a wide desktop font would cut the captions.
    QFont fitted = font();
    if (fitted.pointSizeF() <= 0)
        return;
    while (!captionsFit(fitted) && fitted.pointSizeF() - 0.5 >= kSmallestPointSize)
        fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
    setFont(fitted);
}

int ModuleGridWidget::edgeAt(const QPoint &pos) const
{
    const int top = rowViewportPosition(0);
    if (pos.y() < top || pos.y() >= top + rowHeight(0))
        return -1;
    for (int column = 0; column < kGridColumns; ++column) {
        const int edge = columnViewportPosition(column) + columnWidth(column);
        if (std::abs(pos.x() - edge) <= kGripPixels)
            return column;
    }
    return -1;
}

void ModuleGridWidget::mousePressEvent(QMouseEvent *event)
{
    const int column = event->button() == Qt::LeftButton ? edgeAt(event->position().toPoint()) : -1;
    if (column >= 0) {
        m_sizing = column;
        m_sizingStartX = event->position().toPoint().x();
        m_sizingStartWidth = columnWidth(column);
        event->accept();
        return;
    }
    // The caption row only carries the column edges; a row's caption selects its row.
    const int row = rowAt(event->position().toPoint().y());
    if (row == 0) {
        event->accept();
        return;
    }
    if (row > 0 && columnAt(event->position().toPoint().x()) == 0) {
        setCurrentCell(row, 1);
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void ModuleGridWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_sizing < 0) {
        viewport()->setCursor(edgeAt(pos) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
        QTableWidget::mouseMoveEvent(event);
        return;
    }
    setColumnWidth(m_sizing,
                   std::max(kMinimumColumnWidth, m_sizingStartWidth + pos.x() - m_sizingStartX));
    event->accept();
}

void ModuleGridWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_sizing < 0) {
        QTableWidget::mouseReleaseEvent(event);
        return;
    }
    m_sizing = -1;
    event->accept();
}

} // namespace vxl
