#include "ui/widgets/row_redraw_pacer.h"

#include <QAbstractItemModel>
#include <QWidget>

namespace vxl {

RowRedrawPacer::RowRedrawPacer(const QAbstractItemModel &model,
                               QWidget &canvas,
                               std::chrono::milliseconds frame)
    : QObject(&canvas)
    , m_canvas(canvas)
{
    m_frame.setSingleShot(true);
    m_frame.setInterval(frame);
    connect(&m_frame, &QTimer::timeout, this, &RowRedrawPacer::frameEnded);
    // Before the list reacts to the row, so that none of its redraw requests slips through.
    connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, this, &RowRedrawPacer::rowsComing);
}

void RowRedrawPacer::rowsComing()
{
    if (!m_frame.isActive()) {
        // The first row after a quiet frame is drawn with the next pass of the event loop.
        m_frame.start();
        return;
    }
    if (!m_holding) {
        m_holding = true;
        m_canvas.setUpdatesEnabled(false);
    }
}

void RowRedrawPacer::frameEnded()
{
    if (!m_holding)
        return;
    m_holding = false;
    // Enabling updates again redraws the whole canvas: every row held back appears at once.
    m_canvas.setUpdatesEnabled(true);
    // The frame just drawn counts: rows still coming wait for its end.
    m_frame.start();
}

} // namespace vxl
