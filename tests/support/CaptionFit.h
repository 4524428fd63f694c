// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class MainWindow;

// What a user would see cut in the window as it is laid out now: a button, check box, option
// button, label or frame whose caption is wider than the control, a list heading wider than its
// column, a control that reaches out of its parent or above its frame's title, or two controls of
// one parent that overlap.
// Each problem names the control and its text; none: the list is empty.
QStringList cutCaptions(MainWindow &window);
