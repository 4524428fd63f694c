// SPDX-License-Identifier: GPL-3.0-or-later
#include "IndicatorStyle.h"

#include <QCoreApplication>
#include <QPainter>
#include <QStyleOption>

IndicatorStyle::IndicatorStyle() = default;

IndicatorStyle &IndicatorStyle::shared()
{
    static IndicatorStyle *style = [] {
        auto *made = new IndicatorStyle;
        made->setParent(QCoreApplication::instance());
        return made;
    }();
    return *style;
}

bool IndicatorStyle::isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

void IndicatorStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                   QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool box = element == PE_IndicatorCheckBox;
    const bool circle = element == PE_IndicatorRadioButton;
    if ((!box && !circle) || !isDark(option->palette))
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QColor outline = option->palette.color(QPalette::WindowText);
    if (!(option->state & State_Enabled))
        outline.setAlpha(110);
    painter->setPen(QPen(outline, 1));
    painter->setBrush(Qt::NoBrush);
    const QRectF area = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (box)
        painter->drawRoundedRect(area, 2, 2);
    else
        painter->drawEllipse(area);
    painter->restore();
}
