// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

// The desktop's style, with the box of a check box and the circle of an option button outlined in
// the text colour when the palette is dark: several styles draw that outline a shade darker than
// the window, which on a dark window leaves an empty box invisible.
class IndicatorStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    IndicatorStyle();

    // One for the application, kept until it ends: a style must outlive every widget it draws,
    // and a style sheet's style keeps a pointer to it.
    static IndicatorStyle &shared();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

    // A palette whose window is darker than its text.
    static bool isDark(const QPalette &palette);
};
