#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class QAbstractItemModel;
class QWidget;

namespace vxl {

// Paces the redraws that new rows ask of a list. A new row shifts every row below it, so the
// list redraws whole; rows arriving at line rate would redraw it for each one, hundreds of times
// a second. The first new row after a quiet frame is drawn at once; the rows that follow within
// the frame are drawn together at its end, each at its place.
class RowRedrawPacer : public QObject
{
public:
    // `canvas` is the widget the list draws its rows on (its viewport); the pacer lives as long.
    RowRedrawPacer(const QAbstractItemModel &model,
                   QWidget &canvas,
                   std::chrono::milliseconds frame);

private:
    void rowsComing();
    void frameEnded();

    QWidget &m_canvas;
    QTimer m_frame;
    bool m_holding = false;
};

} // namespace vxl
