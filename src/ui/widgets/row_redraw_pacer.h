#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <vector>

class QAbstractItemModel;
class QWidget;

namespace vxl {

// Paces the redraws that new rows ask of a list. A new row shifts every row below it, so the
// list redraws whole; rows arriving at line rate would redraw it for each one, hundreds of times
// a second, and move the scroll bar's handle as often. The first new row after a quiet frame is
// drawn at once; the rows that follow within the frame are drawn together at its end, each at
// its place.
class RowRedrawPacer : public QObject
{
public:
    // `canvases` are the widgets a new row redraws: the one the list draws its rows on (its
    // viewport; the pacer lives as long as the first) and its scroll bar.
    RowRedrawPacer(const QAbstractItemModel &model,
                   std::vector<QWidget *> canvases,
                   std::chrono::milliseconds frame);

private:
    void rowsComing();
    void frameEnded();
    void hold(bool holding);

    std::vector<QWidget *> m_canvases;
    QTimer m_frame;
    bool m_holding = false;
};

} // namespace vxl
