#pragma once

// Where a document window goes on the screen: whole windows inside the
// screen's free area (the area without panels and docks), new windows
// stepped down and to the right of the last one so that none hides another
// completely. Pure geometry in screen pixels; the window code supplies the
// frame it measured.

#include <QMargins>
#include <QRect>
#include <QSize>

namespace WindowPlacement {

// The border a window manager puts around a window: from the window's inner
// geometry and its frame, or a usual title bar and border when the window
// has no frame yet (not shown, or not yet framed).
QMargins border(const QRect& inner, const QRect& frame);

// The frame (the window with its title bar and borders) cut to the free
// area's size and moved the least distance that puts it wholly inside.
// An empty free area leaves the frame as it is.
QRect fitInside(const QRect& frame, const QRect& available);

// The frame of a new window of this size (frame included): a step right
// and down from the frame of the window opened before it, or the free
// area's top-left corner for the first one; when the step would leave the
// free area, the cascade starts again at the top-left corner. The result
// always fits inside (fitInside).
QRect cascade(const QSize& frameSize, const QRect& previousFrame, const QRect& available);

// The part of the free area beside a window that stands on it (its frame
// `taken`), on whichever side has more room, when a frame `width` wide fits
// there; the whole free area otherwise. Document windows open there, so that
// the inspector window and the graphs are both seen whole.
QRect beside(const QRect& taken, int width, const QRect& available);

// How far each new window is stepped.
constexpr int cascadeStep = 28;

} // namespace WindowPlacement
