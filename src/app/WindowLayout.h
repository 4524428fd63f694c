// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>

// One control of the window as the layout table gives it. The object names are the controls'
// names that users, their settings and the error reports know; the rectangle is in twips
// (1/1440 inch) within the parent control.
struct ControlLayout
{
    const char *objectName;
    const char *parentName; // nullptr: the window itself
    QRect twips;
    const char16_t *caption;
    const char16_t *tooltip;
};

namespace windowlayout {

// The client area of the window, in twips.
inline constexpr int ClientWidth = 8040;
inline constexpr int ClientHeight = 10335;

// Every control, in the order the window creates them (which is also the tab order).
const QList<ControlLayout> &controls();

// The row of one control. Throws std::out_of_range for a name the table does not hold.
const ControlLayout &control(const char *objectName);

} // namespace windowlayout
