// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class MessageBoxes;

// What the program does and does not do, as the Help box shows it.
QString helpText();

// The "Help" button: shows helpText() in a message box.
void showHelp(const MessageBoxes &boxes);
