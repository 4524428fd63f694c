// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>

// The program's name on the desktop: its desktop entry is DesktopId + ".desktop", its icon in the
// icon theme is named DesktopId, and Wayland compositors match the window to the entry by it.
inline constexpr char DesktopId[] = "org.tarvenik.Morwenda";

// The program's icon as drawn in code, SIZE pixels square: a page with lines of text and a folded
// corner. The installed PNGs are made from it; the scalable icon shows the same picture.
QImage drawnProductIcon(int size);

// The icon of the installed theme named DesktopId; where the theme has none (a build that is not
// installed), the drawn icon.
QIcon productIcon();
