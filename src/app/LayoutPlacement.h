// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenFit.h"

#include <QtGlobal>

class QWidget;

// The layout table applied to the window's controls at a screen's logical resolution (`dpi`).
namespace layoutplacement {

// Places every control of the table found inside `client` for the client's present size: its
// twips at the default size, plus its share of its parent's extra size. A check box or option
// button whose caption needs more room reaches further right, up to the next control of its row.
void placeControls(QWidget &client, qreal dpi);

// The client sizes of the table: its default size, the least size at which each list that takes
// extra height is still ListMinimumHeight high, and the height at which each list inside
// `client` shows a few rows, for when the controls scroll anyway.
screenfit::ClientSizes clientSizes(const QWidget &client, qreal dpi);

} // namespace layoutplacement
