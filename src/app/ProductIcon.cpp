// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProductIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QImage drawnProductIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    QPainterPath page;
    page.moveTo(12, 4);
    page.lineTo(40, 4);
    page.lineTo(52, 16);
    page.lineTo(52, 60);
    page.lineTo(12, 60);
    page.closeSubpath();
    painter.setPen(QPen(QColor(0x33, 0x33, 0x33), 2));
    painter.setBrush(Qt::white);
    painter.drawPath(page);

    painter.setBrush(QColor(0xd0, 0xd0, 0xd0));
    painter.drawPolygon(QPolygonF({QPointF(40, 4), QPointF(40, 16), QPointF(52, 16)}));

    painter.setPen(QPen(QColor(0xb0, 0x20, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    for (int y = 24; y <= 52; y += 7)
        painter.drawLine(QPointF(18, y), QPointF(y == 52 ? 34 : 46, y));
    return image;
}

QIcon productIcon()
{
    QIcon drawn;
    for (int size : {16, 24, 32, 48, 64, 128})
        drawn.addPixmap(QPixmap::fromImage(drawnProductIcon(size)));
    return QIcon::fromTheme(QString::fromLatin1(DesktopId), drawn);
}
