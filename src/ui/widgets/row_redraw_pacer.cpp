#include "ui/widgets/row_redraw_pacer.h"

#include <QAbstractItemModel>
#include <QWidget>

namespace vxl {

RowRedrawPacer::RowRedrawPacer(const QAbstractItemModel &model,
                               std::vector<QWidget *> canvases,
                               std::chrono::milliseconds frame)
    : QObject(canvases.front())
    , m_canvases(std::move(canvases))
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
    if (!m_holding)
        hold(true);
}

void RowRedrawPacer::hold(bool holding)
{
    m_holding = holding;
    for (QWidget *canvas : m_canvases)
        canvas->setUpdatesEnabled(!holding);
}

void RowRedrawPacer::frameEnded()
{
    if (!m_holding)
        return;
    // Enabling updates again redraws the whole canvas: every row held back appears at once.
    hold(false);
    // The frame just drawn counts: rows still coming wait for its end.
    m_frame.start();
}

} // namespace vxl
