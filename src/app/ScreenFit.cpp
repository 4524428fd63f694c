// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenFit.h"

#include <algorithm>

namespace screenfit {

int leastHeight(int fullHeight, const QList<ListShare> &lists)
{
    int least = 0;
    for (const ListShare &list : lists) {
        if (list.share <= 0)
            continue;
        const int room = list.height - list.least;
        least = std::max(least, fullHeight - int(room / list.share));
    }
    return least;
}

QMargins estimatedFrame(int titleBar)
{
    return {0, titleBar, 0, 0};
}

QSize roomWithin(QRect area, QMargins frame)
{
    return area.size() - QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

QSize leastWithin(QSize least, QSize room)
{
    const int width = least.width() <= room.width() ? least.width() : Floor.width();
    const int height = least.height() <= room.height() ? least.height() : Floor.height();
    return QSize(width, height).expandedTo(Floor);
}

QSize withScrollBarRoom(QSize size, QSize least, QSize room, int bar)
{
    if (size.height() < least.height())
        size.setWidth(std::max(size.width(), std::min(room.width(), least.width() + bar)));
    if (size.width() < least.width())
        size.setHeight(std::max(size.height(), std::min(room.height(), least.height() + bar)));
    return size;
}

QSize fittedSize(QSize wanted, QSize least, QSize room, int bar)
{
    return withScrollBarRoom(wanted.boundedTo(room).expandedTo(leastWithin(least, room)), least,
                             room, bar);
}

QPoint centredTopLeft(QRect area, QSize size, QMargins frame)
{
    const int wholeWidth = size.width() + frame.left() + frame.right();
    const int wholeHeight = size.height() + frame.top() + frame.bottom();
    QPoint topLeft = area.center() - QPoint(wholeWidth / 2, wholeHeight / 2);
    topLeft.setX(std::max(area.left(), topLeft.x()));
    topLeft.setY(std::max(area.top(), topLeft.y()));
    return topLeft;
}

QPoint keptTopLeft(QRect area, QPoint topLeft, QSize whole)
{
    return {std::clamp(topLeft.x(), area.left(),
                       std::max(area.left(), area.right() + 1 - whole.width())),
            std::clamp(topLeft.y(), area.top(),
                       std::max(area.top(), area.bottom() + 1 - whole.height()))};
}

} // namespace screenfit
