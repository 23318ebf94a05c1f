#include "app/WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

QMargins border(const QRect& inner, const QRect& frame)
{
    if (frame == inner)
        return QMargins(4, 30, 4, 4);
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

QRect fitInside(const QRect& frame, const QRect& available)
{
    if (available.isEmpty() || frame.isEmpty())
        return frame;
    QRect r(frame.topLeft(), frame.size().boundedTo(available.size()));
    if (r.right() > available.right())
        r.moveRight(available.right());
    if (r.bottom() > available.bottom())
        r.moveBottom(available.bottom());
    if (r.left() < available.left())
        r.moveLeft(available.left());
    if (r.top() < available.top())
        r.moveTop(available.top());
    return r;
}

QRect cascade(const QSize& frameSize, const QRect& previousFrame, const QRect& available)
{
    QRect r(available.topLeft(), frameSize);
    if (previousFrame.isValid()) {
        const QRect stepped(previousFrame.topLeft() + QPoint(cascadeStep, cascadeStep), frameSize);
        // Stepping on while the window still fits; past the free area's
        // edge the cascade starts again at its corner.
        if (available.contains(stepped))
            r = stepped;
    }
    return fitInside(r, available);
}

QRect beside(const QRect& taken, int width, const QRect& available)
{
    if (!taken.isValid() || !available.intersects(taken))
        return available;
    const QRect left(available.topLeft(), QPoint(taken.left() - 1, available.bottom()));
    const QRect right(QPoint(taken.right() + 1, available.top()), available.bottomRight());
    const QRect& roomier = right.width() >= left.width() ? right : left;
    return roomier.width() >= width ? roomier : available;
}

} // namespace WindowPlacement
