// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// The geometry of fitting the window to its screen, as plain functions of rectangles: the least
// size of the controls, the room a screen leaves the window once its frame is counted, the size
// the window gets there, and where it lies. Sizes are the window's inner (client) sizes; the
// frame is what the window manager adds around them (a title bar above, borders).
namespace screenfit {

// The client sizes of the window's controls.
struct ClientSizes
{
    QSize full;             // at the layout table's default size
    QSize least;            // the least size at which nothing scrolls
    int scrolledHeight = 0; // the height of the controls when they scroll
};

// The smallest a window may be made on a screen too small for its controls; they scroll inside.
inline constexpr QSize Floor{160, 120};

// A list that takes a share of the window's extra height: its height at the default size, that
// share, and the least height it keeps.
struct ListShare
{
    int height = 0;
    float share = 0;
    int least = 0;
};

// The least height of a window `fullHeight` high at its default size, whose lists give up their
// shares of height until the first of them reaches its least height.
int leastHeight(int fullHeight, const QList<ListShare> &lists);

// The frame counted before the window manager has put one around the window: a title bar.
QMargins estimatedFrame(int titleBar);

// The inner size a window can have inside `area` when it is framed by `frame`.
QSize roomWithin(QRect area, QMargins frame);

// The least inner size of the window within `room`: the controls' `least` where it fits; a side
// that does not fit may be made as small as Floor (the controls scroll), so the window can still
// be shrunk on the screen.
QSize leastWithin(QSize least, QSize room);

// A window lower than the controls' `least` gets `bar` (a scroll bar's width) more width, and a
// narrower one that much more height, within `room`, so that it scrolls one way only.
QSize withScrollBarRoom(QSize size, QSize least, QSize room, int bar);

// The size a window that wants `wanted` gets within `room`: no larger than the room, no smaller
// than leastWithin(), with a scroll bar's room where its controls scroll.
QSize fittedSize(QSize wanted, QSize least, QSize room, int bar);

// The top-left of the frame of a window of inner `size` framed by `frame`, centred on `area`
// (kept off the area's left and top edges when it is larger).
QPoint centredTopLeft(QRect area, QSize size, QMargins frame);

// The top-left that moves a frame of size `whole` at `topLeft` the least, so that it lies on
// `area` (its left and top edges first where it is larger).
QPoint keptTopLeft(QRect area, QPoint topLeft, QSize whole);

} // namespace screenfit
