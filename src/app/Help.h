#pragma once

#include <QString>

struct WindowContext;

// What the program does and does not do, as the Help box shows it.
QString HelpText();

// The "Help" button.
void PushButton5_Click(WindowContext &ctx);
