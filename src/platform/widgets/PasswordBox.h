// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Services.h"

class QWidget;

// The real password box: the prompt, a field that shows dots for what is typed, an optional
// check box under it, OK and Cancel (Escape cancels).
namespace passwordbox {

PasswordAnswer ask(QWidget *owner, const QString &title, const QString &prompt,
                   const QString &checkCaption);

} // namespace passwordbox
